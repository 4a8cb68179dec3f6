#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

// What the sound of a file looks like, found once per opening: the peaks the
// time line draws and the levels the silence search reads. A worker thread
// reads (WAV) or decodes (MP3) the whole audio; the picture fills in as it
// goes. A quick first pass (a few thousand small reads spread over a WAV
// file's data; a few frames decoded at 512 places of an MP3) gives a rough
// picture within a fraction of a second, which the full pass then replaces.
//
// Positions count sample frames in the same coordinates as the cut points of
// the file (for MP3 the samples a gapless decoder plays: of Layer III the
// encoder's delay from the LAME tag, or the 576 samples assumed when no tag
// says, and the decoder's 529 are left out at the start, the tag's padding
// less those 529 at the end; of Layers I and II every sample).
//
// The picture's memory is fixed (CPeakOverview::kBins stretches, about
// 600 KB); the level track grows with the file (about 200 floats a second,
// 8.6 MB for 3 hours). The full pass reads the two halves of the audio in two
// threads.

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
    // in a worker thread. Null when the file cannot be read as either, and for
    // a WAV file whose samples are not stored as plain numbers (ADPCM, GSM,
    // A-law...: only PCM of 8 to 32 bits and float of 32 or 64 are read); the
    // caller then shows a plain band.
    static std::unique_ptr<CSoundAnalysis> Start(const std::string& strPath);

    // nColumns peaks over the frames [nFrom, nTo) read or decoded there and
    // then, for a zoomed view of a few seconds (at most about 20 s is asked
    // for): every sample counts. Empty when the file cannot be read, when
    // nTo <= nFrom and when more than 1 << 20 columns are asked for. Columns
    // past the end of the audio are unknown.
    static std::vector<SPeak> Detail(const std::string& strPath, uint64_t nFrom, uint64_t nTo, size_t nColumns);

    virtual uint32_t GetRate() const = 0;
    // For MP3 an estimate (from the information frame, else the first frame's
    // bitrate) until the frames have been walked, a fraction of a second in.
    virtual uint64_t GetTotalFrames() const = 0;

    // nColumns peaks over the frames [nFrom, nTo) from the overview, which is
    // held at a fixed resolution whatever the file's length. Safe to call from
    // any thread while the worker runs. Empty when more than 1 << 20 columns
    // are asked for.
    virtual std::vector<SPeak> Overview(uint64_t nFrom, uint64_t nTo, size_t nColumns) const = 0;

    // The share of the audio analysed (0 to 1), whether the full pass has
    // finished, and a stop that the destructor also makes (it joins the worker).
    // A file that cannot be read to its end (a read error) finishes there; the
    // rest keeps what the quick pass drew. After Cancel() IsDone() stays false.
    virtual double GetProgress() const = 0;
    virtual bool IsDone() const = 0;
    virtual void Cancel() = 0;

    // The levels the silence search reads: the RMS over all channels of each
    // window of GetLevelWindow() frames (rate / 200, i.e. 5 ms), linear, full
    // scale 1.0, one float per window from the start of the audio. Complete
    // once IsDone(); empty before and when the analysis was cancelled. Windows
    // the full pass could not reach read 0. Audio longer than 11.6 hours gets
    // longer windows, so that the track stays within 2^23 floats. Unlike
    // the picture, whose memory is fixed, this track grows with the file:
    // about 200 floats a second, 8.6 MB for 3 hours.
    virtual uint32_t GetLevelWindow() const
    {
        return GetRate() / 200 > 0 ? GetRate() / 200 : 1;
    }
    virtual std::vector<float> GetLevels() const { return {}; }

    // Blocks until the full pass has finished, calling keepGoing with the
    // progress (0 to 1) every few milliseconds; when it returns false the
    // analysis is cancelled and Wait returns false, as it does when the
    // analysis was cancelled otherwise. For the command line.
    virtual bool Wait(const std::function<bool(double)>& keepGoing)
    {
        while (!IsDone()) {
            if (keepGoing && !keepGoing(GetProgress())) {
                Cancel();
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return true;
    }
};
