// tolvane-cut: the audio file model from the command line.
#include "cli/CutCommand.h"
#include "platform/File.h"

#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    CFile::RemovePartialFilesOnSignals();
    const SCutArgs args = ParseCutArgs(std::vector<std::string>(argv + 1, argv + argc));
    if (!args.strUsageError.empty()) {
        std::fprintf(stderr, "tolvane-cut: %s\nTry 'tolvane-cut --help'.\n", args.strUsageError.c_str());
        return kExitUsage;
    }
    switch (args.options.command) {
    case ECutCommand::Help:
        std::fputs(kCutHelp, stdout);
        return kExitOk;
    case ECutCommand::Version:
        std::printf("tolvane-cut %s\n", TOLVANE_VERSION);
        return kExitOk;
    default:
        return RunCutCommand(args.options);
    }
}
