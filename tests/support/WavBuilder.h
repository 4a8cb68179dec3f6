#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

using Bytes = std::vector<unsigned char>;

// A WAV file to build in memory, field by field, so a test can reach any case.
// The default is the 10-second 16-bit stereo 44100 Hz file with a 44-byte header.
struct CWavLayout {
    uint16_t formatTag = 1, channels = 2;
    uint32_t samplesPerSec = 44100, avgBytesPerSec = 176400;
    uint16_t blockAlign = 4, bitsPerSample = 16;
    bool bExtraSizeField = false; // write extraSize and formatExtra (formats other than PCM)
    Bytes formatExtra;
    bool bFact = false;
    Bytes factData;
    std::vector<std::pair<std::string, Bytes>> chunksBeforeData;
    uint32_t dataBytes = 1764000;
    int64_t dataSizeField = -1; // written instead of dataBytes when not -1 (in ds64 for RF64)
    std::string riffId = "RIFF"; // "RF64": a ds64 chunk first, both size fields 0xFFFFFFFF
};

// Audio byte k of every built file: any cut shows where it came from.
unsigned char AudioByte(uint64_t k);
Bytes BuildWav(const CWavLayout& wav);
// Writes the layout's header and extends the file to nAudioBytes of audio that
// read as zeros and take no disk space. Returns where the audio starts.
uint64_t WriteSparseWav(const std::string& strPath, CWavLayout wav, uint64_t nAudioBytes);
// Writes AudioByte(nFrom + k), k < nCount, over the audio from byte nFrom on.
void WriteAudioAt(const std::string& strPath, uint64_t nAudioStart, uint64_t nFrom, uint64_t nCount);
void WriteBytesAt(const std::string& strPath, uint64_t nOffset, const Bytes& bytes);
Bytes ReadRange(const std::string& strPath, uint64_t nOffset, uint64_t nCount);
// Appends id, size, contents and, unless bPad is false, a pad byte after an odd size.
void AppendChunk(Bytes& out, const std::string& strId, const Bytes& data, bool bPad = true);
void PutU32(Bytes& out, uint32_t v);
uint32_t GetU32(const Bytes& in, size_t at);

// A written file read back by walking its chunks. Sizes are the header's, or
// ds64's where an RF64 header's field says 0xFFFFFFFF.
struct CWrittenWav {
    std::string strRiffId;
    uint64_t nRiffSize = 0, nDataSize = 0;
    Bytes fact; // the fact chunk's contents
    int64_t nDs64Samples = -1; // -1 without a ds64 chunk
    uint64_t nDataStart = 0, nFileSize = 0;
    Bytes audio; // the data chunk's contents, when read
    bool IsSourceAudioFrom(uint64_t nFrom) const; // audio == source bytes [nFrom, ...)
    uint64_t BytesAfterData() const { return nFileSize - nDataStart - nDataSize; }
};
// With bAudio false only the header is read, for files of any size.
CWrittenWav ReadWrittenWav(const std::string& strPath, bool bAudio = true);
