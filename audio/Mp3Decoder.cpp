#include "audio/Mp3Decoder.h"

#include "audio/Mp3CleanFrames.h"
#include "audio/Mp3File.h"
#include "audio/Mp3Header.h"
#include "platform/ByteOrder.h"
#include "platform/File.h"

#include <mpg123.h>

#include <algorithm>
#include <mutex>
#include <vector>

namespace {

// The samples a decoder's synthesis lags behind its input, and the encoder
// delay taken when no LAME tag gives one.
constexpr uint64_t kDecoderDelay = mp3::kDecoderDelay;
constexpr uint64_t kAssumedEncoderDelay = mp3::kAssumedEncoderDelay;
// How far the first frame header is searched for behind the ID3v2 tags.
constexpr uint32_t kFirstFrameReach = 1 << 16;
constexpr uint32_t kId3v1Bytes = 128;

// The first header in the bytes from nFrom that a plausible header follows
// one frame later; its offset, or nothing.
std::optional<uint64_t> FindFrame(CFile& file, uint64_t nFrom, uint64_t nEnd)
{
    std::vector<unsigned char> bytes(kFirstFrameReach + mp3::kLongestFrameLength + 4);
    file.Seek(static_cast<int64_t>(nFrom), CFile::EFrom::Begin);
    const size_t nRead = file.Read(bytes.data(), static_cast<uint32_t>(std::min<uint64_t>(bytes.size(), nEnd - nFrom)));
    for (size_t i = 0; i + 4 <= nRead && i < kFirstFrameReach; ++i) {
        const uint32_t dw = ReadU32LE(&bytes[i]);
        if (bytes[i] != 0xFF || !mp3::IsUsableHeader(dw))
            continue;
        const size_t nNext = i + mp3::FrameLength(dw);
        if (nNext + 4 <= nRead ? mp3::IsPlausibleNextHeader(ReadU32LE(&bytes[nNext])) : nNext == nRead)
            return nFrom + i;
    }
    return std::nullopt;
}

void InitLibrary()
{
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

} // namespace

uint64_t SMp3Layout::PlayedOf(uint64_t nFrameSamples) const
{
    return nFrameSamples > nSkip + nTail ? nFrameSamples - nSkip - nTail : 0;
}

// The information frame's reader finds the encoder's extension.
std::optional<SLameDelays> ParseLameDelays(uint32_t dw, const unsigned char* p, size_t nBytes)
{
    const auto info = mp3::ParseInfoFrame(dw, p, nBytes);
    if (!info || !info->lame)
        return std::nullopt;
    return SLameDelays{info->lame->nDelay, info->lame->nPadding};
}

std::optional<SMp3Layout> ReadMp3Layout(CFile& file)
{
    const uint64_t nLength = file.GetLength();
    SMp3Layout layout;
    layout.nAudioEnd = nLength;
    if (nLength >= kId3v1Bytes) {
        unsigned char tag[3];
        file.Seek(static_cast<int64_t>(nLength - kId3v1Bytes), CFile::EFrom::Begin);
        if (file.Read(tag, 3) == 3 && std::equal(tag, tag + 3, "TAG"))
            layout.nAudioEnd = nLength - kId3v1Bytes;
    }
    const uint64_t nStart = CMp3File::SkipId3v2Tags(file);
    if (nStart >= layout.nAudioEnd)
        return std::nullopt;
    const auto nFirst = FindFrame(file, nStart, layout.nAudioEnd);
    if (!nFirst)
        return std::nullopt;
    std::vector<unsigned char> frame(mp3::kLongestFrameLength);
    file.Seek(static_cast<int64_t>(*nFirst), CFile::EFrom::Begin);
    const uint32_t dw = [&] {
        unsigned char raw[4] = {};
        file.Read(raw, 4);
        return ReadU32LE(raw);
    }();
    file.Seek(static_cast<int64_t>(*nFirst), CFile::EFrom::Begin);
    const uint32_t nFrameLength = mp3::FrameLength(dw);
    const size_t nRead = file.Read(frame.data(), std::min<uint32_t>(nFrameLength, static_cast<uint32_t>(frame.size())));
    layout.nFirstFrame = *nFirst;
    layout.nRate = mp3::SamplingRate(dw);
    layout.nSamplesPerFrame = mp3::SamplesPerFrame(dw);
    std::optional<uint32_t> nStatedFrames;
    if (mp3::Layer(dw) == mp3::kLayer3) {
        const auto info = mp3::ParseInfoFrame(dw, frame.data(), nRead);
        std::optional<SLameDelays> delays;
        if (info) {
            layout.nFirstFrame += nFrameLength;
            nStatedFrames = info->frames;
            delays = ParseLameDelays(dw, frame.data(), nRead);
        }
        layout.nSkip = (delays ? delays->nDelay : kAssumedEncoderDelay) + kDecoderDelay;
        // The last raw sample a decoder plays must exist: never less than its delay.
        layout.nTail = std::max<uint64_t>(delays ? delays->nPadding : 0, kDecoderDelay) - kDecoderDelay;
    }
    if (layout.nFirstFrame >= layout.nAudioEnd || layout.nRate == 0 || layout.nSamplesPerFrame == 0)
        return std::nullopt;
    const uint64_t nFrames = nStatedFrames && *nStatedFrames > 0
                                 ? *nStatedFrames
                                 : (layout.nAudioEnd - layout.nFirstFrame) / std::max<uint32_t>(nFrameLength, 1);
    layout.nEstimate = layout.PlayedOf(nFrames * layout.nSamplesPerFrame);
    return layout;
}

CMp3Decoder::CMp3Decoder()
{
    InitLibrary();
    int nError = MPG123_OK;
    m_pHandle = mpg123_new(nullptr, &nError);
    if (!m_pHandle)
        return;
    // Every frame as it is, as floats, quietly; an information frame met
    // inside the stream counts as the frame it is, as the frame index counts it.
    const long nFlags = MPG123_QUIET | MPG123_IGNORE_INFOFRAME | MPG123_SKIP_ID3V2;
    bool bOk = mpg123_param(m_pHandle, MPG123_FLAGS, nFlags, 0.0) == MPG123_OK &&
               mpg123_format_none(m_pHandle) == MPG123_OK;
    const long* pRates = nullptr;
    size_t nRates = 0;
    mpg123_rates(&pRates, &nRates);
    for (size_t i = 0; bOk && i < nRates; ++i)
        bOk = mpg123_format(m_pHandle, pRates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_FLOAT_32) == MPG123_OK;
    if (!bOk || mpg123_open_feed(m_pHandle) != MPG123_OK) {
        mpg123_delete(m_pHandle);
        m_pHandle = nullptr;
    }
}

CMp3Decoder::~CMp3Decoder()
{
    if (m_pHandle)
        mpg123_delete(m_pHandle);
}

void CMp3Decoder::Restart()
{
    if (m_pHandle && mpg123_open_feed(m_pHandle) != MPG123_OK) {
        mpg123_delete(m_pHandle);
        m_pHandle = nullptr;
    }
    m_nChannels = 0;
}

bool CMp3Decoder::Feed(const unsigned char* pBytes, size_t nCount)
{
    return m_pHandle && mpg123_feed(m_pHandle, pBytes, nCount) == MPG123_OK;
}

std::optional<CMp3Decoder::SFrame> CMp3Decoder::Next()
{
    if (!m_pHandle)
        return std::nullopt;
    for (;;) {
        off_t nNumber = 0;
        unsigned char* pAudio = nullptr;
        size_t nBytes = 0;
        const int nResult = mpg123_decode_frame(m_pHandle, &nNumber, &pAudio, &nBytes);
        if (nResult == MPG123_NEW_FORMAT) {
            m_nChannels = 0;
            continue;
        }
        if (nResult != MPG123_OK)
            return std::nullopt;
        // A restarted stream of the same format is not announced again.
        if (m_nChannels == 0) {
            long nRate = 0;
            int nChannels = 0, nEncoding = 0;
            if (mpg123_getformat(m_pHandle, &nRate, &nChannels, &nEncoding) == MPG123_OK &&
                nEncoding == MPG123_ENC_FLOAT_32 && nChannels > 0)
                m_nChannels = static_cast<uint32_t>(nChannels);
        }
        if (m_nChannels == 0 || !pAudio || nBytes == 0)
            continue;
        SFrame frame;
        frame.nNumber = static_cast<int64_t>(nNumber);
        frame.pSamples = reinterpret_cast<const float*>(pAudio);
        frame.nChannels = m_nChannels;
        frame.nFrames = nBytes / (sizeof(float) * m_nChannels);
        return frame;
    }
}
