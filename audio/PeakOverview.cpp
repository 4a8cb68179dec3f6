#include "audio/PeakOverview.h"

#include <algorithm>
#include <cmath>

namespace {

// Bins gathered before they are published to the overview.
constexpr size_t kPublishBins = 64;
// Frames taken before they are published, whatever the bins.
constexpr uint64_t kPublishFrames = uint64_t{1} << 18;

} // namespace

void GatherSamples(const float* p, size_t nCount, float& fMin, float& fMax, double& dSquares)
{
    float lo = fMin, hi = fMax, sq = 0.0f;
    for (size_t i = 0; i < nCount; ++i) {
        const float f = p[i];
        lo = std::min(lo, f);
        hi = std::max(hi, f);
        sq += f * f;
    }
    // A decoder's output may pass full scale; the picture ends there.
    fMin = std::max(lo, -1.0f);
    fMax = std::min(hi, 1.0f);
    dSquares += sq;
}

CPeakOverview::CPeakOverview(uint64_t nTotalFrames)
{
    Lay(nTotalFrames);
}

void CPeakOverview::Lay(uint64_t nTotalFrames)
{
    m_nTotal = nTotalFrames;
    m_nPerBin = std::max<uint64_t>(1, (nTotalFrames + kBins - 1) / kBins);
    const size_t nBins = static_cast<size_t>((nTotalFrames + m_nPerBin - 1) / m_nPerBin);
    m_vMin.assign(nBins, 0.0f);
    m_vMax.assign(nBins, 0.0f);
    m_vState.assign(nBins, kUnknown);
}

void CPeakOverview::SetTotal(uint64_t nTotalFrames)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    if (nTotalFrames == m_nTotal)
        return;
    const std::vector<float> vMin = std::move(m_vMin), vMax = std::move(m_vMax);
    const std::vector<uint8_t> vState = std::move(m_vState);
    const uint64_t nOldTotal = m_nTotal, nOldPerBin = m_nPerBin;
    Lay(nTotalFrames);
    if (nOldTotal == 0)
        return;
    for (size_t i = 0; i < m_vState.size(); ++i) {
        const auto nOld = static_cast<size_t>(static_cast<long double>(i * m_nPerBin) * nOldTotal / nTotalFrames /
                                              nOldPerBin);
        if (nOld < vState.size() && vState[nOld] != kUnknown) {
            m_vMin[i] = vMin[nOld];
            m_vMax[i] = vMax[nOld];
            m_vState[i] = kRough;
        }
    }
}

uint64_t CPeakOverview::GetTotal() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nTotal;
}

uint64_t CPeakOverview::GetFramesPerBin() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_nPerBin;
}

size_t CPeakOverview::GetBinCount() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_vState.size();
}

void CPeakOverview::SetRough(uint64_t nFrom, uint64_t nTo, float fMin, float fMax)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    const size_t nEnd = static_cast<size_t>(std::min<uint64_t>((nTo + m_nPerBin - 1) / m_nPerBin, m_vState.size()));
    for (auto i = static_cast<size_t>(nFrom / m_nPerBin); i < nEnd; ++i) {
        if (m_vState[i] == kExact)
            continue;
        m_vMin[i] = fMin;
        m_vMax[i] = fMax;
        m_vState[i] = kRough;
    }
}

void CPeakOverview::Merge(const std::vector<SBin>& bins)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const SBin& bin : bins) {
        if (bin.nIndex >= m_vState.size())
            continue;
        const auto i = static_cast<size_t>(bin.nIndex);
        if (m_vState[i] == kExact) {
            m_vMin[i] = std::min(m_vMin[i], bin.fMin);
            m_vMax[i] = std::max(m_vMax[i], bin.fMax);
        } else {
            m_vMin[i] = bin.fMin;
            m_vMax[i] = bin.fMax;
            m_vState[i] = kExact;
        }
    }
}

uint64_t CPeakOverview::ColumnStart(uint64_t nFrom, uint64_t nTo, size_t nColumns, size_t c)
{
    if (c >= nColumns)
        return nTo;
    return nFrom + static_cast<uint64_t>(static_cast<long double>(nTo - nFrom) * c / nColumns);
}

std::vector<SPeak> CPeakOverview::Columns(uint64_t nFrom, uint64_t nTo, size_t nColumns) const
{
    std::vector<SPeak> columns(nColumns);
    if (nTo <= nFrom)
        return columns;
    std::lock_guard<std::mutex> lock(m_mutex);
    for (size_t c = 0; c < nColumns; ++c) {
        const uint64_t nStart = ColumnStart(nFrom, nTo, nColumns, c);
        const uint64_t nEnd = std::min(std::max(ColumnStart(nFrom, nTo, nColumns, c + 1), nStart + 1), m_nTotal);
        if (nStart >= nEnd)
            continue;
        SPeak& peak = columns[c];
        const auto nLast = static_cast<size_t>((nEnd - 1) / m_nPerBin);
        for (auto i = static_cast<size_t>(nStart / m_nPerBin); i <= nLast && i < m_vState.size(); ++i) {
            if (m_vState[i] == kUnknown)
                continue;
            peak.fMin = peak.bKnown ? std::min(peak.fMin, m_vMin[i]) : m_vMin[i];
            peak.fMax = peak.bKnown ? std::max(peak.fMax, m_vMax[i]) : m_vMax[i];
            peak.bKnown = true;
        }
    }
    return columns;
}

CPassSink::CPassSink(CPeakOverview& overview, float* pLevels, size_t nLevels, uint32_t nWindow,
                     std::atomic<uint64_t>& nProgress)
    : m_overview(overview), m_pLevels(pLevels), m_nLevels(nLevels), m_nWindow(std::max<uint32_t>(nWindow, 1)),
      m_nPerBin(overview.GetFramesPerBin()), m_nProgress(nProgress)
{
    m_vPending.reserve(kPublishBins);
}

void CPassSink::Take(uint64_t nPos, const float* p, size_t nFrames, uint32_t nChannels)
{
    m_nTaken += nFrames;
    while (nFrames != 0) {
        const uint64_t nBin = nPos / m_nPerBin, nLevel = nPos / m_nWindow;
        if (nBin != m_nBin) {
            CloseBin();
            m_nBin = nBin;
            m_fMin = p[0];
            m_fMax = p[0];
        }
        if (nLevel != m_nLevel) {
            CloseWindow();
            m_nLevel = nLevel;
        }
        const uint64_t nRun =
            std::min({(nBin + 1) * m_nPerBin - nPos, (nLevel + 1) * m_nWindow - nPos, uint64_t{nFrames}});
        const size_t nSamples = static_cast<size_t>(nRun) * nChannels;
        GatherSamples(p, nSamples, m_fMin, m_fMax, m_dSquares);
        m_nSamples += nSamples;
        p += nSamples;
        nPos += nRun;
        nFrames -= static_cast<size_t>(nRun);
    }
    if (m_vPending.size() >= kPublishBins || m_nTaken >= kPublishFrames)
        Publish();
}

void CPassSink::CloseBin()
{
    if (m_nBin != UINT64_MAX)
        m_vPending.push_back({m_nBin, m_fMin, m_fMax});
    m_nBin = UINT64_MAX;
}

void CPassSink::CloseWindow()
{
    if (m_nLevel < m_nLevels && m_nSamples != 0)
        m_pLevels[m_nLevel] = static_cast<float>(std::sqrt(m_dSquares / static_cast<double>(m_nSamples)));
    m_nLevel = UINT64_MAX;
    m_dSquares = 0.0;
    m_nSamples = 0;
}

void CPassSink::Publish()
{
    // The bin still open goes too (it is widened when more comes).
    if (m_nBin != UINT64_MAX)
        m_vPending.push_back({m_nBin, m_fMin, m_fMax});
    m_overview.Merge(m_vPending);
    m_vPending.clear();
    m_nProgress += m_nTaken;
    m_nTaken = 0;
}

void CPassSink::Finish()
{
    CloseBin();
    CloseWindow();
    Publish();
}

CColumnSink::CColumnSink(uint64_t nFrom, uint64_t nTo, size_t nColumns)
    : m_nFrom(nFrom), m_nTo(std::max(nFrom, nTo)), m_vColumns(nColumns)
{
    m_nColumnEnd = CPeakOverview::ColumnStart(m_nFrom, m_nTo, nColumns, 1);
}

void CColumnSink::Take(uint64_t nPos, const float* p, size_t nFrames, uint32_t nChannels)
{
    const size_t nColumns = m_vColumns.size();
    while (nFrames != 0 && m_nColumn < nColumns) {
        while (nPos >= m_nColumnEnd && m_nColumn < nColumns) {
            ++m_nColumn;
            m_nColumnEnd = CPeakOverview::ColumnStart(m_nFrom, m_nTo, nColumns, m_nColumn + 1);
        }
        if (m_nColumn >= nColumns)
            break;
        const uint64_t nRun = std::min<uint64_t>(m_nColumnEnd - nPos, nFrames);
        const size_t nSamples = static_cast<size_t>(nRun) * nChannels;
        SPeak& peak = m_vColumns[m_nColumn];
        if (!peak.bKnown) {
            peak = {p[0], p[0], true};
        }
        double dUnused = 0.0;
        GatherSamples(p, nSamples, peak.fMin, peak.fMax, dUnused);
        p += nSamples;
        nPos += nRun;
        nFrames -= static_cast<size_t>(nRun);
    }
}

std::vector<SPeak> CColumnSink::Result() const
{
    // A column narrower than a frame starts where the next one does.
    std::vector<SPeak> columns = m_vColumns;
    const size_t n = columns.size();
    for (size_t c = n > 1 ? n - 1 : 0; c-- > 0;)
        if (CPeakOverview::ColumnStart(m_nFrom, m_nTo, n, c) == CPeakOverview::ColumnStart(m_nFrom, m_nTo, n, c + 1))
            columns[c] = columns[c + 1];
    return columns;
}
