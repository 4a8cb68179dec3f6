#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Builds WAV files in memory, field by field, so tests can reach any case:
// other chunks before the data, a fact chunk, extra format bytes, sizes that lie.
struct CWavSpec {
    uint16_t formatTag = 1;
    uint16_t channels = 2;
    uint32_t samplesPerSec = 44100;
    uint32_t avgBytesPerSec = 176400;
    uint16_t blockAlign = 4;
    uint16_t bitsPerSample = 16;
    // For formats other than PCM: write the extraSize field and these bytes.
    bool bWriteExtraSize = false;
    std::vector<unsigned char> formatExtra;
    bool bWriteFact = false;
    std::vector<unsigned char> factData;
    // Chunks placed between the format chunk and the data chunk.
    std::vector<std::pair<std::string, std::vector<unsigned char>>> chunksBeforeData;
    uint32_t dataBytes = 1764000;
    // When set, written into the data chunk's size field instead of dataBytes.
    bool bOverrideDataSize = false;
    uint32_t dataSizeField = 0;
};

// The 10-second 16-bit stereo 44100 Hz file with its 44-byte header.
CWavSpec CanonicalWav();

// The whole file. Audio byte k holds (k * 7 + k / 251) & 0xFF, so any cut
// shows where it came from.
std::vector<unsigned char> BuildWav(const CWavSpec& spec);
unsigned char AudioByte(uint64_t k);

// Appends a chunk: id, little-endian size, contents and a pad byte after an odd size.
void AppendChunk(std::vector<unsigned char>& out, const std::string& strId, const std::vector<unsigned char>& data,
                 bool bPad = true);
void PutU16(std::vector<unsigned char>& out, uint16_t v);
void PutU32(std::vector<unsigned char>& out, uint32_t v);
uint16_t GetU16(const std::vector<unsigned char>& in, size_t at);
uint32_t GetU32(const std::vector<unsigned char>& in, size_t at);
