#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>

#include <QRegularExpression>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>

#include "AvcoreHarness.h"
#include "FullDisk.h"

// What the converter sees when things go wrong, hostile file names, the
// console lines it parses, and where avcore finds ffmpeg.
class TestAvcoreFailures : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_clip;
    QString m_oddSizeClip;

    QString path(const QString& name) const { return m_dir.filePath(name); }

    static void write(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    static QByteArray read(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    // Starts avcore (through launcher, a command that runs its arguments,
    // when given) and reads its console until the first progress line.
    static QByteArray startUntilProgress(QProcess& process, const QStringList& args,
                                         const QStringList& launcher = {})
    {
        process.setProcessChannelMode(QProcess::MergedChannels);
        if (launcher.isEmpty())
            process.start(harness::avcorePath(), args);
        else
            process.start(launcher.first(),
                          launcher.mid(1) + QStringList{harness::avcorePath()} + args);
        QByteArray console;
        while (!console.contains(" time=") && process.waitForReadyRead(30000))
            console += process.readAll();
        return console;
    }

    // A process as /proc shows it: the fields after the name, from the state on.
    static QList<QByteArray> processFields(qint64 pid)
    {
        QFile f(QString("/proc/%1/stat").arg(pid));
        if (!f.open(QIODevice::ReadOnly)) return {};
        const QByteArray stat = f.readAll();
        return stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    }

    // Number and start time, so that a reused number is not taken for the
    // process.
    using ProcessId = QPair<qint64, QByteArray>;

    static QList<ProcessId> descendants(qint64 root)
    {
        QMultiHash<qint64, qint64> children;
        for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
            bool number = false;
            const qint64 pid = entry.toLongLong(&number);
            const QList<QByteArray> fields = number ? processFields(pid) : QList<QByteArray>();
            if (fields.size() > 19) children.insert(fields[1].toLongLong(), pid);
        }
        QList<ProcessId> found;
        QList<qint64> todo{root};
        while (!todo.isEmpty())
            for (qint64 child : children.values(todo.takeFirst())) {
                found.append({child, processFields(child).value(19)});
                todo.append(child);
            }
        return found;
    }

    // A zombie counts as gone: its parent may be an init that never reaps.
    static bool alive(const ProcessId& process)
    {
        const QList<QByteArray> fields = processFields(process.first);
        return fields.size() > 19 && fields[19] == process.second && fields[0] != "Z";
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_clip = path("clip.mp4");
        m_oddSizeClip = path("odd.mp4");
        QVERIFY(harness::makeClip(m_clip));
        QVERIFY(harness::makeClip(m_oddSizeClip, "160x120"));
        write(path("notmedia.avi"), "just some text, no media at all\n");
        write(path("empty.mp4"), "");
        QDir().mkpath(path("folder.avi"));
        write(path("nothing.avs"), "AviSource(\"clip.mp4\")\n");
        write(path("lost.avs"), "DirectShowSource(\"" + path("gone.avi").toUtf8() + "\")\n");
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.avi")).constData(), 0600), 0);
        QCOMPARE(::mkfifo(QFile::encodeName(path("fifo.avs")).constData(), 0600), 0);
        write(path("to fifo.avs"), "DirectShowSource(\"fifo.avi\")\n");
        write(path("to folder.avs"), "DirectShowSource(\"folder.avi\")\n");
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketPath = QFile::encodeName(path("socket.avi"));
        QVERIFY(socketPath.size() < int(sizeof address.sun_path));
        qstrcpy(address.sun_path, socketPath.constData());
        const int socket = ::socket(AF_UNIX, SOCK_STREAM, 0);
        QCOMPARE(::bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
        ::close(socket);
    }

    void badInput_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("cause");

        const QString avi = "-y -f avi -vcodec msmpeg4 -an";
        QTest::newRow("missing input")
            << path("nothere.avi") << avi << path("a.avi") << "No such file or directory";
        QTest::newRow("not media")
            << path("notmedia.avi") << avi << path("b.avi") << "not a media file";
        QTest::newRow("empty input")
            << path("empty.mp4") << avi << path("c.avi") << "not a media file";
        QTest::newRow("folder as input")
            << path("folder.avi") << avi << path("d.avi") << "is a folder";
        QTest::newRow("unknown codec") << m_clip << "-y -f avi -vcodec nosuchcodec" << path("e.avi")
                                       << "unknown codec 'nosuchcodec'";
        QTest::newRow("unknown format") << m_clip << "-y -f nosuchformat" << path("f.avi")
                                        << "unknown output format 'nosuchformat'";
        QTest::newRow("h263 size asked") << m_clip << "-y -f avi -vcodec h263 -s 320x240"
                                         << path("g.avi") << "not allowed for H.263";
        QTest::newRow("h263 size of the source")
            << m_oddSizeClip << "-y -f avi -vcodec h263" << path("h.avi")
            << "160x120 is not allowed for H.263";
        QTest::newRow("output folder missing")
            << m_clip << avi << path("none/i.avi") << "does not exist";
        // Root may write anywhere but into sysfs.
        QTest::newRow("output folder not writable")
            << m_clip << avi << (geteuid() == 0 ? QString("/sys/j.avi") : path("locked/j.avi"))
            << "Permission denied";
        QTest::newRow("script names no file")
            << path("nothing.avs") << avi << path("k.avi") << "names no input";
        QTest::newRow("script names a missing file")
            << path("lost.avs") << avi << path("l.avi") << "No such file or directory";
        QTest::newRow("value missing at the end") << m_clip << "-y -f avi -vcodec msmpeg4"
                                                  << "-ss"
                                                  << "option -ss needs a value";
        QTest::newRow("amr at the wrong rate")
            << m_clip << "-y -f amr -acodec amr_nb -ar 44100" << path("m.amr") << "8000 Hz mono";
        // The clip lasts one second: these ask for a part of it that holds nothing.
        QTest::newRow("start beyond the end")
            << m_clip << "-y -f avi  -t 0:00:01.000 -ss 0:00:30.000 -vcodec msmpeg4 -acodec mp2"
            << path("n.avi") << "nothing was converted";
        QTest::newRow("zero duration")
            << m_clip << "-y -f avi  -t 0:00:00.000 -ss 0:00:00.000 -vcodec msmpeg4 -an"
            << path("o.avi") << "length 0:00:00.000 is not a time above zero";
        QTest::newRow("amr, start beyond the end")
            << m_clip << "-y -f amr  -t 0:00:01.000 -ss 0:00:30.000 -vn -acodec amr_nb"
            << path("p.amr") << "nothing was converted";
        QTest::newRow("amr muxed, start beyond the end")
            << m_clip
            << "-y -f 3gp  -t 0:00:01.000 -ss 0:00:30.000 -vcodec h263 -s 176x144 -acodec amr_nb"
            << path("q.3gp") << "nothing was converted";
    }

    void badInput()
    {
        QFETCH(QString, input);
        QFETCH(QString, options);
        QFETCH(QString, output);
        QFETCH(QString, cause);
        QDir().mkpath(path("locked"));
        QFile::setPermissions(path("locked"), QFile::ReadOwner | QFile::ExeOwner);

        const harness::Run run = harness::runAvcore(
            QStringList{"-i", input} + options.split(QLatin1Char(0x20), Qt::SkipEmptyParts) +
            QStringList{output});
        QFile::setPermissions(path("locked"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QVERIFY(run.exitCode > 0);
        const QStringList errors = run.errorLines();
        QVERIFY2(errors.size() == 1, run.console.constData());
        QVERIFY2(errors.first().contains(cause), qPrintable(errors.first()));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(harness::leftovers(m_dir.path()), QStringList());
    }

    // Opening a FIFO waits for a writer and a device may never end: only
    // regular files are read, and anything else is refused at once.
    void nonRegularInput_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("cause");
        QTest::newRow("fifo") << path("fifo.avi") << "fifo.avi' is not a regular file";
        QTest::newRow("socket") << path("socket.avi") << "socket.avi' is not a regular file";
        QTest::newRow("character device") << "/dev/zero"
                                          << "'/dev/zero' is not a regular file";
        QTest::newRow("script is a fifo") << path("fifo.avs") << "fifo.avs' is not a regular file";
        QTest::newRow("script names a fifo")
            << path("to fifo.avs") << "fifo.avi' is not a regular file";
        QTest::newRow("script names a folder") << path("to folder.avs") << "is a folder";
    }

    void nonRegularInput()
    {
        QFETCH(QString, input);
        QFETCH(QString, cause);
        const QString output = path("from nothing.avi");
        QProcess process;
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.start(harness::avcorePath(),
                      {"-i", input, "-y", "-f", "avi", "-vcodec", "msmpeg4", output});
        // Well within the time ffmpeg would need to start at all.
        QVERIFY(process.waitForFinished(1000));
        const harness::Run run{process.exitCode(), process.readAll()};
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.errorLines().size() == 1, run.console.constData());
        QVERIFY2(run.errorLines().first().contains(cause), qPrintable(run.errorLines().first()));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(harness::leftovers(m_dir.path()), QStringList());
    }

    void existingOutput()
    {
        const QString output = path("existing.avi");
        write(output, "earlier file");
        const QStringList args{"-i", m_clip, "-f", "avi", "-vcodec", "msmpeg4", output};

        harness::Run run = harness::runAvcore(args);
        QVERIFY(run.exitCode > 0);
        QCOMPARE(run.errorLines().size(), 1);
        QVERIFY(run.errorLines().first().contains("already exists"));
        QCOMPARE(read(output), QByteArray("earlier file"));

        // A failing run with -y leaves the earlier file as it was.
        run =
            harness::runAvcore(QStringList{"-y"} + args.mid(0, 5) + QStringList{"nosuch", output});
        QVERIFY(run.exitCode > 0);
        QCOMPARE(read(output), QByteArray("earlier file"));

        run = harness::runAvcore(QStringList{"-y"} + args);
        QVERIFY2(run.exitCode == 0, run.console.constData());
        QCOMPARE(probe(output).video.value(0).value("codec_name").toString(), QString("msmpeg4v3"));
        QVERIFY(QFileInfo(output).permissions() & QFile::ReadOther);
        QCOMPARE(harness::leftovers(m_dir.path()), QStringList());
    }

    // A file size limit stands in for a full disk: the write fails part way.
    void fullDisk_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("output");
        QTest::newRow("through ffmpeg")
            << "-y -f vob -vcodec mpeg2video -s 720x576 -b 6000k" << path("full.vob");
        QTest::newRow("amr written by avcore")
            << "-y -f amr -acodec amr_wb -ab 24" << path("full.amr");
    }

    void fullDisk()
    {
        QFETCH(QString, options);
        QFETCH(QString, output);
        write(output, "earlier file");
        const harness::Run run = harness::runAvcore(
            QStringList{"-i", m_clip} + options.split(QLatin1Char(0x20)) + QStringList{output},
            QProcessEnvironment::systemEnvironment(), [] { FullDisk::inChild(2048); });
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.errorLines().size() == 1, run.console.constData());
        QVERIFY2(run.errorLines().first().contains("File too large"),
                 qPrintable(run.errorLines().first()));
        QCOMPARE(read(output), QByteArray("earlier file"));
        QCOMPARE(harness::leftovers(m_dir.path()), QStringList());
    }

    // /dev/full refuses every write with "no space left": a real full disk,
    // for ffmpeg's writes and for the AMR file avcore writes itself.
    void deviceFull_data()
    {
        QTest::addColumn<QString>("options");
        QTest::newRow("through ffmpeg") << "-y -f avi -vcodec msmpeg4 -an";
        QTest::newRow("amr written by avcore") << "-y -f amr -vn -acodec amr_nb";
    }

    void deviceFull()
    {
        QFETCH(QString, options);
        const harness::Run run =
            harness::runAvcore(QStringList{"-i", m_clip} + options.split(QLatin1Char(0x20)) +
                               QStringList{"/dev/full"});
        QVERIFY(run.exitCode > 0);
        QVERIFY2(run.errorLines().size() == 1, run.console.constData());
        QVERIFY2(run.errorLines().first().contains("the disk is full"),
                 qPrintable(run.errorLines().first()));
    }

    void hostileNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("blanks") << "with  blanks";
        QTest::newRow("single quote") << "it's";
        QTest::newRow("double quote") << "say \"hi\"";
        QTest::newRow("dollar") << "$HOME and ${PATH}";
        QTest::newRow("backquote") << "`touch pwned`";
        QTest::newRow("leading dash") << "-y -i";
        QTest::newRow("newline") << "two\nlines";
        QTest::newRow("non-ascii") << QString::fromUtf8("Ünïcødé 日本語");
        QTest::newRow("shell and url signs") << "a;b&c|d>e<f*g?h:i%j#k";
    }

    // Relative names from the working folder, so nothing shields a leading dash.
    void hostileNames()
    {
        QFETCH(QString, name);
        const QString input = name + ".mp4";
        const QString output = name + ".avi";
        QVERIFY(QFile::copy(m_clip, path(input)));
        const harness::Run run = harness::runAvcore(
            {"-i", input, "-y", "-f", "avi", "-vcodec", "msmpeg4", "-acodec", "mp3", output},
            QProcessEnvironment::systemEnvironment(), {}, m_dir.path());
        QVERIFY2(run.exitCode == 0, run.console.constData());
        QVERIFY(!QFile::exists(path("pwned")));
        const Probe probe = ::probe(path(output));
        QCOMPARE(probe.video.value(0).value("codec_name").toString(), QString("msmpeg4v3"));
        QCOMPARE(probe.audio.value(0).value("codec_name").toString(), QString("mp3"));
        QString shown = output;
        shown.replace('\n', '?');
        QVERIFY2(run.console.contains(QByteArray("to '" + shown.toUtf8() + "':")),
                 run.console.constData());
        QVERIFY(QFile::remove(path(input)));
    }

    void consoleLines()
    {
        const QString output = path("console.avi");
        const harness::Run run =
            harness::runAvcore({"-i", m_clip, "-y", "-f", "avi", "-vcodec", "msmpeg4", output});
        QVERIFY2(run.exitCode == 0, run.console.constData());
        const QString text = QString::fromUtf8(run.console);
        QVERIFY(text.contains(QRegularExpression("(^|\n)Input #0, [^\n]*, from '" +
                                                 QRegularExpression::escape(m_clip) + "':\n")));
        QVERIFY(text.contains("\n  Duration: 00:00:01.00, "));
        QVERIFY(text.contains("\nOutput #0, avi, to '" + output + "':\n"));
        // Progress: seconds after " time=", a blank after them, a CR at the end.
        const QRegularExpression progress(" time=(\\d+\\.\\d\\d) [^\r\n]*\r");
        auto it = progress.globalMatch(text);
        double last = -1;
        while (it.hasNext())
            last = it.next().captured(1).toDouble();
        QVERIFY2(qAbs(last - 1.0) < 0.1, qPrintable(text));
        QVERIFY(!text.contains(QRegularExpression(" time=\\d\\d:")));
        QVERIFY(run.errorLines().isEmpty());
    }

    // Tags are the file author's text: on the console they must not read as
    // error, progress or header lines.
    void tagsOfTheMedia()
    {
        const QString tagged = path("tagged.mp4");
        QCOMPARE(runTool("ffmpeg", {"-nostdin", "-v", "error", "-y", "-i", m_clip, "-c", "copy",
                                    "-metadata", "title=Could not open the door", "-metadata",
                                    "comment=one\nError: I/O error occured time=99.00 x\nInput "
                                    "#0, avi, from 'x.avi':",
                                    "file:" + tagged}),
                 0);
        const QString output = path("tagged.avi");
        const harness::Run run =
            harness::runAvcore({"-i", tagged, "-y", "-f", "avi", "-vcodec", "msmpeg4", output});
        QVERIFY2(run.exitCode == 0, run.console.constData());
        QVERIFY(run.errorLines().isEmpty());
        QVERIFY2(!run.console.contains("Could not open"), run.console.constData());
        QVERIFY(!run.console.contains("I/O error occured"));
        QVERIFY(!run.console.contains(" time=99"));
        QVERIFY(!run.console.contains("x.avi"));
        QVERIFY(run.console.contains("\n  Duration: "));
    }

    // The input seek keeps the asked start and length.
    void timeControl()
    {
        const QString output = path("piece.avi");
        const harness::Run run =
            harness::runAvcore({"-i", m_clip, "-y", "-f", "avi", "-t", "0:00:00.400", "-ss",
                                "0:00:00.400", "-vcodec", "mjpeg", "-an", output});
        QVERIFY2(run.exitCode == 0, run.console.constData());
        const Probe probe = ::probe(output);
        QCOMPARE(probe.video.value(0).value("nb_frames").toString(), QString("10"));
    }

    // An input without sound: an AMR track needs sound, so the 3GP goes
    // without; the psp container takes no video without a sound track, so it
    // gets a silent one.
    void silentInput_data()
    {
        QTest::addColumn<QString>("args");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("video");
        QTest::addColumn<QString>("audio");
        QTest::newRow("amr")
            << "-y -f 3gp -vcodec h263 -s 176x144 -acodec amr_nb -ac 1 -ar 8000 -ab 13"
            << "silent.3gp"
            << "h263"
            << "";
        QTest::newRow("psp") << "-y -f psp -vcodec mpeg4 -acodec aac -ar 24000 -ac 2"
                             << "silent.MP4"
                             << "mpeg4"
                             << "aac";
    }

    void silentInput()
    {
        QFETCH(QString, args);
        QFETCH(QString, output);
        QFETCH(QString, video);
        QFETCH(QString, audio);
        const QString silent = path("silent.mp4");
        QCOMPARE(runTool("ffmpeg", {"-nostdin", "-v", "error", "-y", "-i", m_clip, "-an", "-c:v",
                                    "copy", silent}),
                 0);
        const harness::Run run = harness::runAvcore(QStringList{"-i", silent} + args.split(' ') +
                                                    QStringList{path(output)});
        QVERIFY2(run.exitCode == 0, run.console.constData());
        QVERIFY(run.errorLines().isEmpty());
        const Probe probe = ::probe(path(output));
        QCOMPARE(probe.video.value(0).value("codec_name").toString(), video);
        if (audio.isEmpty()) {
            QVERIFY(probe.audio.isEmpty());
        } else {
            QCOMPARE(probe.audio.size(), 1);
            QCOMPARE(probe.audio[0].value("codec_name").toString(), audio);
        }
        QVERIFY(harness::leftovers(m_dir.path()).isEmpty());
    }

    void scriptInput_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("quotes") << "via \"script\".mp4";
        // A quote followed by a parenthesis or a comma inside the name.
        QTest::newRow("quote before parenthesis") << "take (\"final\"), cut \").mp4";
    }

    void scriptInput()
    {
        QFETCH(QString, name);
        const QString source = path(name);
        QVERIFY(QFile::copy(m_clip, source));
        const QString script = path("DirectShow.avs");
        write(script, "DirectShowSource(\"" + source.toUtf8() + "\", fps=25, audio=true)\n");
        const QString output = path(QString("from script, ") + QTest::currentDataTag() + ".mp3");
        const harness::Run run = harness::runAvcore(
            {"-i", script, "-y", "-f", "mp3", "-vn", "-acodec", "mp3", "-ab", "128", output});
        QVERIFY2(run.exitCode == 0, run.console.constData());
        QVERIFY(run.console.contains(QByteArray("from '" + script.toUtf8() + "':")));
        QCOMPARE(probe(output).audio.value(0).value("codec_name").toString(), QString("mp3"));
    }

    void findsFfmpeg()
    {
        const QString ffmpeg = QStandardPaths::findExecutable("ffmpeg");
        QVERIFY(!ffmpeg.isEmpty());
        const QString wrapper = path("my ffmpeg");
        write(wrapper,
              "#!/bin/sh\n: > \"${0%/*}/wrapper used\"\nexec '" + ffmpeg.toUtf8() + "' \"$@\"\n");
        QFile::setPermissions(wrapper, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PATH", path("nothing here"));
        env.insert("CLIPFORGE_FFMPEG", wrapper);
        harness::Run run =
            harness::runAvcore({"-i", m_clip, "-y", "-f", "wav", "-vn", path("found.wav")}, env);
        QVERIFY2(run.exitCode == 0, run.console.constData());
        QVERIFY(QFile::exists(path("wrapper used")));

        env.insert("CLIPFORGE_FFMPEG", path("no such ffmpeg"));
        run = harness::runAvcore({"-i", m_clip, "-y", "-f", "wav", "-vn", path("lost.wav")}, env);
        QVERIFY(run.exitCode > 0);
        QCOMPARE(run.errorLines().size(), 1);
        QVERIFY(run.errorLines().first().contains("ffmpeg was not found"));
        QVERIFY(!QFile::exists(path("lost.wav")));
    }

    // Stopping avcore stops ffmpeg and leaves no partial file.
    void stopped()
    {
        const QString output = path("stopped.avi");
        QProcess process;
        QByteArray console = startUntilProgress(
            process, {"-f", "lavfi", "-i", "testsrc=size=640x480:rate=25:duration=600", "-y", "-f",
                      "avi", "-vcodec", "mjpeg", output});
        QVERIFY2(console.contains(" time="), console.constData());
        ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        QVERIFY(process.waitForFinished(30000));
        console += process.readAll();
        QVERIFY(process.exitCode() > 0);
        QVERIFY(console.contains("\nError: the conversion was stopped"));
        QVERIFY(!QFile::exists(output));
        QCOMPARE(harness::leftovers(m_dir.path()), QStringList());
    }

    // The converter's "Stop now" kills avcore's whole process group with
    // SIGKILL, so avcore cannot clean up itself.
    void killed_data()
    {
        QTest::addColumn<QString>("options");
        QTest::addColumn<QString>("output");
        const QString sound = "-f lavfi -i sine=sample_rate=44100:duration=600 ";
        const QString amr = " -acodec amr_nb -ac 1 -ar 8000 -ab 12";
        QTest::newRow("through ffmpeg")
            << "-f lavfi -i testsrc=size=640x480:rate=25:duration=600 -y -f avi -vcodec mjpeg"
            << "killed.avi";
        QTest::newRow("amr written by avcore") << sound + "-y -f amr" + amr << "killed.amr";
        QTest::newRow("amr muxed by ffmpeg")
            << "-f lavfi -i testsrc=size=176x144:rate=25:duration=600 " + sound +
                   "-y -f 3gp -vcodec h263 -s 176x144" + amr
            << "killed.3gp";
    }

    void killed()
    {
        QFETCH(QString, options);
        QFETCH(QString, output);
        QTemporaryDir folder(path("killed-XXXXXX"));
        QVERIFY(folder.isValid());
        const QString target = folder.filePath(output);
        write(target, "earlier file");
        const QStringList before = QDir(folder.path()).entryList(QDir::Files | QDir::Hidden);

        QProcess process;
        // Its own process group, as the converter starts it.
        process.setChildProcessModifier([] { ::setsid(); });
        const QByteArray console =
            startUntilProgress(process, options.split(QLatin1Char(0x20)) + QStringList{target});
        QVERIFY2(console.contains(" time="), console.constData());

        const auto group = static_cast<pid_t>(process.processId());
        const QList<ProcessId> run =
            QList<ProcessId>{{group, processFields(group).value(19)}} + descendants(group);
        QCOMPARE(::kill(-group, SIGKILL), 0);
        QVERIFY(process.waitForFinished(30000));

        const auto clean = [&] {
            return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden) == before &&
                   std::none_of(run.begin(), run.end(), alive);
        };
        // The watchdog cleans up a moment after avcore's death.
        static_cast<void>(QTest::qWaitFor(clean, 10000));
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden), before);
        for (const ProcessId& left : run)
            QVERIFY2(!alive(left), qPrintable(QString::number(left.first)));
        QCOMPARE(read(target), QByteArray("earlier file"));
    }

    // The converter or a device profile's shell dies, even by SIGKILL: avcore
    // and its ffmpeg end with it, and no orphan puts a file in place later.
    void parentKilled_data() { killed_data(); }

    void parentKilled()
    {
        QFETCH(QString, options);
        QFETCH(QString, output);
        QTemporaryDir folder(path("orphaned-XXXXXX"));
        QVERIFY(folder.isValid());
        QProcess parent;
        // A shell that stays avcore's parent, as a profile's script does.
        const QByteArray console = startUntilProgress(
            parent, options.split(QLatin1Char(0x20)) + QStringList{folder.filePath(output)},
            {"/bin/sh", "-c", "\"$@\" & wait", "sh"});
        QVERIFY2(console.contains(" time="), console.constData());

        const QList<ProcessId> run = descendants(parent.processId());
        QVERIFY(run.size() >= 3);  // avcore, its watchdog and ffmpeg
        const auto reap = qScopeGuard([&run] {
            for (const ProcessId& left : run)
                if (alive(left)) ::kill(static_cast<pid_t>(left.first), SIGKILL);
        });
        QCOMPARE(::kill(static_cast<pid_t>(parent.processId()), SIGKILL), 0);
        QVERIFY(parent.waitForFinished(30000));

        const auto clean = [&] {
            return QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).isEmpty() &&
                   std::none_of(run.begin(), run.end(), alive);
        };
        QVERIFY(QTest::qWaitFor(clean, 5000));
        QTest::qWait(1000);
        QVERIFY(clean());
    }

    // A file another run made at the output name meanwhile stays; one that was
    // there at the start is replaced, as -y asks.
    void outputTakenMeanwhile_data()
    {
        QTest::addColumn<bool>("takenBefore");
        QTest::addColumn<bool>("replaced");
        QTest::newRow("taken during the conversion") << false << false;
        QTest::newRow("there at the start") << true << true;
    }

    void outputTakenMeanwhile()
    {
        QFETCH(bool, takenBefore);
        QFETCH(bool, replaced);
        QTemporaryDir folder(path("taken-XXXXXX"));
        QVERIFY(folder.isValid());
        const QString target = folder.filePath("taken.avi");
        if (takenBefore) write(target, "other run's file");

        QProcess process;
        // -re: two seconds of real time, so the file appears mid-conversion.
        QByteArray console = startUntilProgress(
            process, {"-re", "-f", "lavfi", "-i", "testsrc=size=176x144:rate=25:duration=2", "-y",
                      "-f", "avi", "-vcodec", "mjpeg", target});
        QVERIFY2(console.contains(" time="), console.constData());
        if (!takenBefore) write(target, "other run's file");
        QVERIFY(process.waitForFinished(30000));
        const harness::Run run{process.exitCode(), console + process.readAll()};

        if (replaced) {
            QVERIFY2(run.exitCode == 0, run.console.constData());
            QCOMPARE(probe(target).video.value(0).value("codec_name").toString(), QString("mjpeg"));
        } else {
            QVERIFY(run.exitCode > 0);
            QVERIFY2(run.errorLines().size() == 1, run.console.constData());
            QVERIFY2(run.errorLines().first().contains("appeared during the conversion"),
                     qPrintable(run.errorLines().first()));
            QCOMPARE(read(target), QByteArray("other run's file"));
        }
        QCOMPARE(harness::leftovers(folder.path()), QStringList());
    }
};

QTEST_GUILESS_MAIN(TestAvcoreFailures)
#include "tst_AvcoreFailures.moc"
