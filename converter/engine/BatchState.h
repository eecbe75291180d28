#pragma once

#include <QString>
#include <QtGlobal>

// The figures of the batch that runs, owned by its driver. Times are in days,
// as date-times.
struct TBatchState {
    qint32 TotalCount = 0;
    qint32 DoneCount = 0;
    qint32 FailedCount = 0;
    qint64 TotalBytes = 0;
    qint64 FinishedBytes = 0;  // the sizes of the files that ended
    qint64 DoneBytes = 0;      // FinishedBytes and the running file's share
    qint32 Percent = 0;        // never falls
    double StartTime = 0;
    bool ErrorsOccurred = false;
    bool StopWhenDone = false;
};

// The figures of one file of a batch, made afresh for each file so that
// nothing of the previous one survives into it.
struct TFileState {
    int Row = -1;
    QString InputFile;   // the queued input
    QString OutputFile;  // the output it makes (a device item's main output)
    qint64 Bytes = 0;    // the input's size, its share of the batch
    bool Failed = false;
    double StartTime = 0;
    qint32 DurationMs = 0;
    qint32 PositionMs = 0;
    // How far the file got, 0 to 1; it never falls, so a device item's later
    // steps (a thumbnail of the finished output) do not start the file again.
    double Done = 0;
    qint32 Percent = 0;
    // The names the encoder's first step reported; later steps of a device
    // item read intermediate files, which the user never asked for.
    QString ReportedInput;
    QString ReportedOutput;
    int Steps = 0;  // the encoder runs that printed an input header
};
