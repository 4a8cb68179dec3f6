#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class ECutCommand { Help, Version, Info, Save, Shred };

// What tolvane-cut is asked to do, with its values checked for form: times in
// whole seconds, the fragment count a whole number as typed.
struct SCutOptions {
    ECutCommand command = ECutCommand::Help;
    std::string strFile;
    int32_t nFrom = 0;
    int32_t nTo = 0;
    std::string strOutput; // "-": standard output
    std::string strCount;
    int32_t nOverlap = 0;
    std::string strBase;
    bool bEstimateOnly = false;
};

// The options, or the one line that says what is wrong with the arguments.
struct SCutArgs {
    SCutOptions options;
    std::string strUsageError;
};

// Parses the arguments after the program's name: a command, its FILE and its
// own options in any order, "--option=value" and "-nVALUE" spellings, "--"
// ending the options. --help (or the command help) and --version win over
// whatever follows them.
SCutArgs ParseCutArgs(const std::vector<std::string>& args);

// "SS", "MM:SS" or "HH:MM:SS" as whole seconds; otherwise nothing, with the
// reason in strError.
std::optional<int32_t> ParseClockTime(const std::string& strText, std::string& strError);

extern const char* const kCutHelp;
