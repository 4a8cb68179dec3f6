#include "support/WavBuilder.h"

CWavSpec CanonicalWav()
{
    return CWavSpec{};
}

unsigned char AudioByte(uint64_t k)
{
    return static_cast<unsigned char>((k * 7 + k / 251) & 0xFF);
}

void PutU16(std::vector<unsigned char>& out, uint16_t v)
{
    out.push_back(static_cast<unsigned char>(v));
    out.push_back(static_cast<unsigned char>(v >> 8));
}

void PutU32(std::vector<unsigned char>& out, uint32_t v)
{
    PutU16(out, static_cast<uint16_t>(v));
    PutU16(out, static_cast<uint16_t>(v >> 16));
}

uint16_t GetU16(const std::vector<unsigned char>& in, size_t at)
{
    return static_cast<uint16_t>(in.at(at) | (in.at(at + 1) << 8));
}

uint32_t GetU32(const std::vector<unsigned char>& in, size_t at)
{
    return GetU16(in, at) | (static_cast<uint32_t>(GetU16(in, at + 2)) << 16);
}

void AppendChunk(std::vector<unsigned char>& out, const std::string& strId, const std::vector<unsigned char>& data,
                 bool bPad)
{
    out.insert(out.end(), strId.begin(), strId.end());
    PutU32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (bPad && data.size() % 2 == 1)
        out.push_back(0);
}

std::vector<unsigned char> BuildWav(const CWavSpec& spec)
{
    std::vector<unsigned char> fmt;
    PutU16(fmt, spec.formatTag);
    PutU16(fmt, spec.channels);
    PutU32(fmt, spec.samplesPerSec);
    PutU32(fmt, spec.avgBytesPerSec);
    PutU16(fmt, spec.blockAlign);
    PutU16(fmt, spec.bitsPerSample);
    if (spec.bWriteExtraSize) {
        PutU16(fmt, static_cast<uint16_t>(spec.formatExtra.size()));
        fmt.insert(fmt.end(), spec.formatExtra.begin(), spec.formatExtra.end());
    }

    std::vector<unsigned char> body;
    body.insert(body.end(), {'W', 'A', 'V', 'E'});
    AppendChunk(body, "fmt ", fmt);
    if (spec.bWriteFact)
        AppendChunk(body, "fact", spec.factData);
    for (const auto& [id, data] : spec.chunksBeforeData)
        AppendChunk(body, id, data);
    body.insert(body.end(), {'d', 'a', 't', 'a'});
    PutU32(body, spec.bOverrideDataSize ? spec.dataSizeField : spec.dataBytes);
    const size_t nAudioStart = body.size();
    body.resize(nAudioStart + spec.dataBytes);
    for (uint64_t k = 0; k < spec.dataBytes; ++k)
        body[nAudioStart + k] = AudioByte(k);

    std::vector<unsigned char> out{'R', 'I', 'F', 'F'};
    PutU32(out, static_cast<uint32_t>(body.size()));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}
