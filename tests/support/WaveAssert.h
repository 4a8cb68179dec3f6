#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A PCM WAV file as written by the writers: the 44-byte layout, read back.
struct CWrittenWav {
    uint32_t nRiffSize = 0;
    uint32_t nFormatSize = 0;
    uint32_t nDataSize = 0;
    std::vector<unsigned char> audio;
};

// Reads a written file whose header is nHeaderBytes long, data chunk last.
CWrittenWav ReadWrittenWav(const std::string& strPath, size_t nHeaderBytes = 44);

// True when audio equals the source's audio bytes [nFrom, nFrom + audio.size()).
bool IsSourceAudio(const std::vector<unsigned char>& audio, uint64_t nFrom);
