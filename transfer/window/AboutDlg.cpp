#include "AboutDlg.h"

#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "DialogUnits.h"

using namespace Qt::StringLiterals;

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(u"About Transfer Manager"_s);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    QFont dialogFont = font();
    dialogFont.setPixelSize(DialogFontPixels);
    setFont(dialogFont);
    setFixedSize(unitsX(235), unitsY(55));

    auto* icon = new QLabel(this);
    icon->setObjectName(u"AboutIcon"_s);
    icon->setGeometry(QRect(unitsX(11), unitsY(17), 32, 32));
    icon->setPixmap(windowIcon().pixmap(32, 32));
    auto* name = new QLabel(u"Corvane\nTransfer Manager Version 1.0"_s, this);
    name->setObjectName(u"AboutName"_s);
    name->setTextFormat(Qt::PlainText);
    name->setGeometry(unitsRect(40, 10, 119, 16));
    auto* ownership = new QLabel(u"Copyright \u00a9 Corvane"_s, this);
    ownership->setObjectName(u"AboutOwnership"_s);
    ownership->setTextFormat(Qt::PlainText);
    ownership->setGeometry(unitsRect(40, 30, 119, 8));
    auto* ok = new QPushButton(u"OK"_s, this);
    ok->setObjectName(u"AboutOk"_s);
    ok->setGeometry(unitsRect(178, 7, 50, 14));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}
