#pragma once

#include "audio/CutTime.h"
#include "split/Silences.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

enum class ECutCommand { Help, Version, Info, Save, Shred, Split };

// What tolvane-cut is asked to do, with its values checked for form: times
// in whole seconds (with --exact also with a fraction, or in samples), the
// fragment count a whole number as typed.
struct SCutOptions {
    ECutCommand command = ECutCommand::Help;
    std::string strFile;            // the first FILE
    std::vector<std::string> files; // every FILE: shred and split --at take several
    int32_t nFrom = 0;              // whole seconds
    int32_t nTo = 0;
    CCutTime from;                  // as typed
    CCutTime to;
    std::string strOutput; // save: the file, "-" standard output; split: the folder
    std::string strCount;
    int32_t nOverlap = 0; // whole seconds
    CCutTime overlap;     // as typed
    std::string strBase;
    bool bEstimateOnly = false;
    bool bExact = false;
    std::vector<CCutTime> at; // split --at, as typed
    std::vector<std::string> atText;
    std::string strCue;
    std::string strNameTemplate;
    // Cutting at silences: split --silence, shred --snap, --trim. The lengths
    // take a fraction or samples whatever the cut rule, since they are not
    // cut points.
    bool bSilence = false;
    bool bTrim = false;
    bool bSnap = false;
    double dThresholdDb = kDefaultSilenceDb;                       // a silence stays below it...
    CCutTime minSilence{false, kDefaultMinSilenceMillis, 1000}; // ...at least this long
    CCutTime minPiece; // split --silence joins a shorter piece to the next
    CCutTime snap;     // shred: how far a cut may move into a pause
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

extern const char* const kCutHelp;
