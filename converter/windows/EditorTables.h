#pragma once

#include "localisation/MessageTable.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <span>

// What the sixteen profile editors differ in, as data: their codec lists,
// the pages those lists show, ladders, ranges and picture lists.

using TLadder = std::span<const qint32>;

// A track bar's positions, first to last.
struct TRange {
    int Min = 1;
    int Max = 1;
};

enum class TSizeChoice { List, H263Radios };

// One video codec page. Its controls carry Tag; its settings keys Suffix.
struct TVideoPageConfig {
    QString Tag;
    QString Suffix;
    MsgKey Name;  // the codec's name in the page header
    TSizeChoice Sizes = TSizeChoice::List;
};

// One audio codec page.
struct TAudioPageConfig {
    QString Tag;
    QString Suffix;
    MsgKey Name;
    TLadder Ladder;  // empty: no bit rate to choose
    int Maximum = 0;
    QStringList SampleRates;  // Hz; list position p is the stored index p
    QList<TRange> Ranges;     // by sample-rate position; empty: 1..Maximum always
    int Channels = 2;         // entries of the channel list: 1 mono, 2 stereo, 3 also 5.1
    // The range while six channels are chosen (AC3 only).
    TRange SixChannels{};
};

// An entry of a codec list: its text and the page it shows.
struct TCodecEntry {
    MsgKey Text;
    int Page = 0;
};

enum class TSizeList { Standard, Handheld, Phone, Mpeg, RM };
enum class TFrameRateList { Thirteen, Nine };

struct TEditorConfig {
    MsgKey Name;  // the format's name in the caption
    QList<TVideoPageConfig> VideoPages;
    QList<TCodecEntry> VideoCodecs;  // empty: the editor has its own lists
    QList<TAudioPageConfig> AudioPages;
    QList<TCodecEntry> AudioCodecs;
    TLadder VideoLadder;
    int VideoMaximum = 0;
    TSizeList Sizes = TSizeList::Standard;
    TFrameRateList FrameRates = TFrameRateList::Thirteen;
    bool RaiseOddSizes = true;

    bool HasVideo() const { return !VideoPages.isEmpty(); }
    int VideoPageOf(const QString& tag) const;
    int AudioPageOf(const QString& tag) const;
};

// The editor of an output format (0 AVI ... 15 WAV).
const TEditorConfig& EditorConfigOf(int format);

// The entries of a size list in the current language; the last is "...".
QStringList SizeListEntries(TSizeList list);
// The width and height an entry names; false for "...".
bool SizeOfEntry(const QString& entry, int& width, int& height);

QStringList FrameRateEntries(TFrameRateList list);

// The ladders' kbit/s as the value labels show them.
QString BitrateText(qint32 kbps);
