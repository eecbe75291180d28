#include "windows/DialogSeam.h"
#include "windows/ProfileEditors.h"

#include "localisation/MessageTable.h"
#include "profiles/ProfileFields.h"
#include "profiles/ProfileFile.h"
#include "profiles/ProfileRecords.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedWidget>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

#include <stdexcept>

// Settings given to a record before an editor opens, as "Key=value".
using Settings = QStringList;

class TestProfileEditors : public QObject {
    Q_OBJECT

    std::unique_ptr<TProfileEditor> m_editor;

    static void setRecord(int format, const Settings& settings)
    {
        ResetProfileSettings(format);
        const ProfileRecord& table = *ProfileRecordOf(format);
        for (const QString& setting : settings) {
            const QString key = setting.section('=', 0, 0);
            const ProfileField* field = FindProfileField(table, key);
            QVERIFY2(field, qPrintable(key));
            QVERIFY(SetFieldFromText(*field, table.record, setting.section('=', 1)));
        }
    }

    static QString stored(int format, const QString& key)
    {
        const ProfileRecord& table = *ProfileRecordOf(format);
        return FieldText(*FindProfileField(table, key), table.record);
    }

    // Opens the format's editor on a record holding the defaults and the settings.
    TProfileEditor& open(int format, const Settings& settings = {},
                         const std::function<void(TProfileEditor&)>& beforeShow = {})
    {
        setRecord(format, settings);
        m_editor = CreateProfileEditor(format, nullptr);
        m_editor->LoadFromSettings();
        if (beforeShow) beforeShow(*m_editor);
        m_editor->show();
        if (!QTest::qWaitForWindowActive(m_editor.get())) qWarning("editor not active");
        return *m_editor;
    }

    template <class Widget = QWidget>
    Widget* child(const QString& name)
    {
        auto* widget = m_editor->findChild<Widget*>(name);
        if (!widget) throw std::runtime_error("no control " + name.toStdString());
        return widget;
    }

    void save()
    {
        child<QPushButton>("btnSave")->click();
        QCOMPARE(m_editor->result(), int(QDialog::Accepted));
        m_editor->SaveToSettings();
    }

    // Types into a field as a user does: enter it, replace the text, leave it.
    void typeInto(QWidget* field, const QString& text)
    {
        field->setFocus();
        QTRY_VERIFY(field->hasFocus());
        if (auto* line = qobject_cast<QLineEdit*>(field)) line->setText(text);
        if (auto* spin = qobject_cast<QSpinBox*>(field)) {
            spin->selectAll();
            QTest::keyClicks(spin, text);
        }
        child("EditDescription")->setFocus();
        QTRY_VERIFY(!field->hasFocus());
    }

    QStringList visibleTabs()
    {
        auto* tabs = child<QTabWidget>("PageControlOptions");
        QStringList names;
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->isTabVisible(i)) names << tabs->widget(i)->objectName();
        return names;
    }

    QString visiblePage(const QString& stack)
    {
        return child<QStackedWidget>(stack)->currentWidget()->objectName();
    }

    static void allFormats()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("className");
        const char* names[] = {
            "TfrmAVIProfile", "TfrmMp4Profile", "TfrmTGPProfile", "TfrmMPEGProfile",
            "TfrmMovProfile", "TfrmWmvProfile", "TfrmRMProfile",  "TfrmSwfProfile",
            "TfrmVobProfile", "TfrmAsfProfile", "TfrmAacProfile", "TfrmAc3Profile",
            "TfrmMp2Profile", "TfrmMp3Profile", "TfrmAmrProfile", "TfrmWavProfile"};
        for (int format = 0; format < OutputFormatCount; ++format)
            QTest::newRow(names[format]) << format << QString(names[format]);
    }

private Q_SLOTS:
    void init()
    {
        ResetMessageTable();
        DialogSeam::Enable();
    }
    void cleanup()
    {
        m_editor.reset();
        DialogSeam::Disable();
        ResetMessageTable();
    }

    // Opening on the defaults and saving unchanged writes the very file a
    // fresh save of the defaults writes, and every field went through a control.
    void defaultsSurviveSave_data() { allFormats(); }
    void defaultsSurviveSave()
    {
        QFETCH(int, format);
        QFETCH(QString, className);
        QTemporaryDir dir;
        ResetProfileSettings(format);
        SaveProfileSettings(format, dir.filePath("fresh.prf"));

        TProfileEditor& editor = open(format);
        QCOMPARE(editor.metaObject()->className(), className);
        QCOMPARE(visibleTabs().first(), QString("TabSheetGeneral"));
        save();
        SaveProfileSettings(format, dir.filePath("edited.prf"));

        QFile fresh(dir.filePath("fresh.prf"));
        QFile edited(dir.filePath("edited.prf"));
        QVERIFY(fresh.open(QIODevice::ReadOnly) && edited.open(QIODevice::ReadOnly));
        QCOMPARE(QString(edited.readAll()).split('\n'), QString(fresh.readAll()).split('\n'));
        QStringList missed = editor.Settings().Keys();
        for (const QString& key : editor.Settings().KeysWritten())
            missed.removeAll(key);
        QCOMPARE(missed, QStringList());
    }

    // Pages no list shows still keep what they hold.
    void heldPagesKeepTheirSettings_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<Settings>("settings");
        QTest::newRow("AVI Mpeg1, Mpeg2, DV") << int(ofAVI)
                                              << Settings{"VideoBitRatePresetMpeg1=2496",
                                                          "VideoBitRateSpecifyMpeg2=3333",
                                                          "VideoWidthDV=720",
                                                          "VideoHeightDV=576",
                                                          "VideoFrameRateMpeg2=7",
                                                          "VideoAspectDV=2",
                                                          "VideoSizeUseSourceMpeg1=0",
                                                          "VideoKeepFrameRateDV=0"};
        QTest::newRow("MP4 DivX, XviD")
            << int(ofMP4)
            << Settings{"VideoBitRatePresetDivX=4600", "VideoBitRateUsePresertXviD=0",
                        "VideoWidthXviD=480", "VideoHeightXviD=272"};
    }
    void heldPagesKeepTheirSettings()
    {
        QFETCH(int, format);
        QFETCH(Settings, settings);
        open(format, settings);
        save();
        for (const QString& setting : settings)
            QCOMPARE(setting.section('=', 0, 0) + '=' + stored(format, setting.section('=', 0, 0)),
                     setting);
    }

    // Where a stored bit rate puts a track bar, and what Save writes back.
    void trackBarPositions_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QString>("bar");
        QTest::addColumn<int>("position");
        QTest::addColumn<QString>("savedKey");
        QTest::addColumn<QString>("saved");
        QTest::newRow("video rate off the ladder")
            << int(ofAVI) << Settings{"VideoBitRatePresetDivX=1000"} << "TrackBarVideoBitrateDivX"
            << 2 << "VideoBitRatePresetDivX"
            << "1000";
        QTest::newRow("3GP bar ends at 2496")
            << int(of3GP) << Settings{"VideoBitRatePresetDivX=4600"} << "TrackBarVideoBitrateDivX"
            << 10 << "VideoBitRatePresetDivX"
            << "2496";
        QTest::newRow("WMV bar ends at 6000")
            << int(ofWMV) << Settings{"VideoBitRatePresetWmv8=6000"} << "TrackBarVideoBitrateWmv8"
            << 12 << "VideoBitRatePresetWmv8"
            << "6000";
        QTest::newRow("WMV knows no 9600")
            << int(ofWMV) << Settings{"VideoBitRatePresetWmv8=9600"} << "TrackBarVideoBitrateWmv8"
            << 2 << "VideoBitRatePresetWmv8"
            << "9600";
        QTest::newRow("audio rate off the ladder")
            << int(ofMP3) << Settings{"AudioBitRatePresetMp3=100", "AudioSampleRateMp3=2"}
            << "TrackBarAudioBitrateMp3" << 4 << "AudioBitRatePresetMp3"
            << "100";
        QTest::newRow("AMR-NB 13") << int(ofAMR) << Settings{"AudioBitRatePresetArmnb=13"}
                                   << "TrackBarAudioBitrateArmnb" << 6 << "AudioBitRatePresetArmnb"
                                   << "13";
        QTest::newRow("AMR-WB 13") << int(ofAMR) << Settings{"AudioBitRatePresetArmwb=13"}
                                   << "TrackBarAudioBitrateArmwb" << 3 << "AudioBitRatePresetArmwb"
                                   << "13";
        QTest::newRow("AC3 448 at 22050 Hz")
            << int(ofAC3)
            << Settings{"AudioSampleRateAC3=0", "AudioChannelsAC3=1", "AudioBitRatePresetAC3=448"}
            << "TrackBarAudioBitrateAC3" << 12 << "AudioBitRatePresetAC3"
            << "320";
        QTest::newRow("AC3 six channels lift 32")
            << int(ofAC3) << Settings{"AudioChannelsAC3=2", "AudioBitRatePresetAC3=32"}
            << "TrackBarAudioBitrateAC3" << 6 << "AudioBitRatePresetAC3"
            << "112";
        QTest::newRow("DVD video 6000")
            << int(ofMPEG) << Settings{"DVDVideoBitRatePreset=6000"} << "TrackBarDVDVideoBitrate"
            << 12 << "DVDVideoBitRatePreset"
            << "6000";
        QTest::newRow("DVD video 9600")
            << int(ofMPEG) << Settings{"DVDVideoBitRatePreset=9600"} << "TrackBarDVDVideoBitrate"
            << 13 << "DVDVideoBitRatePreset"
            << "9600";
        QTest::newRow("DVD video off the ladder")
            << int(ofMPEG) << Settings{"DVDVideoBitRatePreset=7000"} << "TrackBarDVDVideoBitrate"
            << 6 << "DVDVideoBitRatePreset"
            << "7000";
        QTest::newRow("DVD audio 128, its last place")
            << int(ofMPEG) << Settings{"DVDAudioBitRatePreset=128"} << "TrackBarDVDAudioBitrate"
            << 5 << "DVDAudioBitRatePreset"
            << "128";
        QTest::newRow("SWF MP3 at 11025 Hz")
            << int(ofSWF) << Settings{"AudioSampleRateMp3=0", "AudioBitRatePresetMp3=320"}
            << "TrackBarAudioBitrateMp3" << 8 << "AudioBitRatePresetMp3"
            << "160";
    }
    void trackBarPositions()
    {
        QFETCH(int, format);
        QFETCH(Settings, settings);
        QFETCH(QString, bar);
        QFETCH(int, position);
        QFETCH(QString, savedKey);
        QFETCH(QString, saved);
        open(format, settings);
        QCOMPARE(child<QSlider>(bar)->value(), position);
        save();
        QCOMPARE(stored(format, savedKey), saved);
    }

    // A kept off-ladder rate gives way to the ladder once the bar moves.
    void movedBarTakesTheLadderValue()
    {
        open(ofAVI, {"VideoBitRatePresetDivX=1000"});
        auto* bar = child<QSlider>("TrackBarVideoBitrateDivX");
        QCOMPARE(child<QLabel>("LabelBitrateDivX")->text(), QString("1000"));
        bar->setValue(3);
        bar->setValue(2);
        QCOMPARE(child<QLabel>("LabelBitrateDivX")->text(), QString("128"));
        save();
        QCOMPARE(stored(ofAVI, "VideoBitRatePresetDivX"), QString("128"));
    }

    // The audio range follows the sample rate and, for AC3, the channels.
    void rangeFollowsTheChoice_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("minimum");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<QString>("shown");
        // From 44100 Hz, the track bar at its top (or, for AC3, its bottom).
        QTest::newRow("MP3 to 22050") << int(ofMP3) << "Mp3"
                                      << "ComboBoxSampleRate" << 0 << 1 << 8 << "160";
        QTest::newRow("AAC to 16000") << int(ofAAC) << "AACMp4"
                                      << "ComboBoxSampleRate" << 2 << 1 << 6 << "96";
        QTest::newRow("AAC to 32000") << int(ofAAC) << "AACMp4"
                                      << "ComboBoxSampleRate" << 5 << 1 << 10 << "192";
        QTest::newRow("MP2 to 24000") << int(ofMP2) << "Mp2"
                                      << "ComboBoxSampleRate" << 1 << 1 << 8 << "160";
        QTest::newRow("AC3 to six channels") << int(ofAC3) << "AC3"
                                             << "ComboBoxAudioChannels" << 2 << 6 << 14 << "112";
    }
    void rangeFollowsTheChoice()
    {
        QFETCH(int, format);
        QFETCH(QString, tag);
        QFETCH(QString, list);
        QFETCH(int, entry);
        QFETCH(int, minimum);
        QFETCH(int, maximum);
        QFETCH(QString, shown);
        const QString rateKey = "AudioSampleRate" + tag;
        const int rate44100 = format == ofAAC ? 6 : 2;
        open(format, {rateKey + '=' + QString::number(rate44100),
                      "AudioBitRatePreset" + tag + "=320", "AudioBitRatePreset" + tag + "=256"});
        auto* bar = child<QSlider>("TrackBarAudioBitrate" + tag);
        bar->setValue(format == ofAC3 ? bar->minimum() : bar->maximum());
        const int before = bar->value();
        child<QComboBox>(list + tag)->setCurrentIndex(entry);
        QCOMPARE(bar->minimum(), minimum);
        QCOMPARE(bar->maximum(), maximum);
        QCOMPARE(child<QLabel>("LabelAudioBitrate" + tag)->text(), shown);
        // Going back widens the range again but keeps the lowered rate.
        if (list == "ComboBoxSampleRate") {
            child<QComboBox>(list + tag)->setCurrentIndex(rate44100);
            QCOMPARE(child<QLabel>("LabelAudioBitrate" + tag)->text(), shown);
            QVERIFY(bar->maximum() >= before);
        }
    }

    void sixChannelsShowTheFixedRate()
    {
        open(ofAC3, {"AudioChannelsAC3=1"});
        auto* rates = child("GroupBoxSampleRateAC3")->parentWidget();
        auto* stack = qobject_cast<QStackedWidget*>(rates);
        QVERIFY(stack);
        QCOMPARE(stack->currentWidget()->objectName(), QString("GroupBoxSampleRateAC3"));
        child<QComboBox>("ComboBoxAudioChannelsAC3")->setCurrentIndex(2);
        QCOMPARE(stack->currentWidget()->objectName(), QString("GroupBoxSampleRateAC3_6Channels"));
        child<QComboBox>("ComboBoxAudioChannelsAC3")->setCurrentIndex(0);
        QCOMPARE(stack->currentWidget()->objectName(), QString("GroupBoxSampleRateAC3"));
    }

    // The three time fields check and rewrite what is typed when left.
    void timeFields_data()
    {
        QTest::addColumn<QString>("start");
        QTest::addColumn<QString>("duration");
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("shown");  // start, end, duration

        QTest::newRow("start past the end")
            << "0:00:00.000"
            << "0:00:30.000"
            << "EditStartTime"
            << "1:00" << QStringList{"0:01:00.000", "0:01:00.000", "0:00:00.000"};
        QTest::newRow("start before the end")
            << "0:00:00.000"
            << "0:01:30.000"
            << "EditStartTime"
            << "30" << QStringList{"0:00:30.000", "0:01:30.000", "0:01:00.000"};
        QTest::newRow("end before the start")
            << "0:01:00.000"
            << "0:00:30.000"
            << "EditEndTime"
            << "0:00:10" << QStringList{"0:01:00.000", "0:01:30.000", "0:00:30.000"};
        QTest::newRow("end later")
            << "0:01:00.000"
            << "0:00:30.000"
            << "EditEndTime"
            << "2:00" << QStringList{"0:01:00.000", "0:02:00.000", "0:01:00.000"};
        QTest::newRow("duration in seconds")
            << "0:00:10.000"
            << "0:00:00.000"
            << "EditDuration"
            << "90" << QStringList{"0:00:10.000", "0:01:40.000", "0:01:30.000"};
        QTest::newRow("duration of 200 hours")
            << "0:00:00.000"
            << "0:00:30.000"
            << "EditDuration"
            << "200:00:00" << QStringList{"0:00:00.000", "200:00:00.000", "200:00:00.000"};
        QTest::newRow("duration 1 ms over 200 hours")
            << "0:00:00.000"
            << "0:00:30.000"
            << "EditDuration"
            << "200:00:00.001" << QStringList{"0:00:00.000", "0:00:30.000", "0:00:30.000"};
        QTest::newRow("letters in the start")
            << "0:00:05.000"
            << "0:00:30.000"
            << "EditStartTime"
            << "1:0a" << QStringList{"0:00:05.000", "0:00:35.000", "0:00:30.000"};
        QTest::newRow("letters in the end")
            << "0:00:05.000"
            << "0:00:30.000"
            << "EditEndTime"
            << "end" << QStringList{"0:00:05.000", "0:00:35.000", "0:00:30.000"};
        QTest::newRow("fraction as milliseconds")
            << "0:00:00.000"
            << "0:00:00.000"
            << "EditDuration"
            << "1.5" << QStringList{"0:00:00.000", "0:00:01.005", "0:00:01.005"};
    }
    void timeFields()
    {
        QFETCH(QString, start);
        QFETCH(QString, duration);
        QFETCH(QString, field);
        QFETCH(QString, typed);
        QFETCH(QStringList, shown);
        open(ofMP3, {"EnableTimeControl=1", "StartTime=" + start, "Duration=" + duration});
        typeInto(child(field), typed);
        QCOMPARE((QStringList{child<QLineEdit>("EditStartTime")->text(),
                              child<QLineEdit>("EditEndTime")->text(),
                              child<QLineEdit>("EditDuration")->text()}),
                 shown);
        save();
        QCOMPARE(stored(ofMP3, "StartTime"), shown[0]);
        QCOMPARE(stored(ofMP3, "Duration"), shown[2]);
    }

    // Save takes the field being edited through its leave rule first.
    void saveChecksTheFieldBeingEdited()
    {
        open(ofAVI, {"EnableTimeControl=1", "StartTime=0:00:10.000"});
        auto* duration = child<QLineEdit>("EditDuration");
        duration->setFocus();
        QTRY_VERIFY(duration->hasFocus());
        duration->setText("90");
        save();
        QCOMPARE(stored(ofAVI, "Duration"), QString("0:01:30.000"));
    }

    // The description stays on its line of the profile file, whatever is pasted.
    void descriptionWithLineBreaks()
    {
        QTemporaryDir dir;
        open(ofAVI);
        child<QLineEdit>("EditDescription")->setText("two\r\nlines $HOME `x` \"q\"\nVideoCodec=3");
        save();
        SaveProfileSettings(ofAVI, dir.filePath("p.prf"));
        ResetProfileSettings(ofAVI);
        LoadProfileSettings(ofAVI, dir.filePath("p.prf"));
        QCOMPARE(stored(ofAVI, "Description"), QString("two lines $HOME `x` \"q\" VideoCodec=3"));
        QCOMPARE(stored(ofAVI, "VideoCodec"), QString("0"));
    }

    void escapeCancels()
    {
        open(ofAVI, {"Description=kept"});
        child<QLineEdit>("EditDescription")->setText("changed");
        QTest::keyClick(child("ComboBoxVideoCodec"), Qt::Key_Escape);
        QCOMPARE(m_editor->result(), int(QDialog::Rejected));
        QVERIFY(!m_editor->isVisible());
        QCOMPARE(stored(ofAVI, "Description"), QString("kept"));
    }

    void closeCancels()
    {
        open(ofWAV);
        child<QPushButton>("btnClose")->click();
        QCOMPARE(m_editor->result(), int(QDialog::Rejected));
    }

    // Controls greyed and tabs hidden by the check boxes and radios.
    void enableRules_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QString>("click");
        QTest::addColumn<QStringList>("enabled");
        QTest::addColumn<QStringList>("disabled");
        QTest::newRow("time control off")
            << int(ofAVI) << Settings{"EnableTimeControl=1"} << "CheckBoxEnableTimeControl"
            << QStringList{"CheckBoxEnableTimeControl"}
            << QStringList{"EditStartTime",  "EditEndTime",  "EditDuration", "LabelTimeLabel",
                           "LabelStartTime", "LabelEndTime", "LabelDuration"};
        QTest::newRow("specify the bit rate")
            << int(ofAVI) << Settings{"VideoBitRateUsePresertDivX=1"}
            << "RadioButtonVideoSpecifyDivX"
            << QStringList{"LabelBitrateSpecifyDivX", "LabelKbpsDivX",
                           "ButtonVideoBitrateConfigureDivX"}
            << QStringList{"TrackBarVideoBitrateDivX",
                           "LabelCurrentBitrateDivX",
                           "LabelBitrateDivX",
                           "LabelLowDivX",
                           "LabelHighDivX",
                           "LabelKbps2DivX"};
        QTest::newRow("keep the source size")
            << int(ofAVI) << Settings{"VideoSizeUseSourceDivX=0"} << "RadioButtonKeepSourceSizeDivX"
            << QStringList{}
            << QStringList{
                   "EditVideoWidthDivX",       "EditVideoHeightDivX", "ComboBoxVideoSizeDivX",
                   "LabelVideoDimensionsDivX", "LabelXDivX",          "LabelVideoWidthDivX",
                   "LabelVideoHeightDivX"};
        QTest::newRow("change the frame rate")
            << int(ofAVI) << Settings{"VideoKeepFrameRateDivX=1"}
            << "RadioButtonChangeFrameRateDivX" << QStringList{"ComboBoxVideoFrameRateDivX"}
            << QStringList{};
        QTest::newRow("auto audio bit rate")
            << int(ofMP3) << Settings{"AudioBitRateUseAutoSetMp3=0"}
            << "CheckBoxAutoSetAudioBitrateMp3" << QStringList{}
            << QStringList{"TrackBarAudioBitrateMp3", "LabelCurrentAudioBitrateMp3",
                           "LabelAudioBitrateMp3",    "LabelAudioSmallMp3",
                           "LabelAudioLargeMp3",      "labKbpsMp3"};
        QTest::newRow("disable audio")
            << int(ofAVI) << Settings{"AudioDisableAudio=0"} << "CheckBoxDisableAudio"
            << QStringList{} << QStringList{"GroupBoxAudioCodec", "ComboBoxAudioCodec"};
        QTest::newRow("3GP disable audio")
            << int(of3GP) << Settings{"AudioDisableAudio=0"} << "CheckBoxDisableAudio"
            << QStringList{}
            << QStringList{"ComboBoxAudioCodeNokia", "ComboBoxAudioCodeSony",
                           "GroupBoxAudioCodeNokia", "GroupBoxAudioCodeSony"};
        QTest::newRow("DVD aspect")
            << int(ofMPEG) << Settings{"DVDVideoKeepAspect=1"} << "RadioButtonDVDChangeAspect"
            << QStringList{"ComboBoxDVDVideoAspect"} << QStringList{};
    }
    void enableRules()
    {
        QFETCH(int, format);
        QFETCH(Settings, settings);
        QFETCH(QString, click);
        QFETCH(QStringList, enabled);
        QFETCH(QStringList, disabled);
        open(format, settings);
        for (const QString& name : enabled + disabled)
            QVERIFY2(child(name)->isEnabled() != enabled.contains(name) || name == click,
                     qPrintable(name + " before the click"));
        child<QAbstractButton>(click)->click();
        for (const QString& name : enabled)
            QVERIFY2(child(name)->isEnabled(), qPrintable(name));
        for (const QString& name : disabled)
            QVERIFY2(!child(name)->isEnabled(), qPrintable(name));
    }

    void disableAudioHidesTheAudioTab()
    {
        open(ofAVI);
        QVERIFY(visibleTabs().contains("TabSheetAudio"));
        child<QCheckBox>("CheckBoxDisableAudio")->click();
        QCOMPARE(visibleTabs(), (QStringList{"TabSheetGeneral", "TabSheetVideo"}));
        child<QCheckBox>("CheckBoxDisableAudio")->click();
        QVERIFY(visibleTabs().contains("TabSheetAudio"));
    }

    // The codec lists pick the pages shown.
    void pageChoice_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("videoPage");
        QTest::addColumn<QString>("audioPage");
        QTest::newRow("AVI Flv") << int(ofAVI) << Settings{} << "ComboBoxVideoCodec" << 10
                                 << "TabSheetFlv"
                                 << "";
        QTest::newRow("AVI AC3") << int(ofAVI) << Settings{} << "ComboBoxAudioCodec" << 4 << ""
                                 << "TabSheetAC3";
        QTest::newRow("MP4 as PSP")
            << int(ofMP4) << Settings{"Format=0"} << "ComboBoxMp4Format" << 1 << "TabSheetH264"
            << "TabSheetAACPsp";
        QTest::newRow("MP4 as iPod")
            << int(ofMP4) << Settings{"Format=1"} << "ComboBoxMp4Format" << 0 << "TabSheetH264"
            << "TabSheetAACMp4";
        QTest::newRow("MPEG-1 with Mp3")
            << int(ofMPEG) << Settings{"VideoCodec=0", "AudioCodecMpeg1=0"}
            << "ComboBoxAudioCodecMpeg1" << 1 << "TabSheetMpeg1"
            << "TabSheetMp3";
        QTest::newRow("MPEG-2 with AC3")
            << int(ofMPEG) << Settings{"VideoCodec=0", "AudioCodecMpeg2=0"} << "ComboBoxVideoCodec"
            << 1 << "TabSheetMpeg2"
            << "TabSheetAC3";
        QTest::newRow("3GP Sony type") << int(of3GP) << Settings{"TgpFormat=0", "VideoCodecSony=1"}
                                       << "ComboBox3GPFormat" << 2 << "TabSheetXviD"
                                       << "TabSheetAACMp4";
        QTest::newRow("3GP Nokia AMR-WB") << int(of3GP) << Settings{"TgpFormat=0"}
                                          << "ComboBoxAudioCodeNokia" << 1 << "TabSheetH263"
                                          << "TabSheetArmwb";
        QTest::newRow("MOV A-law") << int(ofMOV) << Settings{} << "ComboBoxAudioCodec" << 1 << ""
                                   << "TabSheetAlaw";
        QTest::newRow("WAV u8") << int(ofWAV) << Settings{} << "ComboBoxAudioCodec" << 1 << ""
                                << "TabSheetPcmu8";
    }
    void pageChoice()
    {
        QFETCH(int, format);
        QFETCH(Settings, settings);
        QFETCH(QString, list);
        QFETCH(int, entry);
        QFETCH(QString, videoPage);
        QFETCH(QString, audioPage);
        DialogSeam::QueuePress(QMessageBox::Ok);
        open(format, settings);
        child<QComboBox>(list)->setCurrentIndex(entry);
        if (!videoPage.isEmpty()) QCOMPARE(visiblePage("PageControlVCodec"), videoPage);
        if (!audioPage.isEmpty()) QCOMPARE(visiblePage("PageControlACodec"), audioPage);
    }

    // Attention messages come on the user's changes only, before the page
    // follows the list.
    void attentionMessages_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QString>("list");
        QTest::addColumn<int>("entry");
        QTest::addColumn<QString>("stack");
        QTest::addColumn<QString>("caption");
        QTest::newRow("3GP MPEG-4")
            << int(of3GP) << Settings{} << "ComboBoxVideoCodecNokia" << 1 << "PageControlVCodec"
            << "MPEG-4 Video Codec selected";
        QTest::newRow("3GP H263") << int(of3GP) << Settings{"VideoCodecNokia=1"}
                                  << "ComboBoxVideoCodecNokia" << 0 << "PageControlVCodec"
                                  << "";
        QTest::newRow("3GP AMR-WB")
            << int(of3GP) << Settings{} << "ComboBoxAudioCodeNokia" << 1 << "PageControlACodec"
            << "AMR-WB Audio Codec selected";
        QTest::newRow("3GP AAC") << int(of3GP) << Settings{} << "ComboBoxAudioCodeNokia" << 2
                                 << "PageControlACodec"
                                 << "AAC Audio Codec selected";
        QTest::newRow("3GP Sony lists") << int(of3GP) << Settings{"TgpFormat=1"}
                                        << "ComboBoxVideoCodecSony" << 1 << "PageControlVCodec"
                                        << "";
        QTest::newRow("AMR-WB") << int(ofAMR) << Settings{} << "ComboBoxAudioCodec" << 1
                                << "PageControlACodec"
                                << "AMR-WB Audio Codec selected";
        QTest::newRow("AMR-NB") << int(ofAMR) << Settings{"AudioCodec=1"} << "ComboBoxAudioCodec"
                                << 0 << "PageControlACodec"
                                << "";
    }
    void attentionMessages()
    {
        QFETCH(int, format);
        QFETCH(Settings, settings);
        QFETCH(QString, list);
        QFETCH(int, entry);
        QFETCH(QString, stack);
        QFETCH(QString, caption);
        open(format, settings);
        // Loading stored choices says nothing.
        QCOMPARE(DialogSeam::Log(), QStringList());
        const QString pageBefore = visiblePage(stack);
        QString pageWhenAsked;
        DialogSeam::Queue([&](QDialog&) {
            pageWhenAsked =
                m_editor->findChild<QStackedWidget*>(stack)->currentWidget()->objectName();
        });
        child<QComboBox>(list)->setCurrentIndex(entry);
        QVERIFY(visiblePage(stack) != pageBefore);
        const QStringList log = DialogSeam::Log();
        if (caption.isEmpty()) {
            QCOMPARE(log, QStringList());
            return;
        }
        QCOMPARE(log.size(), 1);
        QVERIFY2(log.first().startsWith(caption + " | ATTENTION!"), qPrintable(log.first()));
        QCOMPARE(pageWhenAsked, pageBefore);
    }

    void loadingStoredAacSaysNothing()
    {
        open(of3GP, {"TgpFormat=0", "AudioCodecNokia=2", "VideoCodecNokia=1"});
        QCOMPARE(DialogSeam::Log(), QStringList());
        QCOMPARE(visiblePage("PageControlACodec"), QString("TabSheetAACMp4"));
        QCOMPARE(visiblePage("PageControlVCodec"), QString("TabSheetDivX"));
    }

    // The MPEG presets decide the tabs and groups shown.
    void mpegPresets_data()
    {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QStringList>("tabs");
        QTest::addColumn<bool>("codecGroupsShown");
        QTest::newRow("DVD preset") << Settings{"UsePresetFormats=1", "PresetType=2"}
                                    << QStringList{"TabSheetGeneral", "TabSheetDVD"} << false;
        QTest::newRow("VCD preset") << Settings{"UsePresetFormats=1", "PresetType=0"}
                                    << QStringList{"TabSheetGeneral"} << false;
        QTest::newRow("SVCD preset, audio off")
            << Settings{"UsePresetFormats=1", "PresetType=1", "AudioDisableAudio=1"}
            << QStringList{"TabSheetGeneral"} << false;
        QTest::newRow("no presets")
            << Settings{"UsePresetFormats=0", "PresetType=2"}
            << QStringList{"TabSheetGeneral", "TabSheetVideo", "TabSheetAudio"} << true;
        QTest::newRow("no presets, audio off")
            << Settings{"UsePresetFormats=0", "AudioDisableAudio=1"}
            << QStringList{"TabSheetGeneral", "TabSheetVideo"} << true;
    }
    void mpegPresets()
    {
        QFETCH(Settings, settings);
        QFETCH(QStringList, tabs);
        QFETCH(bool, codecGroupsShown);
        open(ofMPEG, settings);
        QCOMPARE(visibleTabs(), tabs);
        QCOMPARE(child("GroupBoxVideoCode")->isVisible(), codecGroupsShown);
        QCOMPARE(child("GroupBoxSameQuality")->isVisible(), codecGroupsShown);
        QCOMPARE(child("GroupBoxDisableAudio")->isVisible(), codecGroupsShown);
        QCOMPARE(child("RadioGroupPresetType")->isEnabled(), !codecGroupsShown);
        QCOMPARE(child("RadioGroupPresetTargetFormat")->isEnabled(), !codecGroupsShown);
    }

    void untickingPresetsBringsBackVideoAndAudio()
    {
        open(ofMPEG, {"UsePresetFormats=1", "PresetType=2"});
        child<QCheckBox>("CheckBoxUsePressetFormat")->click();
        QCOMPARE(visibleTabs(), (QStringList{"TabSheetGeneral", "TabSheetVideo", "TabSheetAudio"}));
        child<QCheckBox>("CheckBoxUsePressetFormat")->click();
        child<QAbstractButton>("RadioButtonVCD")->click();
        QCOMPARE(visibleTabs(), QStringList{"TabSheetGeneral"});
    }

    // Picking a size fills the fields; typed sizes pick their entry; odd
    // sizes are raised when left, except in MPEG.
    void sizes_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("tag");
        QTest::addColumn<int>("entry");  // -1: type instead
        QTest::addColumn<QString>("typedWidth");
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<QString>("entryShown");
        QTest::newRow("MPEG 160 x 320")
            << int(ofMPEG) << "Mpeg1" << 3 << "" << 160 << 320 << "160 x 320";
        QTest::newRow("handheld PSP")
            << int(ofMP4) << "H264" << 4 << "" << 320 << 240 << "320x240 (iPod/PSP)";
        QTest::newRow("last entry changes nothing")
            << int(ofAVI) << "DivX" << 13 << "" << 320 << 240 << "...";
        QTest::newRow("MPEG keeps 161")
            << int(ofMPEG) << "Mpeg1" << -1 << "161" << 161 << 240 << "...";
        QTest::newRow("AVI raises 161")
            << int(ofAVI) << "DivX" << -1 << "161" << 162 << 240 << "...";
        QTest::newRow("641 becomes 642")
            << int(ofAVI) << "DivX" << -1 << "641" << 642 << 240 << "...";
        QTest::newRow("1600 stays") << int(ofAVI) << "DivX" << -1 << "1600" << 1600 << 240 << "...";
        QTest::newRow("typed size picks its entry")
            << int(ofAVI) << "DivX" << -1 << "352" << 352 << 240 << "352x240";
    }
    void sizes()
    {
        QFETCH(int, format);
        QFETCH(QString, tag);
        QFETCH(int, entry);
        QFETCH(QString, typedWidth);
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(QString, entryShown);
        open(format, {"VideoSizeUseSource" + tag + "=0", "VideoWidth" + tag + "=320",
                      "VideoHeight" + tag + "=240"});
        child<QStackedWidget>("PageControlVCodec")->setCurrentWidget(child("TabSheet" + tag));
        child<QTabWidget>("PageControlOptions")->setCurrentWidget(child("TabSheetVideo"));
        auto* sizes = child<QComboBox>("ComboBoxVideoSize" + tag);
        if (entry >= 0)
            sizes->setCurrentIndex(entry);
        else
            typeInto(child("EditVideoWidth" + tag), typedWidth);
        QCOMPARE(child<QSpinBox>("EditVideoWidth" + tag)->value(), width);
        QCOMPARE(child<QSpinBox>("EditVideoHeight" + tag)->value(), height);
        QCOMPARE(sizes->currentText(), entryShown);
        save();
        QCOMPARE(stored(format, "VideoWidth" + tag), QString::number(width));
    }

    void h263SizeRadios_data()
    {
        QTest::addColumn<Settings>("settings");
        QTest::addColumn<QString>("checked");
        QTest::newRow("stored 176 x 144") << Settings{"VideoWidthH263=176", "VideoHeightH263=144"}
                                          << "RadioButtonVideoSize176_144H263";
        QTest::newRow("no stored match") << Settings{"VideoWidthH263=640", "VideoHeightH263=480"}
                                         << "RadioButtonVideoSize352_288H263";
    }
    void h263SizeRadios()
    {
        QFETCH(Settings, settings);
        QFETCH(QString, checked);
        open(ofAVI, settings);
        QVERIFY(child<QAbstractButton>(checked)->isChecked());
        child<QAbstractButton>("RadioButtonVideoSize128_96H263")->click();
        save();
        QCOMPARE(stored(ofAVI, "VideoWidthH263") + 'x' + stored(ofAVI, "VideoHeightH263"),
                 QString("128x96"));
    }

    // Configure asks through the value dialog with the page's ladder as range.
    void configureAsksForTheBitrate_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("refusal");
        QTest::newRow("AVI 1000") << int(ofAVI) << "ButtonVideoBitrateConfigureDivX"
                                  << "LabelBitrateSpecifyDivX"
                                  << "1000"
                                  << "1000"
                                  << "";
        QTest::newRow("hexadecimal") << int(ofAVI) << "ButtonVideoBitrateConfigureDivX"
                                     << "LabelBitrateSpecifyDivX"
                                     << "$FF"
                                     << "255"
                                     << "";
        QTest::newRow("WMV above 6000") << int(ofWMV) << "ButtonVideoBitrateConfigureWmv7"
                                        << "LabelBitrateSpecifyWmv7"
                                        << "7000"
                                        << "1500"
                                        << "between 64 and 6000";
        QTest::newRow("SWF above 3600") << int(ofSWF) << "ButtonVideoBitrateConfigureFlv"
                                        << "LabelBitrateSpecifyFlv"
                                        << "4000"
                                        << "1500"
                                        << "between 64 and 3600";
        QTest::newRow("DVD range") << int(ofMPEG) << "ButtonDVDVideoBitrateConfigure"
                                   << "LabelDVDBitrateSpecify"
                                   << "9601"
                                   << "1500"
                                   << "between 64 and 9600";
    }
    void configureAsksForTheBitrate()
    {
        QFETCH(int, format);
        QFETCH(QString, button);
        QFETCH(QString, label);
        QFETCH(QString, typed);
        QFETCH(QString, shown);
        QFETCH(QString, refusal);
        const QString key =
            label == "LabelDVDBitrateSpecify"
                ? QString("DVDVideoBitRateSpecify")
                : "VideoBitRateSpecify" + label.mid(QString("LabelBitrateSpecify").size());
        open(format, {key + "=1500", QString(key).replace("Specify", "UsePresert") + "=0"});
        QString caption;
        DialogSeam::Queue([&](QDialog& dialog) {
            caption = dialog.windowTitle();
            dialog.findChild<QLineEdit*>("EditValue")->setText(typed);
            DialogSeam::QueuePress(QMessageBox::Ok);
            dialog.findChild<QPushButton*>("btnOK")->click();
            if (dialog.isVisible()) dialog.reject();
        });
        child<QPushButton>(button)->click();
        QCOMPARE(caption, QString("Enter value"));
        QCOMPARE(child<QLabel>(label)->text(), shown);
        const QString log = DialogSeam::Log().join('\n');
        if (refusal.isEmpty())
            QVERIFY2(!log.contains("not valid"), qPrintable(log));
        else
            QVERIFY2(log.contains(refusal), qPrintable(log));
        save();
        QCOMPARE(stored(format, key), shown);
    }

    void framerateLists_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("list");
        QTest::addColumn<QString>("first");
        QTest::addColumn<int>("count");
        QTest::newRow("AVI") << int(ofAVI) << "ComboBoxVideoFrameRateDivX"
                             << "10 " << 13;
        QTest::newRow("VOB") << int(ofVOB) << "ComboBoxVideoFrameRateMpeg2"
                             << "19.98" << 9;
    }
    void framerateLists()
    {
        QFETCH(int, format);
        QFETCH(QString, list);
        QFETCH(QString, first);
        QFETCH(int, count);
        open(format);
        QCOMPARE(child<QComboBox>(list)->count(), count);
        QCOMPARE(child<QComboBox>(list)->itemText(0), first);
    }

    // Tab walks the General page from top to bottom, the editor's own groups
    // in their place among the shared ones.
    void tabOrderFollowsThePage_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QStringList>("expected");  // in this order, others between
        QTest::newRow("AVI") << int(ofAVI)
                             << QStringList{"CheckBoxEnableTimeControl", "ComboBoxVideoCodec",
                                            "CheckBoxSameQuality",       "ComboBoxAudioCodec",
                                            "CheckBoxDisableAudio",      "btnSave"};
        QTest::newRow("MP4") << int(ofMP4)
                             << QStringList{"CheckBoxEnableTimeControl", "ComboBoxMp4Format",
                                            "ComboBoxVideoCodec", "ComboBoxAudioCodec", "btnSave"};
        QTest::newRow("3GP") << int(of3GP)
                             << QStringList{"CheckBoxEnableTimeControl", "ComboBox3GPFormat",
                                            "ComboBoxVideoCodecNokia", "ComboBoxAudioCodeNokia",
                                            "btnSave"};
        QTest::newRow("MPEG") << int(ofMPEG)
                              << QStringList{"CheckBoxEnableTimeControl",
                                             "CheckBoxUsePressetFormat", "ComboBoxVideoCodec",
                                             "ComboBoxAudioCodecMpeg2", "btnSave"};
    }
    void tabOrderFollowsThePage()
    {
        QFETCH(int, format);
        QFETCH(QStringList, expected);
        // The lists' drop-downs exist before the first showing, as they may.
        open(format, {"EnableTimeControl=1"}, [](TProfileEditor& editor) {
            for (QComboBox* list : editor.findChildren<QComboBox*>())
                list->view();
        });
        child("EditDescription")->setFocus();
        QStringList visited;
        for (int i = 0; i < 40 && !visited.contains("btnSave"); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            visited << QApplication::focusWidget()->objectName();
        }
        int at = -1;
        for (const QString& name : expected) {
            const int found = visited.indexOf(name);
            QVERIFY2(found > at, qPrintable(name + " out of order in " + visited.join(", ")));
            at = found;
        }
    }

    // A language switch re-applies every text and keeps the choices.
    void textsFollowTheLanguage()
    {
        open(ofMP4, {"Format=1"});
        QCOMPARE(m_editor->windowTitle(), QString("MP4 Profile Editor"));
        QVERIFY(LoadLanguage(CLIPFORGE_SOURCE_DIR "/data/skin/kelp/lang/deutsch.ini"));
        m_editor->ApplyTexts();
        QCOMPARE(m_editor->windowTitle(), MsgFormat(MSG_PROFILE_EDITOR, QString("MP4")));
        QVERIFY(m_editor->windowTitle() != "MP4 Profile Editor");
        QCOMPARE(child<QComboBox>("ComboBoxMp4Format")->currentIndex(), 1);
        QCOMPARE(child<QPushButton>("btnSave")->text(), Msg(MSG_SAVE));
        QCOMPARE(child<QAbstractButton>("RadioButtonKeepSourceSizeH264")->text(),
                 Msg(MSG_KEEP_SOURCE_DIM));
        QCOMPARE(child<QComboBox>("ComboBoxVideoSizeH264")->itemText(1),
                 "176x144 (" + Msg(MSG_MOBILE) + ")");
    }

    // Every text fits its control in each language, and each control can be
    // reached with the keyboard.
    void textsFit_data()
    {
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("language");
        const char* languages[] = {"english.ini", "french.ini", "deutsch.ini", "italian.ini"};
        for (const char* language : languages)
            for (int format = 0; format < OutputFormatCount; ++format) {
                // Not addRow("%s %d"): GCC at -O3 takes language for null there.
                const QByteArray tag = QByteArray(language) + ' ' + QByteArray::number(format);
                QTest::newRow(tag.constData()) << format << QString(language);
            }
    }
    void textsFit()
    {
        QFETCH(int, format);
        QFETCH(QString, language);
        QVERIFY(LoadLanguage(CLIPFORGE_SOURCE_DIR "/data/skin/kelp/lang/" + language));
        open(format);
        auto* pages = child<QTabWidget>("PageControlOptions");
        auto fits = [&](QWidget* page) {
            for (QWidget* w : page->findChildren<QWidget*>()) {
                if (!w->isVisibleTo(page)) continue;
                if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w) ||
                    qobject_cast<QGroupBox*>(w))
                    QVERIFY2(w->width() >= w->minimumSizeHint().width(),
                             qPrintable(w->objectName() + " is cut"));
                if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w) ||
                    qobject_cast<QLineEdit*>(w) || qobject_cast<QSlider*>(w) ||
                    qobject_cast<QSpinBox*>(w))
                    QVERIFY2(w->focusPolicy() & Qt::TabFocus,
                             qPrintable(w->objectName() + " takes no keyboard focus"));
            }
        };
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            fits(pages->widget(i));
        }
    }
};

QTEST_MAIN(TestProfileEditors)
#include "tst_ProfileEditors.moc"
