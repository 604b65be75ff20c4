// tests/support/widget_driver.h
// Drives windows in tests as a user would: finds controls by their object
// names, clicks and types into them, and answers a modal dialog within a
// time limit. UI thread only.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QLineEdit>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

#include <chrono>
#include <functional>

// The child of parent called name; a test failure when there is none.
template <class T> T *namedChild(const QObject &parent, const char *name)
{
    T *child = parent.findChild<T *>(QLatin1String(name));
    if (!child)
        ADD_FAILURE() << "no control named " << name;
    return child;
}

// The usual kinds by name: push buttons, radio buttons and check boxes
// alike as buttons, line edits as fields, combo boxes as lists.
inline QAbstractButton *namedButton(const QObject &parent, const char *name)
{
    return namedChild<QAbstractButton>(parent, name);
}

inline QLineEdit *namedField(const QObject &parent, const char *name)
{
    return namedChild<QLineEdit>(parent, name);
}

inline QComboBox *namedList(const QObject &parent, const char *name)
{
    return namedChild<QComboBox>(parent, name);
}

// A click left of the middle, where the text of a radio button or check box
// sits, so that the click lands on the control rather than beside it.
inline void click(QAbstractButton *button)
{
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, Qt::NoModifier,
                      button->rect().center() - QPoint(button->width() / 3, 0));
}

// Selects everything in a field and types text over it.
inline void replaceText(QWidget *field, const QString &text)
{
    ASSERT_NE(field, nullptr);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// Runs script on the modal dialog that opens next, from inside its event
// loop. A dialog still open when the limit runs out (a fault that keeps it
// open, or a script that stopped at a failed assertion) is a test failure
// and is closed, so the test goes on instead of waiting for the test
// runner's time-out. Arm it before the action that opens the dialog; the
// limit ends with this object.
class ModalScript
{
  public:
    explicit ModalScript(std::function<void(QDialog *)> script,
                         std::chrono::milliseconds limit = std::chrono::seconds(10))
    {
        QTimer::singleShot(0, &mContext, [this, script = std::move(script)] {
            mDialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            if (!mDialog) {
                ADD_FAILURE() << "no modal dialog opened";
                return;
            }
            mRan = true;
            script(mDialog);
        });
        mDeadline.setSingleShot(true);
        QObject::connect(&mDeadline, &QTimer::timeout, &mContext, [this, limit] {
            if (!mDialog || !mDialog->isVisible())
                return;
            ADD_FAILURE() << mDialog->windowTitle().toStdString() << " still open after " << limit.count()
                          << " ms";
            mDialog->done(QDialog::Rejected);
        });
        mDeadline.start(limit);
    }
    ModalScript(const ModalScript &) = delete;
    ModalScript &operator=(const ModalScript &) = delete;

    // Whether the script was given a dialog.
    bool ran() const { return mRan; }

  private:
    QObject mContext; // ends the timers' calls with this object
    QTimer mDeadline;
    QPointer<QDialog> mDialog;
    bool mRan = false;
};
