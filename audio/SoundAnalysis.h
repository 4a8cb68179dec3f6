#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// What the sound of a file looks like, found once per opening: the peaks the
// time line draws and the levels the silence search reads. A worker thread
// reads (WAV) or decodes (MP3) the whole audio; the picture fills in as it
// goes. A quick first pass (a sparse sample of a WAV file, the frames' global
// gain or every k-th frame of an MP3) gives a rough picture within a fraction
// of a second, which the full pass then replaces.
//
// Positions count sample frames in the same coordinates as the cut points of
// the file (for MP3 the samples a gapless decoder plays).

// The lowest and highest sample of a stretch, over all channels, scaled to
// -1..1. bKnown is false where the analysis has not reached yet.
struct SPeak {
    float fMin = 0.0f;
    float fMax = 0.0f;
    bool bKnown = false;
};

class CSoundAnalysis {
public:
    virtual ~CSoundAnalysis() = default;

    // Starts the analysis of the file at strPath (WAV or MP3, by its content)
    // in a worker thread. Null when the file cannot be read as either; the
    // caller then shows a plain band.
    static std::unique_ptr<CSoundAnalysis> Start(const std::string& strPath);

    // nColumns peaks over the frames [nFrom, nTo) read or decoded there and
    // then, for a zoomed view of a few seconds (at most about 20 s is asked
    // for): every sample counts. Empty when the file cannot be read.
    static std::vector<SPeak> Detail(const std::string& strPath, uint64_t nFrom, uint64_t nTo, size_t nColumns);

    virtual uint32_t GetRate() const = 0;
    virtual uint64_t GetTotalFrames() const = 0;

    // nColumns peaks over the frames [nFrom, nTo) from the overview, which is
    // held at a fixed resolution whatever the file's length. Safe to call from
    // any thread while the worker runs.
    virtual std::vector<SPeak> Overview(uint64_t nFrom, uint64_t nTo, size_t nColumns) const = 0;

    // The share of the audio analysed (0 to 1), whether the full pass has
    // finished, and a stop that the destructor also makes (it joins the worker).
    virtual double GetProgress() const = 0;
    virtual bool IsDone() const = 0;
    virtual void Cancel() = 0;
};
