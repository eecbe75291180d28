#include "engine/BatchDriver.h"

#include "base/FileFunctions.h"
#include "base/OutputFormats.h"
#include "base/ProgramFolder.h"
#include "base/TextFunctions.h"
#include "engine/EncoderCall.h"
#include "engine/PowerActions.h"
#include "localisation/MessageTable.h"
#include "localisation/ShutdownActions.h"
#include "profiles/EncoderArguments.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <algorithm>
#include <climits>

#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString ScriptName = u"~ConvertCore.bat"_s;
const QString DirectShowName = u"DirectShow.avs"_s;
const QString InputPlaceholder = u"<%InputFile%>"_s;

// The script stops at its first failing command and names it.
const QString ScriptHeader =
    u"set -e\n"
    "trap 'clipforge_status=$?; [ \"$clipforge_status\" -eq 0 ] || echo \"Error: command "
    "$clipforge_step of the device profile item failed with exit status $clipforge_status\" "
    ">&2' EXIT\n"_s;

bool isDeviceFormat(int format)
{
    const TOutputFormat* f = OutputFormatOf(format);
    return f && f->DeviceScript;
}

// Whether the folder's file system takes a name that long.
bool nameFits(const QString& folder, const QString& name)
{
    long limit = ::pathconf(QFile::encodeName(folder).constData(), _PC_NAME_MAX);
    if (limit <= 0) limit = NAME_MAX;
    return QFile::encodeName(name).size() <= limit;
}

QString unableToWrite(const QString& path) { return u"Error: Unable to write to "_s + path; }

}  // namespace

QString OutputExtension(int format, const TProfileDetailItem* item)
{
    const TOutputFormat* f = OutputFormatOf(format);
    if (!f) return {};
    if (f->DeviceScript) return item ? u'.' + DeviceItemExt(*item) : QString();
    return f->OutputExt.toString();
}

TBatchDriver::TBatchDriver(TGlobalVars& vars, TBatchFront front, const TProfileCatalogue& catalogue,
                           QObject* parent)
    : QObject(parent), m_vars(vars), m_front(front), m_catalogue(catalogue), m_parser(front)
{
    m_runner.OnData = [this](TRedirector* runner, const char* buffer, int count) {
        if (m_looping) m_parser.Feed(TChannel::Output, buffer, count, runner->ProcessEnded());
    };
    m_runner.OnErrorData = [this](TRedirector* runner, const char* buffer, int count) {
        if (m_looping) m_parser.Feed(TChannel::Error, buffer, count, runner->ProcessEnded());
    };
    m_runner.OnTerminated = [this](TRedirector*) { finishFile(); };
    m_runner.KillOnDestroy = true;
    m_parser.Now = [this] { return Now(); };
}

TBatchDriver::~TBatchDriver() = default;

// Relative names are taken from where the program's executables lie.
QString TBatchDriver::encoderPath() const
{
    return QDir::cleanPath(QDir(ExecutableFolder()).absoluteFilePath(m_vars.EncoderPath));
}

QString TBatchDriver::outputFolder() const
{
    return QDir::cleanPath(
        QDir(ProgramFolder()).absoluteFilePath(m_front.Files.OutputFolderText()));
}

void TBatchDriver::SetStopWhenDone(bool stop) { m_batch.StopWhenDone = stop; }

void TBatchDriver::StopNow()
{
    if (m_looping) finishProgress(mrCancel);
}

void TBatchDriver::finishProgress(int result)
{
    m_result = result;
    m_looping = false;
    m_loop.quit();
}

bool TBatchDriver::CheckOutputFolder()
{
    TMessages& messages = m_front.Messages;
    if (m_front.Files.OutputFolderText().trimmed().isEmpty()) {
        messages.ShowMessage(Msg(MSG_EMPTY_DIR), Msg(MSG_EMPTY), TMessageIcon::Question);
        return false;
    }
    if (QFileInfo(outputFolder()).isDir()) return true;
    if (messages.AskYesNoCancel(Msg(MSG_SURE_TO_CREATEDIR), Msg(MSG_CREATEDIR)) != mrYes)
        return false;
    if (QDir().mkpath(outputFolder())) return true;
    messages.ShowMessage(Msg(MSG_FAIL_TO_CREATEDIR), Msg(MSG_FAIL_CREATEDIR),
                         TMessageIcon::Question);
    return false;
}

bool TBatchDriver::StartBatch()
{
    // A window may offer Convert again while a batch (or its killed encoder)
    // is still running.
    if (m_running || m_runner.Active()) return false;
    m_running = true;
    const auto done = qScopeGuard([this] { m_running = false; });

    TMessages& messages = m_front.Messages;
    TFileList& files = m_front.Files;
    if (!QFileInfo(encoderPath()).isFile()) {
        messages.ShowMessage(MsgFormat(MSG_NOENCODER, m_vars.EncoderPath), Msg(MSG_HINT),
                             TMessageIcon::Warning);
        return false;
    }
    if (files.RowCount() == 0) {
        messages.ShowMessage(Msg(MSG_NOFILES), Msg(MSG_HINT), TMessageIcon::Warning);
        return false;
    }
    // Without a profile every file would fail for the same reason.
    if (const QString missing = missingProfile(); !missing.isEmpty()) {
        messages.ShowMessage(missing, Msg(MSG_HINT), TMessageIcon::Warning);
        return false;
    }
    if (!CheckOutputFolder()) return false;
    m_scripts = std::make_unique<TPrivateFolder>(ProgramFolder(), BatchFolderPrefix);
    const auto dropScripts = qScopeGuard([this] { m_scripts.reset(); });
    if (!m_scripts->IsValid()) {
        messages.ShowMessage(unableToWrite(ProgramFolder()), Msg(MSG_HINT), TMessageIcon::Warning);
        return false;
    }

    files.ResetRowStates();
    m_vars.LastOutputOpenDir = files.OutputFolderText();

    static constexpr quint8 PriorityClasses[] = {1, 2, 3, 4};
    m_runner.SetInitialPriority(m_vars.Priority < 4 ? PriorityClasses[m_vars.Priority] : 1);
    m_runner.SetDefaultErrorMode(true);
    m_runner.CurrentDirectory = ProgramFolder();

    m_front.Tray.SetTrayHint(Msg(MSG_TRAY_ENCODING_START));
    m_front.Progress.OpenProgress(Msg(MSG_ID_ENC_IN_PROGRESS), Msg(MSG_ID_STOP_ENC));
    runBatch();
    m_front.Progress.CloseProgress();
    showBatchResult();
    return true;
}

// How the batch went; the transfer hint only where there is something to
// take to the console.
QString TBatchDriver::batchResultText() const
{
    const TBatchState& batch = m_batch;
    QString text = m_finished ? MsgFormat(MSG_BATCH_RESULT, batch.DoneCount, batch.FailedCount)
                              : MsgFormat(MSG_BATCH_STOPPED, batch.DoneCount, batch.FailedCount,
                                          batch.TotalCount - batch.DoneCount - batch.FailedCount);
    if (batch.DoneCount > 0 && pspOutput()) text += u"\n\n"_s + Msg(MSG_TRANSFER_HINT);
    return text;
}

void TBatchDriver::showBatchResult()
{
    m_front.Messages.ShowMessage(
        batchResultText(), Msg(MSG_APPLICATION_TITLE),
        m_batch.FailedCount > 0 ? TMessageIcon::Warning : TMessageIcon::Information);
}

bool TBatchDriver::pspOutput() const
{
    if (!isDeviceFormat(m_vars.OutputFormat)) return false;
    const TProfileDetailItem* item = m_catalogue.ChosenItem();
    if (!item) return false;
    const QList<TProfileItem>& psp = m_catalogue.Groups.Psp;
    return std::any_of(psp.begin(), psp.end(), [item](const TProfileItem& profile) {
        return profile.FilePath == item->FilePath;
    });
}

QString TBatchDriver::missingProfile() const
{
    const int format = m_vars.OutputFormat;
    const TOutputFormat* f = OutputFormatOf(format);
    if (!f) return MsgFormat(MSG_NO_PROFILE, QString(), QString());
    if (f->DeviceScript) return m_catalogue.ChosenItem() ? QString() : Msg(MSG_NO_DEVICE_ITEM);
    if (QFileInfo(m_catalogue.SelectedProfilePath(m_vars, format)).isFile()) return {};
    return MsgFormat(MSG_NO_PROFILE, f->CliName.toString().toUpper(), m_vars.ProfileDir[format]);
}

void TBatchDriver::runBatch()
{
    m_batch = TBatchState();
    m_batch.TotalCount = m_front.Files.RowCount();
    for (int row = 0; row < m_batch.TotalCount; ++row)
        m_batch.TotalBytes += rowBytes(row);
    m_batch.StartTime = Now();

    m_looping = true;
    m_finished = false;
    m_result = mrNone;
    startNextFile();
    if (m_looping) m_loop.exec();

    if (m_runner.Active()) {
        // Stopped now: kill the encoder's group and wait for its end, so the
        // next batch finds the runner idle. Clicks meanwhile would reach a
        // batch that is over.
        m_runner.Terminate(0);
        while (m_runner.Active())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents |
                                            QEventLoop::ExcludeUserInputEvents);
        // The stopped file is neither converted nor failed: it waits again.
        m_front.Files.SetRowState(m_file.Row, rsQueued, {});
    }
    m_staging.reset();

    // A batch stopped in the middle is not complete, whatever its files did.
    if (m_finished) {
        const bool clean = !m_batch.ErrorsOccurred;
        m_front.Tray.ShowTrayBalloon(
            MsgFormat(MSG_TRAY_INFO, Msg(MSG_APPLICATION_TITLE)),
            (clean ? Msg(MSG_TRAY_CONVERT_COMPLETE) + u' ' : QString()) +
                MsgFormat(MSG_BATCH_RESULT, m_batch.DoneCount, m_batch.FailedCount),
            clean ? TMessageIcon::Information : TMessageIcon::Warning, 10);
    }
    if (!m_batch.ErrorsOccurred && m_finished) {
        if (m_vars.ShutdownWindowsWhenDone && m_result != mrCancel &&
            m_front.Tray.RunShutdownCountdown() == mrOk)
            reportPowerResult(ShutdownSystem(m_vars.ShutdownFlag));
    }
}

void TBatchDriver::reportPowerResult(TPowerResult result)
{
    // An action the system will not take must not pass unnoticed.
    if (result == TPowerResult::Done) return;
    const QString action = ShutdownActionCaption(m_vars.ShutdownFlag);
    m_front.Messages.ShowMessage(
        MsgFormat(result == TPowerResult::Unavailable ? MSG_POWER_UNAVAILABLE : MSG_POWER_FAILED,
                  action),
        Msg(MSG_HINT), TMessageIcon::Warning);
}

void TBatchDriver::startNextFile()
{
    const int row = m_batch.DoneCount + m_batch.FailedCount;
    if (row >= m_front.Files.RowCount()) return;

    // Each file's figures start afresh.
    m_file = TFileState();
    m_file.Row = row;
    m_file.StartTime = Now();
    m_file.InputFile = m_front.Files.RowCaption(row);
    m_file.Bytes = rowBytes(row);
    m_parser.StartFile(m_batch, m_file, {});
    TProgressWindow& progress = m_front.Progress;
    progress.SetLabel(TProgressLabel::LabelStatus, Msg(MSG_ID_STATUS) + u"0%"_s);
    progress.SetBar(TProgressBar::ProgressBarStatus, 0);
    progress.SetLabel(TProgressLabel::LabelStatusRemaining, ClockText(0));
    // Converting from its start, not from the encoder's first line: a stop
    // before that line must find the file converting.
    m_front.Files.SetRowState(row, rsConverting, {});

    QString staging;
    if (isDeviceFormat(m_vars.OutputFormat)) {
        m_staging = std::make_unique<TPrivateFolder>(outputFolder(), StagingFolderPrefix);
        if (!m_staging->IsValid()) return failFile(unableToWrite(outputFolder()));
        staging = m_staging->Path();
    }
    const TFilePlan plan = composeFile(m_file.InputFile, m_scripts->Path(), staging);
    if (!plan.Error.isEmpty()) return failFile(plan.Error);
    m_file.OutputFile = plan.OutputFile;

    const QString writeError = writeScripts(plan);
    if (!writeError.isEmpty()) return failFile(writeError);
    m_parser.StartFile(m_batch, m_file, plan.Options);
    try {
        m_runner.SetCommandLine(plan.Arguments, plan.Text);
        // Should the front die, nothing half-made of this file stays.
        m_runner.OrphanFolders = {m_scripts->Path(), m_staging ? m_staging->Path() : QString()};
        m_runner.Execute();
    } catch (const RedirectorError& error) {
        failFile(error.text());
    }
}

// An error line of the running file, in the file's one error box.
void TBatchDriver::reportError(const QString& line)
{
    m_front.Messages.ShowErrorLine(line, !m_file.Failed);
    m_file.Failed = true;
}

// A file that cannot start fails like one whose encoder reported the reason;
// it ends from the event loop, as a finished encoder would.
void TBatchDriver::failFile(const QString& error)
{
    m_front.Files.SetRowState(m_file.Row, rsConverting, {});
    reportError(error);
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_looping) endFile(true);
        },
        Qt::QueuedConnection);
}

TFilePlan TBatchDriver::composeFile(const QString& input, const QString& scriptFolder,
                                    const QString& staging) const
{
    TFilePlan plan;
    const int format = m_vars.OutputFormat;
    const bool device = isDeviceFormat(format);
    const TProfileDetailItem* item = device ? m_catalogue.ChosenItem() : nullptr;
    if (device && !item) {
        plan.Error = u"Error: No device profile item is chosen"_s;
        return plan;
    }
    const QString profilePath =
        device ? item->FilePath : m_catalogue.SelectedProfilePath(m_vars, format);
    if (!QFileInfo(profilePath).isFile()) {
        plan.Error = u"Error: Could not open the profile "_s + profilePath;
        return plan;
    }

    const QString folder = AddTrailingBackslash(outputFolder());
    const QString name =
        PathWithoutExt(QFileInfo(input).fileName()) + OutputExtension(format, item);
    const std::optional<QString> unique = UniqueOutputName(name, folder);
    if (!unique) {
        plan.Error = u"Error: No free output name for "_s + name + u" in "_s + folder;
        return plan;
    }
    // Found now rather than after a whole encode.
    if (!nameFits(folder, *unique)) {
        plan.Error = u"Error: The output name "_s + *unique + u" is too long for "_s + folder;
        return plan;
    }
    plan.OutputFile = folder + *unique;
    // Device commands name the scripts shipped beside the executables.
    plan.AppPath = StripTrailingBackslash(ExecutableFolder());
    plan.OutputPath = staging.isEmpty() ? folder : staging;
    plan.TemporaryFile = plan.OutputPath + RandomDigits(5);
    plan.RandomNumber3 = RandomDigits(3);
    plan.RandomNumber5 = RandomDigits(5);

    QString inputArgument = input;
    if (m_vars.UseDirectShow || m_vars.AVSExt.contains(ExtractFileExt(input))) {
        const QString templatePath =
            ProgramFolder() + (device ? u"cores/"_s : u"profile_en/"_s) + DirectShowName;
        QFile source(templatePath);
        if (!source.open(QIODevice::ReadOnly)) {
            plan.Error = u"Error: Could not read "_s + templatePath;
            return plan;
        }
        plan.DirectShow = QString::fromUtf8(source.readAll());
        plan.DirectShow.replace(InputPlaceholder, input, Qt::CaseInsensitive);
        inputArgument = scriptFolder + DirectShowName;
        plan.DirectShowPath = inputArgument;
    }

    if (!device) {
        const TEncoderCall call =
            ComposeEncoderCall(encoderPath(), inputArgument,
                               BuildEncoderArguments(format, profilePath), plan.OutputFile);
        plan.Arguments = call.Arguments;
        plan.Text = call.Text;
        plan.Options = call.Options;
        return plan;
    }

    const QStringList commands = DeviceItemCommands(*item);
    if (commands.isEmpty()) {
        plan.Error = u"Error: The device profile item \""_s + item->Title + u"\" has no commands"_s;
        return plan;
    }
    // <%InputName%>: the source's name without folder and extension, the
    // title a device shows; unlike <%InputFile%> it never names the DirectShow
    // script.
    const QList<std::pair<QString, QString>> values = {
        {u"<%AppPath%>"_s, plan.AppPath},
        {u"<%TimeStamp%>"_s, QString()},
        {u"<%TemporaryFile%>"_s, plan.TemporaryFile},
        {u"<%Title%>"_s, QString()},
        {u"<%OutputFile%>"_s, PathWithoutExt(plan.OutputPath + *unique)},
        {u"<%OutputPath%>"_s, plan.OutputPath},
        {u"<%RandomNumber3%>"_s, plan.RandomNumber3},
        {u"<%RandomNumber5%>"_s, plan.RandomNumber5},
        {InputPlaceholder, inputArgument},
        {u"<%InputName%>"_s, PathWithoutExt(QFileInfo(input).fileName())},
    };
    plan.Script = ScriptHeader;
    for (qsizetype i = 0; i < commands.size(); ++i)
        plan.Script += u"clipforge_step="_s + QString::number(i + 1) + u'\n' +
                       SubstituteTemplate(commands.at(i), values) + u'\n';
    plan.Arguments = QStringList{u"/bin/sh"_s, scriptFolder + ScriptName};
    plan.Text = scriptFolder + ScriptName;
    return plan;
}

QString TBatchDriver::writeScripts(const TFilePlan& plan) const
{
    const QString folder = m_scripts->Path();
    if (!plan.DirectShow.isEmpty() &&
        !WriteFileAtomically(folder + DirectShowName, plan.DirectShow.toUtf8()))
        return unableToWrite(folder + DirectShowName);
    if (!plan.Script.isEmpty() && !WriteFileAtomically(folder + ScriptName, plan.Script.toUtf8()))
        return unableToWrite(folder + ScriptName);
    return {};
}

TFilePlan TBatchDriver::PreviewFile(int row) const
{
    // The scripts would be written to the program folder's own names, and a
    // device item's outputs go straight to the output folder, so a pasted
    // script does what the batch does.
    return composeFile(m_front.Files.RowCaption(row), ProgramFolder(), {});
}

void TBatchDriver::finishFile()
{
    if (!m_looping) return;
    // An unterminated last line may still wait; it can be the error line.
    m_parser.Drain();
    bool failed = m_file.Failed || !m_runner.ExitedNormally() || m_runner.ExitCode() != 0;
    const QStringList outputs = collectOutputs(failed);
    endFile(failed, outputs);
}

// The files a finished run wrote. A composed call writes its output itself; a
// device item's files wait in its staging folder and move to the output folder
// together, only when the item's main output is there and not empty.
QStringList TBatchDriver::collectOutputs(bool& failed)
{
    if (!isDeviceFormat(m_vars.OutputFormat)) {
        failed = failed || FileSizeOf(m_file.OutputFile) <= 0;
        return failed ? QStringList() : QStringList{m_file.OutputFile};
    }
    const std::unique_ptr<TPrivateFolder> staging = std::move(m_staging);
    if (failed || !staging) return {};

    const QFileInfo expected(m_file.OutputFile);
    const QStringList candidates =
        QDir(staging->Path())
            .entryList({u"*."_s + expected.suffix()}, QDir::Files | QDir::Hidden, QDir::Name);
    QString mainName;
    for (const QString& name : candidates) {
        if (FileSizeOf(staging->Path() + name) <= 0) continue;
        if (mainName.isEmpty() || name == expected.fileName()) mainName = name;
    }
    QString error;
    std::optional<QStringList> moved;
    if (mainName.isEmpty())
        error = u"Error: The device profile item wrote no ."_s + expected.suffix() + u" file"_s;
    else
        moved = MoveOutputs(staging->Path(), expected.path(), mainName, error);
    if (moved) return *moved;
    reportError(error);
    failed = true;
    return {};
}

void TBatchDriver::endFile(bool failed, const QStringList& outputs)
{
    TBatchState& batch = m_batch;
    m_staging.reset();
    // The file's whole size counts once it ended, however far its figures got.
    batch.FinishedBytes += m_file.Bytes;
    batch.DoneBytes = batch.FinishedBytes;
    if (!failed) {
        if (m_vars.DeleteFileAfterProcessing) QFile::remove(m_file.InputFile);
        m_front.Files.SetRowState(m_file.Row, rsConverted, outputs);
        ++batch.DoneCount;
        if (batch.DoneCount == batch.TotalCount) {
            batch.Percent = 100;
            m_front.Progress.SetLabel(TProgressLabel::LabelBatch, Msg(MSG_ID_BATCH) + u"100%"_s);
            m_front.Progress.SetBar(TProgressBar::ProgressBarStatus, 100);
            m_front.Progress.SetBar(TProgressBar::ProgressBarBatch, 100);
            m_front.Progress.SetProgressCaption(Msg(MSG_LABEL_ENCODINGFINISHED));
        }
    } else {
        batch.ErrorsOccurred = true;
        ++batch.FailedCount;
        m_front.Files.SetRowState(m_file.Row, rsFailed, {});
        if (!m_file.OutputFile.isEmpty() && !isDeviceFormat(m_vars.OutputFormat))
            DeleteIfEmpty(m_file.OutputFile);
    }

    if (batch.StopWhenDone || batch.DoneCount + batch.FailedCount == batch.TotalCount) {
        m_finished = true;
        finishProgress(mrOk);
        m_front.Tray.SetTrayHint(Msg(MSG_TRAY_ENCODING_DONE));
        return;
    }

    if (batch.TotalBytes != 0) {
        batch.Percent = std::max(batch.Percent, BatchPercentOf(batch));
        m_front.Progress.SetLabel(TProgressLabel::LabelBatch,
                                  Msg(MSG_ID_BATCH) + QString::number(batch.Percent) + u'%');
        m_front.Progress.SetBar(TProgressBar::ProgressBarBatch, batch.Percent);
    }
    if (batch.DoneBytes > 0)
        ShowBatchEstimate(m_front.Progress, batch.TotalBytes, batch.DoneBytes,
                          Now() - batch.StartTime);
    // From the event loop, so the runner has left its end step first.
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_looping) startNextFile();
        },
        Qt::QueuedConnection);
}
