#include "AmrEncoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <opencore-amrnb/interf_enc.h>
#include <vo-amrwbenc/enc_if.h>
}

namespace avcore {
namespace {

size_t FrameSamples(AmrKind kind) { return kind == AmrKind::WideBand ? 320 : 160; }

}  // namespace

AmrEncoder::AmrEncoder(AmrKind kind, int mode) : m_kind(kind), m_mode(mode)
{
    m_state = kind == AmrKind::WideBand ? E_IF_init() : Encoder_Interface_init(0);
}

AmrEncoder::~AmrEncoder()
{
    if (!m_state) return;
    if (m_kind == AmrKind::WideBand)
        E_IF_exit(m_state);
    else
        Encoder_Interface_exit(m_state);
}

void AmrEncoder::feed(const char* pcm, size_t size, std::string& out)
{
    if (!m_magicWritten) {
        out += m_kind == AmrKind::WideBand ? "#!AMR-WB\n" : "#!AMR\n";
        m_magicWritten = true;
    }
    const size_t frameBytes = FrameSamples(m_kind) * 2;
    while (size > 0) {
        const size_t take = std::min(size, frameBytes - m_pending.size());
        m_pending.append(pcm, take);
        pcm += take;
        size -= take;
        if (m_pending.size() == frameBytes) encodeFrame(out);
    }
}

void AmrEncoder::finish(std::string& out)
{
    if (!m_magicWritten) feed(nullptr, 0, out);
    if (m_pending.empty()) return;
    m_pending.resize(FrameSamples(m_kind) * 2, '\0');
    encodeFrame(out);
}

void AmrEncoder::encodeFrame(std::string& out)
{
    const size_t samples = FrameSamples(m_kind);
    std::vector<short> speech(samples);
    for (size_t i = 0; i < samples; ++i) {
        const auto low = static_cast<unsigned char>(m_pending[2 * i]);
        const auto high = static_cast<unsigned char>(m_pending[2 * i + 1]);
        speech[i] = static_cast<short>(static_cast<unsigned short>(low | (high << 8)));
    }
    unsigned char frame[64];
    const int bytes =
        m_kind == AmrKind::WideBand
            ? E_IF_encode(m_state, m_mode, speech.data(), frame, 0)
            : Encoder_Interface_Encode(m_state, static_cast<Mode>(m_mode), speech.data(), frame, 0);
    if (bytes > 0) out.append(reinterpret_cast<const char*>(frame), static_cast<size_t>(bytes));
    m_pending.clear();
}

}  // namespace avcore
