#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class CFile;

// Where each frame of an MPEG audio stream starts and which sample it starts
// with, read once by walking the frame headers. Lets a cut point counted in
// samples find its frame boundary whatever the bitrate of each frame (VBR).
//
// Held compactly: two bytes a frame (its length, its samples and whether
// skipped bytes stand before it), the size of each skipped stretch, and a
// checkpoint {offset, sample, stretches so far} every kStride frames. A frame
// takes at least 24 bytes of the file, so the index stays a small share of it;
// a 3-hour 128 kbit/s stream needs about 1 MB. Lookups start at the nearest
// checkpoint and add at most kStride frames, never reading the file.
class CMp3FrameIndex {
public:
    struct SBoundary {
        uint64_t nOffset = 0; // byte offset in the file of the frame's header (or the end)
        uint64_t nSample = 0; // samples of the stream before that frame
        bool operator==(const SBoundary&) const = default;
    };

    // Walks the frames from nFirstFrame (a header the reader accepted) up to
    // nAudioEnd through file, whose position is restored. Where a frame is not
    // followed by a header (a damaged stretch), searches on for the next one.
    // False when no frame was found. A failed read throws, as the file does,
    // and leaves the index empty.
    bool Build(CFile& file, uint64_t nFirstFrame, uint64_t nAudioEnd);

    uint64_t GetFrameCount() const;
    uint64_t GetTotalSamples() const;
    uint32_t GetSampleRate() const; // of the first frame
    // Whether every frame holds as many samples as the first: a stream that
    // changes its MPEG version or layer on the way does not.
    bool HasOneFrameSize() const { return !m_bMixedSizes; }

    // The boundary before frame k (0-based); k at or past the count gives the
    // end: the byte after the last frame and the total samples.
    SBoundary FrameAt(uint64_t k) const;
    // The frame boundary (the end counts as one) whose sample is nearest
    // nSample; a tie goes to the earlier one.
    SBoundary Nearest(uint64_t nSample) const;

    // The bytes the index holds, for the benchmark.
    size_t GetMemoryBytes() const;

    // Frames between two checkpoints.
    static constexpr uint64_t kStride = 64;
    // Bytes read from the file at a time while walking.
    static constexpr size_t kBlockBytes = size_t{1} << 20;

private:
    struct SCheckpoint {
        uint64_t nOffset;  // of frame k × kStride
        uint64_t nSample;  // before that frame
        uint64_t nSkipped; // skipped stretches before that frame, counted in m_vSkipped
    };
    // A boundary and how many skipped stretches lie before it.
    struct SCursor {
        SBoundary at;
        uint64_t nFrame;
        uint64_t nSkipped;
    };

    void Clear();
    void Walk(CFile& file, uint64_t nFirstFrame, uint64_t nAudioEnd);
    void Append(uint64_t nOffset, uint32_t dw, uint32_t nLength);
    SCursor CheckpointCursor(size_t nCheckpoint) const;
    // Moves the cursor over its frame to the next boundary (or the end).
    void Advance(SCursor& cursor) const;

    // Per frame: bits 0-11 the length, 12-13 the samples (kSampleCodes), 15
    // set when skipped bytes stand before the frame.
    std::vector<uint16_t> m_vFrames;
    std::vector<uint64_t> m_vSkipped; // bytes of each skipped stretch, in order
    std::vector<SCheckpoint> m_vCheckpoints;
    SBoundary m_end;
    uint32_t m_nSampleRate = 0;
    bool m_bMixedSizes = false;
};
