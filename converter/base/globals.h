#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <utility>

// Output formats; the index selects the settings record, the profile folder
// and the argument builder branch.
enum OutputFormatIndex : quint8 {
    ofAVI = 0,
    ofMP4 = 1,
    of3GP = 2,
    ofMPEG = 3,
    ofMOV = 4,
    ofWMV = 5,
    ofRM = 6,
    ofSWF = 7,
    ofVOB = 8,
    ofASF = 9,
    ofAAC = 10,
    ofAC3 = 11,
    ofMP2 = 12,
    ofMP3 = 13,
    ofAMR = 14,
    ofWAV = 15,
};
inline constexpr int OutputFormatCount = 16;

// State images of a row in the file list.
enum RowState : int { rsQueued = 0, rsConverting = 1, rsConverted = 2, rsFailed = 3 };

// One filter of the open dialog: a caption and its pattern list.
using NameValue = std::pair<QString, QString>;

// The converter's settings and what start-up found, shared by every window and
// module. A running batch keeps its own figures in its driver.
struct TGlobalVars {
    quint8 OutputFormat = ofAVI;
    QString LanguageFile;
    QString LastInputOpenDir;
    QString LastOutputOpenDir;
    quint8 Priority = 0;
    quint8 ShutdownFlag = 0;
    bool ShutdownWindowsWhenDone = false;
    bool DeleteFileAfterProcessing = false;
    QList<NameValue> InputFileTypes;
    QStringList AVSExt;
    bool UseDirectShow = false;
    QString EncoderPath;
    QString ProfileRootDir;
    QString ProfileDir[OutputFormatCount];
    QString DeviceProfileDir;
    QString TgpiPodPSPProfileFileName;
    qint32 MP4MenuIndex = 0;
    qint32 TgpMenuIndex = 0;
    // Our addition: every output format's button stays on the window.
    bool ShowAllFormats = false;
};

// The one application state of the process; zero-filled until start-up fills it.
extern TGlobalVars GlobalVars;

// Puts the start-up defaults into the state; documentsDir stands for the
// user's documents folder.
void SetStartupDefaults(TGlobalVars& vars, const QString& documentsDir);

// Facts of one queued file, owned by its row of the file list.
struct TFileItem {
    QString FileName;
    QString FilePath;
    QString CompleteName;
    QString FileSize;
    QString Format;
    QString PlayTime;
    QString AudioCount;
    QString VideoCount;
    QString VideoCodec;
    QString Width;
    QString Height;
    QString VideoBitrate;
    QString AspectRatio;
    QString FrameRate;
    QString AudioCodec;
    QString AudioBitrate;
    QString Channels;
    QString SamplingRate;
};
