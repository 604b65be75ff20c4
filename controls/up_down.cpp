// controls/up_down.cpp
#include "controls/up_down.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QToolButton *arrowButton(Qt::ArrowType arrow, QWidget *parent)
{
    auto *button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    button->setFixedWidth(18);
    return button;
}

} // namespace

CUpDown::CUpDown(QWidget *parent)
    : QWidget(parent)
    , mUp(arrowButton(Qt::UpArrow, this))
    , mDown(arrowButton(Qt::DownArrow, this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(mUp);
    layout->addWidget(mDown);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    connect(mUp, &QToolButton::clicked, this, [this] { Step(1); });
    connect(mDown, &QToolButton::clicked, this, [this] { Step(-1); });
}

void CUpDown::SetBuddy(QLineEdit *field)
{
    if (mBuddy)
        mBuddy->removeEventFilter(this);
    mBuddy = field;
    if (mBuddy)
        mBuddy->installEventFilter(this);
}

void CUpDown::SetRange(int lower, int upper)
{
    mLower = std::min(lower, upper);
    mUpper = std::max(lower, upper);
    mPos = std::clamp(mPos, mLower, mUpper);
}

void CUpDown::SetPos(int position, bool writeBuddy)
{
    mPos = std::clamp(position, mLower, mUpper);
    if (mBuddy && writeBuddy)
        mBuddy->setText(QString::number(mPos));
}

void CUpDown::Step(int delta)
{
    if (mBuddy) {
        // Start from what the field shows, as far as it is a number.
        bool ok = false;
        const int shown = mBuddy->text().trimmed().toInt(&ok);
        if (ok)
            mPos = std::clamp(shown, mLower, mUpper);
    }
    SetPos(mPos + delta);
    emit valueChanged(mPos);
}

bool CUpDown::eventFilter(QObject *watched, QEvent *event)
{
    // The type first: while the field is being destroyed, comparing it with
    // the guarded pointer would cast an object that is no longer a QLineEdit.
    if (event->type() == QEvent::KeyPress && watched == mBuddy && isEnabled()) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            Step(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
