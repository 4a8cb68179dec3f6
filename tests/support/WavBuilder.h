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
    int64_t dataSizeField = -1; // written instead of dataBytes when not -1
};

// Audio byte k of every built file: any cut shows where it came from.
unsigned char AudioByte(uint64_t k);
Bytes BuildWav(const CWavLayout& wav);
// Appends id, size, contents and, unless bPad is false, a pad byte after an odd size.
void AppendChunk(Bytes& out, const std::string& strId, const Bytes& data, bool bPad = true);
void PutU32(Bytes& out, uint32_t v);
uint32_t GetU32(const Bytes& in, size_t at);

// A written file read back: the header of nHeader bytes, the data chunk last.
struct CWrittenWav {
    uint32_t nRiffSize = 0, nFormatSize = 0, nDataSize = 0;
    Bytes audio;
    bool IsSourceAudioFrom(uint64_t nFrom) const; // audio == source bytes [nFrom, ...)
};
CWrittenWav ReadWrittenWav(const std::string& strPath, size_t nHeader = 44);
