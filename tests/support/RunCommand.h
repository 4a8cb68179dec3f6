#pragma once

#include <string>
#include <vector>

struct CCommandResult {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

// Runs a program with the given arguments (no shell), capturing both streams.
CCommandResult RunCommand(const std::vector<std::string>& args);

// True when a program of that name is on the PATH.
bool HaveProgram(const std::string& strName);

// Lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string& strText);
