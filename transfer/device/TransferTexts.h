#pragma once

#include <QString>

// The texts of the transfer manager's message boxes, in one place.
namespace TransferText {

// Video store.
inline const QString NoOutputPath = QStringLiteral("Error: Could not create an output path.");
// %1 the file, %2 why: the system's text for the failure or one of the reasons below.
inline const QString CouldNotTransfer = QStringLiteral("Could not transfer file %1 to PSP!\n%2");
inline const QString NotReadableMp4 =
    QStringLiteral("It is not a readable MP4 video, so the PSP could not show it.");
inline const QString NoVideoTrack =
    QStringLiteral("It holds no video track, so the PSP could not show it.");
// %1 what the video is, such as "HEVC (H.265)".
inline const QString UnplayableCodec =
    QStringLiteral("Its video is %1; the PSP shows only MPEG-4 and AVC (H.264) video.");
// %1 what the video is, %2 what the PSP's decoder takes of its kind.
inline const QString BeyondDecoder = QStringLiteral("Its video is %1; the PSP plays %2.");
inline const QString AvcLimits =
    QStringLiteral("AVC of Baseline or Main profile up to level 3.0, 480x272 and 30 fps");
inline const QString Mpeg4Limits =
    QStringLiteral("MPEG-4 of Simple profile up to 320x240 and 30 fps");
inline const QString TooLargeForFat =
    QStringLiteral("It is 4 GiB or larger, more than one file on the PSP's memory stick can hold.");
// %1 the bytes needed, %2 the bytes free, such as "1.25 GB".
inline const QString NotEnoughSpace = QStringLiteral(
    "There is not enough free space on the PSP for these videos: they need %1, %2 is free.");
// %1 the video, %2 the same video on the console.
inline const QString AlreadyOnPsp =
    QStringLiteral("%1 is already on the PSP as %2.\nCopy it again?");
inline const QString AlreadyOnPspCaption = QStringLiteral("Video already on the PSP");
// %1 free, %2 total, such as "1.25 GB".
inline const QString SpaceFree = QStringLiteral("%1 free of %2");
inline const QString DeleteFromPsp =
    QStringLiteral("Are you sure you want to delete these files from the PSP?");
inline const QString DeleteFromDisk =
    QStringLiteral("Are you sure you want to move these files from the hard drive to the trash?");
// Followed by one FailedFileLine per file.
inline const QString CouldNotDelete = QStringLiteral("These files could not be deleted:\n");
inline const QString CouldNotTrash =
    QStringLiteral("These files could not be moved to the trash, so they were kept:\n");
// %1 the file, %2 the system's text.
inline const QString FailedFileLine = QStringLiteral("%1: %2");
inline const QString NoTrash = QStringLiteral("There is no trash for this folder.");
inline const QString DeleteCaption = QStringLiteral("Warning");

// %1 the video, %2 why no thumbnail could be made.
inline const QString CopiedWithoutThumbnail =
    QStringLiteral("%1 has no thumbnail and was copied without one: %2");
inline const QString NoFfmpeg = QStringLiteral("ffmpeg, which makes thumbnails, is not installed.");
inline const QString NoPictureInVideo = QStringLiteral("ffmpeg could not read a picture from it.");

// Safe removal.
inline const QString EjectDone = QStringLiteral("The PSP can now be unplugged safely.");
inline const QString EjectBusy = QStringLiteral(
    "The PSP cannot be ejected while a program uses a file on it. Close that program and try "
    "again.");
// %1 the disk service's text.
inline const QString EjectRefused = QStringLiteral("The desktop refused to eject the PSP:\n%1");
inline const QString EjectUnavailable = QStringLiteral(
    "The PSP cannot be ejected here: the desktop's disk service (UDisks2) is not available.\n%1");
inline const QString EjectNotFound = QStringLiteral(
    "The PSP cannot be ejected here: the desktop's disk service does not know its drive.");
inline const QString EjectFailed = QStringLiteral("The PSP could not be ejected:\n%1");
inline const QString EjectUnmountedOnly = QStringLiteral(
    "The PSP's memory stick was unmounted and can be unplugged, but its drive could not be "
    "switched off.\n%1");

// Window.
inline const QString TransferComplete = QStringLiteral("Transfer complete");
inline const QString PspNotConnected =
    QStringLiteral("The PSP is not connected. Connect it and try again.");
inline const QString SelectVideos =
    QStringLiteral("Select the videos to transfer in the list on the left first.");
// %1 videos copied, %2 videos selected.
inline const QString TransferIncomplete =
    QStringLiteral("Only %1 of %2 videos were transferred to the PSP.");
// %1 videos copied, %2 videos selected.
inline const QString TransferCancelled =
    QStringLiteral("The transfer was cancelled: %1 of %2 videos were transferred to the PSP.");
inline const QString TransferRunning =
    QStringLiteral("A transfer is still running. Wait for it to end or cancel it first.");

}  // namespace TransferText
