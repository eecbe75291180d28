#include "MediaTools.h"
#include "ProgramCopy.h"
#include "TestFiles.h"
#include "profiles/DeviceProfiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QtTest>

namespace {

// Everything a shell could make of an unquoted name: a command after ';', a
// command substitution, a variable, quotes, a line break and non-ASCII.
const QString HostileName =
    "sp \"dq\" 'sq' $HOME `touch tickfile` ;touch semifile\nnl \u00e9t\u00e9.avi";
// Files the hostile name would create if it reached a shell unquoted.
const QStringList HostileCreations = {"tickfile", "semifile"};
// Taken as an option by any program that is given it as it stands.
const QString DashName = "-dash start.mp4";
// Its extension sends it through DirectShow.avs.
const QString ScriptRouteName = "clip.rmvb";

QString baseName(const QString& fileName) { return fileName.left(fileName.lastIndexOf('.')); }

QSet<QString> entries(const QString& folder)
{
    const QStringList list =
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    return QSet<QString>(list.begin(), list.end());
}

// Item titles start with the picture size they promise, as in "320x240 ...".
QSize sizeInTitle(const QString& title)
{
    static const QRegularExpression size("^(\\d+)x(\\d+)\\b");
    const QRegularExpressionMatch match = size.match(title);
    return match.hasMatch() ? QSize(match.captured(1).toInt(), match.captured(2).toInt()) : QSize();
}

// A frame rate "num/den" of ffprobe's at most the console's 30000/1001.
bool atMostNtscRate(const QString& rate)
{
    const QStringList parts = rate.split('/');
    return parts.size() == 2 && parts[1].toLongLong() > 0 &&
           parts[0].toLongLong() * 1001 <= 30000 * parts[1].toLongLong();
}

// The picture types of a video stream in display order, as one letter each.
QString pictureTypes(const QString& path)
{
    QByteArray out;
    runTool("ffprobe",
            {"-v", "error", "-select_streams", "v:0", "-show_entries", "frame=pict_type", "-of",
             "csv=p=0", "file:" + path},
            &out);
    return QString::fromLatin1(out).remove('\n').remove(',');
}

// The settings x264 writes into the stream ("x264 - core ... options: k=v k=v").
QMap<QString, QString> x264Options(const QByteArray& file)
{
    QMap<QString, QString> options;
    const qsizetype start = file.indexOf("x264 - core ");
    if (start < 0) return options;
    const QByteArray record = file.mid(start, file.indexOf('\0', start) - start);
    const qsizetype list = record.indexOf("options: ");
    if (list < 0) return options;
    for (const QByteArray& pair : record.mid(list + 9).split(' ')) {
        const qsizetype equals = pair.indexOf('=');
        if (equals > 0) options.insert(pair.left(equals), pair.mid(equals + 1));
    }
    return options;
}

// The title the console lists: in the psp container's own header, an "MTDT"
// box holds entries (16-bit size, 32-bit type, language, encoding, UTF-16
// text); type 1 is the title.
QString pspTitle(const QByteArray& file)
{
    const auto u16 = [&file](qsizetype at) {
        return quint16(quint8(file[at]) << 8 | quint8(file[at + 1]));
    };
    for (qsizetype box = file.indexOf("MTDT"); box >= 0; box = file.indexOf("MTDT", box + 4)) {
        if (box + 6 > file.size()) break;
        qsizetype entry = box + 6;
        for (int n = u16(box + 4); n > 0 && entry + 10 <= file.size(); --n) {
            const int size = u16(entry);
            if (size < 10 || entry + size > file.size()) break;
            if ((quint32(u16(entry + 2)) << 16 | u16(entry + 4)) == 1) {
                QString title;
                for (qsizetype at = entry + 10; at + 1 < entry + size && u16(at) != 0; at += 2)
                    title += QChar(u16(at));
                return title;
            }
            entry += size;
        }
    }
    return {};
}

// The shipped device profiles as the converter's menus list them.
TDeviceGroups shippedDevices(const QString& programFolder)
{
    TDeviceGroups groups;
    LoadDeviceProfiles(programFolder + "/profile_en/default_setting", groups);
    return groups;
}

}  // namespace

// clipforge-cli converts with the shipped profiles, device profiles and the
// built encoder; every result must be a file ffprobe reads, named after its
// source, and PSP items must give what the console plays.
class tst_CliConversions : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(!QStandardPaths::findExecutable("ffmpeg").isEmpty(), "ffmpeg is needed");
        QVERIFY2(!QStandardPaths::findExecutable("ffprobe").isEmpty(), "ffprobe is needed");
        QVERIFY(QFileInfo(m_program.cli()).isExecutable());
        QVERIFY(QFileInfo(m_program.path() + "/avcore.dll").isExecutable());
        QVERIFY(m_work.isValid());
        m_inputs = m_work.path() + "/in";
        QVERIFY(QDir().mkpath(m_inputs));
        QVERIFY(makeClip(m_inputs + "/" + HostileName, "320x240",
                         {"-c:v", "mpeg4", "-q:v", "3", "-c:a", "libmp3lame"}));
        QVERIFY(makeClip(m_inputs + "/" + DashName, "256x144",
                         {"-c:v", "mpeg4", "-q:v", "3", "-c:a", "aac"}));
        QVERIFY(makeClip(m_inputs + "/" + ScriptRouteName, "240x320",
                         {"-c:v", "rv10", "-b:v", "300k", "-c:a", "ac3", "-f", "rm"}));
        m_programEntries = entries(m_program.path());
    }

    // The format list's two fixed entries stand for the first two MP4 menu
    // entries, so the shipped device profiles must list in that order.
    void pspDevicesMatchFormatList()
    {
        const QList<TProfileItem> devices = shippedDevices(m_program.path()).Psp;
        QVERIFY(devices.size() >= 2);
        QCOMPARE(devices[0].Title, QString("PSP"));
        QCOMPARE(devices[1].Title, QString("PSP (Direct, renamed)"));
    }

    void everyFormat_data()
    {
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<bool>("video");
        // mp4 and 3gp use the first device profile's first item.
        const QList<std::tuple<const char*, const char*, bool>> formats = {
            {"avi", ".avi", true},  {"mp4", ".MP4", true},  {"3gp", ".3gp", true},
            {"mpeg", ".mpg", true}, {"mov", ".mov", true},  {"wmv", ".wmv", true},
            {"rm", ".rm", true},    {"swf", ".swf", true},  {"vob", ".vob", true},
            {"asf", ".asf", true},  {"aac", ".aac", false}, {"ac3", ".ac3", false},
            {"mp2", ".mp2", false}, {"mp3", ".mp3", false}, {"amr", ".amr", false},
            {"wav", ".wav", false},
        };
        for (const auto& [format, extension, video] : formats)
            QTest::newRow(format) << QString(format) << QString(extension) << video;
    }

    // The default profile of each format on three clips: a hostile name, a
    // name starting with '-' and one taking the DirectShow route.
    void everyFormat()
    {
        QFETCH(QString, format);
        QFETCH(QString, extension);
        QFETCH(bool, video);
        const QString output = m_work.path() + "/out-" + format;

        const ProgramCopy::Result run = m_program.run(
            {"--format", format, "--output", output, "--", HostileName, DashName, ScriptRouteName},
            m_inputs, 300000);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));

        QSet<QString> expected;
        for (const QString& input : {HostileName, DashName, ScriptRouteName}) {
            expected << baseName(input) + extension;
            // The console shows a video only with its thumbnail beside it.
            if (format == "mp4") expected << baseName(input) + ".THM";
        }
        QCOMPARE(entries(output), expected);
        // The console lists a video by its title: the source's name, also
        // where the encoder reads the source through the DirectShow script.
        if (format == "mp4")
            for (const QString& input : {HostileName, DashName, ScriptRouteName})
                QCOMPARE(pspTitle(readFile(output + "/" + baseName(input) + extension)),
                         baseName(input));
        for (const QString& name : expected) {
            const Probe result = probe(output + "/" + name);
            QVERIFY2(result.ok, qPrintable(name));
            if (name.endsWith(".THM")) continue;
            QVERIFY2(video ? !result.video.isEmpty() : result.video.isEmpty(), qPrintable(name));
            QVERIFY2(!result.audio.isEmpty(), qPrintable(name));
        }
        verifyNothingStray();
    }

    void pspItems_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("item");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("mpeg4");
        QTest::addColumn<bool>("renamed");
        const QList<TProfileItem> devices = shippedDevices(m_program.path()).Psp;
        for (int d = 0; d < devices.size() && d < 2; ++d) {
            const QList<TProfileDetailItem> items = LoadDeviceProfileItems(devices[d].FilePath);
            for (int i = 0; i < items.size(); ++i)
                QTest::addRow("%s / %s", qPrintable(devices[d].Title), qPrintable(items[i].Title))
                    << d << i << sizeInTitle(items[i].Title) << items[i].Title.contains(" MPEG-4 ")
                    << (d == 1);
        }
    }

    // Every item of both PSP device profiles makes what the console plays,
    // checked with ffprobe and with x264's own record of its settings: MPEG-4
    // Simple Profile without B-frames at 320x240 and at most 768 kbit/s with
    // AAC-LC 24 kHz stereo, or AVC Main profile at level 2.1 up to 76,800
    // pixels (3.0 above), at most 2 reference frames, 1 B-frame without
    // pyramid, no weighted P prediction, one slice, with AAC-LC 48 kHz stereo.
    // Always the psp container at most 29.97 fps, the source's name as its
    // title, and a 160x120 baseline JPEG thumbnail of the same name.
    void pspItems()
    {
        QFETCH(int, device);
        QFETCH(int, item);
        QFETCH(QSize, size);
        QFETCH(bool, mpeg4);
        QFETCH(bool, renamed);
        QVERIFY2(size.isValid(), "the item's title starts with its picture size");
        const QString output = m_work.path() + QString("/psp-%1-%2").arg(device).arg(item);

        const ProgramCopy::Result run = runItem("mp4", device, item, output, HostileName);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));

        const QStringList files = QDir(output).entryList(QDir::Files, QDir::Name);
        QCOMPARE(files.size(), 2);
        const QString movie = files[0];
        const QString thumbnail = files[1];
        QVERIFY2(movie.endsWith(".MP4") && thumbnail.endsWith(".THM"), qPrintable(files.join(',')));
        QCOMPARE(baseName(thumbnail), baseName(movie));
        // The console's folders: 100MNV01 takes M4Vnnnnn, 100ANV01 MAQnnnnn.
        if (renamed)
            QVERIFY2(QRegularExpression(mpeg4 ? "^M4V\\d{5}\\.MP4$" : "^MAQ\\d{5}\\.MP4$")
                         .match(movie)
                         .hasMatch(),
                     qPrintable(movie));
        else
            QCOMPARE(baseName(movie), baseName(HostileName));

        const QString moviePath = output + "/" + movie;
        const QByteArray bytes = readFile(moviePath);
        QCOMPARE(pspTitle(bytes), baseName(HostileName));
        const Probe mp4 = probe(moviePath);
        QVERIFY(mp4.ok);
        QCOMPARE(mp4.format.value("tags").toObject().value("major_brand").toString(),
                 QString("MSNV"));
        QCOMPARE(mp4.video.size(), 1);
        QCOMPARE(mp4.audio.size(), 1);
        const QJsonObject v = mp4.video[0];
        QCOMPARE(QSize(v.value("width").toInt(), v.value("height").toInt()), size);
        for (const char* rate : {"r_frame_rate", "avg_frame_rate"})
            QVERIFY2(atMostNtscRate(v.value(rate).toString()),
                     qPrintable(v.value(rate).toString()));
        const QString types = pictureTypes(moviePath);
        QVERIFY2(!types.isEmpty(), "ffprobe lists the pictures");
        const QJsonObject a = mp4.audio[0];
        QCOMPARE(a.value("codec_name").toString(), QString("aac"));
        QCOMPARE(a.value("profile").toString(), QString("LC"));
        QCOMPARE(a.value("channels").toInt(), 2);

        if (mpeg4) {
            QCOMPARE(v.value("codec_name").toString(), QString("mpeg4"));
            QCOMPARE(v.value("profile").toString(), QString("Simple Profile"));
            QCOMPARE(size, QSize(320, 240));
            QVERIFY2(!types.contains('B'), qPrintable(types));
            QVERIFY2(v.value("bit_rate").toString().toLongLong() <= 768000,
                     qPrintable(v.value("bit_rate").toString()));
            QCOMPARE(a.value("sample_rate").toString(), QString("24000"));
        } else {
            QCOMPARE(v.value("codec_name").toString(), QString("h264"));
            QCOMPARE(v.value("profile").toString(), QString("Main"));
            QCOMPARE(v.value("level").toInt(), size.width() * size.height() <= 76800 ? 21 : 30);
            QVERIFY2(!types.contains("BB"), qPrintable(types));
            const QMap<QString, QString> x264 = x264Options(bytes);
            QVERIFY2(!x264.isEmpty(), "x264 wrote its settings");
            QVERIFY2(x264.value("ref").toInt() >= 1 && x264.value("ref").toInt() <= 2,
                     qPrintable(x264.value("ref")));
            QVERIFY2(x264.value("bframes").toInt() <= 1, qPrintable(x264.value("bframes")));
            if (x264.value("bframes").toInt() > 0) QCOMPARE(x264.value("b_pyramid"), QString("0"));
            QCOMPARE(x264.value("weightp"), QString("0"));
            QCOMPARE(x264.value("sliced_threads"), QString("0"));
            QVERIFY2(x264.value("slices", "1").toInt() == 1, qPrintable(x264.value("slices")));
            QCOMPARE(a.value("sample_rate").toString(), QString("48000"));
        }

        const Probe thm = probe(output + "/" + thumbnail);
        QVERIFY(thm.ok);
        QCOMPARE(thm.video.size(), 1);
        QCOMPARE(thm.video[0].value("codec_name").toString(), QString("mjpeg"));
        QCOMPARE(thm.video[0].value("profile").toString(), QString("Baseline"));
        QCOMPARE(QSize(thm.video[0].value("width").toInt(), thm.video[0].value("height").toInt()),
                 QSize(160, 120));
        verifyNothingStray();
    }

    void phoneItems_data()
    {
        QTest::addColumn<int>("device");
        QTest::addColumn<int>("item");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<QSize>("size");
        const QList<TProfileItem> devices = shippedDevices(m_program.path()).Tgp;
        for (int d = 0; d < devices.size(); ++d) {
            const QList<TProfileDetailItem> items = LoadDeviceProfileItems(devices[d].FilePath);
            for (int i = 0; i < items.size(); ++i)
                QTest::addRow("%s / %s", qPrintable(devices[d].Title), qPrintable(items[i].Title))
                    << d << i << DeviceItemExt(items[i]) << sizeInTitle(items[i].Title);
        }
    }

    // Every item of the 3GP menu gives a video in the item's size with sound.
    void phoneItems()
    {
        QFETCH(int, device);
        QFETCH(int, item);
        QFETCH(QString, extension);
        QFETCH(QSize, size);
        QVERIFY2(size.isValid(), "the item's title starts with its picture size");
        const QString output = m_work.path() + QString("/phone-%1-%2").arg(device).arg(item);

        const ProgramCopy::Result run = runItem("3gp", device, item, output, DashName);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        const QString name = baseName(DashName) + "." + extension;
        QCOMPARE(entries(output), QSet<QString>{name});
        const Probe result = probe(output + "/" + name);
        QCOMPARE(result.video.size(), 1);
        QCOMPARE(
            QSize(result.video[0].value("width").toInt(), result.video[0].value("height").toInt()),
            size);
        QCOMPARE(result.audio.size(), 1);
    }

    // A file the encoder cannot read fails on its own: the files around it
    // convert, it leaves no output, and the exit status reports it.
    void damagedInputFailsAlone_data()
    {
        QTest::addColumn<QString>("format");
        QTest::newRow("composed call") << "mp3";
        QTest::newRow("device script") << "mp4";
    }

    void damagedInputFailsAlone()
    {
        QFETCH(QString, format);
        writeFile(m_inputs + "/damaged.avi", "RIFF\0\0\0\0AVI not really a video");
        const QString output = m_work.path() + "/damaged-" + format;
        const ProgramCopy::Result run = m_program.run(
            {"--format", format, "--output", output, "--", DashName, "damaged.avi", HostileName},
            m_inputs);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.contains("Failed 2/3: " + m_inputs + "/damaged.avi"), qPrintable(run.err));
        QVERIFY2(run.err.contains("Error"), qPrintable(run.err));
        const QString dash = baseName(DashName);
        const QString hostile = baseName(HostileName);
        const QSet<QString> expected =
            format == "mp3"
                ? QSet<QString>{dash + ".mp3", hostile + ".mp3"}
                : QSet<QString>{dash + ".MP4", dash + ".THM", hostile + ".MP4", hostile + ".THM"};
        QCOMPARE(entries(output), expected);
        verifyNothingStray();
    }

    // --info prints the media library's report of each file and fails for
    // a file that is not there or is no media.
    void info()
    {
        writeFile(m_inputs + "/notes.txt", "plain words, no media\n");
        const ProgramCopy::Result run =
            m_program.run({"--info", "--", DashName, "gone.avi", "notes.txt"}, m_inputs);
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.out.contains("-dash start.mp4") && run.out.contains("\nVideo\n") &&
                     run.out.contains("\nAudio\n"),
                 qPrintable(run.out));
        QVERIFY(!run.out.contains("notes.txt"));
        QCOMPARE(run.err, QString("gone.avi: No such file\nnotes.txt: Not a media file: the media "
                                  "library knows no format in it\n"));
    }

    // The console's container needs a sound track; a silent source gets one
    // from the encoder (here also shorter than the thumbnail's usual pick
    // would need).
    void pspSilentSource()
    {
        const QString input = m_inputs + "/silent.avi";
        QVERIFY(runTool("ffmpeg", {"-nostdin", "-v", "error", "-y", "-f", "lavfi", "-i",
                                   "testsrc=size=320x240:rate=25:duration=0.3", "-c:v", "mpeg4",
                                   "file:" + input}) == 0);
        const QString output = m_work.path() + "/psp-silent";
        const ProgramCopy::Result run =
            m_program.run({"--format", "mp4", "--output", output, "--", input}, m_inputs);
        QVERIFY2(run.exitCode == 0, qPrintable(run.out + run.err));
        QCOMPARE(entries(output), (QSet<QString>{"silent.MP4", "silent.THM"}));
        const Probe mp4 = probe(output + "/silent.MP4");
        QCOMPARE(mp4.video.size(), 1);
        QCOMPARE(mp4.audio.size(), 1);
        QCOMPARE(mp4.audio[0].value("codec_name").toString(), QString("aac"));
        QCOMPARE(mp4.audio[0].value("sample_rate").toString(), QString("24000"));
        QCOMPARE(mp4.audio[0].value("channels").toInt(), 2);
    }

    // A thumbnail already beside the new video's name is never replaced; the
    // file fails with an error line instead.
    void pspExistingThumbnailKept()
    {
        const QString output = m_work.path() + "/psp-taken";
        QVERIFY(QDir().mkpath(output));
        const QString taken = output + "/" + baseName(DashName) + ".THM";
        writeFile(taken, "keep");
        const ProgramCopy::Result run =
            m_program.run({"--format", "mp4", "--output", output, "--", DashName}, m_inputs);
        QVERIFY(run.exitCode != 0);
        QVERIFY2(QString(run.out + run.err).contains("Error"), qPrintable(run.out + run.err));
        QCOMPARE(readFile(taken), QByteArray("keep"));
        QCOMPARE(entries(output), QSet<QString>{baseName(DashName) + ".THM"});
        verifyNothingStray();
    }

private:
    // One input converted with one device item into a fresh folder.
    ProgramCopy::Result runItem(const QString& format, int device, int item, const QString& output,
                                const QString& input) const
    {
        return m_program.run({"--format", format, "--device", QString::number(device), "--item",
                              QString::number(item), "--output", output, "--", input},
                             m_inputs, 300000);
    }

    // The batch removes its temporary files, and no piece of the hostile name
    // ran as a command anywhere.
    void verifyNothingStray()
    {
        // The settings file is the only thing a run may add to the program folder.
        const QSet<QString> added = entries(m_program.path()) - m_programEntries;
        QVERIFY2(added.isEmpty() || added == QSet<QString>{"info.ini"},
                 qPrintable(QStringList(added.begin(), added.end()).join(", ")));
        for (const QString& root : {m_program.path(), m_work.path()}) {
            QDirIterator it(root, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
            while (it.hasNext())
                QVERIFY2(!HostileCreations.contains(QFileInfo(it.next()).fileName()),
                         qPrintable(it.filePath()));
        }
        for (const QString& name : HostileCreations)
            QVERIFY2(!QFileInfo::exists(QDir::current().filePath(name)), qPrintable(name));
    }

    ProgramCopy m_program;
    QTemporaryDir m_work;
    QString m_inputs;
    QSet<QString> m_programEntries;
};

QTEST_GUILESS_MAIN(tst_CliConversions)
#include "tst_CliConversions.moc"
