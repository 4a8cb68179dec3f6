#include "support/RunCommand.h"

#include "support/TempDir.h"

#include <chrono>
#include <fcntl.h>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

CCommandResult RunCommand(const std::vector<std::string>& args)
{
    CTempDir dir;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, (dir / "out").c_str(), O_WRONLY | O_CREAT, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, (dir / "err").c_str(), O_WRONLY | O_CREAT, 0600);
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    CCommandResult r;
    pid_t pid = 0;
    int status = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0 && waitpid(pid, &status, 0) > 0)
        r.nExit = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    posix_spawn_file_actions_destroy(&actions);
    const auto out = ReadBytes(dir / "out");
    const auto err = ReadBytes(dir / "err");
    r.strOut.assign(out.begin(), out.end());
    r.strErr.assign(err.begin(), err.end());
    return r;
}

bool HaveProgram(const std::string& strName)
{
    return RunCommand({"sh", "-c", "command -v " + strName}).nExit == 0;
}

std::vector<std::string> Lines(const std::string& strText)
{
    std::vector<std::string> lines;
    std::istringstream in(strText);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

pid_t Fork(const std::function<void()>& fChild)
{
    const pid_t pid = ::fork();
    if (pid == 0) {
        fChild();
        ::_exit(0);
    }
    return pid;
}

int Wait(pid_t pid)
{
    int status = 0;
    return ::waitpid(pid, &status, 0) == pid ? status : -1;
}

bool WaitUntil(const std::function<bool()>& bDone, int nSeconds)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(nSeconds);
    while (!bDone() && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::microseconds(200));
    return bDone();
}
