#include "engine/BatchDriver.h"

#include "engine/EncoderCall.h"

#include "base/FileFunctions.h"
#include "base/ProgramFolder.h"
#include "base/TextFunctions.h"
#include "engine/PowerActions.h"
#include "localisation/MessageTable.h"
#include "profiles/EncoderArguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

using namespace Qt::StringLiterals;

namespace {

const QString ScriptName = u"~ConvertCore.bat"_s;
const QString DirectShowName = u"DirectShow.avs"_s;
const QString InputPlaceholder = u"<%InputFile%>"_s;

// Extensions of the formats whose encoder call is composed here; MP4 and 3GP
// take theirs from the chosen device item.
const char* const FixedExtensions[OutputFormatCount] = {
    ".avi", nullptr, nullptr, ".mpg", ".mov", ".wmv", ".rm",  ".swf",
    ".vob", ".asf",  ".aac",  ".ac3", ".mp2", ".mp3", ".amr", ".wav",
};

bool isScriptFormat(int format) { return format == ofMP4 || format == of3GP; }

QString unableToWrite(const QString& path) { return u"Error: Unable to write to "_s + path; }

}  // namespace

QString OutputExtension(int format, const TProfileDetailItem* item)
{
    if (format < 0 || format >= OutputFormatCount) return {};
    if (isScriptFormat(format)) return item ? u'.' + DeviceItemExt(*item) : QString();
    return QString::fromLatin1(FixedExtensions[format]);
}

TBatchDriver::TBatchDriver(TBatchFront& front, const TProfileCatalogue& catalogue, QObject* parent)
    : QObject(parent), m_front(front), m_catalogue(catalogue), m_parser(GlobalVars, front)
{
    const auto parse = [this](TRedirector* runner, const char* buffer, int count) {
        if (m_running) m_parser.Feed(buffer, count, runner->ProcessEnded());
    };
    m_runner.OnData = parse;
    m_runner.OnErrorData = parse;
    m_runner.OnTerminated = [this](TRedirector*) { FinishFile(); };
    m_runner.KillOnDestroy = true;
}

TBatchDriver::~TBatchDriver() = default;

QString TBatchDriver::ScriptPath() { return ProgramFolder() + ScriptName; }
QString TBatchDriver::DirectShowScriptPath() { return ProgramFolder() + DirectShowName; }

void TBatchDriver::DeleteTemporaryFiles()
{
    QFile::remove(ScriptPath());
    QFile::remove(DirectShowScriptPath());
}

// Relative names are taken from the program folder, where the encoder lives.
QString TBatchDriver::encoderPath() const
{
    return QDir::cleanPath(QDir(ProgramFolder()).absoluteFilePath(GlobalVars.EncoderPath));
}

QString TBatchDriver::outputFolder() const
{
    return QDir::cleanPath(QDir(ProgramFolder()).absoluteFilePath(m_front.OutputFolderText()));
}

void TBatchDriver::SetStopWhenDone(bool stop) { GlobalVars.StopWhenDone = stop; }

void TBatchDriver::StartBatch()
{
    TGlobalVars& vars = GlobalVars;
    if (!QFileInfo(encoderPath()).isFile()) {
        m_front.ShowMessage(MsgFormat(MSG_NOENCODER, vars.EncoderPath), Msg(MSG_HINT),
                            TMessageIcon::Warning);
        return;
    }
    if (m_front.RowCount() == 0) {
        m_front.ShowMessage(Msg(MSG_NOFILES), Msg(MSG_HINT), TMessageIcon::Warning);
        return;
    }
    if (m_front.OutputFolderText().trimmed().isEmpty()) {
        m_front.ShowMessage(Msg(MSG_EMPTY_DIR), Msg(MSG_EMPTY), TMessageIcon::Question);
        return;
    }
    if (!QFileInfo(outputFolder()).isDir()) {
        if (m_front.AskYesNoCancel(Msg(MSG_SURE_TO_CREATEDIR), Msg(MSG_CREATEDIR)) != mrYes) return;
        if (!QDir().mkpath(outputFolder())) {
            m_front.ShowMessage(Msg(MSG_FAIL_TO_CREATEDIR), Msg(MSG_FAIL_CREATEDIR),
                                TMessageIcon::Question);
            return;
        }
    }

    m_front.ResetRowStates();
    vars.LastOutputOpenDir = m_front.OutputFolderText();

    static constexpr quint8 PriorityClasses[] = {1, 2, 3, 4};
    m_runner.SetInitialPriority(vars.Priority < 4 ? PriorityClasses[vars.Priority] : 1);
    m_runner.SetDefaultErrorMode(true);
    m_runner.CurrentDirectory = ProgramFolder();

    m_front.SetTrayHint(Msg(MSG_TRAY_ENCODING_START));
    m_front.OpenProgress(Msg(MSG_ID_ENC_IN_PROGRESS), Msg(MSG_ID_STOP_ENC));
    {
        const auto release = qScopeGuard([this] {
            m_running = false;
            m_front.ReleaseProgress();
        });
        runBatch();
    }
    m_front.ShowPlainMessage(
        u"In order to transfer your converted files to PSP use the Transfer Manager"_s);
}

void TBatchDriver::runBatch()
{
    TGlobalVars& vars = GlobalVars;

    vars.ErrorsOccurred = false;
    vars.StopWhenDone = false;
    vars.DoneCount = 0;
    vars.FailedCount = 0;
    vars.TotalCount = m_front.RowCount();
    vars.TotalBytes = 0;
    for (int row = 0; row < vars.TotalCount; ++row)
        vars.TotalBytes += m_front.RowFileSize(row).toLongLong();
    vars.CurrentBytes = 0;
    vars.FinishedBytes = 0;
    vars.DoneBytes = 0;
    vars.BatchPercent = 0;
    vars.BatchStartTime = NowDays();

    m_running = true;
    m_finished = false;
    StartNextFile();
    const int result = m_front.RunProgress();
    m_running = false;

    if (m_runner.Active()) {
        // Stopped now: kill the encoder's group and wait for its end, so the
        // next batch finds the runner idle and no temporary file reappears.
        m_runner.Terminate(0);
        while (m_runner.Active())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        DeleteTemporaryFiles();
    }

    // A batch stopped in the middle is not complete, whatever its files did.
    if (!vars.ErrorsOccurred && m_finished) {
        m_front.ShowTrayBalloon(MsgFormat(MSG_TRAY_INFO, Msg(MSG_APPLICATION_TITLE)),
                                Msg(MSG_TRAY_CONVERT_COMPLETE), TMessageIcon::Information, 10);
        if (vars.ShutdownWindowsWhenDone && result != mrCancel &&
            m_front.RunShutdownCountdown() == mrOk)
            ShutdownSystem(vars.ShutdownFlag);
    }
}

bool TBatchDriver::StartNextFile()
{
    TGlobalVars& vars = GlobalVars;
    DeleteTemporaryFiles();
    const int row = vars.DoneCount + vars.FailedCount;
    if (m_front.RowCount() == 0 || row >= m_front.RowCount()) return false;

    vars.FileFailed = false;
    vars.FileStartTime = NowDays();
    vars.FilePercent = 0;
    vars.PendingLine.clear();
    vars.InputFile = m_front.RowCaption(row);
    vars.CurrentBytes = m_front.RowFileSize(row).toLongLong();

    const PreparedFile file = prepareFile();
    if (!file.error.isEmpty()) {
        failWithoutRunning(file.error);
        return true;
    }
    m_parser.Options = file.options;
    try {
        m_runner.SetCommandLine(file.arguments, file.text);
        m_runner.Execute();
    } catch (const RedirectorError& error) {
        failWithoutRunning(error.text());
    }
    return true;
}

// A file that cannot start fails like one whose encoder reported the reason;
// it ends from the event loop, as a finished encoder would.
void TBatchDriver::failWithoutRunning(const QString& error)
{
    m_front.SetRowState(GlobalVars.InputFile, rsConverting);
    m_front.ShowErrorLine(error, !GlobalVars.FileFailed);
    GlobalVars.FileFailed = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!m_running) return;
            DeleteTemporaryFiles();
            endFile(true);
        },
        Qt::QueuedConnection);
}

QString TBatchDriver::inputArgument(const QString& templateFolder, QString& error) const
{
    const TGlobalVars& vars = GlobalVars;
    if (!vars.UseDirectShow && !vars.AVSExt.contains(ExtractFileExt(vars.InputFile)))
        return vars.InputFile;

    const QString templatePath = ProgramFolder() + templateFolder + u'/' + DirectShowName;
    QFile source(templatePath);
    if (!source.open(QIODevice::ReadOnly)) {
        error = u"Error: Could not read "_s + templatePath;
        return {};
    }
    QString text = QString::fromUtf8(source.readAll());
    text.replace(InputPlaceholder, vars.InputFile, Qt::CaseInsensitive);
    if (!WriteFileAtomically(DirectShowScriptPath(), text.toUtf8())) {
        error = unableToWrite(DirectShowScriptPath());
        return {};
    }
    return DirectShowScriptPath();
}

TBatchDriver::PreparedFile TBatchDriver::prepareFile()
{
    TGlobalVars& vars = GlobalVars;
    PreparedFile file;
    const int format = vars.OutputFormat;
    const bool script = isScriptFormat(format);
    const TProfileDetailItem* item = script ? m_catalogue.ChosenItem() : nullptr;
    if (script && !item) {
        file.error = u"Error: No device profile item is chosen"_s;
        return file;
    }
    const QString profilePath =
        script ? item->FilePath : m_catalogue.SelectedProfilePath(vars, format);
    if (!QFileInfo(profilePath).isFile()) {
        file.error = u"Error: Could not open the profile "_s + profilePath;
        return file;
    }

    const QString folder = AddTrailingBackslash(outputFolder());
    const QString name =
        PathWithoutExt(QFileInfo(vars.InputFile).fileName()) + OutputExtension(format, item);
    const std::optional<QString> unique = UniqueOutputName(name, folder);
    if (!unique) {
        file.error = u"Error: No free output name for "_s + name + u" in "_s + folder;
        return file;
    }
    vars.OutputFile = folder + *unique;

    vars.AppPath = StripTrailingBackslash(ProgramFolder());
    vars.TimeStamp.clear();
    vars.Title.clear();
    vars.OutputPath = folder;
    vars.TemplateOutputFile = vars.OutputFile;
    vars.TemporaryFile = vars.OutputPath + RandomDigits(5);
    vars.RandomNumber3 = RandomDigits(3);
    vars.RandomNumber5 = RandomDigits(5);

    if (!script) {
        const QString input = inputArgument(u"profile_en"_s, file.error);
        if (!file.error.isEmpty()) return file;
        const TEncoderCall call = ComposeEncoderCall(
            encoderPath(), input, BuildEncoderArguments(profilePath), vars.OutputFile);
        file.arguments = call.Arguments;
        file.text = call.Text;
        file.options = call.Options;
        return file;
    }

    const QStringList commands = DeviceItemCommands(*item);
    if (commands.isEmpty()) {
        file.error = u"Error: The device profile item \""_s + item->Title + u"\" has no commands"_s;
        return file;
    }
    const QString input = inputArgument(u"cores"_s, file.error);
    if (!file.error.isEmpty()) return file;
    const QList<std::pair<QString, QString>> values = {
        {u"<%AppPath%>"_s, vars.AppPath},
        {u"<%TimeStamp%>"_s, vars.TimeStamp},
        {u"<%TemporaryFile%>"_s, vars.TemporaryFile},
        {u"<%Title%>"_s, vars.Title},
        {u"<%OutputFile%>"_s, PathWithoutExt(vars.TemplateOutputFile)},
        {u"<%OutputPath%>"_s, vars.OutputPath},
        {u"<%RandomNumber3%>"_s, vars.RandomNumber3},
        {u"<%RandomNumber5%>"_s, vars.RandomNumber5},
        {InputPlaceholder, input},
    };
    // The first failing command ends the script, and with it the file.
    file.script = u"set -e\n"_s;
    for (const QString& command : commands)
        file.script += SubstituteTemplate(command, values) + u'\n';
    if (!WriteFileAtomically(ScriptPath(), file.script.toUtf8())) {
        file.error = unableToWrite(ScriptPath());
        return file;
    }
    file.arguments = QStringList{u"/bin/sh"_s, ScriptPath()};
    file.text = ScriptPath();
    return file;
}

std::optional<QString> TBatchDriver::PreviewCommand(int row, QString& error)
{
    GlobalVars.InputFile = m_front.RowCaption(row);
    const PreparedFile file = prepareFile();
    DeleteTemporaryFiles();
    error = file.error;
    if (!error.isEmpty()) return std::nullopt;
    return file.script.isEmpty() ? file.text : file.script;
}

void TBatchDriver::FinishFile()
{
    if (!m_running) return;
    // An unterminated last line may still wait; it can be the error line.
    m_parser.Feed(nullptr, 0, true);
    DeleteTemporaryFiles();
    const TGlobalVars& vars = GlobalVars;
    // The script formats may name their result freely, so only the composed
    // calls are checked for an output.
    const bool failed = vars.FileFailed || !m_runner.ExitedNormally() || m_runner.ExitCode() != 0 ||
                        (!isScriptFormat(vars.OutputFormat) && FileSizeOf(vars.OutputFile) <= 0);
    endFile(failed);
}

void TBatchDriver::endFile(bool failed)
{
    TGlobalVars& vars = GlobalVars;
    if (!failed) {
        if (vars.DeleteFileAfterProcessing) QFile::remove(vars.InputFile);
        m_front.SetRowState(vars.InputFile, rsConverted);
        ++vars.DoneCount;
        if (vars.DoneCount == vars.TotalCount) {
            m_front.SetLabel(TProgressLabel::LabelBatch, Msg(MSG_ID_BATCH) + u"100%"_s);
            m_front.SetBar(TProgressBar::ProgressBarStatus, 100);
            m_front.SetBar(TProgressBar::ProgressBarBatch, 100);
            m_front.SetProgressCaption(Msg(MSG_LABEL_ENCODINGFINISHED));
        }
    } else {
        vars.ErrorsOccurred = true;
        ++vars.FailedCount;
        m_front.SetRowState(vars.InputFile, rsFailed);
        if (!vars.OutputFile.isEmpty()) DeleteIfEmpty(vars.OutputFile);
    }

    if (vars.StopWhenDone || vars.DoneCount + vars.FailedCount == vars.TotalCount) {
        m_finished = true;
        m_front.FinishProgress(mrOk);
        m_front.SetTrayHint(Msg(MSG_TRAY_ENCODING_DONE));
        return;
    }

    vars.DoneBytes = vars.FinishedBytes + vars.CurrentBytes;
    vars.FinishedBytes = vars.DoneBytes;
    if (vars.TotalBytes != 0) {
        vars.BatchPercent = int(100 * vars.DoneBytes / vars.TotalBytes);
        m_front.SetLabel(TProgressLabel::LabelBatch,
                         Msg(MSG_ID_BATCH) + QString::number(vars.BatchPercent) + u'%');
        m_front.SetBar(TProgressBar::ProgressBarBatch, vars.BatchPercent);
    }
    if (vars.DoneBytes > 0)
        ShowBatchEstimate(m_front, vars.TotalBytes, vars.DoneBytes,
                          NowDays() - vars.BatchStartTime);
    // From the event loop, so the runner has left its end step first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_running) StartNextFile();
        },
        Qt::QueuedConnection);
}
