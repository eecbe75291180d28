#include "windows/TrayIcon.h"

#include <QMenu>
#include <QSystemTrayIcon>

using namespace Qt::StringLiterals;

namespace {

std::optional<bool>& AvailableOverride()
{
    static std::optional<bool> available;
    return available;
}

QSystemTrayIcon::MessageIcon BalloonIcon(TMessageIcon icon)
{
    switch (icon) {
        case TMessageIcon::Information:
            return QSystemTrayIcon::Information;
        case TMessageIcon::Warning:
            return QSystemTrayIcon::Warning;
        case TMessageIcon::Error:
            return QSystemTrayIcon::Critical;
        case TMessageIcon::Question:
            return QSystemTrayIcon::Information;
    }
    return QSystemTrayIcon::NoIcon;
}

}  // namespace

TTrayIcon::TTrayIcon(QObject* parent) : QObject(parent)
{
    setObjectName(u"TrayIcon"_s);
    m_icon = new QSystemTrayIcon(ProgramIcon(), this);
    connect(m_icon, &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
                if (reason == QSystemTrayIcon::DoubleClick) Q_EMIT DoubleClicked();
                if (reason == QSystemTrayIcon::Trigger) Q_EMIT Clicked();
            });
}

bool TTrayIcon::Available()
{
    if (AvailableOverride()) return *AvailableOverride();
    return QSystemTrayIcon::isSystemTrayAvailable();
}

void TTrayIcon::SetAvailableForTests(std::optional<bool> available)
{
    AvailableOverride() = available;
}

QIcon TTrayIcon::ProgramIcon() { return QIcon(u":/clipforge/clipforge.svg"_s); }

void TTrayIcon::SetHint(const QString& text)
{
    m_hint = text;
    m_icon->setToolTip(text);
}

void TTrayIcon::SetVisible(bool visible)
{
    m_visible = visible;
    // Without a notification area the icon would only draw a warning.
    m_icon->setVisible(visible && Available());
}

void TTrayIcon::ShowBalloon(const QString& title, const QString& text, TMessageIcon icon,
                            int seconds)
{
    m_balloonTitle = title;
    m_balloonText = text;
    if (Available()) m_icon->showMessage(title, text, BalloonIcon(icon), seconds * 1000);
}

void TTrayIcon::SetMenu(QMenu* menu) { m_icon->setContextMenu(menu); }
