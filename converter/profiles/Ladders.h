#pragma once

#include <QtGlobal>

#include <array>

// Preset bit rates in kbit/s, in the order of an editor's track bar (position 1
// is the first value). A record stores the value itself, never the position.

inline constexpr std::array<qint32, 13> StandardVideoBitrates = {
    64, 128, 256, 512, 768, 1080, 1152, 1200, 1500, 2496, 4600, 6000, 9600};

inline constexpr std::array<qint32, 12> WmvVideoBitrates = {64,   128,  256,  512,  768,  1080,
                                                            1152, 1200, 1500, 2496, 4600, 6000};

inline constexpr std::array<qint32, 11> FlvVideoBitrates = {64,   128,  256,  512,  768, 1080,
                                                            1152, 1200, 1500, 2496, 3600};

inline constexpr std::array<qint32, 14> AC3Bitrates = {32,  48,  56,  64,  96,  112, 128,
                                                       160, 192, 224, 256, 320, 384, 448};

inline constexpr std::array<qint32, 13> Mp2Bitrates = {32,  48,  56,  64,  96,  112, 128,
                                                       160, 192, 224, 256, 320, 384};

inline constexpr std::array<qint32, 12> Mp3Bitrates = {32,  48,  56,  64,  96,  112,
                                                       128, 160, 192, 224, 256, 320};

inline constexpr std::array<qint32, 12> AACBitrates = {24,  32,  48,  56,  64,  96,
                                                       112, 128, 160, 192, 224, 256};

inline constexpr std::array<qint32, 6> AmrNbBitrates = {8, 9, 10, 11, 12, 13};

inline constexpr std::array<qint32, 7> AmrWbBitrates = {7, 9, 13, 16, 18, 20, 24};

// 128 stands twice: the track bar has ten positions.
inline constexpr std::array<qint32, 10> DVDAudioBitrates = {64,  96,  112, 128, 128,
                                                            160, 192, 224, 256, 320};
