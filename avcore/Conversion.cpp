#include "Conversion.h"

#include <fcntl.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "AmrTrack.h"
#include "Arguments.h"
#include "ConsoleOutput.h"
#include "FfmpegLocation.h"
#include "InputFile.h"
#include "OutputFile.h"
#include "Process.h"
#include "SourceProbe.h"

namespace avcore {
namespace {

// A stop request is written into a pipe so that the wait for the children
// wakes up and stops them.
volatile sig_atomic_t g_signalPipe = -1;

void OnStopSignal(int signal)
{
    const char byte = static_cast<char>(signal);
    if (g_signalPipe >= 0 && ::write(g_signalPipe, &byte, 1) < 0) return;
}

void Print(const std::string& text)
{
    size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(STDERR_FILENO, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;  // nobody listens any more; the conversion goes on
        done += static_cast<size_t>(n);
    }
}

void PrintLine(const std::string& line) { Print(DisplayName(line) + '\n'); }

int Fail(const std::string& errorLine)
{
    PrintLine(errorLine);
    return 1;
}

// The options every ffmpeg run gets: no keyboard, no banner, level-tagged log
// lines, progress as key=value blocks four times a second. The run that makes
// the output fails when it wrote nothing (a start past the end, a zero
// duration) instead of leaving a file without content.
std::vector<std::string> CommonOptions(const char* level, int progressFd)
{
    std::vector<std::string> options{"-nostdin", "-hide_banner", "-nostats", "-loglevel", level};
    if (progressFd >= 0) {
        options.insert(options.end(),
                       {"-stats_period", "0.25", "-progress", "pipe:" + std::to_string(progressFd),
                        "-abort_on", "empty_output"});
    }
    options.push_back("-y");
    return options;
}

bool ExitedWell(int status) { return WIFEXITED(status) && WEXITSTATUS(status) == 0; }

class Session {
public:
    Session(const EncodePlan& plan, OutputFile& output, ConsoleRewriter& rewriter, Fd signals)
        : m_plan(plan), m_output(output), m_rewriter(rewriter), m_signals(std::move(signals))
    {
    }

    int run(const std::string& ffmpeg);

private:
    void onMainLine(const std::string& line);
    void onDecoderLine(const std::string& line);
    void hold(const std::string& text);
    void stopChildren();
    // Takes a stop request; true once the conversion is stopped.
    bool readStopRequest();
    // Starts the main run with these arguments; the error line, or empty text.
    std::string startMain(const std::string& ffmpeg, const std::vector<std::string>& planned);
    // Serves the main run (and the AMR track) to its end; its waitpid status.
    int runMain();
    bool pump();
    bool needsSilence(int mainStatus) const;
    int finish(int mainStatus);

    const EncodePlan& m_plan;
    OutputFile& m_output;
    ConsoleRewriter& m_rewriter;

    Fd m_signals;
    pid_t m_main = -1;
    Fd m_mainErr, m_progress;
    LineSplitter m_mainLines, m_progressLines;
    MetadataFilter m_metadata;
    ProgressReader m_progressReader;
    std::unique_ptr<AmrTrack> m_amr;
    bool m_inputHasSound = false;
    std::vector<std::string> m_errors;
    int m_stopSignal = 0;
};

void Session::hold(const std::string& text)
{
    // Errors are kept until the end: a failure is reported as one line.
    constexpr size_t kMaxHeld = 200;
    if (m_errors.size() < kMaxHeld) m_errors.push_back(text);
}

void Session::onMainLine(const std::string& raw)
{
    const LogLine line = m_rewriter.rewrite(raw);
    if (line.level == LogLevel::Error) {
        hold(line.text);
    } else if (!m_metadata.skips(line.text) && !ConsoleRewriter::isReplacedByAvcore(line.text)) {
        if (ConsoleRewriter::listsSoundStream(line.text)) m_inputHasSound = true;
        PrintLine(ConsoleRewriter::asNotice(line.text));
    }
}

void Session::onDecoderLine(const std::string& raw)
{
    const LogLine line = m_rewriter.rewrite(raw);
    if (line.level == LogLevel::Error) hold(line.text);
}

void Session::stopChildren()
{
    if (m_main > 0) ::kill(m_main, SIGTERM);
    if (m_amr) m_amr->stop();
}

int Session::run(const std::string& ffmpeg)
{
    const std::vector<std::string>* planned = &m_plan.arguments;
    if (m_plan.amr != AmrKind::None) {
        m_amr = std::make_unique<AmrTrack>(m_plan, m_output.fd.get(),
                                           [this](const std::string& l) { onDecoderLine(l); });
        std::string error;
        if (!m_amr->prepare(error)) return Fail(error);
        if (m_amr->muxed()) {
            // The decoding run goes first: only once it delivers sound does the
            // muxing run get an AMR track; an input without sound gets none.
            if (!m_amr->startDecoder(ffmpeg, CommonOptions("level+error", -1), error))
                return Fail("Error: cannot start ffmpeg " + Quote(ffmpeg) + ": " + error);
            if (!m_amr->awaitSound(m_signals, [this] { return readStopRequest(); })) {
                if (m_stopSignal != 0) return finish(0);
                const int status = m_amr->decoderStatus();
                if (!ExitedWell(status) && !ConsoleRewriter::reportsNoStream(m_errors))
                    return Fail(m_rewriter.describeFailure(
                        m_errors, "Error: ffmpeg failed (" + DescribeStatus(status) + ")"));
                m_errors.clear();
                m_amr->drop();
                planned = &m_plan.silentArguments;
            }
        }
    }

    if (std::string error = startMain(ffmpeg, *planned); !error.empty()) return Fail(error);
    int status = runMain();
    if (needsSilence(status)) {
        // Known only now that ffmpeg listed the input: it has no sound.
        m_errors.clear();
        if (std::string error = startMain(ffmpeg, m_plan.withSilenceArguments); !error.empty())
            return Fail(error);
        status = runMain();
    }
    return finish(status);
}

std::string Session::startMain(const std::string& ffmpeg, const std::vector<std::string>& planned)
{
    std::string error;
    Pipe log, progress;
    if (!MakePipe(log, error) || !MakePipe(progress, error))
        return "Error: cannot create a pipe: " + error;
    // fd 2 the log, fd 3 (fd 4 when fd 3 carries our AMR) the progress blocks.
    const int progressFd = m_amr && m_amr->muxed() ? 4 : 3;
    std::vector<std::string> args = CommonOptions("level+info", progressFd);
    args.insert(args.end(), planned.begin(), planned.end());
    std::vector<std::pair<int, int>> fds{{2, log.write.get()}, {progressFd, progress.write.get()}};
    if (m_amr) m_amr->addMainRunFds(fds);
    m_main = Spawn(ffmpeg, args, fds, error);
    if (m_main < 0) {
        stopChildren();
        return "Error: cannot start ffmpeg " + Quote(ffmpeg) + ": " + error;
    }
    // Only the children keep the writing ends, so their exit reads as end of file.
    m_mainErr = std::move(log.read);
    m_progress = std::move(progress.read);
    m_metadata = MetadataFilter();
    if (m_amr) m_amr->mainRunStarted();
    return {};
}

int Session::runMain()
{
    while (pump()) {
    }
    const int status = WaitFor(m_main);
    m_main = -1;
    return status;
}

bool Session::needsSilence(int mainStatus) const
{
    return !ExitedWell(mainStatus) && m_stopSignal == 0 && !m_inputHasSound &&
           !m_plan.withSilenceArguments.empty();
}

// Waits for the children and decides: the output is put in place, or one
// error line says why not.
int Session::finish(int mainStatus)
{
    const int decoderStatus = m_amr ? m_amr->finish() : 0;
    if (m_stopSignal != 0)
        return Fail("Error: the conversion was stopped (signal " + std::to_string(m_stopSignal) +
                    ")");
    const std::string writeError = m_amr ? m_amr->writeError() : std::string();
    if (!writeError.empty()) hold(m_output.target + ": " + writeError);
    const bool ok = ExitedWell(mainStatus) && ExitedWell(decoderStatus) && writeError.empty() &&
                    !ConsoleRewriter::reportsLostOutput(m_errors);
    if (!ok) {
        const std::string status =
            DescribeStatus(!ExitedWell(mainStatus) ? mainStatus : decoderStatus);
        return Fail(m_rewriter.describeFailure(m_errors, "Error: ffmpeg failed (" + status + ")"));
    }
    if (m_plan.amrRawFile && m_output.fd.isOpen() && ::fsync(m_output.fd.get()) != 0 &&
        errno != EINVAL)
        return Fail(m_rewriter.describeFailure({m_output.target + ": " + strerror(errno)}, {}));
    if (!m_output.commit()) return Fail(m_output.error);
    for (const auto& text : m_errors)
        PrintLine(ConsoleRewriter::asNotice(text));
    return 0;
}

bool Session::readStopRequest()
{
    char signal = 0;
    if (::read(m_signals.get(), &signal, 1) == 1 && m_stopSignal == 0) {
        m_stopSignal = signal;
        stopChildren();
    }
    return m_stopSignal != 0;
}

// One round of waiting; false once every stream has ended.
bool Session::pump()
{
    PollSet set;
    const int iLog = set.add(m_mainErr, POLLIN);
    const int iProgress = set.add(m_progress, POLLIN);
    if (m_amr) m_amr->watch(set);
    if (!m_mainErr.isOpen() && !m_progress.isOpen() && !(m_amr && m_amr->isOpen())) return false;
    const int iSignals = set.add(m_signals, POLLIN);
    if (!set.wait()) return errno == EINTR;

    if (set.ready(iSignals)) readStopRequest();
    if (set.ready(iLog))
        ReadLines(m_mainErr, m_mainLines, [this](const std::string& l) { onMainLine(l); });
    if (set.ready(iProgress))
        ReadLines(m_progress, m_progressLines,
                  [this](const std::string& l) { Print(m_progressReader.feed(l)); });
    if (m_amr && !m_amr->serve(set)) stopChildren();
    return true;
}

}  // namespace

int RunConversion(const std::vector<std::string>& legacy)
{
    // Write errors show as errors: a closed pipe or a full file size limit
    // must not kill avcore (or, inherited, ffmpeg) silently.
    ::signal(SIGPIPE, SIG_IGN);
    ::signal(SIGXFSZ, SIG_IGN);
    Pipe signals;
    std::string error;
    if (!MakePipe(signals, error)) return Fail("Error: cannot create a pipe: " + error);
    SetNonBlocking(signals.write.get());
    g_signalPipe = signals.write.get();
    struct sigaction stop {};
    stop.sa_handler = OnStopSignal;
    sigemptyset(&stop.sa_mask);
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &stop, nullptr);
    // avcore stops, the usual clean way, when the program that started it
    // ends: an orphan must not finish a file nobody waits for.
    const pid_t parent = ::getppid();
    ::prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (::getppid() != parent) return Fail("Error: the program that started avcore.dll has ended");

    const EncodePlan given = TranslateArguments(legacy);
    if (!given.error.empty()) return Fail(given.error);

    const std::string ffmpeg =
        FindFfmpeg(std::getenv("CLIPFORGE_FFMPEG"), OwnFolder(), std::getenv("PATH"));
    if (ffmpeg.empty())
        return Fail(
            "Error: ffmpeg was not found (looked at $CLIPFORGE_FFMPEG, beside avcore.dll and on "
            "PATH)");

    std::vector<std::string> inputUrls;
    std::vector<Fd> openInputs;
    for (size_t i = 0; i < given.inputs.size(); ++i) {
        InputCheck check = CheckInput(given.inputs[i], given.inputIsFile[i]);
        if (!check.error.empty()) return Fail(check.error);
        inputUrls.push_back(check.url);
        openInputs.push_back(std::move(check.open));
    }

    // The source's facts shape the conversion (deinterlacing, rate, pixel
    // format, sound offset) and may refuse it before any output exists.
    SourceFacts source;
    if (inputUrls.size() == 1 && given.inputIsFile[0] && inputUrls[0].rfind("file:", 0) == 0)
        source = ProbeSource(FindFfprobe(ffmpeg, std::getenv("PATH")), inputUrls[0]);
    if (const EncodePlan checked = TranslateArguments(legacy, inputUrls, {}, source);
        !checked.error.empty())
        return Fail(checked.error);

    OutputFile output;
    PrepareOutput(output, given.output, given.overwrite, inputUrls);
    if (!output.error.empty()) return Fail(output.error);
    const std::string outputUrl =
        output.temporary.empty() ? FileUrl(given.output) : FileUrl(output.temporary);

    const EncodePlan plan = TranslateArguments(legacy, inputUrls, outputUrl, source);
    ConsoleRewriter rewriter;
    for (size_t i = 0; i < plan.inputs.size(); ++i) {
        rewriter.addName(inputUrls[i], plan.inputs[i]);
    }
    rewriter.addName(outputUrl, plan.output);
    if (!output.temporary.empty()) rewriter.addName(output.temporary, plan.output);
    if (plan.amrRawFile) {
        rewriter.addName("Output #0, s16le, to 'pipe:1'",
                         "Output #0, amr, to '" + plan.output + "'");
    }
    if (!plan.amrRawFile) output.fd.reset();
    if (plan.amrRawFile && !output.fd.isOpen()) {
        // A device or pipe is written in place, by avcore as for any AMR file.
        if (!IsLocalName(plan.output))
            return Fail("Error: an AMR file can only be written to a file, not to " +
                        Quote(plan.output));
        output.fd = Fd(::open(plan.output.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC));
        if (!output.fd.isOpen())
            return Fail("Error: cannot write the output file " + Quote(plan.output) + ": " +
                        strerror(errno));
    }

    Session session(plan, output, rewriter, std::move(signals.read));
    const int status = session.run(ffmpeg);
    g_signalPipe = -1;
    return status;
}

}  // namespace avcore
