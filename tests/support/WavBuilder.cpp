#include "support/WavBuilder.h"

#include "support/TempDir.h"

unsigned char AudioByte(uint64_t k)
{
    return static_cast<unsigned char>((k * 7 + k / 251) & 0xFF);
}

void PutU32(Bytes& out, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<unsigned char>(v >> (8 * i)));
}

uint32_t GetU32(const Bytes& in, size_t at)
{
    return in.at(at) | (in.at(at + 1) << 8) | (in.at(at + 2) << 16) | (static_cast<uint32_t>(in.at(at + 3)) << 24);
}

void AppendChunk(Bytes& out, const std::string& strId, const Bytes& data, bool bPad)
{
    out.insert(out.end(), strId.begin(), strId.end());
    PutU32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (bPad && data.size() % 2 == 1)
        out.push_back(0);
}

Bytes BuildWav(const CWavLayout& wav)
{
    Bytes fmt;
    PutU32(fmt, wav.formatTag | (uint32_t{wav.channels} << 16));
    PutU32(fmt, wav.samplesPerSec);
    PutU32(fmt, wav.avgBytesPerSec);
    PutU32(fmt, wav.blockAlign | (uint32_t{wav.bitsPerSample} << 16));
    if (wav.bExtraSizeField) {
        fmt.push_back(static_cast<unsigned char>(wav.formatExtra.size()));
        fmt.push_back(static_cast<unsigned char>(wav.formatExtra.size() >> 8));
        fmt.insert(fmt.end(), wav.formatExtra.begin(), wav.formatExtra.end());
    }
    Bytes out{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'};
    AppendChunk(out, "fmt ", fmt);
    if (wav.bFact)
        AppendChunk(out, "fact", wav.factData);
    for (const auto& [id, data] : wav.chunksBeforeData)
        AppendChunk(out, id, data);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    PutU32(out, wav.dataSizeField >= 0 ? static_cast<uint32_t>(wav.dataSizeField) : wav.dataBytes);
    for (uint64_t k = 0; k < wav.dataBytes; ++k)
        out.push_back(AudioByte(k));
    const auto nRiff = static_cast<uint32_t>(out.size() - 8);
    for (int i = 0; i < 4; ++i)
        out[4 + static_cast<size_t>(i)] = static_cast<unsigned char>(nRiff >> (8 * i));
    return out;
}

CWrittenWav ReadWrittenWav(const std::string& strPath, size_t nHeader)
{
    const Bytes bytes = ReadBytes(strPath);
    CWrittenWav w;
    if (bytes.size() < nHeader)
        return w;
    w.nRiffSize = GetU32(bytes, 4);
    w.nFormatSize = GetU32(bytes, 16);
    w.nDataSize = GetU32(bytes, nHeader - 4);
    w.audio.assign(bytes.begin() + static_cast<long>(nHeader), bytes.end());
    return w;
}

bool CWrittenWav::IsSourceAudioFrom(uint64_t nFrom) const
{
    for (size_t k = 0; k < audio.size(); ++k)
        if (audio[k] != AudioByte(nFrom + k))
            return false;
    return true;
}
