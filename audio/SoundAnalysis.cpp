#include "audio/SoundAnalysis.h"

#include "audio/Mp3Decoder.h"
#include "audio/Mp3FrameIndex.h"
#include "audio/Mp3Header.h"
#include "audio/PeakOverview.h"
#include "audio/SilentAudioUi.h"
#include "audio/WaveFile.h"
#include "audio/WavePeaks.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"
#include "platform/Threads.h"

#include <algorithm>
#include <cmath>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

namespace {

constexpr uint32_t kLevelsPerSecond = 200;
// The level track's longest length (32 MiB of floats, 11.6 hours at 5 ms);
// longer audio gets longer windows.
constexpr uint64_t kMaxLevels = uint64_t{1} << 23;
// The most columns a picture is asked for; more give nothing.
constexpr size_t kMaxColumns = size_t{1} << 20;
// Audio shorter than this is read in one stretch by one thread.
constexpr uint32_t kSplitSeconds = 30;

// The quick pass: how many places of the audio it looks at, and from what
// size of audio on (below it the full pass is quick enough).
constexpr uint64_t kWaveSketchPoints = 4096;
constexpr uint64_t kWaveSketchBytes = uint64_t{16} << 20;
constexpr uint32_t kWaveSketchFrameBytes = 4096;
constexpr uint64_t kMp3SketchPoints = 512;
constexpr uint64_t kMp3SketchBytes = uint64_t{2} << 20;
constexpr uint32_t kMp3SketchReach = 8192;

// Bytes read at a time by the full pass.
constexpr uint32_t kReadBytes = uint32_t{1} << 20;
constexpr uint32_t kMp3FeedBytes = uint32_t{1} << 16;
// Frames decoded and thrown away before the first one that counts, so that
// the bit reservoir and the overlap of the frames before are filled.
constexpr uint64_t kWarmUpFrames = 10;

uint32_t LevelWindow(uint32_t nRate, uint64_t nTotal)
{
    const uint64_t nWindow = std::max<uint64_t>({nRate / kLevelsPerSecond, 1, (nTotal + kMaxLevels - 1) / kMaxLevels});
    return static_cast<uint32_t>(std::min<uint64_t>(nWindow, UINT32_MAX));
}

// The audio of one file as sample frames, read by whoever asks, each with a
// file object of its own, so that two threads can read two stretches at once.
class CSource {
public:
    virtual ~CSource() = default;
    virtual uint32_t GetRate() const = 0;
    // The frames of the audio: an estimate until Prepare() has run.
    virtual uint64_t GetTotal() const = 0;
    // A rough picture from a sample of the audio.
    virtual void Sketch(CPeakOverview& overview, const std::atomic<bool>& bStop) const = 0;
    // Makes ready what reading needs; false when the file holds no audio or
    // bStop was set.
    virtual bool Prepare(const std::atomic<bool>& bStop) = 0;
    // Hands the frames [nFrom, nTo) to sink in order, until bStop is set.
    virtual void Read(uint64_t nFrom, uint64_t nTo, IFrameSink& sink, const std::atomic<bool>& bStop) const = 0;
};

class CWaveSource : public CSource {
public:
    // Null when the file is not a WAV file, or holds its samples in a coding
    // other than plain numbers; bWave says whether it is a WAV file at all.
    static std::unique_ptr<CWaveSource> Open(const std::string& strPath, bool& bWave)
    {
        CSilentAudioUi ui;
        CWaveFile wave(strPath, nullptr, ui);
        bWave = wave.GetError() == kStatusOk;
        if (!bWave)
            return nullptr;
        const CFormatRecord& fmt = wave.GetFormat();
        const auto coding = WaveCodingOf(fmt, wave.GetFormatExtra(), fmt.extraSize);
        if (!coding || fmt.samplesPerSec == 0)
            return nullptr;
        auto pSource = std::make_unique<CWaveSource>();
        pSource->m_strPath = wave.GetFilePath();
        pSource->m_coding = *coding;
        pSource->m_nDataStart = wave.GetDataStart();
        pSource->m_nRate = fmt.samplesPerSec;
        pSource->m_nTotal = wave.GetDataBytes() / coding->nBlockAlign;
        return pSource;
    }

    uint32_t GetRate() const override { return m_nRate; }
    uint64_t GetTotal() const override { return m_nTotal; }
    bool Prepare(const std::atomic<bool>&) override { return true; }

    void Sketch(CPeakOverview& overview, const std::atomic<bool>& bStop) const override
    {
        if (m_nTotal * m_coding.nBlockAlign < kWaveSketchBytes)
            return;
        CFile file;
        if (!file.Open(m_strPath, CFile::EMode::Read))
            return;
        const uint64_t nFrames = std::max<uint32_t>(1, kWaveSketchFrameBytes / m_coding.nBlockAlign);
        std::vector<unsigned char> bytes(nFrames * m_coding.nBlockAlign);
        std::vector<float> samples(nFrames * m_coding.nChannels);
        for (uint64_t i = 0; i < kWaveSketchPoints && !bStop; ++i) {
            const uint64_t nFrom = m_nTotal * i / kWaveSketchPoints, nTo = m_nTotal * (i + 1) / kWaveSketchPoints;
            const uint64_t nRead = Fetch(file, nFrom, std::min(nFrames, nTo - nFrom), bytes, samples);
            if (nRead == 0)
                continue;
            float fMin = samples[0], fMax = samples[0];
            double dUnused = 0.0;
            GatherSamples(samples.data(), nRead * m_coding.nChannels, fMin, fMax, dUnused);
            overview.SetRough(nFrom, nTo, fMin, fMax);
        }
    }

    void Read(uint64_t nFrom, uint64_t nTo, IFrameSink& sink, const std::atomic<bool>& bStop) const override
    {
        CFile file;
        if (!file.Open(m_strPath, CFile::EMode::Read))
            return;
        const uint64_t nBlock = std::max<uint32_t>(1, kReadBytes / m_coding.nBlockAlign);
        std::vector<unsigned char> bytes(nBlock * m_coding.nBlockAlign);
        std::vector<float> samples(nBlock * m_coding.nChannels);
        nTo = std::min(nTo, m_nTotal);
        while (nFrom < nTo && !bStop) {
            const uint64_t nRead = Fetch(file, nFrom, std::min(nBlock, nTo - nFrom), bytes, samples);
            if (nRead == 0)
                break;
            sink.Take(nFrom, samples.data(), nRead, m_coding.nChannels);
            nFrom += nRead;
        }
    }

private:
    // Reads and decodes up to nFrames frames from frame nFrom; how many were read.
    uint64_t Fetch(CFile& file, uint64_t nFrom, uint64_t nFrames, std::vector<unsigned char>& bytes,
                   std::vector<float>& samples) const
    {
        const uint32_t nGot = file.ReadAt(bytes.data(), static_cast<uint32_t>(nFrames * m_coding.nBlockAlign),
                                          m_nDataStart + nFrom * m_coding.nBlockAlign);
        const uint64_t nRead = nGot / m_coding.nBlockAlign;
        DecodeWaveFrames(m_coding, bytes.data(), nRead, samples.data());
        return nRead;
    }

    std::string m_strPath;
    SWaveCoding m_coding;
    uint64_t m_nDataStart = 0;
    uint32_t m_nRate = 0;
    uint64_t m_nTotal = 0;
};

// The frame index of an MPEG audio stream, walked a stretch of the file at a
// time so that a stop is heeded between stretches: one CMp3FrameIndex for
// each stretch, the frames and samples of those before counted on.
class CStretchedFrameIndex {
public:
    // Bytes walked at a time: a few milliseconds from the page cache, some
    // tens from a disk.
    static constexpr uint64_t kStretchBytes = uint64_t{4} << 20;

    // False when stopped, or when no frame was found.
    bool Build(CFile& file, uint64_t nFirstFrame, uint64_t nAudioEnd, const std::atomic<bool>& bStop)
    {
        uint64_t nPos = nFirstFrame, nFrames = 0, nSamples = 0;
        nAudioEnd = std::min(nAudioEnd, file.GetLength());
        while (nPos < nAudioEnd) {
            if (bStop)
                return false;
            const uint64_t nEnd = nAudioEnd - nPos > kStretchBytes ? nPos + kStretchBytes : nAudioEnd;
            SStretch stretch{std::make_unique<CMp3FrameIndex>(), nFrames, nSamples};
            if (stretch.pIndex->Build(file, nPos, nEnd)) {
                nFrames += stretch.pIndex->GetFrameCount();
                nSamples += stretch.pIndex->GetTotalSamples();
                // Behind the last frame that fitted in the stretch.
                const uint64_t nNext = stretch.pIndex->FrameAt(stretch.pIndex->GetFrameCount()).nOffset;
                m_vStretches.push_back(std::move(stretch));
                if (nNext > nPos) {
                    nPos = nNext;
                    continue;
                }
            }
            // No frame in the stretch (a damaged one): search on from near its
            // end, where a frame running past it may start.
            nPos = nEnd == nAudioEnd ? nAudioEnd : std::max(nPos + 1, nEnd - mp3::kLongestFrameLength);
        }
        m_nFrames = nFrames;
        m_nSamples = nSamples;
        return nFrames != 0;
    }

    uint64_t GetFrameCount() const { return m_nFrames; }
    uint64_t GetTotalSamples() const { return m_nSamples; }
    // The boundary before frame k; k at or past the count gives the end.
    CMp3FrameIndex::SBoundary FrameAt(uint64_t k) const
    {
        if (m_vStretches.empty())
            return {};
        auto it = std::upper_bound(m_vStretches.begin(), m_vStretches.end(), k,
                                   [](uint64_t n, const SStretch& stretch) { return n < stretch.nFirst; });
        const SStretch& stretch = *(it == m_vStretches.begin() ? it : it - 1);
        CMp3FrameIndex::SBoundary at = stretch.pIndex->FrameAt(k - std::min(k, stretch.nFirst));
        at.nSample += stretch.nSamples;
        return at;
    }

private:
    struct SStretch {
        std::unique_ptr<CMp3FrameIndex> pIndex;
        uint64_t nFirst;   // frames before it
        uint64_t nSamples; // samples before it
    };
    std::vector<SStretch> m_vStretches;
    uint64_t m_nFrames = 0, m_nSamples = 0;
};

// What tells a file from the one that stood under its name before: its
// length, its modification time and its first and last bytes.
uint64_t Stamp(CFile& file, const std::string& strPath)
{
    constexpr uint32_t kEndBytes = 4096;
    uint64_t nHash = 14695981039346656037ull;
    auto mix = [&nHash](const unsigned char* p, size_t n) {
        for (size_t i = 0; i < n; ++i)
            nHash = (nHash ^ p[i]) * 1099511628211ull;
    };
    const uint64_t nLength = file.GetLength();
    std::error_code ec;
    const auto nTime = std::filesystem::last_write_time(strPath, ec).time_since_epoch().count();
    unsigned char fields[16];
    WriteU64LE(fields, nLength);
    WriteU64LE(fields + 8, static_cast<uint64_t>(ec ? 0 : nTime));
    mix(fields, sizeof fields);
    std::vector<unsigned char> bytes(kEndBytes);
    for (uint64_t nAt : {uint64_t{0}, nLength > kEndBytes ? nLength - kEndBytes : 0}) {
        mix(bytes.data(), file.ReadAt(bytes.data(), kEndBytes, nAt));
    }
    return nHash;
}

// The frame indexes last built, so that a zoomed view of a file being
// analysed does not walk its frames again.
class CIndexCache {
public:
    // A file is known by its path and a stamp of its length, time and bytes.
    std::shared_ptr<const CStretchedFrameIndex> Find(const std::string& strPath, uint64_t nStamp)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (const SEntry& entry : m_entries)
            if (entry.strPath == strPath && entry.nStamp == nStamp)
                return entry.pIndex;
        return nullptr;
    }
    void Put(const std::string& strPath, uint64_t nStamp, std::shared_ptr<const CStretchedFrameIndex> p)
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_entries.insert(m_entries.begin(), SEntry{strPath, nStamp, std::move(p)});
        if (m_entries.size() > kEntries)
            m_entries.pop_back();
    }

private:
    static constexpr size_t kEntries = 2;
    struct SEntry {
        std::string strPath;
        uint64_t nStamp;
        std::shared_ptr<const CStretchedFrameIndex> pIndex;
    };
    std::mutex m_mutex;
    std::vector<SEntry> m_entries;
};

CIndexCache& IndexCache()
{
    static CIndexCache cache;
    return cache;
}

class CMp3Source : public CSource {
public:
    static std::unique_ptr<CMp3Source> Open(const std::string& strPath)
    {
        CFile file;
        if (!file.Open(strPath, CFile::EMode::Read))
            return nullptr;
        const auto layout = ReadMp3Layout(file);
        if (!layout)
            return nullptr;
        auto pSource = std::make_unique<CMp3Source>();
        pSource->m_strPath = file.GetFilePath();
        pSource->m_nStamp = Stamp(file, strPath);
        pSource->m_layout = *layout;
        pSource->m_nTotal = layout->nEstimate;
        return pSource;
    }

    uint32_t GetRate() const override { return m_layout.nRate; }
    uint64_t GetTotal() const override { return m_nTotal; }

    bool Prepare(const std::atomic<bool>& bStop) override
    {
        m_pIndex = IndexCache().Find(m_strPath, m_nStamp);
        if (!m_pIndex) {
            CFile file;
            if (!file.Open(m_strPath, CFile::EMode::Read))
                return false;
            auto pIndex = std::make_shared<CStretchedFrameIndex>();
            if (!pIndex->Build(file, m_layout.nFirstFrame, m_layout.nAudioEnd, bStop))
                return false;
            m_pIndex = pIndex;
            IndexCache().Put(m_strPath, m_nStamp, m_pIndex);
        }
        m_nTotal = m_layout.PlayedOf(m_pIndex->GetTotalSamples());
        return m_pIndex->GetFrameCount() != 0;
    }

    void Sketch(CPeakOverview& overview, const std::atomic<bool>& bStop) const override
    {
        const uint64_t nBytes = m_layout.nAudioEnd - m_layout.nFirstFrame;
        if (nBytes < kMp3SketchBytes)
            return;
        CFile file;
        CMp3Decoder decoder;
        if (!file.Open(m_strPath, CFile::EMode::Read) || !decoder.IsOk())
            return;
        std::vector<unsigned char> bytes(kMp3SketchReach);
        const uint64_t nTotal = overview.GetTotal();
        for (uint64_t i = 0; i < kMp3SketchPoints && !bStop; ++i) {
            const uint32_t nRead =
                file.ReadAt(bytes.data(), kMp3SketchReach, m_layout.nFirstFrame + nBytes * i / kMp3SketchPoints);
            decoder.Restart();
            if (!decoder.Feed(bytes.data(), nRead))
                continue;
            // The first frame decoded lacks the bit reservoir of the ones before; the next two count.
            bool bFound = false;
            float fMin = 0.0f, fMax = 0.0f;
            double dUnused = 0.0;
            for (int nFrame = 0; nFrame < 3; ++nFrame) {
                const auto frame = decoder.Next();
                if (!frame)
                    break;
                if (nFrame == 0 || frame->nFrames == 0)
                    continue;
                if (!bFound)
                    fMin = fMax = frame->pSamples[0];
                bFound = true;
                GatherSamples(frame->pSamples, frame->nFrames * frame->nChannels, fMin, fMax, dUnused);
            }
            if (bFound)
                overview.SetRough(nTotal * i / kMp3SketchPoints, nTotal * (i + 1) / kMp3SketchPoints, fMin, fMax);
        }
    }

    void Read(uint64_t nFrom, uint64_t nTo, IFrameSink& sink, const std::atomic<bool>& bStop) const override
    {
        nTo = std::min(nTo, m_nTotal);
        if (!m_pIndex || nFrom >= nTo)
            return;
        CFile file;
        CMp3Decoder decoder;
        if (!file.Open(m_strPath, CFile::EMode::Read) || !decoder.IsOk())
            return;
        // In the samples of the frames, where the decoder's output counts.
        const uint64_t nRawFrom = nFrom + m_layout.nSkip, nRawTo = nTo + m_layout.nSkip;
        const uint64_t nFrame = FrameOf(nRawFrom);
        const uint64_t nStart = nFrame > kWarmUpFrames ? nFrame - kWarmUpFrames : 0;
        // A frame more than needed, so that the decoder sees the header behind the last one.
        const uint64_t nEndOffset = m_pIndex->FrameAt(FrameOf(nRawTo) + 2).nOffset;
        uint64_t nOffset = m_pIndex->FrameAt(nStart).nOffset;

        std::vector<unsigned char> bytes(kMp3FeedBytes);
        int64_t nLastNumber = -1;
        uint64_t nRaw = 0;
        size_t nLastFrames = 0;
        bool bEnded = false;
        while (!bEnded && !bStop) {
            const uint32_t nAsk = static_cast<uint32_t>(std::min<uint64_t>(kMp3FeedBytes, nEndOffset - nOffset));
            uint32_t nRead = 0;
            if (nAsk != 0) {
                nRead = file.ReadAt(bytes.data(), nAsk, nOffset);
                nOffset += nRead;
            }
            if (nRead == 0 || !decoder.Feed(bytes.data(), nRead))
                bEnded = true;
            while (const auto frame = decoder.Next()) {
                nRaw = frame->nNumber == nLastNumber + 1 && nLastNumber >= 0
                           ? nRaw + nLastFrames
                           : m_pIndex->FrameAt(nStart + static_cast<uint64_t>(frame->nNumber)).nSample;
                nLastNumber = frame->nNumber;
                nLastFrames = frame->nFrames;
                const uint64_t nLo = std::max(nRaw, nRawFrom), nHi = std::min(nRaw + frame->nFrames, nRawTo);
                if (nLo < nHi)
                    sink.Take(nLo - m_layout.nSkip, frame->pSamples + (nLo - nRaw) * frame->nChannels,
                              static_cast<size_t>(nHi - nLo), frame->nChannels);
                if (nRaw + frame->nFrames >= nRawTo)
                    return;
            }
        }
    }

private:
    // The frame holding sample nRaw of the frames (the last one when past the end).
    uint64_t FrameOf(uint64_t nRaw) const
    {
        uint64_t nLo = 0, nHi = m_pIndex->GetFrameCount();
        while (nHi - nLo > 1) {
            const uint64_t nMid = nLo + (nHi - nLo) / 2;
            if (m_pIndex->FrameAt(nMid).nSample <= nRaw)
                nLo = nMid;
            else
                nHi = nMid;
        }
        return nLo;
    }

    std::string m_strPath;
    uint64_t m_nStamp = 0;
    SMp3Layout m_layout;
    uint64_t m_nTotal = 0;
    std::shared_ptr<const CStretchedFrameIndex> m_pIndex;
};

// The file as WAV when it is one (null when its coding is not read here),
// otherwise as MPEG audio.
std::unique_ptr<CSource> OpenSource(const std::string& strPath)
{
    bool bWave = false;
    if (auto pWave = CWaveSource::Open(strPath, bWave))
        return pWave;
    if (bWave)
        return nullptr;
    return CMp3Source::Open(strPath);
}

class CAnalysis : public CSoundAnalysis {
public:
    explicit CAnalysis(std::unique_ptr<CSource> pSource)
        : m_pSource(std::move(pSource)), m_overview(m_pSource->GetTotal()), m_nTotal(m_pSource->GetTotal()),
          m_nWindow(LevelWindow(m_pSource->GetRate(), m_pSource->GetTotal()))
    {
        m_worker = std::thread([this] { Run(); });
    }
    ~CAnalysis() override { Cancel(); }

    uint32_t GetRate() const override { return m_pSource->GetRate(); }
    uint64_t GetTotalFrames() const override { return m_nTotal; }
    std::vector<SPeak> Overview(uint64_t nFrom, uint64_t nTo, size_t nColumns) const override
    {
        if (nColumns > kMaxColumns)
            return {};
        return m_overview.Columns(nFrom, nTo, nColumns);
    }
    double GetProgress() const override
    {
        if (m_bDone)
            return 1.0;
        const uint64_t nTotal = m_nTotal;
        return nTotal == 0 ? 0.0 : std::min(1.0, static_cast<double>(m_nProgress) / static_cast<double>(nTotal));
    }
    bool IsDone() const override { return m_bDone; }
    void Cancel() override
    {
        m_bStop = true;
        std::lock_guard<std::mutex> lock(m_joinMutex);
        if (m_worker.joinable())
            m_worker.join();
    }
    uint32_t GetLevelWindow() const override { return m_nWindow; }
    std::vector<float> GetLevels() const override { return m_bDone ? m_vLevels : std::vector<float>{}; }
    bool Wait(const std::function<bool(double)>& keepGoing) override
    {
        while (!m_bDone) {
            if (m_bStop || (keepGoing && !keepGoing(GetProgress()))) {
                Cancel();
                return false;
            }
            std::unique_lock<std::mutex> lock(m_doneMutex);
            m_doneSignal.wait_for(lock, std::chrono::milliseconds(20), [this] { return m_bDone.load(); });
        }
        return true;
    }

private:
    void Run()
    {
        RunInBackground();
        try {
            m_pSource->Sketch(m_overview, m_bStop);
            if (m_bStop)
                return;
            if (m_pSource->Prepare(m_bStop) && !m_bStop)
                FullPass();
        } catch (...) {
            // A file that fails to read leaves the picture as far as it got.
        }
        if (!m_bStop) {
            std::lock_guard<std::mutex> lock(m_doneMutex);
            m_bDone = true;
        }
        m_doneSignal.notify_all();
    }

    void FullPass()
    {
        const uint64_t nTotal = m_pSource->GetTotal();
        m_overview.SetTotal(nTotal);
        m_nTotal = nTotal;
        const uint32_t nWindow = LevelWindow(m_pSource->GetRate(), nTotal);
        m_nWindow = nWindow;
        m_vLevels.assign(static_cast<size_t>((nTotal + nWindow - 1) / nWindow), 0.0f);
        // Two stretches, split at a window boundary, read by two threads.
        uint64_t nSplit = nTotal;
        if (std::thread::hardware_concurrency() >= 2 && nTotal >= uint64_t{kSplitSeconds} * m_pSource->GetRate())
            nSplit = nTotal / 2 / nWindow * nWindow;
        std::thread helper;
        if (nSplit < nTotal)
            helper = std::thread([this, nSplit, nTotal] {
                RunInBackground();
                PassOver(nSplit, nTotal);
            });
        PassOver(0, nSplit);
        if (helper.joinable())
            helper.join();
    }

    void PassOver(uint64_t nFrom, uint64_t nTo)
    {
        CPassSink sink(m_overview, m_vLevels.data(), m_vLevels.size(), m_nWindow, m_nProgress);
        try {
            m_pSource->Read(nFrom, nTo, sink, m_bStop);
        } catch (...) {
            // As far as it could be read.
        }
        sink.Finish();
    }

    std::unique_ptr<CSource> m_pSource;
    CPeakOverview m_overview;
    std::atomic<uint64_t> m_nTotal;
    std::atomic<uint32_t> m_nWindow;
    std::atomic<uint64_t> m_nProgress{0};
    std::atomic<bool> m_bStop{false};
    std::atomic<bool> m_bDone{false};
    std::vector<float> m_vLevels;
    std::mutex m_doneMutex;
    std::condition_variable m_doneSignal;
    std::mutex m_joinMutex;
    std::thread m_worker;
};

} // namespace

std::unique_ptr<CSoundAnalysis> CSoundAnalysis::Start(const std::string& strPath)
{
    try {
        auto pSource = OpenSource(strPath);
        if (!pSource || pSource->GetRate() == 0)
            return nullptr;
        return std::make_unique<CAnalysis>(std::move(pSource));
    } catch (const std::exception&) {
        return nullptr;
    }
}

std::vector<SPeak> CSoundAnalysis::Detail(const std::string& strPath, uint64_t nFrom, uint64_t nTo, size_t nColumns)
{
    if (nColumns == 0 || nColumns > kMaxColumns || nTo <= nFrom)
        return {};
    try {
        auto pSource = OpenSource(strPath);
        const std::atomic<bool> bStop{false};
        if (!pSource || !pSource->Prepare(bStop))
            return {};
        CColumnSink sink(nFrom, nTo, nColumns);
        pSource->Read(nFrom, nTo, sink, bStop);
        return sink.Result();
    } catch (const std::exception&) {
        return {};
    }
}
