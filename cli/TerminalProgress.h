#pragma once

#include "split/ShredProgressState.h"

#include <chrono>
#include <cstdio>

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
