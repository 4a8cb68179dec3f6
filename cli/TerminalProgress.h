#pragma once

#include "split/ShredProgressState.h"

#include <chrono>
#include <cstdio>
#include <string>

#include <signal.h>

// The progress window's bars drawn as one line on a terminal: gross progress
// (files) and file progress (bytes), redrawn at most a few times a second.
// With no stream it draws nothing. It never cancels: Ctrl-C ends the run, and
// the files being written are removed on the way out.
class CTerminalProgress : public CShredProgressState {
public:
    explicit CTerminalProgress(std::FILE* pOut) : m_pOut(pOut) {}
    ~CTerminalProgress() override { DestroyWindow(); }

    void DestroyWindow() override;
    bool IsCancelled() override { return false; }

protected:
    void OnBarsChanged() override { Draw(false); }
    void OnLinesChanged() override { Draw(true); }

private:
    void Draw(bool bForce);

    std::FILE* m_pOut;
    bool m_bShown = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
};

// The analysis of the sound drawn as one line on a terminal, for
// CSoundAnalysis::Wait; with no stream it draws nothing. While it lives,
// SIGINT, SIGTERM and SIGHUP stop the analysis rather than end the run at
// once: KeepGoing then says no, and EndBySignal clears the line and ends the
// run by that signal through the handlers that were there before (which
// remove any partial file).
class CAnalysisProgress {
public:
    CAnalysisProgress(std::FILE* pOut, std::string strSubject);
    ~CAnalysisProgress();
    CAnalysisProgress(const CAnalysisProgress&) = delete;
    CAnalysisProgress& operator=(const CAnalysisProgress&) = delete;

    // Draws the share done (0 to 1); false once a signal asked to stop.
    bool KeepGoing(double dProgress);
    [[noreturn]] void EndBySignal();

private:
    void Restore();

    std::FILE* m_pOut;
    std::string m_strSubject;
    bool m_bShown = false;
    bool m_bRestored = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
    struct sigaction m_old[3];
};
