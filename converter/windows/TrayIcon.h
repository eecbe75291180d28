#pragma once

#include "engine/ProgressView.h"

#include <QIcon>
#include <QObject>
#include <QString>

#include <optional>

class QMenu;
class QSystemTrayIcon;

// The program's icon in the desktop's notification area. Hidden unless the
// program has been sent there. Where the desktop has none, every call still
// works and balloons are only remembered.
class TTrayIcon : public QObject {
    Q_OBJECT

public:
    explicit TTrayIcon(QObject* parent = nullptr);

    // Whether this desktop has a notification area at all.
    static bool Available();
    // Lets tests decide Available(); nothing restores the desktop's answer.
    static void SetAvailableForTests(std::optional<bool> available);

    // The program's picture, shared with its windows.
    static QIcon ProgramIcon();

    void SetHint(const QString& text);
    QString Hint() const { return m_hint; }

    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    void SetVisible(bool visible);
    bool Visible() const { return m_visible; }

    void ShowBalloon(const QString& title, const QString& text, TMessageIcon icon, int seconds);
    QString LastBalloonTitle() const { return m_balloonTitle; }
    QString LastBalloonText() const { return m_balloonText; }

    // The menu the icon opens; it stays the caller's.
    void SetMenu(QMenu* menu);

Q_SIGNALS:
    void DoubleClicked();
    // A single click: some desktops never report double clicks on the icon.
    void Clicked();

private:
    QSystemTrayIcon* m_icon = nullptr;
    QString m_hint;
    QString m_balloonTitle;
    QString m_balloonText;
    bool m_visible = false;
};
