#pragma once

#include <QImage>
#include <QList>
#include <QString>
#include <QtGlobal>

#include <optional>

// A video is a pair of files in one folder: NAME.THM (its thumbnail) and
// NAME.MP4. Lists find videos through their thumbnails. File names are matched
// without regard to case: the console's FAT storage does not keep it reliably.

// The console's two video folders: MP_ROOT/100MNV01 for MPEG-4 Part 2 video
// named M4V5nnnn.MP4, MP_ROOT/100ANV01 for AVC video named MAQ5nnnn.MP4.
enum class ConsoleFolder { Mpeg4, Avc };

// A console video folder below its drive (no trailing separator); MP_ROOT and
// the folder are taken in the case they exist in.
QString ConsoleVideoFolder(const QString& deviceDrive, ConsoleFolder folder = ConsoleFolder::Mpeg4);

// Side of the thumbnail image of every entry.
inline constexpr int ThumbnailSide = 40;

// One row of a video list, fields in row order.
struct VideoEntry {
    QString thumbnailPath;  // full path of the .THM file
    QString thumbnailName;  // the path after its last '/' (the whole path without one)
    QString note;           // free text drawn beside the entry; callers pass ""
    QString sizeText;       // the MP4's size: (bytes + 511) / 1024, then " KB"
    QImage thumbnail;       // 40 x 40, 24-bit colour; white when the .THM is no image
    QString mp4Path;        // the thumbnail path with ".MP4" for its last four characters,
                            // or the existing file of that name in another case
    QString mp4Name;        // the file-name part of mp4Path
    // The title in the video's PSP header, the name the console shows; read
    // for console rows only, empty when there is none.
    QString title;
    qint64 modifiedMs = 0;  // the MP4's last change, ms since the epoch; 0 unknown
};

// How the lists are ordered.
enum class VideoOrder { Name, Date };

// Name: by the name shown (title, else file name), numbers in names by their
// value and without regard to case. Date: newest first, then by name.
void SortVideoEntries(QList<VideoEntry>& entries, VideoOrder order);

// The rows of one list as the store sees them. The window's list control
// implements it; row i always shows entry i.
class VideoList {
public:
    virtual ~VideoList();

    virtual int count() const = 0;
    virtual const VideoEntry& entry(int row) const = 0;
    // Appends one row.
    virtual void appendEntry(VideoEntry entry) = 0;
    // Removes every row.
    virtual void removeAllEntries() = 0;
    // The selected rows in ascending order.
    virtual QList<int> selectedRows() const = 0;
};

// A list held in memory: the window's list model and the tests' list.
class MemoryVideoList : public VideoList {
public:
    MemoryVideoList();
    ~MemoryVideoList() override;

    int count() const override;
    const VideoEntry& entry(int row) const override;
    void appendEntry(VideoEntry entry) override;
    void removeAllEntries() override;
    QList<int> selectedRows() const override;

    // Removes one row; every later row moves one position up.
    void removeEntry(int row);
    void setSelected(int row, bool selected);
    bool isSelected(int row) const;
    void clearSelection();

private:
    QList<VideoEntry> m_entries;
    QList<bool> m_selected;
};

// The message boxes the store shows. The window answers with real boxes,
// tests record and answer them.
class StorePrompts {
public:
    enum class Icon { None, Exclamation };

    virtual ~StorePrompts();

    // A message box with an OK button.
    virtual void showMessage(const QString& text, Icon icon) = 0;
    // A question with Yes and No buttons; true on Yes.
    virtual bool askYesNo(const QString& text, const QString& caption) = 0;
};

// Replaces the rows of list with the videos of folder: one row per .THM file
// (any case; directories skipped), in the order the file system lists them,
// then one per .MP4 file without a thumbnail (its thumbnail path names the
// missing .THM). A missing or unreadable folder gives an empty list.
void ListVideos(const QString& folder, VideoList& list);

// Replaces the rows of list with the videos of both console video folders,
// those of 100MNV01 first, with their titles.
void ListConsoleVideos(const QString& deviceDrive, VideoList& list);

// Appends the row of the video whose thumbnail is thumbnailPath. An MP4 that
// cannot be opened shows "0 KB"; sizes of 4 GiB and more show in full.
void AddVideoEntry(VideoList& list, const QString& thumbnailPath, const QString& note);

// Builds the entry AddVideoEntry appends, without a list, title included.
VideoEntry MakeVideoEntry(const QString& thumbnailPath, const QString& note);

// The size text of an MP4 of that many bytes: "0 KB" for 512 bytes, "1 KB" for 513.
QString VideoSizeText(qint64 bytes);

// The full path of the next video of a console folder: the folder, '/' and
// the first of M4V50001.MP4 ... M4V59999.MP4 (MAQ50001.MP4 ... for AVC) that
// no entry of the folder takes, neither as the .MP4 nor as the .THM name,
// whatever kind of entry it is (compared without regard to case). A missing or empty folder gives
// number 0001. Nothing when deviceDrive is empty or all 9999 are taken. The folder is listed once.
std::optional<QString> FindFreeVideoName(const QString& deviceDrive,
                                         ConsoleFolder folder = ConsoleFolder::Mpeg4);

// Copies the MP4 at mp4Path and its thumbnail (the same path with ".THM", found
// without regard to case) onto the console under the next free name of the
// folder its video belongs in, read from the MP4 itself: MPEG-4 Part 2 to
// 100MNV01, AVC to 100ANV01; a missing folder is created. Any other MP4, a
// file that is no readable MP4, and a video beyond the console's decoder (AVC:
// Baseline or Main profile, level 3.0, 480x272; MPEG-4: Simple profile,
// 320x240; both at most 30 fps) is refused, as the console would not play it.
// Appends the console's row to consoleList. Without a connected console it does
// nothing and says nothing. Messages: "Error: Could not create an output path."
// (no icon) when no name is free; "Could not transfer file %s to PSP!\n%s" with
// the file and the system's text for the failure or why the video was refused
// (exclamation icon). Each file is written under a temporary name and renamed
// when complete, so a failed copy leaves no partial file and replaces nothing.
// A video without a thumbnail gets one made from its first picture by ffmpeg
// (CLIPFORGE_FFMPEG, else the PATH's), or is copied without one. When the
// thumbnail's copy fails, the MP4 already copied is removed again. True when
// the video was copied.
bool TransferVideo(const QString& mp4Path, const QString& deviceDrive, bool deviceConnected,
                   VideoList& consoleList, StorePrompts& prompts);

// Watches a copy from the thread that runs it.
class CopyMonitor {
public:
    virtual ~CopyMonitor();
    // Asked between blocks; true stops the copy, which then leaves no partial
    // file and keeps earlier videos.
    virtual bool cancelRequested() const = 0;
    // That many more bytes of the video or its thumbnail were written.
    virtual void bytesCopied(qint64 bytes) = 0;
};

struct VideoCopyResult {
    bool copied = false;
    bool cancelled = false;  // stopped through the monitor
    // When not copied: the message TransferVideo shows, and its icon.
    QString message;
    StorePrompts::Icon icon = StorePrompts::Icon::Exclamation;
    QString consoleThumbnail;  // when copied: the thumbnail on the console
    // When copied without a thumbnail (the source had none and none could be
    // made): what to tell the user.
    QString note;
};

// TransferVideo's copy without its list and its message box, for a worker
// thread: the console is taken as connected; monitor, when given, sees every
// block written and can stop the copy.
VideoCopyResult CopyVideoToConsole(const QString& mp4Path, const QString& deviceDrive,
                                   CopyMonitor* monitor = nullptr);

// The bytes a transfer of the video writes: its MP4 and its thumbnail.
qint64 VideoTransferSize(const QString& mp4Path);

// Deletes the selected videos of one list after confirmation. Console rows are
// offered first ("Are you sure you want to delete these files from the PSP?")
// and deleted for good, the console having no trash; only when none is
// selected, computer rows ("... to the trash?"), moved to the desktop's trash.
// Both are asked with the caption "Warning". Each video's .MP4 goes before its
// .THM, and the thumbnail stays when the video could not go, so no video is
// ever left unlisted. Every failure is reported, with the system's text, in one
// box; the list is then read again from its folders: both console video
// folders of deviceDrive, or pcFolder.
void DeleteVideos(VideoList& consoleList, VideoList& computerList, const QString& deviceDrive,
                  const QString& pcFolder, StorePrompts& prompts);

// "950 KB", "12.5 MB", "3.92 GB": sizes for people, in powers of 1000.
QString ByteSizeText(qint64 bytes);

// The console's memory stick as the file system reports it.
struct ConsoleSpace {
    bool known = false;  // false when the drive could not be asked
    qint64 freeBytes = 0;
    qint64 totalBytes = 0;
    qint64 clusterBytes = 1;  // every file takes whole clusters
    bool fat = false;         // FAT (the console's own format): no file of 4 GiB or more
};

ConsoleSpace ReadConsoleSpace(const QString& deviceDrive);

// The largest file FAT32 holds: one byte short of 4 GiB.
inline constexpr qint64 MaxFatFileSize = 0xffffffffLL;

// What a transfer can copy, decided before the first byte is written.
struct TransferPlan {
    QStringList paths;     // the videos to copy, in order
    QStringList refusals;  // one message per video left out
    qint64 needed = 0;     // bytes the copies take on the stick, in whole clusters
    // Empty, or why nothing at all is copied: the stick lacks room for all.
    QString noRoom;
};

// Leaves out videos too large for a FAT stick and says when the stick lacks
// room for the rest (both are known before copying; a half-done transfer
// would only fill the stick).
TransferPlan PlanTransfer(const QStringList& mp4Paths, const ConsoleSpace& space);

// The console video (its MP4's path) that is the same video as mp4Path: the
// same size and the same first and last 64 KiB; empty when there is none.
QString FindVideoOnConsole(const QString& mp4Path, const QString& deviceDrive);
