#pragma once

#include "audio/ShredProgress.h"

#include <cstdint>
#include <string>

// A progress bar that is stepped: a range, a step, a position. A step that
// passes the maximum starts the bar again from its minimum.
class CStepBar {
public:
    void SetRange(int64_t nMin, int64_t nMax);
    void SetStep(int64_t nStep) { m_nStep = nStep; }
    void StepIt();

    int64_t GetMin() const { return m_nMin; }
    int64_t GetMax() const { return m_nMax; }
    int64_t GetPos() const { return m_nPos; }

private:
    int64_t m_nMin = 0;
    int64_t m_nMax = 100;
    int64_t m_nStep = 10;
    int64_t m_nPos = 0;
};

// The rules of the progress display, apart from any window: the gross bar
// counts files on a 16-bit range, the file bar spans the byte count of the
// first SetFileBytes that was nonzero, and neither bar moves until both totals
// are known. Views derive from it and redraw in the On... hooks; a view with a
// Cancel button calls Cancel().
class CShredProgressState : public IShredProgress {
public:
    void SetTotalFiles(unsigned nCount) override;
    void SetFileBytes(uint64_t nBytes) override;
    void StepGross() override;
    void StepFile() override;
    void ShowFileNames(std::string strSource, std::string strTarget) override;
    void ShowFileNumber(unsigned nNumber) override;
    void DestroyWindow() override {}
    bool IsCancelled() override { return m_bCancelled; }
    // The user asked to stop the writing; the writer learns it from IsCancelled().
    void Cancel() { m_bCancelled = true; }

    const CStepBar& GetGrossBar() const { return m_grossBar; }
    const CStepBar& GetFileBar() const { return m_fileBar; }
    const std::string& GetLine1() const { return m_strLine1; }
    const std::string& GetLine2() const { return m_strLine2; }
    unsigned GetTotalFiles() const { return m_nTotalFiles; }
    uint64_t GetFileBytes() const { return m_nFileBytes; }

protected:
    virtual void OnBarsChanged() {}
    virtual void OnLinesChanged() {}

private:
    CStepBar m_grossBar;
    CStepBar m_fileBar;
    unsigned m_nTotalFiles = 0;
    uint64_t m_nFileBytes = 0;
    std::string m_strLine1;
    std::string m_strLine2;
    bool m_bCancelled = false;
};
