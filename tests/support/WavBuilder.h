#pragma once

#include <cstdint>
#include <optional>
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
    std::optional<Bytes> formatExtra; // written with its size field (formats other than PCM)
    std::optional<Bytes> fact; // a fact chunk's contents
    std::vector<std::pair<std::string, Bytes>> chunksBeforeData;
    uint32_t dataBytes = 1764000;
    int64_t dataSizeField = -1; // written instead of dataBytes when not -1 (in ds64 for RF64)
    std::string riffId = "RIFF"; // "RF64": a ds64 chunk first, both size fields 0xFFFFFFFF
};

// Audio byte k of every built file: any cut shows where it came from.
inline unsigned char AudioByte(uint64_t k) { return static_cast<unsigned char>((k * 7 + k / 251) & 0xFF); }
Bytes BuildWav(const CWavLayout& wav);
// Writes the layout's header, extends the file to nAudioBytes of audio that read as
// zeros and take no disk space, and writes the patch at nPatchAt. Returns where the audio starts.
uint64_t WriteSparseWav(const std::string& strPath, CWavLayout wav, uint64_t nAudioBytes, uint64_t nPatchAt = 0,
                        const Bytes& patch = {});
Bytes ReadRange(const std::string& strPath, uint64_t nOffset, uint64_t nCount);

// A written file read back by walking its chunks. Sizes are the header's, or
// ds64's where an RF64 header's field says 0xFFFFFFFF.
struct CWrittenWav {
    std::string strRiffId;
    uint64_t nRiffSize = 0, nDataSize = 0, nFileSize = 0;
    Bytes fact; // the fact chunk's contents
    int64_t nDs64Samples = -1; // -1 without a ds64 chunk
    Bytes audio; // the data chunk's contents, as far as they were read
    bool IsSourceAudioFrom(uint64_t nFrom) const; // audio == source bytes [nFrom, ...)
};
// With bAudio false only the first 64 KiB are read, for files of any size.
CWrittenWav ReadWrittenWav(const std::string& strPath, bool bAudio = true);
