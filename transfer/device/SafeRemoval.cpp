#include "SafeRemoval.h"

#include <QAtomicInteger>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <unistd.h>

#include "TransferTexts.h"

using namespace Qt::Literals::StringLiterals;

namespace {

const QString Service = u"org.freedesktop.UDisks2"_s;
const QString ManagerPath = u"/org/freedesktop/UDisks2/Manager"_s;
const QString ManagerInterface = u"org.freedesktop.UDisks2.Manager"_s;
const QString BlockInterface = u"org.freedesktop.UDisks2.Block"_s;
const QString FilesystemInterface = u"org.freedesktop.UDisks2.Filesystem"_s;
const QString DriveInterface = u"org.freedesktop.UDisks2.Drive"_s;
const QString PropertiesInterface = u"org.freedesktop.DBus.Properties"_s;
// Unmounting waits for the stick to take the data still cached, and perhaps
// for the user to authenticate.
constexpr int CallTimeoutMs = 120000;

// A connection of its own for the one ejection, closed after it.
class SystemBus {
public:
    SystemBus()
        : m_name(u"ferrybox-eject-%1"_s.arg(s_serial.fetchAndAddRelaxed(1))),
          m_bus(QDBusConnection::connectToBus(address(), m_name))
    {
    }
    ~SystemBus() { QDBusConnection::disconnectFromBus(m_name); }
    Q_DISABLE_COPY_MOVE(SystemBus)

    bool connected() const { return m_bus.isConnected(); }
    QString lastError() const { return m_bus.lastError().message(); }

    QDBusMessage call(const QString& path, const QString& interface, const QString& method,
                      const QVariantList& arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(Service, path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, CallTimeoutMs);
    }

    QVariant property(const QString& path, const QString& interface, const QString& name)
    {
        const QDBusMessage reply = call(path, PropertiesInterface, u"Get"_s, {interface, name});
        if (reply.type() != QDBusMessage::ReplyMessage) return {};
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }

private:
    static QString address()
    {
        const QString fromEnvironment = qEnvironmentVariable("DBUS_SYSTEM_BUS_ADDRESS");
        return fromEnvironment.isEmpty() ? u"unix:path=/run/dbus/system_bus_socket"_s
                                         : fromEnvironment;
    }

    static inline QAtomicInteger<int> s_serial;
    QString m_name;
    QDBusConnection m_bus;
};

QList<QByteArray> mountPointsOf(const QVariant& value)
{
    if (value.canConvert<QDBusArgument>()) {
        QList<QByteArray> points;
        const QDBusArgument argument = value.value<QDBusArgument>();
        argument >> points;
        return points;
    }
    return value.value<QList<QByteArray>>();
}

// The block device whose file system is mounted at mountPoint; empty when none.
QString blockMountedAt(SystemBus& bus, const QByteArray& mountPoint, QDBusMessage& reply)
{
    reply = bus.call(ManagerPath, ManagerInterface, u"GetBlockDevices"_s, {QVariantMap()});
    if (reply.type() != QDBusMessage::ReplyMessage) return {};
    QList<QDBusObjectPath> blocks;
    const QVariant list = reply.arguments().value(0);
    if (list.canConvert<QDBusArgument>())
        list.value<QDBusArgument>() >> blocks;
    else
        blocks = list.value<QList<QDBusObjectPath>>();
    for (const QDBusObjectPath& block : std::as_const(blocks)) {
        const QList<QByteArray> points =
            mountPointsOf(bus.property(block.path(), FilesystemInterface, u"MountPoints"_s));
        for (QByteArray point : points) {
            // Mount points are sent with their terminating zero.
            while (point.endsWith('\0'))
                point.chop(1);
            if (point == mountPoint) return block.path();
        }
    }
    return {};
}

EjectOutcome outcomeOfError(const QDBusMessage& reply)
{
    const QString name = reply.errorName();
    EjectOutcome outcome;
    if (name == u"org.freedesktop.UDisks2.Error.DeviceBusy"_s) {
        outcome.result = EjectOutcome::Result::Busy;
        outcome.message = TransferText::EjectBusy;
    } else if (name.startsWith(u"org.freedesktop.UDisks2.Error.NotAuthorized"_s) ||
               name == u"org.freedesktop.DBus.Error.AccessDenied"_s) {
        outcome.result = EjectOutcome::Result::Refused;
        outcome.message = TransferText::EjectRefused.arg(reply.errorMessage());
    } else if (name == u"org.freedesktop.DBus.Error.ServiceUnknown"_s ||
               name == u"org.freedesktop.DBus.Error.NameHasNoOwner"_s) {
        outcome.result = EjectOutcome::Result::Unavailable;
        outcome.message = TransferText::EjectUnavailable.arg(reply.errorMessage());
    } else {
        outcome.result = EjectOutcome::Result::Failed;
        outcome.message = TransferText::EjectFailed.arg(reply.errorMessage());
    }
    return outcome;
}

}  // namespace

EjectOutcome EjectConsole(const QString& mountPoint)
{
    // What the stick still has to take is written now, so that the unmount
    // cannot stall on it without the user seeing why.
    const int fd =
        ::open(QFile::encodeName(mountPoint).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }

    SystemBus bus;
    if (!bus.connected())
        return {EjectOutcome::Result::Unavailable,
                TransferText::EjectUnavailable.arg(bus.lastError())};
    const QString point = QDir::cleanPath(mountPoint);
    QDBusMessage reply;
    const QString block = blockMountedAt(bus, QFile::encodeName(point), reply);
    if (reply.type() != QDBusMessage::ReplyMessage) return outcomeOfError(reply);
    if (block.isEmpty()) return {EjectOutcome::Result::NotFound, TransferText::EjectNotFound};
    const QString drive =
        bus.property(block, BlockInterface, u"Drive"_s).value<QDBusObjectPath>().path();

    reply = bus.call(block, FilesystemInterface, u"Unmount"_s, {QVariantMap()});
    if (reply.type() != QDBusMessage::ReplyMessage) return outcomeOfError(reply);
    if (drive.isEmpty() || drive == u"/"_s)
        return {EjectOutcome::Result::Unmounted,
                TransferText::EjectUnmountedOnly.arg(QString()).trimmed()};
    reply = bus.call(drive, DriveInterface, u"PowerOff"_s, {QVariantMap()});
    if (reply.type() != QDBusMessage::ReplyMessage)
        return {EjectOutcome::Result::Unmounted,
                TransferText::EjectUnmountedOnly.arg(reply.errorMessage())};
    return {EjectOutcome::Result::Done, TransferText::EjectDone};
}
