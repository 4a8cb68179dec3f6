#pragma once

#include "split/ShredProgressState.h"

#include <chrono>
#include <cstdio>

// The progress window's bars drawn as one line on a terminal: gross progress
// (files) and file progress (bytes), redrawn at most a few times a second.
// With no stream it draws nothing. It counts the files finished (gross steps).
class CTerminalProgress : public CShredProgressState {
public:
    CTerminalProgress(std::FILE* pOut, unsigned& nFilesCompleted) : m_pOut(pOut), m_nFilesCompleted(nFilesCompleted) {}
    ~CTerminalProgress() override { DestroyWindow(); }

    void StepGross() override
    {
        ++m_nFilesCompleted;
        CShredProgressState::StepGross();
    }
    void DestroyWindow() override;

protected:
    void OnBarsChanged() override { Draw(false); }
    void OnLinesChanged() override { Draw(true); }

private:
    void Draw(bool bForce);

    std::FILE* m_pOut;
    unsigned& m_nFilesCompleted;
    bool m_bShown = false;
    std::chrono::steady_clock::time_point m_lastDraw{};
};
