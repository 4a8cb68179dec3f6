#pragma once

#include "audio/RiffRecords.h"

#include <array>
#include <string>

// The values the WAV File Information window shows, copied from the header.
struct CWaveInfoValues {
    CRiffHeader riff;
    CFormatRecord fmt;
    FourCC dataId{};
    uint64_t dataSize = 0; // the audio bytes, which can pass 32 bits
    std::string strFileName;
    uint64_t riffSize = 0; // the RIFF size field, or ds64's in an RF64 file
};

// The window's nine lines, in the order of its controls 1010 to 1017 and 1026.
std::array<std::string, 9> FormatWaveInfoLines(const CWaveInfoValues& info);
