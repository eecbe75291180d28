#pragma once

#include "base/globals.h"
#include "engine/OutputParser.h"
#include "engine/ProgressView.h"
#include "engine/Redirect.h"
#include "profiles/ProfileCatalogue.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>

// The output extension of a format; for MP4 and 3GP the item's "EXT".
QString OutputExtension(int format, const TProfileDetailItem* item);

// Converts the front's file list into the current output format of
// GlobalVars, one file after another. Everything runs on the thread that
// owns it; the next file starts from the event loop once the runner has
// finished with the previous one.
class TBatchDriver : public QObject {
    Q_OBJECT

public:
    TBatchDriver(TBatchFront& front, const TProfileCatalogue& catalogue, QObject* parent = nullptr);
    ~TBatchDriver() override;
    Q_DISABLE_COPY_MOVE(TBatchDriver)

    // The Convert command: checks, runs the whole batch in the progress
    // window's modal loop and ends it.
    void StartBatch();
    // Starts the file after the ones done; false when the list is empty.
    bool StartNextFile();
    // "When done": the current file finishes, then the batch ends.
    void SetStopWhenDone(bool stop);

    // What the batch would run for a row, running nothing: the command text,
    // or for MP4 and 3GP the script. Nothing (and the reason in error) when
    // the file could not start.
    std::optional<QString> PreviewCommand(int row, QString& error);

    // Deletes ~ConvertCore.bat and DirectShow.avs in the program folder.
    static void DeleteTemporaryFiles();
    static QString ScriptPath();
    static QString DirectShowScriptPath();

    // True while a batch's progress window runs.
    bool Running() const { return m_running; }
    TRedirector& Runner() { return m_runner; }

private:
    struct PreparedFile {
        QStringList arguments;
        QString text;     // what the runner shows as its command line
        QString options;  // encoder options, for the clip limit
        QString script;   // the script's text for MP4 and 3GP
        QString error;    // why the file cannot start
    };

    void runBatch();
    PreparedFile prepareFile();
    QString inputArgument(const QString& templateFolder, QString& error) const;
    void FinishFile();
    void endFile(bool failed);
    void failWithoutRunning(const QString& error);
    QString encoderPath() const;
    QString outputFolder() const;

    TBatchFront& m_front;
    const TProfileCatalogue& m_catalogue;
    TRedirector m_runner;
    TOutputParser m_parser;
    bool m_running = false;   // the progress window runs its loop
    bool m_finished = false;  // the batch ended by itself, not stopped now
};
