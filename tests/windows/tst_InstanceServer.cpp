#include "windows/InstanceServer.h"

#include <QLocalServer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <future>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A later start, in a thread of its own: it blocks while the first one's
// event loop, in the test's thread, answers.
std::future<bool> laterStart(const QString& socketPath, const QStringList& files)
{
    return std::async(std::launch::async, [=] {
        TInstanceServer later;
        return later.HandOverOrListen(socketPath, files);
    });
}

}  // namespace

class TestInstanceServer : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void fileArguments_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("relative") << QStringList{"a.avi", "sub/../b.avi"}
                                  << QStringList{"/work/a.avi", "/work/b.avi"};
        QTest::newRow("absolute") << QStringList{"/videos/a b.avi"}
                                  << QStringList{"/videos/a b.avi"};
        QTest::newRow("file URL from a file manager")
            << QStringList{"file:///videos/My%20%24clip%27s.avi"}
            << QStringList{"/videos/My $clip's.avi"};
        QTest::newRow("a leading dash after --")
            << QStringList{"--", "-x.avi"} << QStringList{"/work/-x.avi"};
        QTest::newRow("a name that only looks like a URL")
            << QStringList{"file:a.avi"} << QStringList{"/work/file:a.avi"};
        QTest::newRow("none") << QStringList{} << QStringList{};
    }

    void fileArguments()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, files);
        QCOMPARE(FileArguments(arguments, "/work"), files);
    }

    void socketPerProgramFolder()
    {
        const QString a = TInstanceServer::SocketPath(m_dir.filePath("a"));
        QCOMPARE(TInstanceServer::SocketPath(m_dir.filePath("a") + "/"), a);
        QVERIFY(TInstanceServer::SocketPath(m_dir.filePath("b")) != a);
    }

    // The first start listens; each later one hands its files over, names
    // with line breaks and all, and ends.
    void laterStartsHandTheirFilesOver()
    {
        const QString path = m_dir.filePath("first");
        TInstanceServer first;
        QSignalSpy arrived(&first, &TInstanceServer::FilesArrived);
        QVERIFY(!first.HandOverOrListen(path, {}));

        const QStringList files{"/v/line\nbreak.avi", "/v/ünïcode $`x`.avi"};
        auto later = laterStart(path, files);
        QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 1, 15000);
        QVERIFY(later.get());
        QCOMPARE(arrived.at(0).at(0).toStringList(), files);

        // A plain start brings the window up with no files.
        auto plain = laterStart(path, {});
        QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 2, 15000);
        QVERIFY(plain.get());
        QCOMPARE(arrived.at(1).at(0).toStringList(), QStringList());
    }

    // A converter that died left its socket behind: the next start listens
    // in its place.
    void staleSocketIsReplaced()
    {
        const QString path = m_dir.filePath("stale");
        const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        qstrncpy(address.sun_path, QFile::encodeName(path).constData(), sizeof address.sun_path);
        QCOMPARE(bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        close(fd);
        QVERIFY(QFileInfo::exists(path));

        TInstanceServer next;
        QSignalSpy arrived(&next, &TInstanceServer::FilesArrived);
        QVERIFY(!next.HandOverOrListen(path, {}));
        auto later = laterStart(path, {"/v/a.avi"});
        QTRY_COMPARE_WITH_TIMEOUT(arrived.size(), 1, 15000);
        QVERIFY(later.get());
    }
};

QTEST_GUILESS_MAIN(TestInstanceServer)
#include "tst_InstanceServer.moc"
