#include "AmrTrack.h"

#include <signal.h>
#include <string.h>
#include <unistd.h>

#include <cerrno>

namespace avcore {
namespace {

// Unread PCM waits in the pipe once this much AMR waits for the muxer.
constexpr size_t kMaxPendingFrames = 1 << 20;

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

}  // namespace

AmrTrack::AmrTrack(const EncodePlan& plan, int outputFd, LineSink onDecoderLine)
    : m_plan(plan), m_outputFd(outputFd), m_onDecoderLine(std::move(onDecoderLine))
{
}

bool AmrTrack::prepare(std::string& error)
{
    m_encoder = std::make_unique<AmrEncoder>(m_plan.amr, m_plan.amrMode);
    if (!m_encoder->isValid()) {
        error = "Error: the AMR encoder could not be started";
        return false;
    }
    m_muxed = !m_plan.amrRawFile;
    std::string cause;
    if (!MakePipe(m_pcmPipe, cause) || (m_muxed && !MakePipe(m_amrOut, cause))) {
        error = "Error: cannot create a pipe: " + cause;
        return false;
    }
    return true;
}

bool AmrTrack::startDecoder(const std::string& ffmpeg, const std::vector<std::string>& common,
                            std::string& error)
{
    Pipe log;
    if (!MakePipe(log, error)) return false;
    std::vector<std::string> args = common;
    args.insert(args.end(), m_plan.decoderArguments.begin(), m_plan.decoderArguments.end());
    m_decoder = Spawn(ffmpeg, args, {{1, m_pcmPipe.write.get()}, {2, log.write.get()}}, error);
    if (m_decoder < 0) return false;
    m_decoderErr = std::move(log.read);
    m_pcm = std::move(m_pcmPipe.read);
    m_pcmPipe.write.reset();
    return true;
}

bool AmrTrack::awaitSound(const Fd& wake, const std::function<bool()>& onWake)
{
    char buffer[65536];
    while (m_pcm.isOpen()) {
        PollSet set;
        const int iPcm = set.add(m_pcm, POLLIN);
        const int iWake = set.add(wake, POLLIN);
        const int iLog = set.add(m_decoderErr, POLLIN);
        if (!set.wait()) {
            if (errno == EINTR) continue;
            break;
        }
        if (set.ready(iWake) && onWake()) break;
        if (set.ready(iLog)) readDecoderLog();
        if (!set.ready(iPcm)) continue;
        const ssize_t n = ::read(m_pcm.get(), buffer, sizeof buffer);
        if (n > 0) {
            m_encoder->feed(buffer, static_cast<size_t>(n), m_frames);
            return true;
        }
        if (n == 0 || errno != EINTR) m_pcm.reset();
    }
    // What the decoder said before it ended is still to be read.
    while (m_decoderErr.isOpen())
        readDecoderLog();
    return false;
}

int AmrTrack::decoderStatus()
{
    const int status = WaitFor(m_decoder);
    m_decoder = -1;
    return status;
}

void AmrTrack::drop()
{
    m_muxed = false;
    m_frames.clear();
    m_amrOut.read.reset();
    m_amrOut.write.reset();
    m_pcm.reset();
}

void AmrTrack::addMainRunFds(std::vector<std::pair<int, int>>& fds) const
{
    if (m_plan.amrRawFile) fds.emplace_back(1, m_pcmPipe.write.get());
    if (m_muxed) fds.emplace_back(3, m_amrOut.read.get());
}

void AmrTrack::mainRunStarted()
{
    if (m_plan.amrRawFile) m_pcm = std::move(m_pcmPipe.read);
    m_pcmPipe.write.reset();
    if (m_muxed) {
        m_amrPipe = std::move(m_amrOut.write);
        SetNonBlocking(m_amrPipe.get());
    }
    m_amrOut.read.reset();
}

void AmrTrack::watch(PollSet& set)
{
    m_iDecoderErr = set.add(m_decoderErr, POLLIN);
    m_iPcm = m_frames.size() < kMaxPendingFrames ? set.add(m_pcm, POLLIN) : -1;
    m_iAmr = m_frames.empty() ? -1 : set.add(m_amrPipe, POLLOUT);
}

bool AmrTrack::serve(const PollSet& set)
{
    if (set.ready(m_iDecoderErr)) readDecoderLog();
    bool written = true;
    if (set.ready(m_iPcm)) {
        readPcm();
        if (m_plan.amrRawFile && !m_frames.empty()) {
            if (m_writeError.empty()) written = WriteAll(m_outputFd, m_frames, m_writeError);
            m_frames.clear();
        }
    }
    if (set.ready(m_iAmr)) writeFrames();
    if (m_pcmDone && m_frames.empty()) m_amrPipe.reset();
    return written;
}

void AmrTrack::readDecoderLog() { ReadLines(m_decoderErr, m_decoderLines, m_onDecoderLine); }

void AmrTrack::readPcm()
{
    char buffer[65536];
    const ssize_t n = ::read(m_pcm.get(), buffer, sizeof buffer);
    if (n > 0) {
        m_encoder->feed(buffer, static_cast<size_t>(n), m_frames);
    } else if (n == 0 || errno != EINTR) {
        m_encoder->finish(m_frames);
        m_pcm.reset();
        m_pcmDone = true;
    }
}

void AmrTrack::writeFrames()
{
    const ssize_t n = ::write(m_amrPipe.get(), m_frames.data(), m_frames.size());
    if (n > 0) {
        m_frames.erase(0, static_cast<size_t>(n));
    } else if (n < 0 && errno != EINTR && errno != EAGAIN) {
        // The muxing run is gone; its own log says why.
        m_frames.clear();
        m_amrPipe.reset();
        stop();
        m_pcm.reset();
    }
}

void AmrTrack::stop() const
{
    if (m_decoder > 0) ::kill(m_decoder, SIGTERM);
}

int AmrTrack::finish()
{
    if (m_decoder <= 0) return 0;
    return decoderStatus();
}

}  // namespace avcore
