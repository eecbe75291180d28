#include "Conversion.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "AmrEncoder.h"
#include "Arguments.h"
#include "ConsoleOutput.h"
#include "FfmpegLocation.h"
#include "InputFile.h"
#include "OutputFile.h"
#include "Process.h"

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

bool WriteAll(int fd, const std::string& data, std::string& error)
{
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            error = strerror(errno);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
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

void SetNonBlocking(int fd) { ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK); }

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
    // Reads what one stream has ready; at its end the last line is passed on
    // and the stream closed.
    template <typename OnLine>
    void drain(Fd& fd, LineSplitter& lines, OnLine&& onLine);
    void drainDecoderErr()
    {
        drain(m_decoderErr, m_decoderLines, [this](const std::string& l) { onDecoderLine(l); });
    }
    void hold(const std::string& text);
    void stopChildren();
    void readStopRequest();
    bool awaitSound();
    bool pump();
    int finish();

    const EncodePlan& m_plan;
    OutputFile& m_output;
    ConsoleRewriter& m_rewriter;

    Fd m_signals;
    pid_t m_main = -1;
    pid_t m_decoder = -1;
    Fd m_mainErr, m_progress, m_decoderErr, m_pcm, m_amrPipe;
    LineSplitter m_mainLines, m_progressLines, m_decoderLines;
    MetadataFilter m_metadata;
    ProgressReader m_progressReader;
    std::unique_ptr<AmrEncoder> m_encoder;
    std::string m_amr;  // encoded bytes not yet written
    bool m_pcmDone = false;
    std::vector<std::string> m_errors;
    std::string m_writeError;
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
    for (pid_t pid : {m_main, m_decoder})
        if (pid > 0) ::kill(pid, SIGTERM);
}

int Session::run(const std::string& ffmpeg)
{
    std::string error;
    const auto pipeFailed = [&error] { return Fail("Error: cannot create a pipe: " + error); };
    const auto startFailed = [&] {
        stopChildren();
        return Fail("Error: cannot start ffmpeg " + Quote(ffmpeg) + ": " + error);
    };
    Pipe mainErr, progress;
    if (!MakePipe(mainErr, error) || !MakePipe(progress, error)) return pipeFailed();

    const bool amr = m_plan.amr != AmrKind::None;
    bool muxAmr = amr && !m_plan.amrRawFile;
    Pipe pcm, amrPipe;
    if (amr) {
        m_encoder = std::make_unique<AmrEncoder>(m_plan.amr, m_plan.amrMode);
        if (!m_encoder->isValid()) return Fail("Error: the AMR encoder could not be started");
        if (!MakePipe(pcm, error)) return pipeFailed();
    }

    if (muxAmr) {
        // The decoding run goes first: only once it delivers sound does the
        // muxing run get an AMR track; an input without sound gets none.
        Pipe decoderErr;
        if (!MakePipe(decoderErr, error) || !MakePipe(amrPipe, error)) return pipeFailed();
        std::vector<std::string> decoderArgs = CommonOptions("level+error", -1);
        decoderArgs.insert(decoderArgs.end(), m_plan.decoderArguments.begin(),
                           m_plan.decoderArguments.end());
        m_decoder =
            Spawn(ffmpeg, decoderArgs, {{1, pcm.write.get()}, {2, decoderErr.write.get()}}, error);
        if (m_decoder < 0) return startFailed();
        m_decoderErr = std::move(decoderErr.read);
        m_pcm = std::move(pcm.read);
        pcm.write.reset();
        decoderErr.write.reset();
        if (!awaitSound()) {
            if (m_stopSignal != 0) return finish();
            int status = 0;
            while (::waitpid(m_decoder, &status, 0) < 0 && errno == EINTR) {
            }
            m_decoder = -1;
            const bool silent = (WIFEXITED(status) && WEXITSTATUS(status) == 0) ||
                                ConsoleRewriter::reportsNoStream(m_errors);
            if (!silent)
                return Fail(m_rewriter.describeFailure(
                    m_errors, "Error: ffmpeg failed (" + DescribeStatus(status) + ")"));
            m_errors.clear();
            m_amr.clear();
            muxAmr = false;
        }
    }

    // The main run: fd 2 its log, fd 3 (fd 4 when fd 3 carries our AMR) its
    // progress blocks, and for a bare .amr file fd 1 the PCM it decodes.
    const int progressFd = muxAmr ? 4 : 3;
    const auto& planned =
        amr && !m_plan.amrRawFile && !muxAmr ? m_plan.silentArguments : m_plan.arguments;
    std::vector<std::string> args = CommonOptions("level+info", progressFd);
    args.insert(args.end(), planned.begin(), planned.end());
    std::vector<std::pair<int, int>> fds{{2, mainErr.write.get()},
                                         {progressFd, progress.write.get()}};
    if (m_plan.amrRawFile) fds.emplace_back(1, pcm.write.get());
    if (muxAmr) fds.emplace_back(3, amrPipe.read.get());
    m_main = Spawn(ffmpeg, args, fds, error);
    if (m_main < 0) return startFailed();

    // Only the children keep the writing ends, so their exit reads as end of file.
    m_mainErr = std::move(mainErr.read);
    m_progress = std::move(progress.read);
    if (m_plan.amrRawFile) m_pcm = std::move(pcm.read);
    if (muxAmr) m_amrPipe = std::move(amrPipe.write);
    mainErr.write.reset();
    progress.write.reset();
    pcm.write.reset();
    amrPipe.read.reset();
    if (m_amrPipe.isOpen()) SetNonBlocking(m_amrPipe.get());

    while (pump()) {
    }
    return finish();
}

// Waits for the children and decides: the output is put in place, or one
// error line says why not.
int Session::finish()
{
    int mainStatus = 0;
    int decoderStatus = 0;
    if (m_main > 0)
        while (::waitpid(m_main, &mainStatus, 0) < 0 && errno == EINTR) {
        }
    if (m_decoder > 0)
        while (::waitpid(m_decoder, &decoderStatus, 0) < 0 && errno == EINTR) {
        }
    if (m_stopSignal != 0)
        return Fail("Error: the conversion was stopped (signal " + std::to_string(m_stopSignal) +
                    ")");
    if (!m_writeError.empty()) hold(m_output.target + ": " + m_writeError);
    const bool ok = WIFEXITED(mainStatus) && WEXITSTATUS(mainStatus) == 0 &&
                    WIFEXITED(decoderStatus) && WEXITSTATUS(decoderStatus) == 0 &&
                    m_writeError.empty() && !ConsoleRewriter::reportsLostOutput(m_errors);
    if (!ok) {
        const std::string status = !(WIFEXITED(mainStatus) && WEXITSTATUS(mainStatus) == 0)
                                       ? DescribeStatus(mainStatus)
                                       : DescribeStatus(decoderStatus);
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

// Reads the decoding run until its first sound arrives (true) or its output
// ends without any (false).
bool Session::awaitSound()
{
    char buffer[65536];
    while (m_pcm.isOpen() && m_stopSignal == 0) {
        pollfd fds[3] = {{m_pcm.get(), POLLIN, 0},
                         {m_signals.get(), POLLIN, 0},
                         {m_decoderErr.get(), POLLIN, 0}};
        if (::poll(fds, m_decoderErr.isOpen() ? 3 : 2, -1) < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (fds[1].revents != 0) readStopRequest();
        if (m_decoderErr.isOpen() && fds[2].revents != 0) drainDecoderErr();
        if (fds[0].revents == 0) continue;
        const ssize_t n = ::read(m_pcm.get(), buffer, sizeof buffer);
        if (n > 0) {
            m_encoder->feed(buffer, static_cast<size_t>(n), m_amr);
            return true;
        }
        if (n == 0 || errno != EINTR) m_pcm.reset();
    }
    // What the decoder said before it ended is still to be read.
    while (m_decoderErr.isOpen())
        drainDecoderErr();
    return false;
}

template <typename OnLine>
void Session::drain(Fd& fd, LineSplitter& lines, OnLine&& onLine)
{
    char buffer[65536];
    const ssize_t n = ::read(fd.get(), buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) return;
    if (n <= 0) {
        lines.finish(onLine);
        fd.reset();
        return;
    }
    lines.feed(buffer, static_cast<size_t>(n), onLine);
}

void Session::readStopRequest()
{
    char signal = 0;
    if (::read(m_signals.get(), &signal, 1) == 1 && m_stopSignal == 0) {
        m_stopSignal = signal;
        stopChildren();
    }
}

// One round of waiting; false once every stream has ended.
bool Session::pump()
{
    const bool pcmWanted = m_pcm.isOpen() && m_amr.size() < (1 << 20);
    pollfd fds[6];
    nfds_t count = 0;
    const auto watch = [&](const Fd& fd, short events) -> int {
        if (!fd.isOpen()) return -1;
        fds[count] = pollfd{fd.get(), events, 0};
        return static_cast<int>(count++);
    };
    const int iErr = watch(m_mainErr, POLLIN);
    const int iProgress = watch(m_progress, POLLIN);
    const int iDecoderErr = watch(m_decoderErr, POLLIN);
    const int iPcm = pcmWanted ? watch(m_pcm, POLLIN) : -1;
    const int iAmr = m_amr.empty() ? -1 : watch(m_amrPipe, POLLOUT);
    const int iSignals = watch(m_signals, POLLIN);
    if (iErr < 0 && iProgress < 0 && iDecoderErr < 0 && !m_pcm.isOpen() && !m_amrPipe.isOpen())
        return false;
    if (::poll(fds, count, -1) < 0) return errno == EINTR;

    char buffer[65536];
    const auto ready = [&](int index) {
        return index >= 0 && (fds[index].revents & (POLLIN | POLLOUT | POLLHUP | POLLERR)) != 0;
    };
    if (ready(iSignals)) readStopRequest();
    if (ready(iErr)) drain(m_mainErr, m_mainLines, [this](const std::string& l) { onMainLine(l); });
    if (ready(iProgress))
        drain(m_progress, m_progressLines,
              [this](const std::string& l) { Print(m_progressReader.feed(l)); });
    if (ready(iDecoderErr)) drainDecoderErr();

    if (ready(iPcm)) {
        const ssize_t n = ::read(m_pcm.get(), buffer, sizeof buffer);
        if (n > 0) {
            m_encoder->feed(buffer, static_cast<size_t>(n), m_amr);
        } else if (n == 0 || errno != EINTR) {
            m_encoder->finish(m_amr);
            m_pcm.reset();
            m_pcmDone = true;
        }
        if (m_plan.amrRawFile && !m_amr.empty()) {
            if (m_writeError.empty() && !WriteAll(m_output.fd.get(), m_amr, m_writeError))
                stopChildren();
            m_amr.clear();
        }
    }
    if (ready(iAmr)) {
        const ssize_t n = ::write(m_amrPipe.get(), m_amr.data(), m_amr.size());
        if (n > 0) {
            m_amr.erase(0, static_cast<size_t>(n));
        } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
            // The muxing run is gone; its own log says why.
            m_amr.clear();
            m_amrPipe.reset();
            if (m_decoder > 0) ::kill(m_decoder, SIGTERM);
            m_pcm.reset();
        }
    }
    if (m_pcmDone && m_amr.empty()) m_amrPipe.reset();
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

    OutputFile output;
    PrepareOutput(output, given.output, given.overwrite, inputUrls);
    if (!output.error.empty()) return Fail(output.error);
    const std::string outputUrl =
        output.temporary.empty() ? FileUrl(given.output) : FileUrl(output.temporary);

    const EncodePlan plan = TranslateArguments(legacy, inputUrls, outputUrl);
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
