#include "support/WavBuilder.h"

#include "platform/ByteOrder.h"
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>

static void PutU32(Bytes& out, uint32_t v)
{
    out.resize(out.size() + 4);
    WriteU32LE(out.data() + out.size() - 4, v);
}

static void AppendChunk(Bytes& out, const std::string& strId, const Bytes& data)
{
    out.insert(out.end(), strId.begin(), strId.end());
    PutU32(out, static_cast<uint32_t>(data.size()));
    out.insert(out.end(), data.begin(), data.end());
    if (data.size() % 2 == 1)
        out.push_back(0);
}

Bytes BuildWav(const CWavLayout& wav)
{
    Bytes fmt;
    PutU32(fmt, wav.formatTag | (uint32_t{wav.channels} << 16));
    PutU32(fmt, wav.samplesPerSec);
    PutU32(fmt, wav.avgBytesPerSec);
    PutU32(fmt, wav.blockAlign | (uint32_t{wav.bitsPerSample} << 16));
    if (const auto& extra = wav.formatExtra) {
        fmt.insert(fmt.end(), {static_cast<uint8_t>(extra->size()), static_cast<uint8_t>(extra->size() >> 8)});
        fmt.insert(fmt.end(), extra->begin(), extra->end());
    }
    const bool bRf64 = wav.riffId != "RIFF";
    Bytes out(wav.riffId.begin(), wav.riffId.end());
    out.insert(out.end(), {0, 0, 0, 0, 'W', 'A', 'V', 'E'});
    if (bRf64)
        AppendChunk(out, "ds64", Bytes(28));
    AppendChunk(out, "fmt ", fmt);
    if (wav.fact)
        AppendChunk(out, "fact", *wav.fact);
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

uint64_t WriteSparseWav(const std::string& strPath, CWavLayout wav, uint64_t nAudioBytes, uint64_t nPatchAt,
                        const Bytes& patch)
{
    wav.dataBytes = 0;
    const Bytes header = BuildWav(wav);
    WriteBytes(strPath, header);
    std::filesystem::resize_file(strPath, header.size() + nAudioBytes);
    std::fstream f(strPath, std::ios::binary | std::ios::in | std::ios::out);
    f.seekp(static_cast<std::streamoff>(nPatchAt));
    f.write(reinterpret_cast<const char*>(patch.data()), static_cast<std::streamsize>(patch.size()));
    return header.size();
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
    const auto u32 = [&](size_t at) { return ReadU32LE(&bytes.at(at + 3) - 3); }; // within the bytes read
    w.nRiffSize = u32(4);
    w.strRiffId.assign(bytes.begin(), bytes.begin() + 4);
    uint64_t nDs64Data = 0;
    for (size_t at = 12; at + 8 <= bytes.size(); at += 8 + u32(at + 4)) { // the writer pads no chunk but data
        const std::string strId(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at + 4));
        const auto body = bytes.begin() + static_cast<long>(at + 8);
        const uint32_t nSize = u32(at + 4);
        if (strId == "ds64") {
            (void)bytes.at(at + 31);
            w.nRiffSize = ReadU64LE(&*body);
            nDs64Data = ReadU64LE(&*body + 8);
            w.nDs64Samples = static_cast<int64_t>(ReadU64LE(&*body + 16));
        } else if (strId == "fact" && at + 8 + nSize <= bytes.size()) {
            w.fact.assign(body, body + nSize);
        } else if (strId == "data") {
            w.nDataSize = nSize == 0xFFFFFFFF && w.nDs64Samples >= 0 ? nDs64Data : nSize;
            w.audio.assign(body, body + static_cast<long>(std::min<uint64_t>(bytes.size() - at - 8, w.nDataSize)));
            break;
        }
    }
    return w;
}

bool CWrittenWav::IsSourceAudioFrom(uint64_t nFrom) const
{
    return std::all_of(audio.begin(), audio.end(), [&](unsigned char c) { return c == AudioByte(nFrom++); });
}
