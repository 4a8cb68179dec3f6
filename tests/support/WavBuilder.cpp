#include "support/WavBuilder.h"

#include "platform/ByteOrder.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

unsigned char AudioByte(uint64_t k)
{
    return static_cast<unsigned char>((k * 7 + k / 251) & 0xFF);
}

void PutU32(Bytes& out, uint32_t v)
{
    out.resize(out.size() + 4);
    WriteU32LE(out.data() + out.size() - 4, v);
}

uint32_t GetU32(const Bytes& in, size_t at)
{
    (void)in.at(at + 3);
    return ReadU32LE(in.data() + at);
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
    const bool bRf64 = wav.riffId != "RIFF";
    Bytes out(wav.riffId.begin(), wav.riffId.end());
    out.insert(out.end(), {0, 0, 0, 0, 'W', 'A', 'V', 'E'});
    if (bRf64)
        AppendChunk(out, "ds64", Bytes(28));
    AppendChunk(out, "fmt ", fmt);
    if (wav.bFact)
        AppendChunk(out, "fact", wav.factData);
    for (const auto& [id, data] : wav.chunksBeforeData)
        AppendChunk(out, id, data);
    out.insert(out.end(), {'d', 'a', 't', 'a'});
    const uint64_t nDataSize = wav.dataSizeField >= 0 ? static_cast<uint64_t>(wav.dataSizeField) : wav.dataBytes;
    PutU32(out, bRf64 ? 0xFFFFFFFF : static_cast<uint32_t>(nDataSize));
    for (uint64_t k = 0; k < wav.dataBytes; ++k)
        out.push_back(AudioByte(k));
    WriteU32LE(out.data() + 4, bRf64 ? 0xFFFFFFFF : static_cast<uint32_t>(out.size() - 8));
    if (bRf64) {
        WriteU64LE(out.data() + 20, out.size() - 8);
        WriteU64LE(out.data() + 28, nDataSize);
        WriteU64LE(out.data() + 36, wav.blockAlign ? nDataSize / wav.blockAlign : 0);
    }
    return out;
}

uint64_t WriteSparseWav(const std::string& strPath, CWavLayout wav, uint64_t nAudioBytes)
{
    wav.dataBytes = 0;
    const Bytes header = BuildWav(wav);
    WriteBytes(strPath, header);
    std::filesystem::resize_file(strPath, header.size() + nAudioBytes);
    return header.size();
}

void WriteAudioAt(const std::string& strPath, uint64_t nAudioStart, uint64_t nFrom, uint64_t nCount)
{
    Bytes audio(nCount);
    for (uint64_t k = 0; k < nCount; ++k)
        audio[k] = AudioByte(nFrom + k);
    WriteBytesAt(strPath, nAudioStart + nFrom, audio);
}

void WriteBytesAt(const std::string& strPath, uint64_t nOffset, const Bytes& bytes)
{
    std::fstream f(strPath, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(static_cast<std::streamoff>(nOffset));
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

Bytes ReadRange(const std::string& strPath, uint64_t nOffset, uint64_t nCount)
{
    Bytes bytes(nCount);
    std::ifstream in(strPath, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(nOffset));
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(nCount));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return bytes;
}

CWrittenWav ReadWrittenWav(const std::string& strPath, bool bAudio)
{
    CWrittenWav w;
    w.nFileSize = std::filesystem::file_size(strPath);
    const Bytes bytes = bAudio ? ReadBytes(strPath) : ReadRange(strPath, 0, 1 << 16);
    if (bytes.size() < 12)
        return w;
    w.strRiffId.assign(bytes.begin(), bytes.begin() + 4);
    w.nRiffSize = GetU32(bytes, 4);
    uint64_t nDs64Data = 0;
    // The writer pads no chunk but the data chunk: after an odd size, take the
    // next id where it is, else one byte on.
    auto isId = [&](size_t at) {
        return at + 4 <= bytes.size() && std::all_of(bytes.begin() + static_cast<long>(at),
                                                     bytes.begin() + static_cast<long>(at + 4),
                                                     [](unsigned char c) { return c >= 0x20 && c < 0x7F; });
    };
    for (size_t at = 12; at + 8 <= bytes.size();) {
        const std::string strId(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + 4));
        const uint32_t nSize = GetU32(bytes, at + 4);
        if (strId == "ds64") {
            (void)bytes.at(at + 31);
            w.nRiffSize = ReadU64LE(bytes.data() + at + 8);
            nDs64Data = ReadU64LE(bytes.data() + at + 16);
            w.nDs64Samples = static_cast<int64_t>(ReadU64LE(bytes.data() + at + 24));
        } else if (strId == "fact" && at + 8 + nSize <= bytes.size()) {
            w.fact.assign(bytes.begin() + static_cast<long>(at + 8), bytes.begin() + static_cast<long>(at + 8 + nSize));
        } else if (strId == "data") {
            w.nDataStart = at + 8;
            w.nDataSize = nSize == 0xFFFFFFFF && w.nDs64Samples >= 0 ? nDs64Data : nSize;
            if (bAudio && w.nDataStart <= bytes.size())
                w.audio.assign(bytes.begin() + static_cast<long>(w.nDataStart),
                               bytes.begin() + static_cast<long>(std::min<uint64_t>(bytes.size(), w.nDataStart + w.nDataSize)));
            break;
        }
        at += 8 + nSize;
        if (nSize % 2 != 0 && !isId(at))
            ++at;
    }
    return w;
}

bool CWrittenWav::IsSourceAudioFrom(uint64_t nFrom) const
{
    for (size_t k = 0; k < audio.size(); ++k)
        if (audio[k] != AudioByte(nFrom + k))
            return false;
    return true;
}
