#pragma once

#include <QObject>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <optional>
#include <stdexcept>

class QProcess;
class TRedirector;

// Raised by the runner; the text is what the user is shown.
class RedirectorError : public std::runtime_error {
public:
    explicit RedirectorError(const QString& text);
    QString text() const;
};

// A chunk of the child's output: the bytes exactly as the child wrote them,
// any number of lines or part of one. Buffer is valid during the call only.
using TDataEvent = std::function<void(TRedirector* Sender, const char* Buffer, int Count)>;
using TNotifyEvent = std::function<void(TRedirector* Sender)>;

enum class TRedirectorState {
    Idle,      // no child
    Running,   // child alive, output delivered as it comes
    Draining,  // child ended, the rest of its output still being delivered
};

// The running child; all zero when none runs. Its process group has the
// child's id.
struct TProcessInformation {
    QProcess* Process = nullptr;
    qint64 ProcessId = 0;
};

// Runs one external program at a time as a hidden child in its own process
// group, with its standard output and error captured and its standard input
// at end of file. Every chunk either stream carries reaches OnData or
// OnErrorData on the runner's thread, in the order of that stream; once the
// child has ended and all of its output has been delivered, OnTerminated is
// called once. Handlers are called one at a time: a handler that runs a nested
// event loop (a modal message box) gets no further chunk until it returns.
// The runner is reused for any number of children, one after another.
class TRedirector : public QObject {
    Q_OBJECT

public:
    explicit TRedirector(QObject* parent = nullptr);
    // Kills a running child's process group when KillOnDestroy is set, without
    // calling OnTerminated; otherwise the child is left running.
    ~TRedirector() override;
    Q_DISABLE_COPY_MOVE(TRedirector)

    bool Active() const { return m_processInfo.Process != nullptr; }
    const TProcessInformation& ProcessInfo() const { return m_processInfo; }
    TRedirectorState State() const;

    // ApplicationName + " " + the command-line text when ApplicationName is
    // set, else the command-line text.
    QString GetCommandLine() const;
    // The program and its arguments as they are passed to the child.
    const QStringList& GetArguments() const { return m_arguments; }

    // Both forms are refused while a child runs, unless the text equals the
    // current full command line ignoring case.
    // The text alone names the program to start, whole and never split.
    void SetCommandLine(const QString& Value);
    // The program followed by its arguments, each passed verbatim, no shell
    // involved; Text is what GetCommandLine shows, by default the arguments
    // quoted as a POSIX shell would need them.
    void SetCommandLine(const QStringList& Arguments, const QString& Text = {});

    bool DefaultErrorMode() const { return m_defaultErrorMode; }
    // True: the child starts with all signals unblocked and at their default
    // action instead of inheriting what this process ignores.
    void SetDefaultErrorMode(bool Value);

    quint8 InitialPriority() const { return m_initialPriority; }
    // 0 keeps this process's niceness; 1 idle, 2 normal, 3 high, 4 realtime
    // set the child's niceness to 19, 0, -5, -10, or as near to that as the
    // system allows.
    void SetInitialPriority(quint8 Value);

    // Starts the child; the runner stays Idle when it fails.
    void Execute();
    // Kills the child's whole process group at once. The child's end is
    // reported later, with ExitCode set to Code.
    void Terminate(int Code);

    bool ProcessEnded() const { return m_processEnded; }
    // Size of the chunk being delivered.
    qint32 AvailableBytes() const { return m_availableBytes; }
    // How the last child ended, valid from OnTerminated on: its exit status
    // when it exited by itself, the code given to Terminate when it was
    // killed, or the number of the signal that ended it.
    int ExitCode() const { return m_exitCode; }
    bool ExitedNormally() const { return m_exitedNormally; }

    // The arguments quoted for a POSIX shell and joined by blanks.
    static QString ComposeCommandLine(const QStringList& Arguments);
    // The niceness a priority asks for; nothing for 0 and unknown values.
    static std::optional<int> NicenessOf(quint8 Priority);

    // When set, the program to start, and every element of the argument
    // vector is an argument.
    QString ApplicationName;
    QString CurrentDirectory;  // empty: this process's current directory
    QProcessEnvironment Environment{QProcessEnvironment::InheritFromParent};
    bool KillOnDestroy = false;
    // Folders the child's processes write into. Should this process die while
    // a child runs, the child's whole group is killed and these are removed.
    QStringList OrphanFolders;
    quint16 ShowWindowState = 0;  // children never get a window here
    TDataEvent OnData;
    TDataEvent OnErrorData;
    TNotifyEvent OnTerminated;

private:
    void storeCommandLine(const QStringList& arguments, const QString& text);
    void requestPump();
    void pump();
    bool deliver(QProcess* process, int channel);
    void processFinished(int exitCode, bool crashed);
    void endOfProcess();
    void killGroup();

    TProcessInformation m_processInfo;
    QString m_commandLine;
    QStringList m_arguments;
    bool m_defaultErrorMode = false;
    quint8 m_initialPriority = 0;
    bool m_processEnded = false;
    qint32 m_availableBytes = 0;
    int m_exitCode = 0;
    bool m_exitedNormally = false;
    bool m_terminateRequested = false;
    int m_terminateCode = 0;
    bool m_delivering = false;
    bool m_pumpQueued = false;
};
