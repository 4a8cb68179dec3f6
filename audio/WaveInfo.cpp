#include "audio/WaveInfo.h"

#include <cstdio>

namespace {

template <typename... Args>
std::string Format(const char* pFormat, Args... args)
{
    char line[512];
    std::snprintf(line, sizeof line, pFormat, args...);
    return line;
}

} // namespace

std::array<std::string, 9> FormatWaveInfoLines(const CWaveInfoValues& info)
{
    const CFormatRecord& f = info.fmt;
    // The reader refuses a zero rate; a zero here would only come from a caller.
    const double dDuration = f.avgBytesPerSec ? static_cast<double>(info.dataSize) / f.avgBytesPerSec : 0.0;
    return {
        "Filename - " + info.strFileName,
        Format("File size (As in Header) - %lu bytes", static_cast<unsigned long>(info.riff.size) + 8),
        Format("Number of Channels - %u", unsigned{f.channels}),
        Format("Samples per second - %lu", static_cast<unsigned long>(f.samplesPerSec)),
        Format("Average bytes per second - %lu bytes", static_cast<unsigned long>(f.avgBytesPerSec)),
        Format("Bits per sample - %u bits", unsigned{f.bitsPerSample}),
        Format("Sample frame size - %u bytes", unsigned{f.blockAlign}),
        Format("Data bytes size - %lu bytes", static_cast<unsigned long>(info.dataSize)),
        Format("Playing duration - %.2lf seconds", dDuration),
    };
}
