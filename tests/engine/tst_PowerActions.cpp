#include "engine/PowerActions.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include "MockSystemBus.h"

#include <unistd.h>

namespace {

const QString LogindService = "org.freedesktop.login1";
const QString ManagerPath = "/org/freedesktop/login1";
const QString SessionFolder = "/org/freedesktop/login1/session/";

QString CallText(const QString& method, const QVariantList& arguments)
{
    QStringList texts;
    for (const QVariant& argument : arguments)
        texts << argument.toString();
    return method + "(" + texts.join(", ") + ")";
}

}  // namespace

Q_DECLARE_METATYPE(TPowerResult)

// Names the result in a failed comparison.
char* toString(TPowerResult result)
{
    switch (result) {
        case TPowerResult::Done:
            return qstrdup("Done");
        case TPowerResult::Unavailable:
            return qstrdup("Unavailable");
        case TPowerResult::Failed:
            return qstrdup("Failed");
    }
    return qstrdup("?");
}

// ShutdownSystem against a mock logind (python3-dbusmock) on a bus of the
// test's own, so it runs without logind, without a session bus and as root.
class TestPowerActions : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    TMockSystemBus m_system{LogindService, "tst-power-actions-control"};

    QDBusMessage mockCall(const QString& path, const QString& method,
                          const QVariantList& arguments = {}) const
    {
        return m_system.mockCall(path, method, arguments);
    }

    // The calls the mock logged on an object since the last ClearCalls.
    QStringList loggedCalls(const QString& path) const
    {
        const QDBusMessage reply = mockCall(path, "GetCalls");
        if (reply.type() != QDBusMessage::ReplyMessage) return {"GetCalls failed"};
        const QDBusArgument log = reply.arguments().value(0).value<QDBusArgument>();
        QStringList calls;
        log.beginArray();
        while (!log.atEnd()) {
            qulonglong time = 0;
            QString method;
            QVariantList arguments;
            log.beginStructure();
            log >> time >> method >> arguments;
            log.endStructure();
            calls << CallText(method, arguments);
        }
        log.endArray();
        return calls;
    }

    void addMethod(const QString& name, const QString& inSignature, const QString& outSignature,
                   const QString& code) const
    {
        const QDBusMessage reply =
            mockCall(ManagerPath, "AddMethod", {QString(), name, inSignature, outSignature, code});
        QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (!m_system.available()) return;  // only the unreachable-bus test can run

        const QString failure = m_system.start({"--template", "logind"});
        QVERIFY2(failure.isEmpty(), qPrintable(failure));

        for (const QString& session : QStringList{"c7", "c9"})
            QCOMPARE(mockCall(ManagerPath, "AddSession",
                              {session, QString("seat0"), 1000u, QString("corin"), true})
                         .type(),
                     QDBusMessage::ReplyMessage);
    }

    void cleanupTestCase() { m_system.stop(); }

    void reachesLogind_data()
    {
        QTest::addColumn<int>("action");
        QTest::addColumn<bool>("pidInSession");
        QTest::addColumn<QString>("xdgSessionId");
        QTest::addColumn<QString>("refused");
        // "CanX=answer": what logind says when asked whether X is possible.
        QTest::addColumn<QString>("canAnswer");
        QTest::addColumn<TPowerResult>("result");
        QTest::addColumn<QStringList>("managerCalls");
        QTest::addColumn<QStringList>("terminated");

        const QString byPid = QString("GetSessionByPID(%1)").arg(::getpid());
        const TPowerResult done = TPowerResult::Done;
        const TPowerResult unavailable = TPowerResult::Unavailable;
        const TPowerResult failed = TPowerResult::Failed;
        QTest::newRow("1 powers off")
            << 1 << true << ""
            << ""
            << "" << done << QStringList{"CanPowerOff()", "PowerOff(false)"} << QStringList{};
        QTest::newRow("2 ends the own session")
            << 2 << true << "c9"
            << ""
            << "" << done << QStringList{byPid} << QStringList{"c7"};
        QTest::newRow("2 finds the session by XDG_SESSION_ID")
            << 2 << false << "c9"
            << ""
            << "" << done << QStringList{byPid, "GetSession(c9)"} << QStringList{"c9"};
        QTest::newRow("2 outside any session")
            << 2 << false << ""
            << ""
            << "" << failed << QStringList{byPid} << QStringList{};
        QTest::newRow("3 reboots")
            << 3 << true << ""
            << ""
            << "" << done << QStringList{"CanReboot()", "Reboot(false)"} << QStringList{};
        QTest::newRow("4 hibernates")
            << 4 << true << ""
            << ""
            << "" << done << QStringList{"CanHibernate()", "Hibernate(false)"} << QStringList{};
        QTest::newRow("5 suspends")
            << 5 << true << ""
            << ""
            << "" << done << QStringList{"CanSuspend()", "Suspend(false)"} << QStringList{};
        QTest::newRow("refused") << 1 << true << ""
                                 << "PowerOff"
                                 << "" << failed << QStringList{"CanPowerOff()", "PowerOff(false)"}
                                 << QStringList{};
        QTest::newRow("hibernate not available")
            << 4 << true << ""
            << ""
            << "CanHibernate=na" << unavailable << QStringList{"CanHibernate()"} << QStringList{};
        QTest::newRow("power off not allowed")
            << 1 << true << ""
            << ""
            << "CanPowerOff=no" << unavailable << QStringList{"CanPowerOff()"} << QStringList{};
        QTest::newRow("suspend not available")
            << 5 << true << ""
            << ""
            << "CanSuspend=na" << unavailable << QStringList{"CanSuspend()"} << QStringList{};
        // Allowed after authentication: worth asking, though logind may refuse.
        QTest::newRow("reboot needs authentication")
            << 3 << true << ""
            << ""
            << "CanReboot=challenge" << done << QStringList{"CanReboot()", "Reboot(false)"}
            << QStringList{};
        QTest::newRow("reboot refused for want of a password")
            << 3 << true << ""
            << "Reboot"
            << "CanReboot=challenge" << unavailable << QStringList{"CanReboot()", "Reboot(false)"}
            << QStringList{};
        QTest::newRow("another action unavailable")
            << 3 << true << ""
            << ""
            << "CanPowerOff=na" << done << QStringList{"CanReboot()", "Reboot(false)"}
            << QStringList{};
        QTest::newRow("0 leaves the system alone") << 0 << true << ""
                                                   << ""
                                                   << "" << done << QStringList{} << QStringList{};
        QTest::newRow("6 is unknown") << 6 << true << ""
                                      << ""
                                      << "" << unavailable << QStringList{} << QStringList{};
        QTest::newRow("-1 is unknown") << -1 << true << ""
                                       << ""
                                       << "" << unavailable << QStringList{} << QStringList{};
    }

    void reachesLogind()
    {
        if (!m_system.available()) QSKIP("python3-dbusmock is not installed");
        QFETCH(int, action);
        QFETCH(bool, pidInSession);
        QFETCH(QString, xdgSessionId);
        QFETCH(QString, refused);
        QFETCH(QString, canAnswer);
        QFETCH(TPowerResult, result);
        QFETCH(QStringList, managerCalls);
        QFETCH(QStringList, terminated);

        // Only this process's PID has a session, and only when the row says so.
        QString sessionByPid = QString(
                                   "if args[0] != %1:\n"
                                   "    raise dbus.exceptions.DBusException('no session', "
                                   "name='org.freedesktop.login1.NoSessionForPID')\n"
                                   "ret = '%2c7'\n")
                                   .arg(::getpid())
                                   .arg(SessionFolder);
        if (!pidInSession) sessionByPid.replace(" != ", " == ");
        addMethod("GetSessionByPID", "u", "o", sessionByPid);
        if (!refused.isEmpty())
            addMethod(refused, "b", "",
                      "raise dbus.exceptions.DBusException('denied', "
                      "name='org.freedesktop.DBus.Error.AccessDenied')");
        const QString check = canAnswer.section('=', 0, 0);
        if (!canAnswer.isEmpty())
            addMethod(check, "", "s", QString("ret = '%1'").arg(canAnswer.section('=', 1)));
        for (const QString& path :
             QStringList{ManagerPath, SessionFolder + "c7", SessionFolder + "c9"})
            QCOMPARE(mockCall(path, "ClearCalls").type(), QDBusMessage::ReplyMessage);
        if (xdgSessionId.isEmpty())
            qunsetenv("XDG_SESSION_ID");
        else
            qputenv("XDG_SESSION_ID", xdgSessionId.toUtf8());

        const TPowerResult outcome = ShutdownSystem(action);

        qunsetenv("XDG_SESSION_ID");
        if (!refused.isEmpty()) addMethod(refused, "b", "", "");
        if (!canAnswer.isEmpty()) addMethod(check, "", "s", "ret = 'yes'");
        QCOMPARE(loggedCalls(ManagerPath), managerCalls);
        QStringList ended;
        for (const QString& session : QStringList{"c7", "c9"}) {
            const QStringList sessionCalls = loggedCalls(SessionFolder + session);
            if (sessionCalls == QStringList{"Terminate()"})
                ended << session;
            else
                QCOMPARE(sessionCalls, QStringList{});
        }
        QCOMPARE(ended, terminated);
        QCOMPARE(outcome, result);
    }

    void unreachableBus()
    {
        const QByteArray saved = qgetenv("DBUS_SYSTEM_BUS_ADDRESS");
        qputenv("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + m_dir.filePath("no-bus").toUtf8());
        QList<int> notFailed;
        for (int action = 1; action <= 5; ++action)
            if (ShutdownSystem(action) != TPowerResult::Failed) notFailed << action;
        if (saved.isEmpty())
            qunsetenv("DBUS_SYSTEM_BUS_ADDRESS");
        else
            qputenv("DBUS_SYSTEM_BUS_ADDRESS", saved);
        QCOMPARE(notFailed, QList<int>{});
    }
};

QTEST_GUILESS_MAIN(TestPowerActions)
#include "tst_PowerActions.moc"
