#include "engine/PowerActions.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QString>
#include <QVariant>

#include <iterator>
#include <optional>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString LogindService = QStringLiteral("org.freedesktop.login1");
const QString ManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString ManagerInterface = QStringLiteral("org.freedesktop.login1.Manager");
const QString SessionInterface = QStringLiteral("org.freedesktop.login1.Session");

// logind answers at once when it takes a request; a stuck bus must not keep
// the program hanging at the end of a batch.
constexpr int CallTimeoutMs = 5000;

enum class Target { Program, Manager, OwnSession };

struct PowerAction {
    Target target;
    const char* method;
    // logind's question whether the method would be allowed now.
    const char* check;
};

// Indexed by the action, in the order of the Settings list, its captions
// beside them. 2 is "Log off": it ends the session, never the machine.
constexpr PowerAction PowerActions[] = {
    {Target::Program, nullptr, nullptr},             // MSG_CLOSE_APP
    {Target::Manager, "PowerOff", "CanPowerOff"},    // MSG_SHUTDOWN
    {Target::OwnSession, "Terminate", nullptr},      // MSG_LOGOFF
    {Target::Manager, "Reboot", "CanReboot"},        // MSG_RESTART
    {Target::Manager, "Hibernate", "CanHibernate"},  // MSG_HIBERNATE
    {Target::Manager, "Suspend", "CanSuspend"},      // MSG_SUSPEMD
};

// A connection of its own, opened for the call and closed after it: the shared
// system-bus connection fixes the bus address at first use and stays open for
// the whole run, while this call comes once, at the end of a batch.
class SystemBus {
public:
    SystemBus()
        : m_name(QStringLiteral("clipforge-power-%1").arg(s_serial.fetchAndAddRelaxed(1))),
          m_bus(QDBusConnection::connectToBus(address(), m_name))
    {
    }
    ~SystemBus() { QDBusConnection::disconnectFromBus(m_name); }
    Q_DISABLE_COPY_MOVE(SystemBus)

    // The reply, or nothing when the call failed or was refused.
    std::optional<QDBusMessage> call(const QString& path, const QString& interface,
                                     const QString& method, const QVariantList& arguments = {})
    {
        if (!m_bus.isConnected()) return std::nullopt;
        QDBusMessage message =
            QDBusMessage::createMethodCall(LogindService, path, interface, method);
        message.setArguments(arguments);
        QDBusMessage reply = m_bus.call(message, QDBus::Block, CallTimeoutMs);
        if (reply.type() != QDBusMessage::ReplyMessage) return std::nullopt;
        return reply;
    }

private:
    static QString address()
    {
        const QString fromEnvironment = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        return fromEnvironment.isEmpty() ? QStringLiteral("unix:path=/run/dbus/system_bus_socket")
                                         : fromEnvironment;
    }

    static inline QAtomicInteger<int> s_serial;
    QString m_name;
    QDBusConnection m_bus;
};

QString ObjectPathOf(const std::optional<QDBusMessage>& reply)
{
    if (!reply) return {};
    return reply->arguments().value(0).value<QDBusObjectPath>().path();
}

// The session this process runs in; a process started outside one (a user
// service, say) still knows it from the environment the login set.
QString OwnSessionPath(SystemBus& bus)
{
    const QString byPid =
        ObjectPathOf(bus.call(ManagerPath, ManagerInterface, QStringLiteral("GetSessionByPID"),
                              {QVariant::fromValue(static_cast<quint32>(::getpid()))}));
    if (!byPid.isEmpty()) return byPid;
    const QString sessionId = qEnvironmentVariable("XDG_SESSION_ID");
    if (sessionId.isEmpty()) return {};
    return ObjectPathOf(
        bus.call(ManagerPath, ManagerInterface, QStringLiteral("GetSession"), {sessionId}));
}

}  // namespace

TPowerResult ShutdownSystem(int action)
{
    if (action < 0 || action >= int(std::size(PowerActions))) return TPowerResult::Unavailable;
    const PowerAction& entry = PowerActions[action];
    const QString method = QString::fromLatin1(entry.method);
    switch (entry.target) {
        case Target::Program:
            QCoreApplication::quit();
            return TPowerResult::Done;
        case Target::Manager: {
            SystemBus bus;
            const std::optional<QDBusMessage> answer =
                bus.call(ManagerPath, ManagerInterface, QString::fromLatin1(entry.check));
            if (!answer) return TPowerResult::Failed;
            // "yes" and "challenge" (allowed after authentication) are worth the
            // request; a machine without swap or with the action disabled says
            // "na" or "no", and asking anyway would only be refused.
            const QString can = answer->arguments().value(0).toString();
            if (can == u"no"_s || can == u"na"_s) return TPowerResult::Unavailable;
            // interactive = false: no password prompt at an unattended batch end,
            // so an action that needs one is refused: not allowed now, rather
            // than a manager that failed to answer.
            if (bus.call(ManagerPath, ManagerInterface, method, {false})) return TPowerResult::Done;
            return can == u"challenge"_s ? TPowerResult::Unavailable : TPowerResult::Failed;
        }
        case Target::OwnSession: {
            SystemBus bus;
            const QString session = OwnSessionPath(bus);
            return !session.isEmpty() && bus.call(session, SessionInterface, method)
                       ? TPowerResult::Done
                       : TPowerResult::Failed;
        }
    }
    return TPowerResult::Failed;
}
