#pragma once

#include <functional>
#include <string>
#include <vector>

#include <sys/types.h>

struct CCommandResult {
    int nExit = -1;
    std::string strOut;
    std::string strErr;
};

// Runs a program with the given arguments, no shell between, capturing both streams.
CCommandResult RunCommand(const std::vector<std::string>& args);
bool HaveProgram(const std::string& strName);
std::vector<std::string> Lines(const std::string& strText);
// Runs fChild in a forked process, which then ends with _exit(0); Wait gives waitpid's status.
pid_t Fork(const std::function<void()>& fChild);
int Wait(pid_t pid);
// Polls until bDone() holds or nSeconds pass; whether it held.
bool WaitUntil(const std::function<bool()>& bDone, int nSeconds);
