#pragma once

#include "base/globals.h"
#include "engine/BatchFolders.h"
#include "engine/BatchState.h"
#include "engine/OutputParser.h"
#include "engine/PowerActions.h"
#include "engine/ProgressView.h"
#include "engine/Redirect.h"
#include "profiles/ProfileCatalogue.h"

#include <QEventLoop>
#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>

// The output extension of a format, with its dot; for MP4 and 3GP the item's "EXT".
QString OutputExtension(int format, const TProfileDetailItem* item);

// What one file of a batch runs, composed without touching any file or state.
struct TFilePlan {
    QStringList Arguments;   // the program and its arguments
    QString Text;            // the display text: the command line, or the script's path
    QString Options;         // the encoder options, for the clip limit
    QString Script;          // MP4 and 3GP: the script's text
    QString DirectShow;      // the DirectShow script's text, when the input goes that way
    QString DirectShowPath;  // where the encoder reads that script
    QString OutputFile;      // the output path (MP4 and 3GP: the item's main output)
    QString Error;           // why the file cannot start; nothing else is set then
    // The values the templates were given.
    QString AppPath, TemporaryFile, OutputPath, RandomNumber3, RandomNumber5;
};

// Converts the front's file list into the state's output format, one file
// after another. Everything runs on the thread that owns it; the next file
// starts from the event loop once the runner has finished with the previous
// one. Each batch keeps its scripts in a private folder of the program
// folder, and a device item writes into a private folder of the output
// folder, so batches running at once never touch each other's files.
class TBatchDriver : public QObject {
    Q_OBJECT

public:
    TBatchDriver(TGlobalVars& vars, TBatchFront front, const TProfileCatalogue& catalogue,
                 QObject* parent = nullptr);
    ~TBatchDriver() override;
    Q_DISABLE_COPY_MOVE(TBatchDriver)

    // The Convert command: checks, runs the whole batch in the progress
    // window's modal loop and ends it. False when it did not start: a check
    // failed, or a batch is already running.
    bool StartBatch();
    // The output folder a batch writes to must be named; a missing one is
    // made when the user agrees. False, with the user told why, otherwise.
    bool CheckOutputFolder();
    // The folder the output box names, relative names taken from the
    // program folder.
    QString OutputFolder() const { return outputFolder(); }
    // The progress window's "Stop now": the running file is killed and the
    // batch ends without its completion steps.
    void StopNow();
    // "When done": the current file finishes, then the batch ends.
    void SetStopWhenDone(bool stop);

    // What the batch would run for a row, writing and changing nothing.
    TFilePlan PreviewFile(int row) const;

    // True while a batch runs, from its checks to its end.
    bool Running() const { return m_running; }
    TRedirector& Runner() { return m_runner; }
    // The clock in days that the batch's and its files' times are read from.
    std::function<double()> Now = NowDays;

    // The running batch's figures and its running file's, for a look from
    // outside; only the driver changes them.
    const TBatchState& Batch() const { return m_batch; }
    const TFileState& File() const { return m_file; }

private:
    void runBatch();
    void startNextFile();
    // The plan of one input. Scripts are named in scriptFolder; a device item
    // writes into staging (empty: the output folder itself).
    TFilePlan composeFile(const QString& input, const QString& scriptFolder,
                          const QString& staging) const;
    QString writeScripts(const TFilePlan& plan) const;
    void finishFile();
    void endFile(bool failed, const QStringList& outputs = {});
    void failFile(const QString& error);
    void reportError(const QString& line);
    QStringList collectOutputs(bool& failed);
    void finishProgress(int result);
    void reportPowerResult(TPowerResult result);
    QString batchResultText() const;
    // Why the chosen format cannot convert: no profile, or no device item.
    QString missingProfile() const;
    void showBatchResult();
    bool pspOutput() const;
    QString encoderPath() const;
    QString outputFolder() const;
    qint64 rowBytes(int row) const { return m_front.Files.RowFileSize(row).toLongLong(); }

    TGlobalVars& m_vars;
    TBatchFront m_front;
    const TProfileCatalogue& m_catalogue;
    TRedirector m_runner;
    TOutputParser m_parser;
    QEventLoop m_loop;
    std::unique_ptr<TPrivateFolder> m_scripts;  // the running batch's scripts
    std::unique_ptr<TPrivateFolder> m_staging;  // the running device item's outputs
    TBatchState m_batch;                        // the running batch
    TFileState m_file;                          // its running file
    int m_result = mrNone;                      // how the progress window closed
    bool m_running = false;                     // a batch runs, from its checks to its end
    bool m_looping = false;                     // the progress window's loop runs
    bool m_finished = false;                    // the batch ended by itself, not stopped now
};
