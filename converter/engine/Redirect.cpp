#include "engine/Redirect.h"

#include <QByteArray>
#include <QFile>
#include <QMetaObject>
#include <QProcess>
#include <QScopedValueRollback>

#include <climits>
#include <memory>
#include <vector>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Runs in the child between fork and exec: only async-signal-safe calls.
// Raising the niceness is always allowed; lowering it may be refused, and
// then the lowest value the system grants, between the wish and the current
// value, is taken. A refused priority never stops the start.
void applyNiceness(int wanted)
{
    errno = 0;
    int current = ::getpriority(PRIO_PROCESS, 0);
    if (errno != 0) current = wanted;
    for (int value = wanted; value < current; ++value)
        if (::setpriority(PRIO_PROCESS, 0, value) == 0) return;
    if (wanted >= current) ::setpriority(PRIO_PROCESS, 0, wanted);
}

void restoreDefaultSignals()
{
    sigset_t none;
    ::sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    struct sigaction byDefault = {};
    byDefault.sa_handler = SIG_DFL;
    ::sigemptyset(&byDefault.sa_mask);
    for (int number = 1; number < NSIG; ++number)
        if (number != SIGKILL && number != SIGSTOP) ::sigaction(number, &byDefault, nullptr);
}

// The life line: a pipe nothing is ever written to, whose write end only this
// process holds (close-on-exec, never passed on). Its read end reports end of
// file the moment this process is gone, however it died.
int lifeLine()
{
    static const int readEnd = [] {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) return -1;
        return ends[0];
    }();
    return readEnd;
}

void closeAllBut(int keep)
{
    if (keep > 0) ::close_range(0, unsigned(keep) - 1, 0);
    ::close_range(unsigned(keep) + 1, ~0U, 0);
}

void pause(long milliseconds)
{
    const timespec span = {milliseconds / 1000, (milliseconds % 1000) * 1000000};
    ::nanosleep(&span, nullptr);
}

// Runs in the child between fork and exec. Forks the guard of the child's
// process group: a process outside the group that watches the life line.
// When this process dies, the child's parent-death signal reaches only the
// child itself, not the shell scripts and encoders it started; the guard
// kills the whole group then and removes the folders the group wrote into.
// It ends by itself when the child ends.
void startGuard(int line, const char* const* removal)
{
    const pid_t group = ::getpid();
    if (line < 0 || ::fork() != 0) return;
    ::setpgid(0, 0);
    // Nothing but the life line stays open: above all not the child's
    // output pipes, whose end the runner waits for.
    closeAllBut(line);
    for (;;) {
        pollfd watch = {line, POLLIN, 0};
        const int ready = ::poll(&watch, 1, 250);
        if (ready > 0) break;
        if (ready < 0 && errno != EINTR) ::_exit(0);
        if (::getppid() != group) ::_exit(0);
    }
    ::kill(-group, SIGKILL);
    // The folders go once nothing of the group can write into them.
    for (int tries = 0; tries < 400 && ::kill(-group, 0) == 0; ++tries)
        pause(5);
    // removal is "rm -rf -- FOLDER...".
    if (!removal[3]) ::_exit(0);
    ::execv("/bin/rm", const_cast<char* const*>(removal));
    ::_exit(0);
}

// QProcess reports a failed start as "<call>: <system text>"; the system
// text identifies the error number.
int startErrorNumber(const QProcess& process)
{
    const QString text = process.errorString();
    for (int number = 1; number < 256; ++number)
        if (text.endsWith(u": "_s + qt_error_string(number))) return number;
    return static_cast<int>(process.error());
}

bool isPlainShellWord(const QString& argument)
{
    if (argument.isEmpty()) return false;
    for (const QChar c : argument) {
        const char16_t u = c.unicode();
        const bool plain = (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') ||
                           (u >= u'0' && u <= u'9') || u"_./:=+,@%-"_s.contains(c);
        if (!plain) return false;
    }
    return true;
}

}  // namespace

RedirectorError::RedirectorError(const QString& text) : std::runtime_error(text.toStdString()) {}

QString RedirectorError::text() const { return QString::fromStdString(what()); }

TRedirector::TRedirector(QObject* parent) : QObject(parent) {}

TRedirector::~TRedirector()
{
    QProcess* process = m_processInfo.Process;
    if (!process) return;
    QObject::disconnect(process, nullptr, this, nullptr);
    if (KillOnDestroy) {
        OnTerminated = nullptr;
        killGroup();
        // Reaped here so that nothing of the child outlives the runner.
        process->waitForFinished();
        delete process;
        return;
    }
    // Left running: the process object keeps reading (and dropping) the
    // child's output so the child never blocks on a full pipe, and frees
    // itself when the child ends.
    process->setParent(nullptr);
    if (process->state() == QProcess::NotRunning) {
        delete process;
        return;
    }
    connect(process, &QProcess::readyReadStandardOutput, process,
            [process] { process->readAllStandardOutput(); });
    connect(process, &QProcess::readyReadStandardError, process,
            [process] { process->readAllStandardError(); });
    connect(process, &QProcess::finished, process, &QObject::deleteLater);
}

TRedirectorState TRedirector::State() const
{
    if (!Active()) return TRedirectorState::Idle;
    return m_processEnded ? TRedirectorState::Draining : TRedirectorState::Running;
}

QString TRedirector::GetCommandLine() const
{
    if (ApplicationName.isEmpty()) return m_commandLine;
    return ApplicationName + u' ' + m_commandLine;
}

void TRedirector::SetCommandLine(const QString& Value) { storeCommandLine({Value}, Value); }

void TRedirector::SetCommandLine(const QStringList& Arguments, const QString& Text)
{
    storeCommandLine(Arguments, Text.isEmpty() ? ComposeCommandLine(Arguments) : Text);
}

void TRedirector::storeCommandLine(const QStringList& arguments, const QString& text)
{
    if (Active() && text.compare(GetCommandLine(), Qt::CaseInsensitive) != 0)
        throw RedirectorError(u"Cannot change Commandline while process is active"_s);
    m_commandLine = text;
    m_arguments = arguments;
}

void TRedirector::SetDefaultErrorMode(bool Value)
{
    if (Active() && Value != m_defaultErrorMode)
        throw RedirectorError(u"Cannot change DefaultErrorMode while process is active"_s);
    m_defaultErrorMode = Value;
}

void TRedirector::SetInitialPriority(quint8 Value)
{
    if (Active())
        throw RedirectorError(u"Cannot change InititalPriority while process is active"_s);
    m_initialPriority = Value;
}

std::optional<int> TRedirector::NicenessOf(quint8 Priority)
{
    switch (Priority) {
        case 1:
            return 19;
        case 2:
            return 0;
        case 3:
            return -5;
        case 4:
            return -10;
        default:
            return std::nullopt;
    }
}

QString TRedirector::ComposeCommandLine(const QStringList& Arguments)
{
    QStringList words;
    words.reserve(Arguments.size());
    for (const QString& argument : Arguments) {
        if (isPlainShellWord(argument)) {
            words << argument;
        } else {
            QString quoted = argument;
            quoted.replace(u'\'', u"'\\''"_s);
            words << u'\'' + quoted + u'\'';
        }
    }
    return words.join(u' ');
}

void TRedirector::Execute()
{
    if (Active()) throw RedirectorError(u"Process is already active"_s);
    QStringList arguments = m_arguments;
    QString program;
    if (!ApplicationName.trimmed().isEmpty())
        program = ApplicationName;
    else if (!arguments.isEmpty())
        program = arguments.takeFirst();
    if (GetCommandLine().trimmed().isEmpty() || program.isEmpty())
        throw RedirectorError(u"No commandline to run"_s);

    m_processEnded = false;
    m_terminateRequested = false;
    m_exitCode = 0;
    m_exitedNormally = false;
    m_availableBytes = 0;

    auto* process = new QProcess(this);
    process->setProgram(program);
    process->setArguments(arguments);
    if (!CurrentDirectory.trimmed().isEmpty()) process->setWorkingDirectory(CurrentDirectory);
    process->setProcessEnvironment(Environment);
    // Nothing is ever written to the child; end of file instead of a pipe
    // that never delivers keeps a child asking a question from hanging.
    process->setStandardInputFile(QProcess::nullDevice());
    // The guard's removal command, made before the fork: "rm -rf --" and
    // the folders.
    auto removal = std::make_shared<std::vector<QByteArray>>();
    for (const char* word : {"rm", "-rf", "--"})
        removal->emplace_back(word);
    for (const QString& folder : std::as_const(OrphanFolders))
        if (!folder.isEmpty()) removal->push_back(QFile::encodeName(folder));
    auto words = std::make_shared<std::vector<const char*>>();
    for (const QByteArray& word : *removal)
        words->push_back(word.constData());
    words->push_back(nullptr);
    process->setChildProcessModifier([niceness = NicenessOf(m_initialPriority),
                                      defaultSignals = m_defaultErrorMode, parent = ::getpid(),
                                      line = lifeLine(), removal, words] {
        // Its own session and group: no terminal, and Terminate reaches every
        // process the child starts.
        if (::setsid() < 0) ::setpgid(0, 0);
        // The child dies with its front, and so does everything it starts:
        // an orphaned encoder would finish its file later and could replace
        // a newer one.
        ::prctl(PR_SET_PDEATHSIG, SIGKILL);
        if (::getppid() != parent) ::_exit(127);
        startGuard(line, words->data());
        if (defaultSignals) restoreDefaultSignals();
        if (niceness) applyNiceness(*niceness);
    });
    connect(process, &QProcess::readyReadStandardOutput, this, &TRedirector::requestPump);
    connect(process, &QProcess::readyReadStandardError, this, &TRedirector::requestPump);
    connect(process, &QProcess::finished, this, [this](int exitCode, QProcess::ExitStatus status) {
        processFinished(exitCode, status == QProcess::CrashExit);
    });

    process->start();
    if (!process->waitForStarted()) {
        const int number =
            process->state() == QProcess::NotRunning ? startErrorNumber(*process) : ETIMEDOUT;
        QObject::disconnect(process, nullptr, this, nullptr);
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished();
        }
        delete process;
        throw RedirectorError(u"Error creating process : "_s + QString::number(number));
    }
    m_processInfo = {process, process->processId()};
}

void TRedirector::Terminate(int Code)
{
    if (!Active()) throw RedirectorError(u"Cannot Terminate an inactive process"_s);
    m_terminateRequested = true;
    m_terminateCode = Code;
    killGroup();
}

void TRedirector::killGroup()
{
    const auto pid = static_cast<pid_t>(m_processInfo.ProcessId);
    if (pid <= 0) return;
    // The group outlives the child while a process it started lives on, so
    // this also reaches those after the child itself has ended.
    if (::kill(-pid, SIGKILL) != 0 && !m_processEnded) ::kill(pid, SIGKILL);
}

void TRedirector::requestPump()
{
    // Delivered from the event loop rather than from inside QProcess's
    // signals: the child's end, noticed in the same round, is then known
    // before the last bytes go out.
    if (m_pumpQueued) return;
    m_pumpQueued = true;
    QMetaObject::invokeMethod(this, &TRedirector::pump, Qt::QueuedConnection);
}

void TRedirector::processFinished(int exitCode, bool crashed)
{
    m_processEnded = true;
    m_exitedNormally = !crashed;
    m_exitCode = crashed && m_terminateRequested ? m_terminateCode : exitCode;
    requestPump();
}

void TRedirector::pump()
{
    m_pumpQueued = false;
    // A handler's nested event loop must not get another chunk or the end
    // before the handler returns; the outer round picks up what came.
    if (m_delivering) return;
    QProcess* process = m_processInfo.Process;
    if (!process) return;
    for (;;) {
        const bool fromOut = deliver(process, QProcess::StandardOutput);
        const bool fromErr = deliver(process, QProcess::StandardError);
        if (!fromOut && !fromErr) break;
    }
    if (m_processEnded) endOfProcess();
}

bool TRedirector::deliver(QProcess* process, int channel)
{
    const auto readChannel = static_cast<QProcess::ProcessChannel>(channel);
    process->setReadChannel(readChannel);
    const qint64 available = process->bytesAvailable();
    if (available <= 0) return false;
    const QByteArray chunk = process->read(qMin<qint64>(available, INT_MAX));
    m_availableBytes = static_cast<qint32>(chunk.size());
    // A copy: the handler may assign a new one while it runs.
    const TDataEvent handler = readChannel == QProcess::StandardOutput ? OnData : OnErrorData;
    if (handler) {
        const QScopedValueRollback delivering(m_delivering, true);
        handler(this, chunk.constData(), static_cast<int>(chunk.size()));
    }
    return true;
}

void TRedirector::endOfProcess()
{
    QProcess* process = m_processInfo.Process;
    QObject::disconnect(process, nullptr, this, nullptr);
    process->deleteLater();
    m_processInfo = {};
    m_availableBytes = 0;
    const TNotifyEvent handler = OnTerminated;
    if (handler) handler(this);
}
