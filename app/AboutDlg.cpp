#include "AboutDlg.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("About ZeltoConverter"));
    setProperty("templateId", 100);
    auto* icon = new QLabel(this);
    icon->setPixmap(QIcon(QStringLiteral(":/zelto/ZeltoConverter.png")).pixmap(48, 48));
    auto* text = new QLabel(QStringLiteral("ZeltoConverter Version 1.0"), this);
    text->setObjectName(QStringLiteral("labelVersion"));
    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("buttonOk"));
    ok->setProperty("controlId", 1);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* row = new QHBoxLayout;
    row->addWidget(icon);
    row->addWidget(text, 1);
    row->addWidget(ok, 0, Qt::AlignTop);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    setLayout(layout);
}
