#include "base/IniFile.h"
#include "base/globals.h"
#include "localisation/MessageTable.h"
#include "profiles/ProfileFields.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileRecords.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "FullDisk.h"
#include "SaveFaults.h"

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

    // Every field of a format's record (by default its global one) as
    // key=value, in file order.
    static QStringList snapshot(int format, const void* record = nullptr)
    {
        const ProfileRecord* table = ProfileRecordOf(format);
        QStringList values;
        for (const ProfileField& field : table->fields)
            values << field.key + '=' + FieldText(field, record ? record : table->record);
        return values;
    }

    // A value for every field, in file order, none of them a default.
    static QStringList distinctValues(const ProfileRecord& table)
    {
        QStringList values;
        int n = 0;
        for (const ProfileField& f : table.fields) {
            ++n;
            switch (f.kind) {
                case FieldKind::Text:
                    values << QString("text %1").arg(n);
                    break;
                case FieldKind::Flag:
                    values << (f.defaultValue ? "0" : "1");
                    break;
                case FieldKind::Index:
                    values << QString::number(n % 250 + 3);
                    break;
                case FieldKind::Number:
                    values << QString::number(-1000 - n);
                    break;
            }
        }
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

    // The whole key list of a saved file, composed from the head keys and the
    // group names in writing order, so every format's layout is pinned.
    void fileLayout_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("head");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QStringList>("tail");
        const QStringList time{"EnableTimeControl", "Duration", "StartTime"};
        const QStringList selection{"VideoCodec", "VideoSameQuality", "AudioCodec",
                                    "AudioDisableAudio"};
        const QStringList audioOnly = QStringList{"Description"} + time + QStringList{"AudioCodec"};
        QTest::newRow("AVI") << int(ofAVI) << QStringList{"Description"} + time + selection
                             << QStringList{"DivX",  "XviD",  "MsMpeg4", "MsMpeg4v2", "H263",
                                            "H263P", "H264",  "DV",      "huffYUV",   "Mjpeg",
                                            "Mpeg1", "Mpeg2", "Svq1",    "Flv",       "AC3",
                                            "Mp2",   "Mp3",   "Pcm16le", "Pcmu8"}
                             << QStringList{};
        QTest::newRow("MP4") << int(ofMP4)
                             << QStringList{"Description", "Format"} + time + selection
                             << QStringList{"DivX", "XviD", "H264", "AACMp4", "AACPsp"}
                             << QStringList{};
        QTest::newRow("3GP") << int(of3GP)
                             << QStringList{"Description", "TgpFormat"} + time +
                                    QStringList{"VideoCodecNokia",  "VideoCodecSony",
                                                "VideoSameQuality", "AudioCodecNokia",
                                                "AudioCodecSony",   "AudioDisableAudio"}
                             << QStringList{"DivX", "XviD", "H263", "AACMp4", "Armnb", "Armwb"}
                             << QStringList{};
        QTest::newRow("MPEG") << int(ofMPEG)
                              << QStringList{"Description", "TargetFormat", "PresetType",
                                             "UsePresetFormats"} +
                                     time +
                                     QStringList{"VideoCodec", "VideoSameQuality",
                                                 "AudioCodecMpeg1", "AudioCodecMpeg2",
                                                 "AudioDisableAudio"}
                              << QStringList{"Mpeg1", "Mpeg2", "AC3", "Mp2", "Mp3"}
                              << QStringList{"DVDVideoBitRateUsePresert",
                                             "DVDVideoBitRatePreset",
                                             "DVDVideoBitRateSpecify",
                                             "DVDVideoKeepAspect",
                                             "DVDVideoAspect",
                                             "DVDAudioBitRateUseAutoSet",
                                             "DVDAudioBitRatePreset"};
        QTest::newRow("MOV") << int(ofMOV) << QStringList{"Description"} + time + selection
                             << QStringList{"DivX",   "XviD", "H263",  "H264",    "Svq1",
                                            "AACMp4", "Alaw", "Armnb", "Pcm16le", "Pcm16be"}
                             << QStringList{};
        QTest::newRow("WMV") << int(ofWMV) << QStringList{"Description"} + time + selection
                             << QStringList{"MsMpeg4", "MsMpeg4v2", "Wmv7", "Wmv8", "Mp3"}
                             << QStringList{};
        QTest::newRow("RM") << int(ofRM)
                            << QStringList{"Description"} + time +
                                   QStringList{"AudioCodec", "AudioDisableAudio", "VideoCodec",
                                               "VideoSameQuality"}
                            << QStringList{"Rm10", "AC3"} << QStringList{};
        QTest::newRow("SWF") << int(ofSWF) << QStringList{"Description"} + time + selection
                             << QStringList{"Flv", "Mp3"} << QStringList{};
        QTest::newRow("VOB") << int(ofVOB) << QStringList{"Description"} + time + selection
                             << QStringList{"Mpeg2", "AC3", "Mp2"} << QStringList{};
        QTest::newRow("ASF") << int(ofASF) << QStringList{"Description"} + time + selection
                             << QStringList{"MsMpeg4", "MsMpeg4v2", "Mp3"} << QStringList{};
        QTest::newRow("AAC") << int(ofAAC) << audioOnly << QStringList{"AACMp4"} << QStringList{};
        QTest::newRow("AC3") << int(ofAC3) << audioOnly << QStringList{"AC3"} << QStringList{};
        QTest::newRow("MP2") << int(ofMP2) << audioOnly << QStringList{"Mp2"} << QStringList{};
        QTest::newRow("MP3") << int(ofMP3) << audioOnly << QStringList{"Mp3"} << QStringList{};
        QTest::newRow("AMR") << int(ofAMR) << audioOnly << QStringList{"Armnb", "Armwb"}
                             << QStringList{};
        QTest::newRow("WAV") << int(ofWAV) << audioOnly << QStringList{"Pcm16le", "Pcmu8"}
                             << QStringList{};
    }
    void fileLayout()
    {
        QFETCH(int, format);
        QFETCH(QStringList, head);
        QFETCH(QStringList, groups);
        QFETCH(QStringList, tail);
        const QStringList video{
            "VideoBitRateUsePresert", "VideoBitRatePreset", "VideoBitRateSpecify",
            "VideoSizeUseSource",     "VideoWidth",         "VideoHeight",
            "VideoKeepFrameRate",     "VideoFrameRate",     "VideoAspect"};
        const QStringList audio{"AudioBitRateUseAutoSet", "AudioBitRatePreset", "AudioSampleRate",
                                "AudioChannels"};
        const QStringList audioSuffixes{"AC3",   "Mp2",  "Mp3",     "AACMp4", "AACPsp", "Armnb",
                                        "Armwb", "Alaw", "Pcm16le", "Pcmu8",  "Pcm16be"};
        QStringList expected = head;
        for (const QString& group : groups) {
            QStringList stems;
            if (!audioSuffixes.contains(group)) {
                stems = video;
                if (group == "H263") stems.removeOne("VideoSizeUseSource");
                if (group == "Rm10") stems.move(0, 2);
            } else {
                stems = audio;
                if (group.startsWith("Pcm") || group == "Alaw") stems = stems.mid(2);
            }
            for (const QString& stem : stems)
                expected << stem + group;
        }
        expected += tail;
        ResetProfileSettings(format);
        SaveProfileSettings(format, path());
        QCOMPARE(keysOf(path()), expected);
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
        QTest::newRow("MP4 XviD size") << int(ofMP4) << "VideoSizeUseSourceXviD"
                                       << "0";
        QTest::newRow("MP4 DivX width") << int(ofMP4) << "VideoWidthDivX"
                                        << "320";
        QTest::newRow("MPEG DVD specified rate") << int(ofMPEG) << "DVDVideoBitRateSpecify"
                                                 << "6000";
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
        const QStringList values = distinctValues(*table);
        QStringList expected;
        for (int i = 0; i < values.size(); ++i) {
            const ProfileField& f = table->fields[i];
            QVERIFY(SetFieldFromText(f, table->record, values[i]));
            expected << f.key + '=' + values[i];
        }
        QCOMPARE(snapshot(format), expected);
        SaveProfileSettings(format, path());
        ResetProfileSettings(format);
        LoadProfileSettings(format, path());
        QCOMPARE(snapshot(format), expected);
    }

    // Loading into a copy fills every field of the copy and none of the
    // format's own record.
    void loadIntoACopy_data() { roundTrip_data(); }
    void loadIntoACopy()
    {
        QFETCH(int, format);
        const ProfileRecord* table = ProfileRecordOf(format);
        QVERIFY(table);
        ResetProfileSettings(format);
        const QStringList values = distinctValues(*table);
        QStringList expected;
        for (int i = 0; i < values.size(); ++i)
            expected << table->fields[i].key + '=' + values[i];
        writeText(path(), ("[General]\n" + expected.join('\n') + '\n').toUtf8());
        const QStringList own = snapshot(format);
        const std::shared_ptr<void> copy = table->copy(table->record);
        LoadProfileSettings(format, path(), copy.get());
        QCOMPARE(snapshot(format, copy.get()), expected);
        QCOMPARE(snapshot(format), own);
    }

    // Only the keys the file holds change the given record.
    void givenRecordKeepsWhatTheFileLacks()
    {
        ResetProfileSettings(ofAVI);
        AVISettings.VideoCodec = 5;
        writeText(path(), "[General]\nAudioCodec=3\n");
        TAVISettings copy = AVISettings;
        LoadProfileSettings(ofAVI, path(), &copy);
        QCOMPARE(copy.VideoCodec, quint8(5));
        QCOMPARE(copy.AudioCodec, quint8(3));
        QCOMPARE(AVISettings.AudioCodec, quint8(1));
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
        // VideoBitRateUsePresertDivX 1, VideoBitRatePresetDivX 1080.
        QTest::newRow("hex 0x") << QByteArray("VideoCodec=0x0A") << "VideoCodec"
                                << "10";
        QTest::newRow("hex 0X") << QByteArray("VideoCodec=0X0a") << "VideoCodec"
                                << "10";
        QTest::newRow("hex $") << QByteArray("VideoCodec=$A") << "VideoCodec"
                               << "10";
        QTest::newRow("bare 0x") << QByteArray("AudioCodec=0x") << "AudioCodec"
                                 << "1";
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
        QTest::newRow("flag abc") << QByteArray("VideoBitRateUsePresertDivX=abc")
                                  << "VideoBitRateUsePresertDivX"
                                  << "1";
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

    // A save that cannot finish, for want of room or because the program
    // dies at any step of its write, leaves the old profile byte for byte.
    void failedSaveKeepsTheOldFile_data()
    {
        QTest::addColumn<int>("killedAt");  // -1: a full disk instead
        QTest::newRow("full disk") << -1;
        QTest::newRow("killed with the file open") << int(TWriteStep::Opened);
        QTest::newRow("killed after writing") << int(TWriteStep::Written);
        QTest::newRow("killed before replacing") << int(TWriteStep::Replacing);
    }

    void failedSaveKeepsTheOldFile()
    {
        QFETCH(int, killedAt);
        writeText(path(), "; mine\n[General]\nVideoCodec=2\nExtra=keep\n");
        const QByteArray old = readBytes(path());
        ResetProfileSettings(ofAVI);
        AVISettings.VideoCodec = 6;
        if (killedAt < 0) {
            QString error;
            try {
                const FullDisk full(1500);
                SaveProfileSettings(ofAVI, path());
            } catch (const IniWriteError& e) {
                error = e.text();
            }
            QCOMPARE(error, "Unable to write to " + path());
        } else {
            QVERIFY(killedDuringSave(TWriteStep(killedAt),
                                     [this] { SaveProfileSettings(ofAVI, path()); }));
        }
        QCOMPARE(readBytes(path()), old);
    }

    void saveWritesTheFileOnce()
    {
        ResetProfileSettings(ofAVI);
        QCOMPARE(replacementsDuring(path(), [this] { SaveProfileSettings(ofAVI, path()); }), 1);
        QCOMPARE(keysOf(path()), tableKeys(ofAVI));
    }
};

QTEST_GUILESS_MAIN(TestProfileFile)
#include "tst_ProfileFile.moc"
