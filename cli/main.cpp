// clipforge-cli: the converter's batch without windows, for scripts.

#include "CliCatalogue.h"
#include "CliOptions.h"
#include "TerminalFront.h"
#include "base/FileFunctions.h"
#include "base/IniFile.h"
#include "base/OutputFormats.h"
#include "base/ProgramFolder.h"
#include "base/globals.h"
#include "engine/BatchDriver.h"
#include "engine/EncoderCall.h"
#include "engine/MediaInfoDll.h"
#include "localisation/MessageTable.h"
#include "localisation/Startup.h"
#include "profiles/ProfileCatalogue.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(g_signalPipe[1], &byte, 1);
    // A second Ctrl+C ends the program at once.
    std::signal(SIGINT, SIG_DFL);
}

void printLine(FILE* stream, const QString& text)
{
    std::fputs((text + u'\n').toUtf8().constData(), stream);
    std::fflush(stream);
}

int failWith(const QString& text)
{
    printLine(stderr, text);
    return 1;
}

int printInfo(const QStringList& files)
{
    int status = 0;
    for (const QString& file : files) {
        // The media library would wait forever on a FIFO.
        if (const QString refusal = InputRefusal(file); !refusal.isEmpty()) {
            printLine(stderr, file + u": "_s + refusal + u'.');
            status = 1;
            continue;
        }
        QString error;
        const std::optional<QString> report = MediaInfoReport(file, error);
        if (!report) {
            printLine(stderr, file + u": "_s + error);
            status = 1;
            continue;
        }
        printLine(stdout, *report);
    }
    return status;
}

// Arguments that are not valid UTF-8 would name other files than the user's.
bool argumentsAreUtf8(int argc, char* argv[])
{
    for (int i = 1; i < argc; ++i) {
        if (QUtf8StringView(argv[i]).isValidUtf8()) continue;
        QString shown = QString::fromUtf8(argv[i]);
        printLine(stderr, u"Argument "_s + QString::number(i) + u" ("_s + shown +
                              u") is not valid UTF-8. This program handles only UTF-8 file "
                              "names; rename the file or folder."_s);
        return false;
    }
    return true;
}

// The queue: regular files only, each once. A FIFO or device would block the
// encoder forever, and a file queued twice would be converted twice.
QList<TerminalFront::Row> queueFiles(const QStringList& files, bool& refused)
{
    QList<TerminalFront::Row> rows;
    QStringList queued;
    for (const QString& file : files) {
        const QFileInfo info(file);
        const QString path = info.absoluteFilePath();
        if (const QString refusal = InputRefusal(file); !refusal.isEmpty()) {
            printLine(stderr, file + u": "_s + refusal + u", not converted."_s);
            refused = true;
            continue;
        }
        const QString identity = info.exists() ? info.canonicalFilePath() : QDir::cleanPath(path);
        if (queued.contains(identity)) {
            printLine(stderr, file + u": given more than once, converted once."_s);
            continue;
        }
        queued << identity;
        rows.append({path, QString::number(info.size())});
    }
    return rows;
}

int printCommands(const TBatchDriver& driver, int rowCount, bool shellLine)
{
    int status = 0;
    for (int row = 0; row < rowCount; ++row) {
        const TFilePlan plan = driver.PreviewFile(row);
        if (!plan.Error.isEmpty()) {
            printLine(stderr, plan.Error);
            status = 1;
        } else if (!plan.Script.isEmpty()) {
            // Scripts end in a line break of their own.
            printLine(stdout, plan.Script.chopped(1));
        } else if (!shellLine) {
            printLine(stdout, plan.Text);
        } else if (plan.DirectShowPath.isEmpty()) {
            printLine(stdout, ShellCommandLine(plan.Arguments));
        } else {
            // The encoder reads a script that only a batch writes: the line
            // writes it first and removes it after, keeping the encoder's status.
            const QString script = ShellCommandLine({plan.DirectShowPath});
            printLine(stdout, u"(printf %s "_s + ShellCommandLine({plan.DirectShow}) + u" > "_s +
                                  script + u" && "_s + ShellCommandLine(plan.Arguments) +
                                  u"; status=$?; rm -f -- "_s + script + u"; exit $status)"_s);
        }
    }
    return status;
}

}  // namespace

int main(int argc, char* argv[])
{
    if (!argumentsAreUtf8(argc, argv)) return 2;
    QCoreApplication app(argc, argv);
    int exitCode = 0;
    const std::optional<CliOptions> options = ParseCliOptions(app.arguments(), exitCode);
    if (!options) return exitCode;
    if (options->info) return printInfo(options->files);

    const ProgramFolderChoice folder = InitProgramFolder();
    if (!folder.error.isEmpty()) return failWith(folder.error);
    if (!folder.notice.isEmpty()) printLine(stderr, folder.notice);
    try {
        LoadStartupSettings(GlobalVars, ProgramFolder(), ShellFolderPath(u"Personal"_s));
    } catch (const IniWriteError& error) {
        return failWith(error.text());
    }
    QString languageNotice;
    const QString languageError = ApplyLanguage(GlobalVars, ProgramFolder(), &languageNotice);
    if (!languageError.isEmpty()) return failWith(languageError);
    if (!languageNotice.isEmpty()) printLine(stderr, languageNotice);
    // A script never deletes its sources or powers the machine off.
    GlobalVars.DeleteFileAfterProcessing = false;
    GlobalVars.ShutdownWindowsWhenDone = false;

    if (!InitProfileFolders(GlobalVars, ProgramFolder()))
        return failWith(Msg(MSG_CREATE_DIR_ERROR));
    TProfileCatalogue catalogue;
    catalogue.Load(GlobalVars);
    if (options->list) {
        std::fputs(CatalogueListing(catalogue, options->format).toUtf8().constData(), stdout);
        return 0;
    }
    // A profile, device or item that is not there is a wrong command line.
    const QString choiceError = ChooseProfile(catalogue, GlobalVars, *options);
    if (!choiceError.isEmpty()) {
        failWith(choiceError);
        return 2;
    }

    bool refused = false;
    const QList<TerminalFront::Row> rows = queueFiles(options->files, refused);
    const QString output = QDir::current().absoluteFilePath(
        options->outputFolder.isEmpty() ? u"."_s : options->outputFolder);
    TerminalFront front(rows, QDir::cleanPath(output));
    TBatchDriver driver(GlobalVars, front.Front(), catalogue);

    if (options->printCommand || options->printDisplay)
        return std::max(printCommands(driver, front.RowCount(), options->printCommand),
                        int(refused));
    if (rows.isEmpty()) return 1;

    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&front, &driver] {
            char byte;
            while (read(g_signalPipe[0], &byte, 1) > 0) {
            }
            if (!front.ProgressOpen()) return;
            front.println(u"Stopping"_s);
            driver.StopNow();
        });
        // A closed terminal stops the batch as Ctrl+C does.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP})
            std::signal(signal, onSignal);
    }

    driver.StartBatch();
    if (refused) return 1;
    for (const TerminalFront::Row& row : front.Rows())
        if (row.state != rsConverted) return 1;
    return 0;
}
