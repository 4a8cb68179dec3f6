#include "audio/WaveInfo.h"

#include "platform/FormatText.h"


std::array<std::string, 9> FormatWaveInfoLines(const CWaveInfoValues& info)
{
    const CFormatRecord& f = info.fmt;
    // The reader refuses a zero rate; a zero here would only come from a caller.
    const double dDuration = f.avgBytesPerSec ? static_cast<double>(info.dataSize) / f.avgBytesPerSec : 0.0;
    return {
        "Filename - " + info.strFileName,
        FormatText("File size (As in Header) - %lu bytes", static_cast<unsigned long>(info.riffSize + 8)),
        FormatText("Number of Channels - %u", unsigned{f.channels}),
        FormatText("Samples per second - %lu", static_cast<unsigned long>(f.samplesPerSec)),
        FormatText("Average bytes per second - %lu bytes", static_cast<unsigned long>(f.avgBytesPerSec)),
        FormatText("Bits per sample - %u bits", unsigned{f.bitsPerSample}),
        FormatText("Sample frame size - %u bytes", unsigned{f.blockAlign}),
        FormatText("Data bytes size - %lu bytes", static_cast<unsigned long>(info.dataSize)),
        FormatText("Playing duration - %.2lf seconds", dDuration),
    };
}
