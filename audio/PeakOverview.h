#pragma once

#include "audio/SoundAnalysis.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

// Takes decoded audio in order: nFrames frames of nChannels interleaved
// samples (-1..1), the first at sample frame nPos.
class IFrameSink {
public:
    virtual ~IFrameSink() = default;
    virtual void Take(uint64_t nPos, const float* pSamples, size_t nFrames, uint32_t nChannels) = 0;
};

// The picture of a whole file at a fixed number of bins, whatever its length:
// the lowest and highest sample of each stretch of GetFramesPerBin() frames.
// A bin is unknown, rough (a quick guess from a sample of the audio) or
// exact (from every sample the full pass has read into it so far). Safe to
// use from several threads.
class CPeakOverview {
public:
    static constexpr size_t kBins = size_t{1} << 16;

    explicit CPeakOverview(uint64_t nTotalFrames);

    // Changes the length (when the first one was an estimate); what is known
    // is kept as rough, in proportion.
    void SetTotal(uint64_t nTotalFrames);
    uint64_t GetTotal() const;
    uint64_t GetFramesPerBin() const;
    size_t GetBinCount() const;

    // A guess for the frames [nFrom, nTo): bins not yet exact take it.
    void SetRough(uint64_t nFrom, uint64_t nTo, float fMin, float fMax);
    struct SBin {
        uint64_t nIndex;
        float fMin, fMax;
    };
    // What a full pass found: a rough bin is replaced, an exact one widened.
    void Merge(const std::vector<SBin>& bins);

    // nColumns peaks over [nFrom, nTo); columns outside the audio are unknown.
    std::vector<SPeak> Columns(uint64_t nFrom, uint64_t nTo, size_t nColumns) const;

    // The first frame of column c of nColumns over [nFrom, nTo).
    static uint64_t ColumnStart(uint64_t nFrom, uint64_t nTo, size_t nColumns, size_t c);

private:
    enum : uint8_t { kUnknown, kRough, kExact };
    void Lay(uint64_t nTotalFrames);

    mutable std::mutex m_mutex;
    uint64_t m_nTotal = 0;
    uint64_t m_nPerBin = 1;
    std::vector<float> m_vMin, m_vMax;
    std::vector<uint8_t> m_vState;
};

// What a full pass does with the audio of its stretch: the overview's bins
// (published in batches, so that the picture fills in as it goes) and the
// levels of whole windows, written into a track laid out for the whole audio
// (the stretch must start at a window boundary, so that no window is shared).
class CPassSink : public IFrameSink {
public:
    CPassSink(CPeakOverview& overview, float* pLevels, size_t nLevels, uint32_t nWindow,
              std::atomic<uint64_t>& nProgress);
    void Take(uint64_t nPos, const float* pSamples, size_t nFrames, uint32_t nChannels) override;
    // Publishes what is gathered, the last window's level too.
    void Finish();

private:
    void CloseBin();
    void CloseWindow();
    void Publish();

    CPeakOverview& m_overview;
    float* m_pLevels;
    size_t m_nLevels;
    uint64_t m_nWindow;
    uint64_t m_nPerBin;
    std::atomic<uint64_t>& m_nProgress;
    std::vector<CPeakOverview::SBin> m_vPending;
    uint64_t m_nBin = UINT64_MAX;
    float m_fMin = 0.0f, m_fMax = 0.0f;
    uint64_t m_nLevel = UINT64_MAX;
    double m_dSquares = 0.0;
    uint64_t m_nSamples = 0;
    uint64_t m_nTaken = 0;
};

// Peaks of nColumns columns over [nFrom, nTo), from every sample taken.
class CColumnSink : public IFrameSink {
public:
    CColumnSink(uint64_t nFrom, uint64_t nTo, size_t nColumns);
    void Take(uint64_t nPos, const float* pSamples, size_t nFrames, uint32_t nChannels) override;
    // The columns; one narrower than a frame shows the frame it lies in.
    std::vector<SPeak> Result() const;

private:
    uint64_t m_nFrom, m_nTo;
    std::vector<SPeak> m_vColumns;
    size_t m_nColumn = 0;
    uint64_t m_nColumnEnd = 0;
};

// Widens fMin and fMax to the lowest and highest of nCount samples (held to
// -1..1) and adds the sum of their squares to dSquares.
void GatherSamples(const float* p, size_t nCount, float& fMin, float& fMax, double& dSquares);
