// app/about_dialog.cpp
#include "app/about_dialog.h"

#include "platform/message_box.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDialog::CAboutDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About ") + AppName());
    setAutoFillBackground(true);
    QPalette light = palette();
    light.setColor(QPalette::Window, QColor(0xEB, 0xEB, 0xEB));
    setPalette(light);

    auto *picture = new QLabel(this);
    picture->setPixmap(QIcon(QStringLiteral(":/zelventa/zelventa-128.png")).pixmap(96, 96));
    auto *version = new QLabel(VersionLine(), this);
    version->setTextFormat(Qt::PlainText);
    auto *note = new QLabel(QStringLiteral("Puts one caption on a whole batch of photographs."), this);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *texts = new QVBoxLayout;
    texts->addStretch();
    texts->addWidget(version);
    texts->addWidget(note);
    texts->addStretch();
    auto *row = new QHBoxLayout;
    row->addWidget(picture);
    row->addSpacing(12);
    row->addLayout(texts);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 16, 16, 12);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

QString CAboutDialog::VersionLine()
{
    return QStringLiteral("Zelventa  Version 1.00 build 20040701");
}
