// controls/up_down.h
#pragma once

#include <QPointer>
#include <QWidget>

class QLineEdit;
class QToolButton;

// A spin button attached to the number field placed before it: the arrows
// (and the Up and Down keys in the field) step the field's number within
// the spin's range and write it back as decimal text. The field itself may
// hold any text; the spin starts from its leading digits.
class CUpDown : public QWidget
{
    Q_OBJECT

  public:
    explicit CUpDown(QWidget *parent = nullptr);

    void SetBuddy(QLineEdit *field);
    void SetRange(int lower, int upper);
    // Writes the position into the field unless told not to.
    void SetPos(int position, bool writeBuddy = true);
    int GetPos() const { return mPos; }
    int Lower() const { return mLower; }
    int Upper() const { return mUpper; }

    // One step up (+1) or down (-1), as the arrows do.
    void Step(int delta);

  signals:
    void valueChanged(int position);

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

  private:
    QPointer<QLineEdit> mBuddy;
    QToolButton *mUp;
    QToolButton *mDown;
    int mLower = 0;
    int mUpper = 100;
    int mPos = 0;
};
