#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "MockSystemBus.h"
#include "SafeRemoval.h"
#include "TestFiles.h"

namespace {

const QString UDisks = "org.freedesktop.UDisks2";
const QString ManagerPath = "/org/freedesktop/UDisks2/Manager";
const QString StickPath = "/org/freedesktop/UDisks2/block_devices/sdb1";
const QString DiskPath = "/org/freedesktop/UDisks2/block_devices/sda1";
const QString DrivePath = "/org/freedesktop/UDisks2/drives/Sony_PSP";

// One method of a mock object: name, in and out signatures, Python code.
struct MockMethod {
    QString name, in, out, code;
};

QDBusArgument& operator<<(QDBusArgument& argument, const MockMethod& method)
{
    argument.beginStructure();
    argument << method.name << method.in << method.out << method.code;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, MockMethod& method)
{
    argument.beginStructure();
    argument >> method.name >> method.in >> method.out >> method.code;
    argument.endStructure();
    return argument;
}

// Mount points as UDisks2 sends them: aay, each with its terminating zero.
QVariant mountPoints(const QList<QByteArray>& points)
{
    QDBusArgument argument;
    argument.beginArray(QMetaType::fromType<QByteArray>());
    for (const QByteArray& point : points)
        argument << point + '\0';
    argument.endArray();
    return QVariant::fromValue(argument);
}

}  // namespace

Q_DECLARE_METATYPE(MockMethod)
Q_DECLARE_METATYPE(EjectOutcome::Result)

// EjectConsole against a mock UDisks2 (python3-dbusmock's object API) on a
// bus of the test's own, so it runs without a disk service and as root.
class TestSafeRemoval : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TMockSystemBus m_system{UDisks, "tst-safe-removal-control"};

    QDBusMessage mockCall(const QString& path, const QString& method,
                          const QVariantList& arguments = {}) const
    {
        return m_system.mockCall(path, method, arguments);
    }

    QString logPath() const { return m_dir.filePath("calls.log"); }

    // Python that notes the call in the log, in the order the service saw them.
    QString logging(const QString& call) const
    {
        return QString("open(%1, 'a').write(%2 + '\\n')")
            .arg(pythonString(logPath()), pythonString(call));
    }

    static QString pythonString(const QString& text)
    {
        return "'" + QString(text).replace("\\", "\\\\").replace("'", "\\'") + "'";
    }

    void addObject(const QString& path, const QString& interface, const QVariantMap& properties,
                   const QList<MockMethod>& methods)
    {
        const QDBusMessage reply = mockCall(
            ManagerPath, "AddObject", {path, interface, properties, QVariant::fromValue(methods)});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
    }

    void addInterface(const QString& path, const QString& interface, const QVariantMap& properties,
                      const QList<MockMethod>& methods)
    {
        const QDBusMessage reply = mockCall(path, "AddProperties", {interface, properties});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        addMethods(path, interface, methods);
    }

    // Adds methods, or replaces those of the same name.
    void addMethods(const QString& path, const QString& interface, const QList<MockMethod>& methods)
    {
        for (const MockMethod& method : methods) {
            const QDBusMessage reply = mockCall(
                path, "AddMethod", {interface, method.name, method.in, method.out, method.code});
            QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        }
    }

private Q_SLOTS:
    void initTestCase()
    {
        qDBusRegisterMetaType<MockMethod>();
        qDBusRegisterMetaType<QList<MockMethod>>();
        QVERIFY(m_dir.isValid());
        if (!m_system.available()) QSKIP("python3-dbusmock is not installed");

        const QString failure =
            m_system.start({UDisks, ManagerPath, "org.freedesktop.UDisks2.Manager"});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        // The computer's own disk, and the console's stick on its drive.
        const QDBusMessage reply =
            mockCall(ManagerPath, "AddMethod",
                     {QString("org.freedesktop.UDisks2.Manager"), QString("GetBlockDevices"),
                      QString("a{sv}"), QString("ao"),
                      QString(logging("GetBlockDevices") + "\nret = [dbus.ObjectPath('" + DiskPath +
                              "'), dbus.ObjectPath('" + StickPath + "')]")});
        QVERIFY2(reply.type() == QDBusMessage::ReplyMessage, qPrintable(reply.errorMessage()));
        addObject(DiskPath, "org.freedesktop.UDisks2.Block",
                  {{"Drive", QVariant::fromValue(QDBusObjectPath("/"))}}, {});
        addInterface(DiskPath, "org.freedesktop.UDisks2.Filesystem",
                     {{"MountPoints", mountPoints({"/", "/home"})}},
                     {{"Unmount", "a{sv}", "", logging("Unmount(sda1)")}});
        addObject(StickPath, "org.freedesktop.UDisks2.Block",
                  {{"Drive", QVariant::fromValue(QDBusObjectPath(DrivePath))}}, {});
        addInterface(StickPath, "org.freedesktop.UDisks2.Filesystem",
                     {{"MountPoints", mountPoints({"/media/u/PSP"})}}, {});
        addObject(DrivePath, "org.freedesktop.UDisks2.Drive", {}, {});
    }

    void cleanupTestCase() { m_system.stop(); }

    void eject_data()
    {
        QTest::addColumn<QString>("mountPoint");
        QTest::addColumn<QString>("unmount");   // Python of the stick's Unmount after logging
        QTest::addColumn<QString>("powerOff");  // Python of the drive's PowerOff after logging
        QTest::addColumn<EjectOutcome::Result>("result");
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("message");

        const QStringList all{"GetBlockDevices", "Unmount(sdb1)", "PowerOff(Sony_PSP)"};
        const QString raise = "raise dbus.exceptions.DBusException('%1', name='%2')";
        QTest::newRow("unmounted, then powered off")
            << "/media/u/PSP" << QString() << QString() << EjectOutcome::Result::Done << all
            << "The PSP can now be unplugged safely.";
        QTest::newRow("mount point given with a trailing separator")
            << "/media/u/PSP/" << QString() << QString() << EjectOutcome::Result::Done << all
            << "The PSP can now be unplugged safely.";
        QTest::newRow("busy: not powered off")
            << "/media/u/PSP"
            << raise.arg("Error unmounting /dev/sdb1: target is busy",
                         "org.freedesktop.UDisks2.Error.DeviceBusy")
            << QString() << EjectOutcome::Result::Busy << all.mid(0, 2)
            << "The PSP cannot be ejected while a program uses a file on it. Close that program "
               "and try again.";
        QTest::newRow("the desktop refuses")
            << "/media/u/PSP"
            << raise.arg("Not authorized to perform operation",
                         "org.freedesktop.UDisks2.Error.NotAuthorizedDismissed")
            << QString() << EjectOutcome::Result::Refused << all.mid(0, 2)
            << "The desktop refused to eject the PSP:\nNot authorized to perform operation";
        QTest::newRow("unmounted, power-off refused")
            << "/media/u/PSP" << QString()
            << raise.arg("Not authorized to power off",
                         "org.freedesktop.UDisks2.Error.NotAuthorized")
            << EjectOutcome::Result::Unmounted << all
            << "The PSP's memory stick was unmounted and can be unplugged, but its drive could "
               "not be switched off.\nNot authorized to power off";
        QTest::newRow("nothing mounted there")
            << "/media/u/other" << QString() << QString() << EjectOutcome::Result::NotFound
            << all.mid(0, 1)
            << "The PSP cannot be ejected here: the desktop's disk service does not know its "
               "drive.";
    }

    void eject()
    {
        QFETCH(QString, mountPoint);
        QFETCH(QString, unmount);
        QFETCH(QString, powerOff);
        QFETCH(EjectOutcome::Result, result);
        QFETCH(QStringList, calls);
        QFETCH(QString, message);
        if (!m_system.available()) QSKIP("python3-dbusmock is not installed");

        QFile::remove(logPath());
        // Each row sets the methods anew; AddMethod replaces one of the same name.
        addMethods(StickPath, "org.freedesktop.UDisks2.Filesystem",
                   {{"Unmount", "a{sv}", "", logging("Unmount(sdb1)") + "\n" + unmount}});
        addMethods(DrivePath, "org.freedesktop.UDisks2.Drive",
                   {{"PowerOff", "a{sv}", "", logging("PowerOff(Sony_PSP)") + "\n" + powerOff}});

        const EjectOutcome outcome = EjectConsole(mountPoint);
        QCOMPARE(outcome.message, message);
        QCOMPARE(outcome.result, result);
        QCOMPARE(QString::fromUtf8(readFile(logPath())).split('\n', Qt::SkipEmptyParts), calls);
    }

    void noDiskService()
    {
        if (!m_system.available()) QSKIP("python3-dbusmock is not installed");
        const QByteArray address = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS",
                "unix:path=" + QFile::encodeName(m_dir.filePath("none")));
        const EjectOutcome outcome = EjectConsole("/media/u/PSP");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address);
        QCOMPARE(outcome.result, EjectOutcome::Result::Unavailable);
        QVERIFY2(outcome.message.startsWith("The PSP cannot be ejected here: the desktop's disk "
                                            "service (UDisks2) is not available."),
                 qPrintable(outcome.message));
    }
};

QTEST_GUILESS_MAIN(TestSafeRemoval)
#include "tst_SafeRemoval.moc"
