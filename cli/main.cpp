// clipforge-cli: the converter's batch without windows, for scripts.

#include "CliOptions.h"
#include "TerminalFront.h"
#include "base/FileFunctions.h"
#include "base/IniFile.h"
#include "base/ProgramFolder.h"
#include "base/globals.h"
#include "engine/BatchDriver.h"
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

// The profile or device item the options name, made the current choice.
QString chooseProfile(TProfileCatalogue& catalogue, const CliOptions& options)
{
    const int format = options.format;
    const QString formatName = CliFormatNames().at(format);
    if (format == ofMP4 || format == of3GP) {
        if (!options.profile.isEmpty())
            return u"--profile does not apply to "_s + formatName + u": use --device and --item."_s;
        const int kind = format == ofMP4 ? dmMP4 : dm3GP;
        const QList<TDeviceMenuEntry>& menu = kind == dmMP4 ? catalogue.Mp4Menu : catalogue.TgpMenu;
        if (!catalogue.SelectDeviceProfile(GlobalVars, kind, options.device))
            return u"There is no device profile "_s + QString::number(options.device) + u" for "_s +
                   formatName + u" (there are "_s + QString::number(menu.size()) + u")."_s;
        if (options.item >= catalogue.Items.size())
            return u"The device profile \""_s + menu.at(options.device).Caption +
                   u"\" has no item "_s + QString::number(options.item) + u" (it has "_s +
                   QString::number(catalogue.Items.size()) + u")."_s;
        catalogue.SelectedItem = options.item;
        return {};
    }
    GlobalVars.OutputFormat = quint8(format);
    TProfileList& list = catalogue.Lists[format];
    if (options.profile.isEmpty()) {
        if (list.Names.isEmpty())
            return u"There is no "_s + formatName + u" profile in "_s +
                   GlobalVars.ProfileDir[format];
        list.Selected = 0;
        return {};
    }
    list.Selected = int(list.Names.indexOf(options.profile));
    if (list.Selected < 0)
        return u"There is no "_s + formatName + u" profile \""_s + options.profile +
               u"\". The profiles are: "_s + list.Names.join(u", "_s);
    return {};
}

int printInfo(const QStringList& files)
{
    int status = 0;
    for (const QString& file : files) {
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

}  // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int exitCode = 0;
    const std::optional<CliOptions> options = ParseCliOptions(app.arguments(), exitCode);
    if (!options) return exitCode;
    if (options->info) return printInfo(options->files);

    const ProgramFolderChoice folder = InitProgramFolder();
    if (!folder.error.isEmpty()) return failWith(folder.error);
    try {
        LoadStartupSettings(GlobalVars, ProgramFolder(), ShellFolderPath(u"Personal"_s));
    } catch (const IniWriteError& error) {
        return failWith(error.text());
    }
    const QString languageError = ApplyLanguage(GlobalVars, ProgramFolder());
    if (!languageError.isEmpty()) return failWith(languageError);
    // A script never deletes its sources or powers the machine off.
    GlobalVars.DeleteFileAfterProcessing = false;
    GlobalVars.ShutdownWindowsWhenDone = false;

    if (!InitProfileFolders(GlobalVars, ProgramFolder()))
        return failWith(Msg(MSG_CREATE_DIR_ERROR));
    TProfileCatalogue catalogue;
    catalogue.Load(GlobalVars);
    const QString choiceError = chooseProfile(catalogue, *options);
    if (!choiceError.isEmpty()) return failWith(choiceError);

    QList<TerminalFront::Row> rows;
    for (const QString& file : options->files) {
        const QFileInfo info(file);
        rows.append({info.absoluteFilePath(), QString::number(info.size())});
    }
    const QString output = QDir::current().absoluteFilePath(
        options->outputFolder.isEmpty() ? u"."_s : options->outputFolder);
    TerminalFront front(rows, QDir::cleanPath(output), options->format == ofMP4);
    TBatchDriver driver(front, catalogue);

    if (options->printCommand) {
        int status = 0;
        for (int row = 0; row < front.RowCount(); ++row) {
            QString error;
            const std::optional<QString> command = driver.PreviewCommand(row, error);
            if (command) {
                // Scripts end in a line break of their own.
                printLine(stdout, command->endsWith(u'\n') ? command->chopped(1) : *command);
            } else {
                printLine(stderr, error);
                status = 1;
            }
        }
        return status;
    }

    if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) == 0) {
        auto* notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, &app);
        QObject::connect(notifier, &QSocketNotifier::activated, &app, [&front] {
            char byte;
            while (read(g_signalPipe[0], &byte, 1) > 0) {
            }
            front.StopNow();
        });
        std::signal(SIGINT, onSignal);
        std::signal(SIGTERM, onSignal);
    }

    driver.StartBatch();
    for (const TerminalFront::Row& row : front.Rows())
        if (row.state != rsConverted) return 1;
    return 0;
}
