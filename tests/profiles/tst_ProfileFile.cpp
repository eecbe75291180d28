#include "IniFile.h"
#include "MessageTable.h"
#include "ProfileFields.h"
#include "ProfileFile.h"
#include "ProfileRecords.h"
#include "globals.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <sys/resource.h>
#include <csignal>

class TestProfileFile : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString path(const QString& name = "profile.ini") const { return m_dir.filePath(name); }

    static void writeText(const QString& file, const QByteArray& text)
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
    }

    static QByteArray readBytes(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Every field of a format's record as key=value, in file order.
    static QStringList snapshot(int format)
    {
        const ProfileRecord* table = ProfileRecordOf(format);
        QStringList values;
        for (const ProfileField& field : table->fields)
            values << field.key + '=' + FieldText(field, table->record);
        return values;
    }

    static QString field(int format, const QString& key)
    {
        const ProfileRecord* table = ProfileRecordOf(format);
        const ProfileField* f = FindProfileField(*table, key);
        return f ? FieldText(*f, table->record) : "<no such field>";
    }

    static QStringList keysOf(const QString& file, const QString& section = "General")
    {
        QStringList keys;
        for (const auto& [key, value] : IniFile(file).sectionValues(section))
            keys << key;
        return keys;
    }

    static QStringList tableKeys(int format)
    {
        QStringList keys;
        for (const ProfileField& f : ProfileRecordOf(format)->fields)
            keys << f.key;
        return keys;
    }

private Q_SLOTS:
    void init()
    {
        QDir(m_dir.path()).removeRecursively();
        QDir().mkpath(m_dir.path());
    }

    void mp3DefaultFile()
    {
        ResetProfileSettings(ofMP3);
        SaveProfileSettings(ofMP3, path());
        QCOMPARE(readBytes(path()), QByteArray("[General]\n"
                                               "Description=No Description\n"
                                               "EnableTimeControl=0\n"
                                               "Duration=0:00:00.000\n"
                                               "StartTime=0:00:00.000\n"
                                               "AudioCodec=0\n"
                                               "AudioBitRateUseAutoSetMp3=0\n"
                                               "AudioBitRatePresetMp3=128\n"
                                               "AudioSampleRateMp3=2\n"
                                               "AudioChannelsMp3=1\n"));
    }

    // Each row: a run of keys that a saved file of the format holds in this order.
    void keyOrder_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("run");
        QTest::newRow("MPEG type fields")
            << int(ofMPEG)
            << QStringList{"Description", "TargetFormat", "PresetType", "UsePresetFormats",
                           "EnableTimeControl"};
        QTest::newRow("MPEG ends with the DVD group")
            << int(ofMPEG) << QStringList{"AudioChannelsMp3",          "DVDVideoBitRateUsePresert",
                                          "DVDVideoBitRatePreset",     "DVDVideoBitRateSpecify",
                                          "DVDVideoKeepAspect",        "DVDVideoAspect",
                                          "DVDAudioBitRateUseAutoSet", "DVDAudioBitRatePreset"};
        QTest::newRow("3GP head") << int(of3GP)
                                  << QStringList{"Description",       "TgpFormat",
                                                 "EnableTimeControl", "Duration",
                                                 "StartTime",         "VideoCodecNokia",
                                                 "VideoCodecSony",    "VideoSameQuality",
                                                 "AudioCodecNokia",   "AudioCodecSony",
                                                 "AudioDisableAudio", "VideoBitRateUsePresertDivX"};
        QTest::newRow("3GP writes H263 after XviD")
            << int(of3GP) << QStringList{"VideoAspectXviD",        "VideoBitRateUsePresertH263",
                                         "VideoBitRatePresetH263", "VideoBitRateSpecifyH263",
                                         "VideoWidthH263",         "VideoHeightH263",
                                         "VideoKeepFrameRateH263", "VideoFrameRateH263",
                                         "VideoAspectH263",        "AudioBitRateUseAutoSetAACMp4"};
        QTest::newRow("RM") << int(ofRM)
                            << QStringList{"Description",
                                           "EnableTimeControl",
                                           "Duration",
                                           "StartTime",
                                           "AudioCodec",
                                           "AudioDisableAudio",
                                           "VideoCodec",
                                           "VideoSameQuality",
                                           "VideoBitRatePresetRm10",
                                           "VideoBitRateSpecifyRm10",
                                           "VideoBitRateUsePresertRm10",
                                           "VideoSizeUseSourceRm10",
                                           "VideoWidthRm10",
                                           "VideoHeightRm10",
                                           "VideoKeepFrameRateRm10",
                                           "VideoFrameRateRm10",
                                           "VideoAspectRm10",
                                           "AudioBitRateUseAutoSetAC3",
                                           "AudioBitRatePresetAC3",
                                           "AudioSampleRateAC3",
                                           "AudioChannelsAC3"};
        for (const int format : {int(ofWMV), int(ofSWF), int(ofASF), int(ofVOB)})
            QTest::addRow("selection of format %d", format)
                << format
                << QStringList{"StartTime", "VideoCodec", "VideoSameQuality", "AudioCodec",
                               "AudioDisableAudio"};
        QTest::newRow("AVI H263 group has no source size")
            << int(ofAVI)
            << QStringList{"VideoAspectMsMpeg4v2", "VideoBitRateUsePresertH263",
                           "VideoBitRatePresetH263", "VideoBitRateSpecifyH263", "VideoWidthH263"};
        QTest::newRow("AVI audio groups")
            << int(ofAVI) << QStringList{"VideoAspectFlv",        "AudioBitRateUseAutoSetAC3",
                                         "AudioBitRatePresetAC3", "AudioSampleRateAC3",
                                         "AudioChannelsAC3",      "AudioBitRateUseAutoSetMp2",
                                         "AudioBitRatePresetMp2", "AudioSampleRateMp2",
                                         "AudioChannelsMp2",      "AudioBitRateUseAutoSetMp3",
                                         "AudioBitRatePresetMp3", "AudioSampleRateMp3",
                                         "AudioChannelsMp3",      "AudioSampleRatePcm16le",
                                         "AudioChannelsPcm16le",  "AudioSampleRatePcmu8",
                                         "AudioChannelsPcmu8"};
        QTest::newRow("MOV audio groups")
            << int(ofMOV)
            << QStringList{
                   "AudioChannelsAACMp4",         "AudioSampleRateAlaw",     "AudioChannelsAlaw",
                   "AudioBitRateUseAutoSetArmnb", "AudioBitRatePresetArmnb", "AudioSampleRateArmnb",
                   "AudioChannelsArmnb",          "AudioSampleRatePcm16le",  "AudioChannelsPcm16le",
                   "AudioSampleRatePcm16be",      "AudioChannelsPcm16be"};
    }
    void keyOrder()
    {
        QFETCH(int, format);
        QFETCH(QStringList, run);
        ResetProfileSettings(format);
        SaveProfileSettings(format, path());
        const QStringList keys = keysOf(path());
        QCOMPARE(keys, tableKeys(format));
        const qsizetype start = keys.indexOf(run.first());
        QVERIFY2(start >= 0, qPrintable(run.first()));
        QCOMPARE(keys.mid(start, run.size()), run);
    }

    // Defaults that a slip in a table would change unnoticed by the argument tests.
    void defaults_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        QTest::newRow("AVI H263 width") << int(ofAVI) << "VideoWidthH263"
                                        << "352";
        QTest::newRow("AVI DV source size") << int(ofAVI) << "VideoSizeUseSourceDV"
                                            << "1";
        QTest::newRow("AVI PCM rate") << int(ofAVI) << "AudioSampleRatePcmu8"
                                      << "3";
        QTest::newRow("MP4 PSP rate") << int(ofMP4) << "AudioSampleRateAACPsp"
                                      << "0";
        QTest::newRow("3GP H263 frame rate") << int(of3GP) << "VideoFrameRateH263"
                                             << "1";
        QTest::newRow("3GP XviD preset") << int(of3GP) << "VideoBitRateSpecifyXviD"
                                         << "96";
        QTest::newRow("3GP AMR channels") << int(of3GP) << "AudioChannelsArmwb"
                                          << "0";
        QTest::newRow("MPEG-2 frame rate") << int(ofMPEG) << "VideoFrameRateMpeg2"
                                           << "8";
        QTest::newRow("MPEG DVD audio") << int(ofMPEG) << "DVDAudioBitRatePreset"
                                        << "384";
        QTest::newRow("MPEG DVD aspect") << int(ofMPEG) << "DVDVideoAspect"
                                         << "1";
        QTest::newRow("MOV AMR rate") << int(ofMOV) << "AudioBitRatePresetArmnb"
                                      << "8";
        QTest::newRow("WMV auto audio") << int(ofWMV) << "AudioBitRateUseAutoSetMp3"
                                        << "1";
        QTest::newRow("VOB frame rate") << int(ofVOB) << "VideoFrameRateMpeg2"
                                        << "3";
        QTest::newRow("VOB MP2 rate") << int(ofVOB) << "AudioBitRatePresetMp2"
                                      << "320";
        QTest::newRow("AAC rate") << int(ofAAC) << "AudioSampleRateAACMp4"
                                  << "6";
        QTest::newRow("WAV rate") << int(ofWAV) << "AudioSampleRatePcmu8"
                                  << "6";
        QTest::newRow("time") << int(ofWAV) << "StartTime"
                              << "0:00:00.000";
    }
    void defaults()
    {
        QFETCH(int, format);
        QFETCH(QString, key);
        QFETCH(QString, value);
        ResetProfileSettings(format);
        QCOMPARE(field(format, key), value);
    }

    void descriptionFollowsTheLanguage()
    {
        const QString language = path("french.ini");
        writeText(language, "[LANGRES]\nMSG_NO_DESCRIPTION=Pas de description\n");
        LoadLanguage(language);
        ResetProfileSettings(ofAVI);
        ResetMessageTable();
        QCOMPARE(AVISettings.Description, "Pas de description");
    }

    // Distinct values in every field survive a save and a load, so no two
    // fields share a place or a key.
    void roundTrip_data()
    {
        QTest::addColumn<int>("format");
        for (int format = 0; format < OutputFormatCount; ++format)
            QTest::addRow("format %d", format) << format;
    }
    void roundTrip()
    {
        QFETCH(int, format);
        const ProfileRecord* table = ProfileRecordOf(format);
        QVERIFY(table);
        ResetProfileSettings(format);
        QStringList expected;
        int n = 0;
        for (const ProfileField& f : table->fields) {
            ++n;
            QString value;
            switch (f.kind) {
                case FieldKind::Text:
                    value = QString("text %1").arg(n);
                    break;
                case FieldKind::Flag:
                    value = f.defaultValue ? "0" : "1";
                    break;
                case FieldKind::Index:
                    value = QString::number(n % 250 + 3);
                    break;
                case FieldKind::Number:
                    value = QString::number(-1000 - n);
                    break;
            }
            QVERIFY(SetFieldFromText(f, table->record, value));
            expected << f.key + '=' + value;
        }
        QCOMPARE(snapshot(format), expected);
        SaveProfileSettings(format, path());
        ResetProfileSettings(format);
        LoadProfileSettings(format, path());
        QCOMPARE(snapshot(format), expected);
    }

    void missingKeysKeepTheirValues_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("description only") << QByteArray("[General]\nDescription=Just this\n");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("other section") << QByteArray("[Other]\nVideoCodec=3\n");
        QTest::newRow("no file") << QByteArray("<none>");
    }
    void missingKeysKeepTheirValues()
    {
        QFETCH(QByteArray, content);
        ResetProfileSettings(ofAVI);
        AVISettings.VideoCodec = 5;
        AVISettings.Mp3.AudioBitRatePreset = 320;
        AVISettings.Duration = "0:00:07.000";
        const QStringList before = snapshot(ofAVI);
        if (content != "<none>") writeText(path(), content);
        LoadProfileSettings(ofAVI, path());
        QStringList after = snapshot(ofAVI);
        if (content.contains("Just this")) {
            QCOMPARE(after.takeFirst(), "Description=Just this");
            after.prepend(before.first());
        }
        QCOMPARE(after, before);
    }

    void readValues_data()
    {
        QTest::addColumn<QByteArray>("line");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        // After a reset: VideoCodec 0, AudioCodec 1, VideoSameQuality 0,
        // VideoBitRatePresetDivX 1080.
        QTest::newRow("hex 0x") << QByteArray("VideoCodec=0x0A") << "VideoCodec"
                                << "10";
        QTest::newRow("hex 0X") << QByteArray("VideoCodec=0X0a") << "VideoCodec"
                                << "10";
        QTest::newRow("hex $") << QByteArray("VideoCodec=$A") << "VideoCodec"
                               << "10";
        QTest::newRow("bare 0x") << QByteArray("VideoCodec=0x") << "VideoCodec"
                                 << "0";
        QTest::newRow("index 256") << QByteArray("AudioCodec=256") << "AudioCodec"
                                   << "0";
        QTest::newRow("index 257") << QByteArray("VideoCodec=257") << "VideoCodec"
                                   << "1";
        QTest::newRow("index -1") << QByteArray("AudioCodec=-1") << "AudioCodec"
                                  << "255";
        QTest::newRow("flag 2") << QByteArray("VideoSameQuality=2") << "VideoSameQuality"
                                << "1";
        QTest::newRow("flag -1") << QByteArray("VideoSameQuality=-1") << "VideoSameQuality"
                                 << "1";
        QTest::newRow("flag 256") << QByteArray("VideoSameQuality=256") << "VideoSameQuality"
                                  << "1";
        QTest::newRow("flag abc") << QByteArray("VideoSameQuality=abc") << "VideoSameQuality"
                                  << "0";
        QTest::newRow("negative number")
            << QByteArray("VideoBitRatePresetDivX=-12") << "VideoBitRatePresetDivX"
            << "-12";
        QTest::newRow("number with blanks")
            << QByteArray("VideoBitRatePresetDivX=  42  ") << "VideoBitRatePresetDivX"
            << "42";
        QTest::newRow("number with tail")
            << QByteArray("VideoBitRatePresetDivX=12abc") << "VideoBitRatePresetDivX"
            << "1080";
        QTest::newRow("empty number")
            << QByteArray("VideoBitRatePresetDivX=") << "VideoBitRatePresetDivX"
            << "1080";
        QTest::newRow("hex all bits")
            << QByteArray("VideoBitRatePresetDivX=$FFFFFFFF") << "VideoBitRatePresetDivX"
            << "-1";
        QTest::newRow("key without case")
            << QByteArray("videobitratepresetdivx=64") << "VideoBitRatePresetDivX"
            << "64";
        QTest::newRow("leading blanks")
            << QByteArray("Description=   padded text  ") << "Description"
            << "padded text";
        QTest::newRow("double quotes") << QByteArray("Description=\" quoted \"") << "Description"
                                       << " quoted ";
        QTest::newRow("single quotes") << QByteArray("Description='single'") << "Description"
                                       << "single";
        QTest::newRow("empty text") << QByteArray("Duration=") << "Duration"
                                    << "";
        QTest::newRow("non-ASCII text")
            << QByteArray("Description=Vid\xc3\xa9o $HOME `x` \"") << "Description"
            << "Vid\u00e9o $HOME `x` \"";
    }
    void readValues()
    {
        QFETCH(QByteArray, line);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        ResetProfileSettings(ofAVI);
        writeText(path(), "[general]\n" + line + "\n");
        LoadProfileSettings(ofAVI, path());
        QCOMPARE(field(ofAVI, key), expected);
    }

    void saveKeepsForeignKeysAndOrder()
    {
        writeText(path(),
                  "; kept\n"
                  "[Other]\n"
                  "VideoCodec=9\n"
                  "\n"
                  "[general]\n"
                  "Extra=keep me\n"
                  "audiocodec = 3\n"
                  "Description=old\n"
                  "\n"
                  "[Tail]\n"
                  "X=1\n");
        ResetProfileSettings(ofAVI);
        SaveProfileSettings(ofAVI, path());

        const QStringList lines = QString::fromUtf8(readBytes(path())).split('\n');
        QCOMPARE(lines.mid(0, 8),
                 (QStringList{"; kept", "[Other]", "VideoCodec=9", "", "[general]", "Extra=keep me",
                              "audiocodec=1", "Description=No Description"}));
        QCOMPARE(lines.mid(lines.size() - 4), (QStringList{"", "[Tail]", "X=1", ""}));

        QStringList expected = tableKeys(ofAVI);
        expected.removeOne("AudioCodec");
        expected.removeOne("Description");
        expected = QStringList{"Extra", "audiocodec", "Description"} + expected;
        QCOMPARE(keysOf(path()), expected);
        QCOMPARE(IniFile(path()).value("Other", "VideoCodec"), "9");
    }

    void refusedWriteInMissingFolder()
    {
        const QString target = m_dir.filePath("missing/profile.avo");
        ResetProfileSettings(ofAVI);
        QString error;
        try {
            SaveProfileSettings(ofAVI, target);
        } catch (const IniWriteError& e) {
            error = e.text();
        }
        QCOMPARE(error, "Unable to write to " + target);
        QVERIFY(!QFile::exists(target));
    }

    // A full disk stops the save at the key that no longer fits; every key
    // before it is in the file with its value.
    void refusedWriteKeepsEarlierKeys()
    {
        ResetProfileSettings(ofAVI);
        AVISettings.VideoCodec = 6;
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit oldLimit{};
        getrlimit(RLIMIT_FSIZE, &oldLimit);
        rlimit small = oldLimit;
        small.rlim_cur = 1500;
        setrlimit(RLIMIT_FSIZE, &small);
        QString error;
        try {
            SaveProfileSettings(ofAVI, path());
        } catch (const IniWriteError& e) {
            error = e.text();
        }
        setrlimit(RLIMIT_FSIZE, &oldLimit);

        QCOMPARE(error, "Unable to write to " + path());
        const QStringList keys = keysOf(path());
        const QStringList all = tableKeys(ofAVI);
        QVERIFY(keys.size() > 10);
        QVERIFY(keys.size() < all.size());
        QCOMPARE(keys, all.mid(0, keys.size()));
        QCOMPARE(IniFile(path()).value("General", "VideoCodec"), "6");
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_ProfileFile.moc"
