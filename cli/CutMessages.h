#pragma once

#include <cstdio>
#include <string>

// How tolvane-cut reports a file it cannot use: "tolvane-cut: PATH: TEXT",
// then " (REASON)" when the system (or the check that refused it) gave one.
void PrintFileError(std::FILE* pErr, const std::string& strPath, const std::string& strText,
                    const std::string& strReason = {});

// Why a path that exists cannot be read or written as an audio file: a
// folder, or not a regular file (a device or a pipe, which would block or
// fail halfway). Empty when it is a regular file or does not exist.
std::string NotRegularFileReason(const std::string& strPath);

// Why the command line refuses an output before anything is written: the
// reason above, or that it is the source itself. Empty when it may be created.
std::string RefusedOutputReason(const std::string& strPath, const std::string& strSourcePath);

// Seconds as M:SS or H:MM:SS, with hundredths (truncated) when asked.
std::string FormatClock(double dSeconds, bool bHundredths);
