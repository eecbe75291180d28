#include "AboutDlg.h"

#include <QGridLayout>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

using namespace Qt::StringLiterals;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(u"About Transfer Manager"_s);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);

    auto* icon = new QLabel(this);
    icon->setPixmap(windowIcon().pixmap(32, 32));
    auto* name = new QLabel(u"Corvane\nTransfer Manager Version 1.0"_s, this);
    auto* ownership = new QLabel(u"Copyright \u00a9 Corvane. All rights reserved."_s, this);
    auto* ok = new QPushButton(u"OK"_s, this);
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);

    auto* grid = new QGridLayout(this);
    grid->setHorizontalSpacing(16);
    grid->addWidget(icon, 0, 0, 2, 1, Qt::AlignTop);
    grid->addWidget(name, 0, 1);
    grid->addWidget(ownership, 1, 1);
    grid->addWidget(ok, 0, 2, Qt::AlignTop);
    grid->setColumnStretch(1, 1);
    setMinimumWidth(352);
    setSizeGripEnabled(false);
    setFixedSize(sizeHint().expandedTo(QSize(352, 89)));
}
