#pragma once

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <utility>

// A system bus of the test's own with one python3-dbusmock service on it, so
// D-Bus clients run without the real service, without a session bus and as
// root. The bus's address is put into DBUS_SYSTEM_BUS_ADDRESS.
class TMockSystemBus {
public:
    static constexpr int TimeoutMs = 30000;
    static inline const QString MockInterface = QStringLiteral("org.freedesktop.DBus.Mock");

    TMockSystemBus(QString service, QString controlName)
        : m_service(std::move(service)), m_control(std::move(controlName))
    {
        m_python = pythonWithDbusmock();
    }

    ~TMockSystemBus() { stop(); }

    void stop()
    {
        QDBusConnection::disconnectFromBus(m_control);
        for (QProcess* process : {&m_mock, &m_bus}) {
            if (process->state() == QProcess::NotRunning) continue;
            process->kill();
            process->waitForFinished(TimeoutMs);
        }
    }

    // False where python3-dbusmock is not installed: the caller skips.
    bool available() const { return !m_python.isEmpty(); }

    // Starts the bus, then `python3 -m dbusmock --system mockArguments...`;
    // empty on success, otherwise what went wrong.
    QString start(const QStringList& mockArguments)
    {
        if (!m_dir.isValid()) return QStringLiteral("no temporary folder");
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (daemon.isEmpty()) return QStringLiteral("dbus-daemon is not installed");
        QFile config(m_dir.filePath(QStringLiteral("bus.conf")));
        if (!config.open(QIODevice::WriteOnly)) return config.errorString();
        config.write(
            QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration "
                "1.0//EN\" \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig>\n"
                "  <listen>unix:path=%1</listen>\n"
                "  <auth>EXTERNAL</auth>\n"
                "  <policy context=\"default\">\n"
                "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                "    <allow eavesdrop=\"true\"/>\n"
                "    <allow own=\"*\"/>\n"
                "  </policy>\n"
                "</busconfig>\n")
                .arg(m_dir.filePath(QStringLiteral("system_bus_socket")))
                .toUtf8());
        config.close();

        m_bus.start(daemon, {QStringLiteral("--config-file=") + config.fileName(),
                             QStringLiteral("--nofork"), QStringLiteral("--nopidfile"),
                             QStringLiteral("--print-address")});
        if (!m_bus.waitForStarted(TimeoutMs)) return m_bus.errorString();
        // The address is printed once the bus listens.
        if (!QTest::qWaitFor([this] { return m_bus.canReadLine() || !running(m_bus); }, TimeoutMs))
            return QStringLiteral("the bus printed no address");
        const QString address = QString::fromUtf8(m_bus.readLine()).trimmed();
        if (address.isEmpty()) return QString::fromLocal8Bit(m_bus.readAllStandardError());
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address);
        m_mock.setProcessEnvironment(environment);
        m_mock.start(m_python, QStringList{QStringLiteral("-m"), QStringLiteral("dbusmock"),
                                           QStringLiteral("--system")} +
                                   mockArguments);
        if (!m_mock.waitForStarted(TimeoutMs)) return m_mock.errorString();
        const QDBusConnection control = QDBusConnection::connectToBus(address, m_control);
        if (!control.isConnected()) return control.lastError().message();
        const auto registered = [&] {
            return control.interface()->isServiceRegistered(m_service).value();
        };
        if (!QTest::qWaitFor([&] { return registered() || !running(m_mock); }, TimeoutMs) ||
            !registered())
            return QString::fromLocal8Bit(m_mock.readAllStandardError());
        return {};
    }

    // A call of the mock's own interface on one of its objects.
    QDBusMessage mockCall(const QString& path, const QString& method,
                          const QVariantList& arguments = {}) const
    {
        QDBusMessage message =
            QDBusMessage::createMethodCall(m_service, path, MockInterface, method);
        message.setArguments(arguments);
        return QDBusConnection(m_control).call(message, QDBus::Block, TimeoutMs);
    }

private:
    static bool running(const QProcess& process) { return process.state() != QProcess::NotRunning; }

    static QString pythonWithDbusmock()
    {
        QStringList candidates = {QStringLiteral("/usr/bin/python3")};
        const QString onPath = QStandardPaths::findExecutable(QStringLiteral("python3"));
        if (!onPath.isEmpty()) candidates << onPath;
        for (const QString& python : std::as_const(candidates)) {
            QProcess probe;
            probe.start(python, {QStringLiteral("-c"), QStringLiteral("import dbusmock")});
            if (probe.waitForFinished(TimeoutMs) && probe.exitStatus() == QProcess::NormalExit &&
                probe.exitCode() == 0)
                return python;
        }
        return {};
    }

    QTemporaryDir m_dir;
    QProcess m_bus;
    QProcess m_mock;
    QString m_python;
    const QString m_service;
    const QString m_control;
};
