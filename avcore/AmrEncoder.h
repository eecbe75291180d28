#pragma once

#include <string>

#include "Arguments.h"

namespace avcore {

// Encodes 16-bit mono PCM (8000 Hz narrow-band, 16000 Hz wide-band) into the
// AMR storage format: the file magic, then one frame per 20 ms.
class AmrEncoder {
public:
    AmrEncoder(AmrKind kind, int mode);
    ~AmrEncoder();
    AmrEncoder(const AmrEncoder&) = delete;
    AmrEncoder& operator=(const AmrEncoder&) = delete;

    bool isValid() const { return m_state != nullptr; }

    // Appends the frames completed by these little-endian samples to out; the
    // magic comes first.
    void feed(const char* pcm, size_t size, std::string& out);

    // Pads and encodes a last partial frame.
    void finish(std::string& out);

private:
    void encodeFrame(std::string& out);

    AmrKind m_kind;
    int m_mode;
    void* m_state = nullptr;
    bool m_magicWritten = false;
    std::string m_pending;  // bytes of the frame being filled
};

}  // namespace avcore
