#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

class CFile;
struct mpg123_handle_struct;

// Where the audio frames of an MPEG audio file lie and which of their samples
// a gapless decoder plays, as the cut points count them: of Layer III it
// leaves out the first nSkip samples of the frames (the encoder's delay from
// the LAME tag, or the 576 encoders have long put there when no tag says, and
// the decoder's own 529) and the last nTail (the tag's padding less the
// decoder's delay); of Layers I and II it plays every sample.
struct SMp3Layout {
    uint64_t nFirstFrame = 0; // byte offset of the first audio frame (behind an information frame)
    uint64_t nAudioEnd = 0;   // where the audio ends: before an ID3v1 tag, or the end of the file
    uint32_t nRate = 0;       // Hz of the first audio frame
    uint32_t nSamplesPerFrame = 0;
    uint64_t nSkip = 0;
    uint64_t nTail = 0;
    uint64_t nEstimate = 0; // samples played, from the information frame's count or the first frame's bitrate

    // The samples played of nFrameSamples samples of frames.
    uint64_t PlayedOf(uint64_t nFrameSamples) const;
};

// Reads the layout from the start of the file: skips ID3v2 tags, finds the
// first frame header that a plausible header follows, reads an information
// frame and its LAME tag. Nothing when no frame is found. Reads throw as the
// file does.
std::optional<SMp3Layout> ReadMp3Layout(CFile& file);

// The delay and padding of the LAME tag in an information frame's bytes
// (the frame from its header on): nothing when there is no such tag, or when
// its encoder is not one known to write them there (LAME, Lavf, Lavc).
struct SLameDelays {
    uint32_t nDelay = 0;
    uint32_t nPadding = 0;
};
std::optional<SLameDelays> ParseLameDelays(uint32_t dwHeader, const unsigned char* pFrame, size_t nBytes);

// One libmpg123 handle decoding a stream fed to it in pieces, to interleaved
// float samples, every frame as it is (no gapless trimming: positions are
// counted by the caller from the frame index).
class CMp3Decoder {
public:
    CMp3Decoder();
    ~CMp3Decoder();
    CMp3Decoder(const CMp3Decoder&) = delete;
    CMp3Decoder& operator=(const CMp3Decoder&) = delete;

    bool IsOk() const { return m_pHandle != nullptr; }
    // Forgets what was fed and decoded: the next bytes start a new stream.
    void Restart();
    bool Feed(const unsigned char* pBytes, size_t nCount);

    struct SFrame {
        int64_t nNumber = 0;      // frames decoded before it since the stream started
        const float* pSamples = nullptr;
        size_t nFrames = 0;       // sample frames (samples per channel)
        uint32_t nChannels = 0;
    };
    // The next decoded frame, or nothing when the bytes fed so far hold no
    // complete one (or the stream cannot be decoded).
    std::optional<SFrame> Next();

private:
    mpg123_handle_struct* m_pHandle = nullptr;
    uint32_t m_nChannels = 0;
};
