#pragma once

#include <sys/types.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "AmrEncoder.h"
#include "Arguments.h"
#include "ConsoleOutput.h"
#include "Process.h"

namespace avcore {

// The AMR track avcore encodes itself, as ffmpeg here has no AMR encoder:
// ffmpeg decodes the input to mono PCM and AmrEncoder makes the frames. For
// 3GP and MOV a decoding run of its own delivers the PCM, shows first whether
// the input has sound at all, and the main run muxes the frames from a pipe;
// for a bare .amr file the main run is the decoder and avcore writes the file.
class AmrTrack {
public:
    using LineSink = std::function<void(const std::string&)>;

    // onDecoderLine gets the decoding run's log lines; a .amr file is written
    // to outputFd.
    AmrTrack(const EncodePlan& plan, int outputFd, LineSink onDecoderLine);
    AmrTrack(const AmrTrack&) = delete;
    AmrTrack& operator=(const AmrTrack&) = delete;

    // False when the encoder could not start; error says why.
    bool prepare(std::string& error);

    // Whether the main run muxes the track (until dropped for a silent input).
    bool muxed() const { return m_muxed; }

    // Starts the decoding run of a muxed track.
    bool startDecoder(const std::string& ffmpeg, const std::vector<std::string>& common,
                      std::string& error);

    // Reads the decoding run until its first sound arrives (true) or its
    // output ends without any (false). A wake-up on wake is passed to onWake,
    // which answers whether to give up.
    bool awaitSound(const Fd& wake, const std::function<bool()>& onWake);

    // After awaitSound found no sound: the decoding run's exit status.
    int decoderStatus();

    // The input has no sound: the main run goes without the track.
    void drop();

    // The descriptors the main run gets: the AMR stream on fd 3, or for a
    // .amr file its PCM on fd 1. Once it started, mainRunStarted() closes
    // the ends only the child keeps.
    void addMainRunFds(std::vector<std::pair<int, int>>& fds) const;
    void mainRunStarted();

    // One round of the main loop: what to wait on, then serving it. serve()
    // returns false when the .amr file could not be written and the children
    // must stop.
    void watch(PollSet& set);
    bool serve(const PollSet& set);
    bool isOpen() const { return m_decoderErr.isOpen() || m_pcm.isOpen() || m_amrPipe.isOpen(); }

    void stop() const;
    // Waits for the decoding run, if any: its status, 0 when there was none.
    int finish();
    const std::string& writeError() const { return m_writeError; }

private:
    void readDecoderLog();
    void readPcm();
    void writeFrames();

    const EncodePlan& m_plan;
    int m_outputFd;
    LineSink m_onDecoderLine;
    std::unique_ptr<AmrEncoder> m_encoder;
    bool m_muxed = false;

    pid_t m_decoder = -1;
    Pipe m_pcmPipe, m_amrOut;  // held for the children until they start
    Fd m_decoderErr, m_pcm, m_amrPipe;
    LineSplitter m_decoderLines;
    std::string m_frames;  // encoded bytes not yet written
    bool m_pcmDone = false;
    std::string m_writeError;
    int m_iDecoderErr = -1, m_iPcm = -1, m_iAmr = -1;
};

}  // namespace avcore
