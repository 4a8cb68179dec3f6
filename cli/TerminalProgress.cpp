#include "cli/TerminalProgress.h"

#include <string>

namespace {

std::string Bar(const CStepBar& bar, int nWidth)
{
    const int64_t nSpan = bar.GetMax() - bar.GetMin();
    const int64_t nDone = nSpan > 0 ? (bar.GetPos() - bar.GetMin()) * nWidth / nSpan : 0;
    std::string s(static_cast<size_t>(nWidth), '.');
    for (int64_t i = 0; i < nDone && i < nWidth; ++i)
        s[static_cast<size_t>(i)] = '#';
    return s;
}

} // namespace

void CTerminalProgress::Draw(bool bForce)
{
    if (!m_pOut)
        return;
    const auto now = std::chrono::steady_clock::now();
    if (!bForce && m_bShown && now - m_lastDraw < std::chrono::milliseconds(100))
        return;
    m_lastDraw = now;
    m_bShown = true;
    std::fprintf(m_pOut, "\r\033[K%s  files [%s] file [%s]", GetLine2().c_str(), Bar(GetGrossBar(), 10).c_str(),
                 Bar(GetFileBar(), 30).c_str());
    std::fflush(m_pOut);
}

void CTerminalProgress::DestroyWindow()
{
    if (!m_pOut || !m_bShown)
        return;
    std::fprintf(m_pOut, "\r\033[K");
    std::fflush(m_pOut);
    m_bShown = false;
}
