#pragma once

#include "audio/RiffRecords.h"

#include <array>
#include <string>

// The values the WAV File Information window shows, copied from the header.
struct CWaveInfoValues {
    CRiffHeader riff;
    CFormatRecord fmt;
    FourCC dataId{};
    uint32_t dataSize = 0;
    std::string strFileName;
};

// The window's nine lines, in the order of its controls 1010 to 1017 and 1026.
std::array<std::string, 9> FormatWaveInfoLines(const CWaveInfoValues& info);
