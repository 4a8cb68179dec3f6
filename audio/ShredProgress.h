#pragma once

#include <cstdint>
#include <string>

// What the writers report while they write files: how many files the operation
// makes, how many audio bytes one file holds, a step per file and per 10000
// bytes copied, and two lines naming the file being written; the writers also
// ask it whether the user cancelled. The progress window implements it; tests
// and the command-line front end have their own.
class IShredProgress {
public:
    virtual ~IShredProgress() = default;
    virtual void SetTotalFiles(unsigned nCount) = 0;
    virtual void SetFileBytes(uint64_t nBytes) = 0;
    virtual void StepGross() = 0;
    virtual void StepFile() = 0;
    virtual void ShowFileNames(std::string strSource, std::string strTarget) = 0;
    virtual void ShowFileNumber(unsigned nNumber) = 0;
    // Removes the window from the screen; the object may still be called.
    virtual void DestroyWindow() = 0;
    // Asked between batches of a copy and between files: whether the user
    // asked to stop. A window handles the input waiting for it first, so that
    // it repaints and a click on its Cancel button arrives.
    virtual bool IsCancelled() { return false; }
};
