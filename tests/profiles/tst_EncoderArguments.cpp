#include "base/globals.h"
#include "profiles/EncoderArguments.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileRecords.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Each row resets the format's record, writes a profile holding only the
// given keys and builds the options from it, as a conversion does.
class TestEncoderArguments : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;

    QString build(int format, const QStringList& values)
    {
        ResetProfileSettings(format);
        const QString path = m_dir.filePath("profile.ini");
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) return "cannot write";
        file.write(("[General]\n" + values.join('\n') + '\n').toUtf8());
        file.close();
        return BuildEncoderArguments(format, path);
    }

    static void addColumns()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("values");
        QTest::addColumn<QString>("expected");
    }

    void check()
    {
        QFETCH(int, format);
        QFETCH(QStringList, values);
        QFETCH(QString, expected);
        QCOMPARE(build(format, values), expected);
    }

private Q_SLOTS:
    void workedExamples_data()
    {
        addColumns();
        QTest::newRow("AVI defaults")
            << int(ofAVI) << QStringList{}
            << "-y -f avi -vcodec msmpeg4 -b 1080k -acodec mp3 -ac 2 -ab 96 -ar 22050 ";
        QTest::newRow("MP4 handheld type")
            << int(ofMP4) << QStringList{"Format=1"}
            << "-y -f psp -vcodec h264 -s 320x240 -b 1200k -acodec aac -ac 2 -ab 64 "
               "-ar 48000 ";
        QTest::newRow("MPEG PAL DVD")
            << int(ofMPEG) << QStringList{"UsePresetFormats=1", "PresetType=2", "TargetFormat=2"}
            << "-target pal-dvd -b 6000k -ab 384 ";
        QTest::newRow("AVI time control")
            << int(ofAVI)
            << QStringList{"EnableTimeControl=1", "Duration=0:00:05.250", "StartTime=0:01:02.000"}
            << "-y -f avi  -t 0:00:05.250 -ss 0:01:02.000 -vcodec msmpeg4 -b 1080k "
               "-acodec mp3 -ac 2 -ab 96 -ar 22050 ";
        QTest::newRow("AAC defaults")
            << int(ofAAC) << QStringList{} << "-y -f aac -vn -acodec aac -ac 2 -ab 128 -ar 44100 ";
        QTest::newRow("AC3 defaults")
            << int(ofAC3) << QStringList{} << "-y -f ac3 -vn -acodec ac3 -ac 2 -ar 48000 -ab 384 ";
        QTest::newRow("MP2 defaults")
            << int(ofMP2) << QStringList{} << "-y -f mp2 -vn -acodec mp2 -ac 2 -ab 160 -ar 44100 ";
        QTest::newRow("MP3 defaults")
            << int(ofMP3) << QStringList{} << "-y -f mp3 -vn -acodec mp3 -ac 2 -ab 128 -ar 44100 ";
        QTest::newRow("AMR defaults")
            << int(ofAMR) << QStringList{} << "-y -f amr -vn -acodec amr_nb -ac 1 -ar 8000 -ab 13 ";
        QTest::newRow("WAV defaults")
            << int(ofWAV) << QStringList{} << "-y -f wav -vn -acodec pcm_s16le -ac 2 -ar 44100 ";
        QTest::newRow("MP3 time control")
            << int(ofMP3) << QStringList{"EnableTimeControl=1", "Duration=0:00:30.000"}
            << "-y -f mp3  -t 0:00:30.000 -ss 0:00:00.000 -vn -acodec mp3 -ac 2 -ab 128 "
               "-ar 44100 ";
    }
    void workedExamples() { check(); }

    void videoFormatDefaults_data()
    {
        addColumns();
        QTest::newRow("MP4") << int(ofMP4) << QStringList{}
                             << "-y -f mp4 -vcodec h264 -s 320x240 -b 1200k -acodec aac "
                                "-ac 2 -ab 64 -ar 22050 ";
        QTest::newRow("3GP automatic aspect and frame rate")
            << int(of3GP) << QStringList{}
            << "-y -f 3gp -vcodec h263 -s 176x144 -b 144k -r 12.5 -aspect 11:9 -acodec amr_nb "
               "-ac 1 -ar 8000 -ab 13 ";
        QTest::newRow("MPEG") << int(ofMPEG) << QStringList{}
                              << "-y -vcodec mpeg2video -b 2496k -acodec ac3 -ac 2 "
                                 "-ar 48000 -ab 256 ";
        QTest::newRow("MOV") << int(ofMOV) << QStringList{}
                             << "-y -f mov -vcodec h264 -b 1200k -ac 2 -ab 64 -ar 22050 ";
        QTest::newRow("WMV") << int(ofWMV) << QStringList{}
                             << "-y -vcodec wmv2 -b 768k -acodec mp3 -ac 2 -ar 22050 ";
        QTest::newRow("RM") << int(ofRM) << QStringList{}
                            << "-y -f rm -vcodec rv10 -b 768k -acodec ac3 -ac 2 -ar 48000 "
                               "-ab 256 ";
        QTest::newRow("SWF") << int(ofSWF) << QStringList{}
                             << "-y -vcodec flv -b 768k -acodec mp3 -ac 2 -ar 22050 ";
        QTest::newRow("VOB automatic aspect")
            << int(ofVOB) << QStringList{}
            << "-y -f vob -vcodec mpeg2video -s 720x576 -b 6000k -aspect 5:4 -acodec ac3 "
               "-ac 2 -ar 48000 -ab 384 ";
        QTest::newRow("ASF") << int(ofASF) << QStringList{}
                             << "-y -f asf -vcodec msmpeg4 -b 768k -acodec mp3 -ac 2 "
                                "-ab 64 -ar 22050 ";
    }
    void videoFormatDefaults() { check(); }

    void edgeCases_data()
    {
        addColumns();
        const QString aviMp3 = "-acodec mp3 -ac 2 -ab 96 -ar 22050 ";
        QTest::newRow("time control with zero duration, same quality")
            << int(ofAVI) << QStringList{"EnableTimeControl=1", "VideoSameQuality=1"}
            << "-y -f avi  -t 0:00:00.000 -ss 0:00:00.000 -sameq -vcodec msmpeg4 -b 1080k " +
                   aviMp3;
        QTest::newRow("negative specified bit rate")
            << int(ofAVI)
            << QStringList{"VideoBitRateUsePresertDivX=0", "VideoBitRateSpecifyDivX=-5",
                           "AudioBitRatePresetMp3=-64"}
            << "-y -f avi -vcodec msmpeg4 -b -5k -acodec mp3 -ac 2 -ab -64 -ar 22050 ";
        QTest::newRow("zero bit rate, odd size")
            << int(ofAVI)
            << QStringList{"VideoBitRatePresetDivX=0", "VideoSizeUseSourceDivX=0",
                           "VideoWidthDivX=321", "VideoHeightDivX=-1"}
            << "-y -f avi -vcodec msmpeg4 -s 321x-1 -b 0k " + aviMp3;
        QTest::newRow("AVI codec 11 is audio only")
            << int(ofAVI) << QStringList{"VideoCodec=11"} << "-y -f avi " + aviMp3;
        QTest::newRow("AVI frame rate from the list")
            << int(ofAVI) << QStringList{"VideoKeepFrameRateDivX=0", "VideoFrameRateDivX=2"}
            << "-y -f avi -vcodec msmpeg4 -b 1080k -r 14.985 " + aviMp3;
        QTest::newRow("AVI frame rate without a row")
            << int(ofAVI) << QStringList{"VideoKeepFrameRateDivX=0", "VideoFrameRateDivX=13"}
            << "-y -f avi -vcodec msmpeg4 -b 1080k " + aviMp3;
        QTest::newRow("AVI aspect 16:9")
            << int(ofAVI) << QStringList{"VideoAspectDivX=2"}
            << "-y -f avi -vcodec msmpeg4 -b 1080k -aspect 16:9 " + aviMp3;
        for (const auto& [aspect, fragment] : QList<std::pair<int, QString>>{
                 {1, ""}, {2, "-aspect 4:3 "}, {3, ""}, {4, "-aspect 16:9 "}}) {
            QTest::addRow("AVI H.263 aspect %d", aspect)
                << int(ofAVI)
                << QStringList{"VideoCodec=4", QString("VideoAspectH263=%1").arg(aspect)}
                << "-y -f avi -vcodec h263 -s 352x288 -b 1080k " + fragment + aviMp3;
        }
        QTest::newRow("AVI sound off")
            << int(ofAVI) << QStringList{"AudioDisableAudio=1", "AudioCodec=4"}
            << "-y -f avi -vcodec msmpeg4 -b 1080k -an ";
        QTest::newRow("AVI audio codec without a row")
            << int(ofAVI) << QStringList{"AudioCodec=5"} << "-y -f avi -vcodec msmpeg4 -b 1080k ";
        QTest::newRow("AVI huffYUV and PCM")
            << int(ofAVI) << QStringList{"VideoCodec=7", "AudioCodec=3", "AudioSampleRatePcmu8=7"}
            << "-y -f avi -vcodec ffvhuff -b 1080k -acodec pcm_u8 -ac 2 -ar 48000 ";

        QTest::newRow("3GP Nokia MPEG-4")
            << int(of3GP) << QStringList{"VideoCodecNokia=1", "AudioCodecNokia=2"}
            << "-y -f 3gp -vcodec msmpeg4 -s 176x144 -b 144k -aspect 11:9 -acodec aac "
               "-ac 2 -ab 56 -ar 22050 ";
        QTest::newRow("3GP H.263 stored frame rate")
            << int(of3GP) << QStringList{"VideoKeepFrameRateH263=0", "AudioCodecNokia=1"}
            << "-y -f 3gp -vcodec h263 -s 176x144 -b 144k -r 12 -aspect 11:9 -acodec amr_wb "
               "-ac 1 -ar 16000 -ab 13 ";
        QTest::newRow("3GP type 2 takes the Sony fields")
            << int(of3GP)
            << QStringList{"TgpFormat=2", "VideoCodecSony=1", "VideoCodecNokia=0",
                           "AudioCodecNokia=1", "VideoAspectXviD=1"}
            << "-y -f 3gp -vcodec xvid -s 176x144 -b 96k -aspect 4:3 -acodec aac -ac 2 "
               "-ab 56 -ar 22050 ";
        QTest::newRow("3GP Sony audio without a row")
            << int(of3GP) << QStringList{"TgpFormat=1", "AudioCodecSony=1"}
            << "-y -f 3gp -vcodec msmpeg4 -s 176x144 -b 144k -aspect 11:9 ";

        QTest::newRow("MPEG time control comes first")
            << int(ofMPEG)
            << QStringList{"EnableTimeControl=1", "UsePresetFormats=1", "PresetType=0",
                           "TargetFormat=0"}
            << " -t 0:00:00.000 -ss 0:00:00.000 -target film-vcd ";
        QTest::newRow("MPEG NTSC VCD") << int(ofMPEG)
                                       << QStringList{"UsePresetFormats=1", "PresetType=0",
                                                      "TargetFormat=1", "VideoSameQuality=1"}
                                       << "-target ntsc-vcd ";
        QTest::newRow("MPEG PAL SVCD ignores the DVD fields")
            << int(ofMPEG)
            << QStringList{"UsePresetFormats=1", "PresetType=1", "TargetFormat=2",
                           "DVDVideoKeepAspect=0"}
            << "-target pal-svcd ";
        QTest::newRow("MPEG DVD with its own choices") << int(ofMPEG)
                                                       << QStringList{"UsePresetFormats=1",
                                                                      "PresetType=2",
                                                                      "TargetFormat=0",
                                                                      "DVDVideoBitRateUsePresert=0",
                                                                      "DVDVideoBitRateSpecify=9000",
                                                                      "DVDVideoKeepAspect=0",
                                                                      "DVDVideoAspect=0",
                                                                      "DVDAudioBitRateUseAutoSet=1"}
                                                       << "-target film-dvd -b 9000k -aspect 1:1 ";
        QTest::newRow("MPEG-1 takes the MPEG-1 audio choice")
            << int(ofMPEG) << QStringList{"VideoCodec=0", "AudioCodecMpeg1=1", "AudioCodecMpeg2=0"}
            << "-y -vcodec mpeg1video -b 1152k -acodec mp3 -ac 2 -ab 160 -ar 44100 ";
        QTest::newRow("MPEG-2 takes the MPEG-2 audio choice")
            << int(ofMPEG) << QStringList{"VideoCodec=1", "AudioCodecMpeg1=0", "AudioCodecMpeg2=2"}
            << "-y -vcodec mpeg2video -b 2496k -acodec mp3 -ac 2 -ab 160 -ar 44100 ";
        QTest::newRow("MPEG unknown video takes the MPEG-1 audio choice")
            << int(ofMPEG) << QStringList{"VideoCodec=2", "AudioCodecMpeg2=1"}
            << "-y -acodec mp2 -ac 2 -ab 160 -ar 44100 ";

        QTest::newRow("VOB first frame rate")
            << int(ofVOB)
            << QStringList{"VideoKeepFrameRateMpeg2=0", "VideoFrameRateMpeg2=0", "AudioCodec=0"}
            << "-y -f vob -vcodec mpeg2video -s 720x576 -b 6000k -r 19.98 -aspect 5:4 "
               "-acodec mp2 -ac 2 -ab 320 -ar 48000 ";
        QTest::newRow("VOB last frame rate, 4:3")
            << int(ofVOB)
            << QStringList{"VideoKeepFrameRateMpeg2=0", "VideoFrameRateMpeg2=8",
                           "VideoAspectMpeg2=1", "AudioDisableAudio=1"}
            << "-y -f vob -vcodec mpeg2video -s 720x576 -b 6000k -r 60 -aspect 4:3 -an ";
        QTest::newRow("VOB frame rate without a row")
            << int(ofVOB)
            << QStringList{"VideoKeepFrameRateMpeg2=0", "VideoFrameRateMpeg2=9",
                           "AudioDisableAudio=1"}
            << "-y -f vob -vcodec mpeg2video -s 720x576 -b 6000k -aspect 5:4 -an ";

        QTest::newRow("MP4 iPod type")
            << int(ofMP4) << QStringList{"Format=0", "AudioSampleRateAACMp4=7"}
            << "-y -f mp4 -vcodec h264 -s 320x240 -b 1200k -acodec aac -ac 2 -ab 64 "
               "-ar 48000 ";
        QTest::newRow("MP4 handheld type keeps 48000 only")
            << int(ofMP4) << QStringList{"Format=1", "AudioSampleRateAACPsp=1"}
            << "-y -f psp -vcodec h264 -s 320x240 -b 1200k -acodec aac -ac 2 -ab 64 ";
        QTest::newRow("MP4 unknown type") << int(ofMP4) << QStringList{"Format=4", "VideoCodec=1"}
                                          << "-y -acodec aac -ac 2 -ab 64 -ar 22050 ";

        QTest::newRow("MOV keeps the MPEG-4 aspect")
            << int(ofMOV) << QStringList{"VideoCodec=1", "VideoAspectDivX=2", "AudioCodec=1"}
            << "-y -f mov -vcodec msmpeg4 -b 1200k -aspect 16:9 -acodec pcm_alaw -ac 2 "
               "-ar 22050 ";
        QTest::newRow("MOV H.263 has no aspect")
            << int(ofMOV) << QStringList{"VideoCodec=3", "VideoAspectH263=2", "AudioCodec=2"}
            << "-y -f mov -vcodec h263 -s 352x288 -b 1200k -acodec amr_nb -ac 1 -ar 8000 "
               "-ab 8 ";
        QTest::newRow("MOV H.264 has no aspect")
            << int(ofMOV) << QStringList{"VideoAspectH264=1", "AudioCodec=4"}
            << "-y -f mov -vcodec h264 -b 1200k -acodec pcm_s16be -ac 2 -ar 22050 ";

        QTest::newRow("RM writes the bit rate before the size, no aspect")
            << int(ofRM) << QStringList{"VideoSizeUseSourceRm10=0", "VideoAspectRm10=2"}
            << "-y -f rm -vcodec rv10 -b 768k -s 320x240 -acodec ac3 -ac 2 -ar 48000 "
               "-ab 256 ";
        QTest::newRow("SWF Flash sample rate")
            << int(ofSWF) << QStringList{"AudioSampleRateMp3=2", "AudioBitRateUseAutoSetMp3=0"}
            << "-y -vcodec flv -b 768k -acodec mp3 -ac 2 -ab 64 -ar 44100 ";
        QTest::newRow("SWF sample rate without a row")
            << int(ofSWF) << QStringList{"AudioSampleRateMp3=3"}
            << "-y -vcodec flv -b 768k -acodec mp3 -ac 2 ";
        QTest::newRow("WMV7") << int(ofWMV) << QStringList{"VideoCodec=2", "AudioDisableAudio=1"}
                              << "-y -vcodec wmv1 -b 768k -an ";

        QTest::newRow("AC3 six channels force 48000")
            << int(ofAC3) << QStringList{"AudioChannelsAC3=2", "AudioSampleRateAC3=0"}
            << "-y -f ac3 -vn -acodec ac3 -ac 5:1 -ar 48000 -ab 384 ";
        QTest::newRow("AC3 six channels, automatic bit rate")
            << int(ofAC3) << QStringList{"AudioChannelsAC3=2", "AudioBitRateUseAutoSetAC3=1"}
            << "-y -f ac3 -vn -acodec ac3 -ac 5:1 -ar 48000 ";
        QTest::newRow("AC3 mono") << int(ofAC3)
                                  << QStringList{"AudioChannelsAC3=0", "AudioSampleRateAC3=0"}
                                  << "-y -f ac3 -vn -acodec ac3 -ac 1 -ar 22050 -ab 384 ";
        QTest::newRow("AMR wide-band")
            << int(ofAMR) << QStringList{"AudioCodec=1", "AudioBitRatePresetArmwb=24"}
            << "-y -f amr -vn -acodec amr_wb -ac 1 -ar 16000 -ab 24 ";
        QTest::newRow("AMR wide-band, other rate and channel indexes")
            << int(ofAMR)
            << QStringList{"AudioCodec=1", "AudioSampleRateArmwb=1", "AudioChannelsArmwb=1"}
            << "-y -f amr -vn -acodec amr_wb -ab 13 ";
        QTest::newRow("AMR narrow-band, automatic bit rate")
            << int(ofAMR) << QStringList{"AudioBitRateUseAutoSetArmnb=1"}
            << "-y -f amr -vn -acodec amr_nb -ac 1 -ar 8000 ";
        QTest::newRow("WAV 48000") << int(ofWAV) << QStringList{"AudioSampleRatePcm16le=7"}
                                   << "-y -f wav -vn -acodec pcm_s16le -ac 2 -ar 48000 ";
        QTest::newRow("WAV 8 bit mono 11025")
            << int(ofWAV)
            << QStringList{"AudioCodec=1", "AudioSampleRatePcmu8=0", "AudioChannelsPcmu8=0"}
            << "-y -f wav -vn -acodec pcm_u8 -ac 1 -ar 11025 ";
        QTest::newRow("WAV sample rate without a row")
            << int(ofWAV) << QStringList{"AudioSampleRatePcm16le=8", "AudioChannelsPcm16le=2"}
            << "-y -f wav -vn -acodec pcm_s16le ";
        QTest::newRow("AAC audio codec without a row")
            << int(ofAAC) << QStringList{"AudioCodec=1"} << "-y -f aac -vn ";
    }
    void edgeCases() { check(); }

    // Every row of the option tables: frame rates, aspects, sample rates,
    // codec names and disc targets.
    void tableRows_data()
    {
        addColumns();
        const QString aviMp3 = "-acodec mp3 -ac 2 -ab 96 -ar 22050 ";
        const QStringList frameRates{"10", "12",    "14.985", "15", "19.98", "23.976", "24",
                                     "25", "29.97", "30",     "50", "59.94", "60"};
        for (int i = 0; i < frameRates.size(); ++i)
            QTest::addRow("AVI frame rate %d", i)
                << int(ofAVI)
                << QStringList{"VideoKeepFrameRateDivX=0", QString("VideoFrameRateDivX=%1").arg(i)}
                << "-y -f avi -vcodec msmpeg4 -b 1080k -r " + frameRates[i] + " " + aviMp3;
        const QStringList vobFrameRates{"19.98", "23.976", "24",    "25", "29.97",
                                        "30",    "50",     "59.94", "60"};
        for (int i = 0; i < vobFrameRates.size(); ++i)
            QTest::addRow("VOB frame rate %d", i)
                << int(ofVOB)
                << QStringList{"VideoKeepFrameRateMpeg2=0",
                               QString("VideoFrameRateMpeg2=%1").arg(i), "AudioDisableAudio=1"}
                << "-y -f vob -vcodec mpeg2video -s 720x576 -b 6000k -r " + vobFrameRates[i] +
                       " -aspect 5:4 -an ";
        const QStringList aspects{"", "-aspect 4:3 ", "-aspect 16:9 ", ""};
        for (int i = 0; i < aspects.size(); ++i)
            QTest::addRow("AVI aspect %d", i)
                << int(ofAVI) << QStringList{QString("VideoAspectDivX=%1").arg(i)}
                << "-y -f avi -vcodec msmpeg4 -b 1080k " + aspects[i] + aviMp3;
        const QStringList dvdAspects{"-aspect 1:1 ", "-aspect 4:3 ", "-aspect 16:9 ", ""};
        for (int i = 0; i < dvdAspects.size(); ++i)
            QTest::addRow("MPEG DVD aspect %d", i)
                << int(ofMPEG)
                << QStringList{"UsePresetFormats=1", "PresetType=2", "TargetFormat=1",
                               "DVDVideoKeepAspect=0", QString("DVDVideoAspect=%1").arg(i)}
                << "-target ntsc-dvd -b 6000k " + dvdAspects[i] + "-ab 384 ";
        const QStringList fullRates{"11025", "12000", "16000", "22050",
                                    "24000", "32000", "44100", "48000"};
        for (int i = 0; i < fullRates.size(); ++i)
            QTest::addRow("WAV sample rate %d", i)
                << int(ofWAV) << QStringList{QString("AudioSampleRatePcm16le=%1").arg(i)}
                << "-y -f wav -vn -acodec pcm_s16le -ac 2 -ar " + fullRates[i] + " ";
        const QStringList shortRates{"22050", "24000", "44100", "48000"};
        for (int i = 0; i < shortRates.size(); ++i)
            QTest::addRow("MP3 sample rate %d", i)
                << int(ofMP3) << QStringList{QString("AudioSampleRateMp3=%1").arg(i)}
                << "-y -f mp3 -vn -acodec mp3 -ac 2 -ab 128 -ar " + shortRates[i] + " ";
        const QStringList flashRates{"11025", "22050", "44100"};
        for (int i = 0; i < flashRates.size(); ++i)
            QTest::addRow("SWF sample rate %d", i)
                << int(ofSWF) << QStringList{QString("AudioSampleRateMp3=%1").arg(i)}
                << "-y -vcodec flv -b 768k -acodec mp3 -ac 2 -ar " + flashRates[i] + " ";

        const QStringList aviVideo{"msmpeg4", "xvid",    "msmpeg4", "msmpeg4v2", "h263", "h263p",
                                   "h264",    "ffvhuff", "mjpeg",   "svq1",      "flv"};
        for (int i = 0; i < aviVideo.size(); ++i)
            QTest::addRow("AVI video codec %d", i)
                << int(ofAVI) << QStringList{QString("VideoCodec=%1").arg(i)}
                << "-y -f avi -vcodec " + aviVideo[i] + (i == 4 ? " -s 352x288" : "") +
                       " -b 1080k " + aviMp3;
        const QStringList aviAudio{
            "-acodec mp2 -ac 2 -ab 96 -ar 22050 ", aviMp3, "-acodec pcm_s16le -ac 2 -ar 22050 ",
            "-acodec pcm_u8 -ac 2 -ar 22050 ", "-acodec ac3 -ac 2 -ar 22050 -ab 96 "};
        for (int i = 0; i < aviAudio.size(); ++i)
            QTest::addRow("AVI audio codec %d", i)
                << int(ofAVI) << QStringList{QString("AudioCodec=%1").arg(i)}
                << "-y -f avi -vcodec msmpeg4 -b 1080k " + aviAudio[i];
        const QStringList movVideo{"svq1", "msmpeg4", "xvid", "h263 -s 352x288", "h264"};
        for (int i = 0; i < movVideo.size(); ++i)
            QTest::addRow("MOV video codec %d", i)
                << int(ofMOV) << QStringList{QString("VideoCodec=%1").arg(i), "AudioDisableAudio=1"}
                << "-y -f mov -vcodec " + movVideo[i] + " -b 1200k -an ";
        const QStringList movAudio{"-ac 2 -ab 64 -ar 22050 ", "-acodec pcm_alaw -ac 2 -ar 22050 ",
                                   "-acodec amr_nb -ac 1 -ar 8000 -ab 8 ",
                                   "-acodec pcm_s16le -ac 2 -ar 22050 ",
                                   "-acodec pcm_s16be -ac 2 -ar 22050 "};
        for (int i = 0; i < movAudio.size(); ++i)
            QTest::addRow("MOV audio codec %d", i)
                << int(ofMOV) << QStringList{QString("AudioCodec=%1").arg(i)}
                << "-y -f mov -vcodec h264 -b 1200k " + movAudio[i];
        const QStringList wmvVideo{"msmpeg4", "msmpeg4v2", "wmv1", "wmv2"};
        for (int i = 0; i < wmvVideo.size(); ++i) {
            QTest::addRow("WMV video codec %d", i)
                << int(ofWMV) << QStringList{QString("VideoCodec=%1").arg(i)}
                << "-y -vcodec " + wmvVideo[i] + " -b 768k -acodec mp3 -ac 2 -ar 22050 ";
            if (i < 2)
                QTest::addRow("ASF video codec %d", i)
                    << int(ofASF) << QStringList{QString("VideoCodec=%1").arg(i)}
                    << "-y -f asf -vcodec " + wmvVideo[i] +
                           " -b 768k -acodec mp3 -ac 2 -ab 64 -ar 22050 ";
        }
        const QStringList mpeg2Audio{"-acodec ac3 -ac 2 -ar 48000 -ab 256 ",
                                     "-acodec mp2 -ac 2 -ab 160 -ar 44100 ",
                                     "-acodec mp3 -ac 2 -ab 160 -ar 44100 ", ""};
        for (int i = 0; i < mpeg2Audio.size(); ++i)
            QTest::addRow("MPEG-2 audio codec %d", i)
                << int(ofMPEG) << QStringList{QString("AudioCodecMpeg2=%1").arg(i)}
                << "-y -vcodec mpeg2video -b 2496k " + mpeg2Audio[i];
        const QStringList discs{"vcd", "svcd", "dvd"};
        const QStringList targets{"film", "ntsc", "pal"};
        for (int type = 0; type < discs.size() + 1; ++type)
            for (int target = 0; target < targets.size() + 1; ++target) {
                QString expected;
                if (type < 3 && target < 3)
                    expected = "-target " + targets[target] + '-' + discs[type] + ' ';
                if (type == 2) expected += "-b 6000k -ab 384 ";
                QTest::addRow("MPEG disc type %d target %d", type, target)
                    << int(ofMPEG)
                    << QStringList{"UsePresetFormats=1", QString("PresetType=%1").arg(type),
                                   QString("TargetFormat=%1").arg(target)}
                    << expected;
            }
    }
    void tableRows() { check(); }

    void formatOutsideTheTable()
    {
        QCOMPARE(BuildEncoderArguments(16, m_dir.filePath("none.ini")), QString());
        QCOMPARE(EncoderArgumentsFromRecord(-1), QString());
        QCOMPARE(EncoderArgumentsFromRecord(255), QString());
    }

    void missingProfileUsesTheRecordAsItStands()
    {
        QCOMPARE(build(ofMP3, {"AudioBitRatePresetMp3=320"}),
                 "-y -f mp3 -vn -acodec mp3 -ac 2 -ab 320 -ar 44100 ");
        LoadProfileSettings(ofMP3, m_dir.filePath("profile.ini"));
        QCOMPARE(BuildEncoderArguments(ofMP3, m_dir.filePath("missing.mpo")),
                 "-y -f mp3 -vn -acodec mp3 -ac 2 -ab 320 -ar 44100 ");
    }
};

QTEST_GUILESS_MAIN(TestEncoderArguments)
#include "tst_EncoderArguments.moc"
