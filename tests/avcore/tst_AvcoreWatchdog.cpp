#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstdio>

#include "Watchdog.h"

using namespace avcore;

namespace {

// c: create the hidden file, r: rename it onto out.avi, n: a new file takes
// the hidden name, d: release the watchdog, k: die by SIGKILL. Returning
// runs the watchdog's destructor, as avcore's normal exit does.
int ActAsAvcore(const QString& steps, const std::string& folder)
{
    Watchdog watchdog;
    if (!watchdog.start()) return 2;
    std::string made;
    for (const QChar step : steps) {
        const char c = step.toLatin1();
        if (c == 'c') {
            std::string pattern = folder + "/.avcore-XXXXXX.avi";
            const int fd = watchdog.createTemporary(pattern);
            if (fd < 0 || write(fd, "data", 4) != 4) return 3;
            made = pattern;
        } else if (c == 'r' && rename(made.c_str(), (folder + "/out.avi").c_str()) != 0) {
            return 4;
        } else if (c == 'n') {
            const int fd = open(made.c_str(), O_CREAT | O_EXCL | O_WRONLY, 0644);
            if (fd < 0) return 5;
            close(fd);
        } else if (c == 'd') {
            watchdog.release();
        } else if (c == 'k') {
            kill(getpid(), SIGKILL);
        }
    }
    return 0;
}

}  // namespace

// What avcore's watchdog leaves when avcore dies at each step of writing its
// output. avcore's death is a forked child killing itself with SIGKILL.
class TestAvcoreWatchdog : public QObject {
    Q_OBJECT

    static QStringList listing(const QString& folder)
    {
        return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The orphaned watchdog comes to us, so its end can be awaited.
        QCOMPARE(prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    }

    void avcoreDies_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QStringList>("left");

        // Steps as ActAsAvcore reads them; x: exit normally.
        QTest::newRow("killed while writing") << "ck" << QStringList{"before.txt"};
        QTest::newRow("killed while writing two files") << "cck" << QStringList{"before.txt"};
        QTest::newRow("exits without putting it in place") << "cx" << QStringList{"before.txt"};
        QTest::newRow("killed after the rename") << "crk" << QStringList{"before.txt", "out.avi"};
        QTest::newRow("killed after the rename, name taken again")
            << "crnk" << QStringList{".avcore-taken", "before.txt", "out.avi"};
        QTest::newRow("released") << "crdx" << QStringList{"before.txt", "out.avi"};
    }

    void avcoreDies()
    {
        QFETCH(QString, steps);
        QFETCH(QStringList, left);
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile before(dir.filePath("before.txt"));
        QVERIFY(before.open(QIODevice::WriteOnly));
        before.close();
        const std::string folder = dir.path().toStdString();

        const pid_t avcore = fork();
        QVERIFY(avcore >= 0);
        if (avcore == 0) _exit(ActAsAvcore(steps, folder));
        int status = 0;
        QCOMPARE(waitpid(avcore, &status, 0), avcore);
        QVERIFY2(!WIFEXITED(status) || WEXITSTATUS(status) == 0,
                 qPrintable(QString::number(WEXITSTATUS(status))));
        // Every process left of that run ends, and nothing is removed later.
        while (waitpid(-1, nullptr, 0) > 0 || errno == EINTR) {
        }
        QCOMPARE(errno, ECHILD);

        QStringList found = listing(dir.path());
        for (QString& name : found)
            if (name.startsWith(".avcore-") && steps.contains('n')) name = ".avcore-taken";
        QCOMPARE(found, left);
        if (left.contains("out.avi")) {
            QFile out(dir.filePath("out.avi"));
            QVERIFY(out.open(QIODevice::ReadOnly));
            QCOMPARE(out.readAll(), QByteArray("data"));
        }
    }
};

QTEST_GUILESS_MAIN(TestAvcoreWatchdog)
#include "tst_AvcoreWatchdog.moc"
