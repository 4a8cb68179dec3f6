#include "cli/TerminalProgress.h"

#include "res/Messages.h"

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <iterator>
#include <string>

namespace {

std::string Bar(int64_t nDone, int nWidth)
{
    std::string s(static_cast<size_t>(nWidth), '.');
    for (int64_t i = 0; i < nDone && i < nWidth; ++i)
        s[static_cast<size_t>(i)] = '#';
    return s;
}

std::string Bar(const CStepBar& bar, int nWidth)
{
    const int64_t nSpan = bar.GetMax() - bar.GetMin();
    return Bar(nSpan > 0 ? (bar.GetPos() - bar.GetMin()) * nWidth / nSpan : 0, nWidth);
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

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};
volatile std::sig_atomic_t g_nStopSignal = 0;

extern "C" void NoteStopSignal(int nSignal)
{
    g_nStopSignal = nSignal;
}

} // namespace

CAnalysisProgress::CAnalysisProgress(std::FILE* pOut, std::string strSubject)
    : m_pOut(pOut), m_strSubject(std::move(strSubject))
{
    g_nStopSignal = 0;
    for (size_t i = 0; i < std::size(kStopSignals); ++i) {
        struct sigaction action {};
        action.sa_handler = NoteStopSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(kStopSignals[i], nullptr, &m_old[i]);
        // A signal ignored when the run started (nohup) stays ignored.
        if (m_old[i].sa_handler != SIG_IGN)
            ::sigaction(kStopSignals[i], &action, nullptr);
    }
}

CAnalysisProgress::~CAnalysisProgress()
{
    Restore();
}

bool CAnalysisProgress::KeepGoing(double dProgress)
{
    if (g_nStopSignal != 0)
        return false;
    const auto now = std::chrono::steady_clock::now();
    if (m_pOut && (!m_bShown || now - m_lastDraw >= std::chrono::milliseconds(100))) {
        m_lastDraw = now;
        m_bShown = true;
        const double dDone = std::clamp(dProgress, 0.0, 1.0);
        std::fprintf(m_pOut, "\r\033[K%s: %s [%s] %3d%%", m_strSubject.c_str(), kAnalysingText,
                     Bar(static_cast<int64_t>(dDone * 30.0), 30).c_str(),
                     static_cast<int>(dDone * 100.0));
        std::fflush(m_pOut);
    }
    return true;
}

void CAnalysisProgress::Restore()
{
    if (m_bRestored)
        return;
    m_bRestored = true;
    for (size_t i = 0; i < std::size(kStopSignals); ++i)
        ::sigaction(kStopSignals[i], &m_old[i], nullptr);
    if (m_pOut && m_bShown) {
        std::fprintf(m_pOut, "\r\033[K");
        std::fflush(m_pOut);
    }
}

void CAnalysisProgress::EndBySignal()
{
    const int nSignal = g_nStopSignal != 0 ? static_cast<int>(g_nStopSignal) : SIGINT;
    Restore();
    ::raise(nSignal);
    std::_Exit(128 + nSignal);
}
