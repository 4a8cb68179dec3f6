#include "audio/Mp3Info.h"

#include "platform/FormatText.h"
#include "platform/Utf8.h"

#include <cstdio>
#include <cstring>

namespace {

// nSize bytes from nOffset of the tag, up to the first zero byte; ID3v1
// text is Latin-1, whose codes are Unicode's first 256.
std::string TagText(const std::array<unsigned char, 128>& tag, size_t nOffset, size_t nSize)
{
    std::string text;
    for (size_t i = nOffset; i < nOffset + nSize && tag[i] != 0; ++i)
        EncodeUtf8(tag[i], text);
    return text;
}

} // namespace

std::array<std::string, 9> FormatMp3InfoLines(const CMp3InfoValues& info)
{
    const double dVersion = info.nVersion == 0 ? 2.5 : info.nVersion == 2 ? 2.0 : 1.0;
    const unsigned nLayer = info.nLayer == 1 ? 3 : info.nLayer == 2 ? 2 : 1;
    return {
        FormatText("File size - %lu bytes", static_cast<unsigned long>(info.nFileLength)),
        FormatText("Sampling Rate - %u Smp/sec", unsigned{info.nSamplingRate}),
        FormatText("Bitrate - %lu Kbits/sec", static_cast<unsigned long>(info.nBitrate / 1000)),
        FormatText("Frame length - %u bytes", unsigned{info.nFrameLength}),
        FormatText("MPEG version - %.1lf", dVersion),
        FormatText("MPEG Layer - %u", nLayer),
        FormatText("Copyrighted - %s", info.bCopyright ? "Yes" : "No"),
        FormatText("Orignal - %s", info.bOriginal ? "Yes" : "No"),
        FormatText("Play Duration - %.2lf Sec(s)", info.dDuration),
    };
}

std::array<std::string, 6> FormatMp3TagFields(const CMp3InfoValues& info)
{
    if (std::memcmp(info.tag.data(), "TAG", 3) != 0)
        return {"Unknown", "Unknown", "Unknown", "Unknown", "Unknown", "Unknown"};
    const auto& t = info.tag;
    return {TagText(t, 3, 30), TagText(t, 33, 30), TagText(t, 63, 30),
            TagText(t, 93, 4), TagText(t, 97, 30), TagText(t, 127, 1)};
}

std::vector<std::string> FormatMp3InfoText(const CMp3InfoValues& info)
{
    std::vector<std::string> lines{"Filename - " + info.strFileName};
    for (const std::string& line : FormatMp3InfoLines(info))
        lines.push_back(line);
    const auto fields = FormatMp3TagFields(info);
    for (size_t i = 0; i < fields.size(); ++i)
        lines.push_back(std::string(kMp3TagLabels[i]) + " : " + fields[i]);
    return lines;
}
