#include "cli/CutOptions.h"

#include "platform/FormatText.h"

#include <array>
#include <climits>
#include <cstdlib>
#include <cstring>

#include <strings.h>

const char* const kCutHelp =
    "Usage: tolvane-cut info FILE\n"
    "  or:  tolvane-cut save FILE --from TIME --to TIME -o OUT [--exact] [--trim]\n"
    "  or:  tolvane-cut shred FILE... -n N [--overlap TIME] [--base BASE] [--estimate] [--exact]\n"
    "                  [--snap TIME] [--trim]\n"
    "  or:  tolvane-cut split FILE... --at TIME,TIME,... [--exact] [--overlap TIME] [-o DIR] [--name TEMPLATE]\n"
    "  or:  tolvane-cut split FILE --cue SHEET [--exact] [--overlap TIME] [-o DIR] [--name TEMPLATE]\n"
    "  or:  tolvane-cut split FILE... --silence [--threshold DB] [--min-silence TIME] [--min-piece TIME]\n"
    "                  [--trim] [--exact] [--overlap TIME] [-o DIR] [--name TEMPLATE]\n"
    "  or:  tolvane-cut help | --help | --version\n"
    "Cut a WAV or MP3 file as bytes, never re-encoding it (it decodes the audio only\n"
    "to find silences).\n"
    "\n"
    "Commands:\n"
    "  info                print the values read from the file's header\n"
    "  save                write the audio from --from to --to as a new file\n"
    "  shred               split the file into N equal, numbered fragments\n"
    "  split               split the file at the given times, where a cue sheet's\n"
    "                      tracks start, or in its pauses\n"
    "  help                print this help\n"
    "\n"
    "Options:\n"
    "      --from TIME     where the selection starts (save)\n"
    "      --to TIME       where the selection ends (save)\n"
    "  -o, --output OUT    the file to write, '-' for standard output (save); the\n"
    "                      folder to write the pieces in (split; default: the\n"
    "                      source's folder)\n"
    "  -n, --fragments N   the number of fragments (shred)\n"
    "      --overlap TIME  start each piece after the first with the last TIME\n"
    "                      of the one before (shred, split)\n"
    "      --base BASE     name the fragments BASE-1.wav, BASE-2.wav, ... (the file\n"
    "                      name upper-cased); a BASE that is a folder or ends in '/'\n"
    "                      puts them there under the source's name (shred; default:\n"
    "                      the source's name, in its folder)\n"
    "      --estimate      only print the estimate of one fragment (shred)\n"
    "      --at TIMES      cut at these times, given in ascending order (split)\n"
    "      --cue SHEET     cut where the cue sheet's tracks start (split)\n"
    "      --name TEMPLATE name the pieces from {n}, {nn}, {N}, {title}, {performer},\n"
    "                      {album} and {base}; the extension is added (split)\n"
    "      --silence       cut in the middle of every silence (split)\n"
    "      --min-piece TIME  join a piece shorter than TIME to the next one\n"
    "                      (split --silence; default: 0)\n"
    "      --snap TIME     move each cut into the longest silence within TIME of it;\n"
    "                      a cut with none stays, and is named (shred)\n"
    "      --trim          cut off the silence at the start and end of each piece;\n"
    "                      a piece that is all silence is not written (save, shred,\n"
    "                      split)\n"
    "      --threshold DB  a silence stays below DB dBFS, -144 to below 0 (default:\n"
    "                      -40) (with --silence, --snap, --trim)\n"
    "      --min-silence TIME  a silence lasts at least TIME (default: 0.5)\n"
    "                      (with --silence, --snap, --trim)\n"
    "      --exact         cut at the sample frame nearest each time (WAV), or at\n"
    "                      the nearest frame boundary (MP3), not at whole seconds\n"
    "  -h, --help          print this help and exit\n"
    "      --version       print the version and exit\n"
    "      --              end the options, for a FILE whose name starts with '-'\n"
    "\n"
    "FILE is a .wav or .mp3 file; OUT gets its format, so a name of the other kind\n"
    "is refused. TIME is SS, MM:SS or HH:MM:SS, whole seconds from the start of the\n"
    "audio; with --exact also with a fraction (1:23:45.5) or as Ns, N sample frames.\n"
    "split --at names the pieces as shred names its fragments, split --cue\n"
    "'NN - TITLE.ext'. Silences are found by decoding the audio (a progress line\n"
    "shows; Ctrl-C stops it); lengths (--min-silence, --min-piece, --snap) may\n"
    "have a fraction without --exact. Without --exact every cut at a silence is a\n"
    "whole second inside it (a silence holding none is passed over, and a --snap\n"
    "cut with no silence in reach goes to the nearest whole second); with it, the\n"
    "middle of the silence. Exit status: 0 when done, 1 when a file is refused,\n"
    "cannot be written or has no silence to cut at, 2 for a usage error.\n";

namespace {

enum : unsigned { kInfo = 1, kSave = 2, kShred = 4, kSplit = 8 };

enum class EOption {
    From, To, Output, Count, Overlap, Base, Estimate, Exact, At, Cue, Name,
    Silence, Trim, Snap, Threshold, MinSilence, MinPiece, Help, Version
};

struct SOptionRule {
    EOption option;
    const char* pLong;
    char cShort;
    bool bValue;
    unsigned nCommands; // the commands that take it; 0: any
};

constexpr std::array<SOptionRule, 19> kOptions{{
    {EOption::From, "--from", 0, true, kSave},
    {EOption::To, "--to", 0, true, kSave},
    {EOption::Output, "--output", 'o', true, kSave | kSplit},
    {EOption::Count, "--fragments", 'n', true, kShred},
    {EOption::Overlap, "--overlap", 0, true, kShred | kSplit},
    {EOption::Base, "--base", 0, true, kShred},
    {EOption::Estimate, "--estimate", 0, false, kShred},
    {EOption::Exact, "--exact", 0, false, kSave | kShred | kSplit},
    {EOption::At, "--at", 0, true, kSplit},
    {EOption::Cue, "--cue", 0, true, kSplit},
    {EOption::Name, "--name", 0, true, kSplit},
    {EOption::Silence, "--silence", 0, false, kSplit},
    {EOption::Trim, "--trim", 0, false, kSave | kShred | kSplit},
    {EOption::Snap, "--snap", 0, true, kShred},
    {EOption::Threshold, "--threshold", 0, true, kSave | kShred | kSplit},
    {EOption::MinSilence, "--min-silence", 0, true, kSave | kShred | kSplit},
    {EOption::MinPiece, "--min-piece", 0, true, kSplit},
    {EOption::Help, "--help", 'h', false, 0},
    {EOption::Version, "--version", 0, false, 0},
}};

struct SGiven {
    const SOptionRule* pRule;
    std::string strName; // as typed, for messages
    std::string strValue;
};

const SOptionRule* FindLong(const std::string& strName)
{
    for (const SOptionRule& rule : kOptions)
        if (strName == rule.pLong)
            return &rule;
    return nullptr;
}

const SOptionRule* FindShort(char c)
{
    for (const SOptionRule& rule : kOptions)
        if (rule.cShort != 0 && c == rule.cShort)
            return &rule;
    return nullptr;
}

std::string Quoted(const std::string& s)
{
    return "'" + s + "'";
}

bool IsWholeNumber(const std::string& s)
{
    const size_t nDigits = !s.empty() && (s[0] == '+' || s[0] == '-') ? 1 : 0;
    return s.size() > nDigits && s.find_first_not_of("0123456789", nDigits) == std::string::npos;
}

// Reads one option at args[i] (moving i past a separate value) into given;
// returns an error text, empty when fine.
std::string ReadOption(const std::vector<std::string>& args, size_t& i, SGiven& given)
{
    const std::string& a = args[i];
    std::optional<std::string> value;
    if (a.rfind("--", 0) == 0) {
        const size_t nEquals = a.find('=');
        given.strName = a.substr(0, nEquals);
        given.pRule = FindLong(given.strName);
        if (nEquals != std::string::npos)
            value = a.substr(nEquals + 1);
    } else {
        given.strName = a.substr(0, 2);
        given.pRule = FindShort(a[1]);
        if (given.pRule && a.size() > 2) {
            if (!given.pRule->bValue)
                return "unrecognized option " + Quoted(a);
            value = a.substr(2);
        }
    }
    if (!given.pRule)
        return "unrecognized option " + Quoted(given.strName);
    if (!given.pRule->bValue) {
        if (value)
            return "option " + Quoted(given.strName) + " takes no value";
        return {};
    }
    if (!value) {
        if (i + 1 >= args.size())
            return "option " + Quoted(given.strName) + " needs a value";
        value = args[++i];
    }
    given.strValue = *value;
    return {};
}

// Reads a time into time; returns an error text, empty when fine.
std::string TakeTime(const std::string& strName, const std::string& strValue, CCutTime& time)
{
    std::string strWhy;
    const std::optional<CCutTime> parsed = ParseCutTime(strValue, strWhy);
    if (!parsed)
        return "invalid time " + Quoted(strValue) + " for " + strName + ": " + strWhy;
    time = *parsed;
    return {};
}

// A time only exact cuts can cut at, without --exact; or one a whole-second
// option cannot hold. Returns an error text, empty when fine.
std::string CheckWhole(const std::string& strName, const std::string& strValue, const CCutTime& time, bool bExact)
{
    if (bExact || !time.NeedsExact())
        return {};
    return "invalid time " + Quoted(strValue) + " for " + strName + ": " +
           (time.bSamples ? "a time in samples needs --exact" : "whole seconds only, no fractions");
}

// A length: a time that is not a cut point, so a fraction or samples are fine
// without --exact; bPositive refuses 0. Returns an error text, empty when fine.
std::string TakeLength(const SGiven& given, CCutTime& time, bool bPositive)
{
    if (std::string strError = TakeTime(given.strName, given.strValue, time); !strError.empty())
        return strError;
    if (bPositive && time.nValue == 0)
        return "invalid time " + Quoted(given.strValue) + " for " + given.strName + ": give a length above 0";
    return {};
}

// A level in dBFS, "-40" or "-40dB": below full scale, and no lower than
// kLowestSilenceDb. Returns an error text, empty when fine.
std::string TakeThreshold(const std::string& strValue, double& dDb)
{
    std::string strNumber = strValue;
    for (const char* pUnit : {"dBFS", "dB"}) {
        const size_t nUnit = std::strlen(pUnit);
        if (strNumber.size() > nUnit && strcasecmp(strNumber.c_str() + strNumber.size() - nUnit, pUnit) == 0) {
            strNumber.resize(strNumber.size() - nUnit);
            break;
        }
    }
    const char* pStart = strNumber.c_str();
    char* pEnd = nullptr;
    const double d = std::strtod(pStart, &pEnd);
    const bool bNumber = !strNumber.empty() && pEnd == pStart + strNumber.size() &&
                         strNumber.find_first_not_of("+-.0123456789") == std::string::npos;
    if (!bNumber || !(d >= kLowestSilenceDb && d < 0.0))
        return "invalid threshold " + Quoted(strValue) + " for --threshold: give a level in dBFS from " +
               FormatText("%g", kLowestSilenceDb) + " to below 0, such as -40";
    dDb = d;
    return {};
}

std::string TakeTimes(const SGiven& given, SCutOptions& options)
{
    size_t nStart = 0;
    do {
        const size_t nComma = given.strValue.find(',', nStart);
        const std::string strTime = given.strValue.substr(nStart, nComma - nStart);
        CCutTime time;
        if (std::string strError = TakeTime(given.strName, strTime, time); !strError.empty())
            return strError;
        options.at.push_back(time);
        options.atText.push_back(strTime);
        nStart = nComma == std::string::npos ? nComma : nComma + 1;
    } while (nStart != std::string::npos);
    return {};
}

// Takes the command's options into options; returns an error text, empty when fine.
std::string ApplyOptions(const std::vector<SGiven>& given, const std::string& strCommand, unsigned nCommand,
                         SCutOptions& options)
{
    bool bFrom = false, bTo = false, bCount = false, bSilenceRule = false, bMinPiece = false;
    std::string strFrom, strTo, strOverlap;
    for (const SGiven& g : given) {
        if (g.pRule->nCommands != 0 && (g.pRule->nCommands & nCommand) == 0)
            return strCommand + " does not take " + g.strName;
        std::string strError;
        switch (g.pRule->option) {
        case EOption::From:
            strError = TakeTime(g.strName, strFrom = g.strValue, options.from);
            bFrom = true;
            break;
        case EOption::To:
            strError = TakeTime(g.strName, strTo = g.strValue, options.to);
            bTo = true;
            break;
        case EOption::Overlap:
            strError = TakeTime(g.strName, strOverlap = g.strValue, options.overlap);
            break;
        case EOption::Output:
            options.strOutput = g.strValue;
            break;
        case EOption::Count:
            if (!IsWholeNumber(g.strValue))
                strError = "invalid number of fragments " + Quoted(g.strValue) + ": give a whole number";
            bCount = true;
            options.strCount = g.strValue;
            break;
        case EOption::Base:
            options.strBase = g.strValue;
            break;
        case EOption::Estimate:
            options.bEstimateOnly = true;
            break;
        case EOption::Exact:
            options.bExact = true;
            break;
        case EOption::At:
            strError = TakeTimes(g, options);
            break;
        case EOption::Cue:
            options.strCue = g.strValue;
            break;
        case EOption::Name:
            options.strNameTemplate = g.strValue;
            break;
        case EOption::Silence:
            options.bSilence = true;
            break;
        case EOption::Trim:
            options.bTrim = true;
            break;
        case EOption::Snap:
            strError = TakeLength(g, options.snap, true);
            options.bSnap = true;
            break;
        case EOption::Threshold:
            strError = TakeThreshold(g.strValue, options.dThresholdDb);
            bSilenceRule = true;
            break;
        case EOption::MinSilence:
            strError = TakeLength(g, options.minSilence, true);
            bSilenceRule = true;
            break;
        case EOption::MinPiece:
            strError = TakeLength(g, options.minPiece, false);
            bMinPiece = true;
            break;
        case EOption::Help:
        case EOption::Version:
            break;
        }
        if (!strError.empty())
            return strError;
    }
    // Whole seconds unless cuts are exact; the Shred Equally dialog's overlap
    // is whole seconds in any case.
    std::string strError = CheckWhole("--from", strFrom, options.from, options.bExact);
    if (strError.empty())
        strError = CheckWhole("--to", strTo, options.to, options.bExact);
    if (strError.empty())
        strError = CheckWhole("--overlap", strOverlap, options.overlap, options.bExact && nCommand == kSplit);
    for (size_t i = 0; strError.empty() && i < options.at.size(); ++i)
        strError = CheckWhole("--at", options.atText[i], options.at[i], options.bExact);
    if (!strError.empty())
        return strError;
    options.nFrom = static_cast<int32_t>(options.from.WholeSeconds());
    options.nTo = static_cast<int32_t>(options.to.WholeSeconds());
    options.nOverlap = static_cast<int32_t>(options.overlap.WholeSeconds());
    if (nCommand == kSave && (!bFrom || !bTo || options.strOutput.empty()))
        return std::string("save needs ") + (!bFrom ? "--from" : !bTo ? "--to" : "-o OUT");
    if (nCommand == kShred && !bCount)
        return "shred needs -n";
    if (nCommand == kSplit && (options.at.empty() ? 0 : 1) + (options.strCue.empty() ? 0 : 1) +
                                      (options.bSilence ? 1 : 0) != 1)
        return "split needs one of --at, --cue or --silence";
    if (bSilenceRule && !options.bSilence && !options.bSnap && !options.bTrim)
        return "--threshold and --min-silence need --silence, --snap or --trim";
    if (bMinPiece && !options.bSilence)
        return "--min-piece needs --silence";
    return {};
}

} // namespace

SCutArgs ParseCutArgs(const std::vector<std::string>& args)
{
    SCutArgs result;
    std::vector<std::string> operands;
    std::vector<SGiven> given;
    bool bOptionsEnded = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (bOptionsEnded || a.size() < 2 || a[0] != '-') {
            operands.push_back(a);
            continue;
        }
        if (a == "--") {
            bOptionsEnded = true;
            continue;
        }
        SGiven g{};
        if (std::string strError = ReadOption(args, i, g); !strError.empty()) {
            result.strUsageError = std::move(strError);
            return result;
        }
        if (g.pRule->option == EOption::Help || g.pRule->option == EOption::Version) {
            result.options.command = g.pRule->option == EOption::Help ? ECutCommand::Help : ECutCommand::Version;
            return result;
        }
        given.push_back(std::move(g));
    }

    if (operands.empty()) {
        result.strUsageError = "missing command";
        return result;
    }
    const std::string& strCommand = operands[0];
    unsigned nCommand = 0;
    if (strCommand == "help")
        return result;
    if (strCommand == "info")
        nCommand = kInfo;
    else if (strCommand == "save")
        nCommand = kSave;
    else if (strCommand == "shred")
        nCommand = kShred;
    else if (strCommand == "split")
        nCommand = kSplit;
    else
        result.strUsageError = "unknown command " + Quoted(strCommand);
    if (result.strUsageError.empty() && operands.size() < 2)
        result.strUsageError = "missing FILE for " + strCommand;
    // shred and split take several files, one after the other.
    const bool bSeveral = nCommand == kShred || nCommand == kSplit;
    if (result.strUsageError.empty() && operands.size() > 2 && !bSeveral)
        result.strUsageError = "extra operand " + Quoted(operands[2]);
    if (result.strUsageError.empty())
        result.strUsageError = ApplyOptions(given, strCommand, nCommand, result.options);
    if (result.strUsageError.empty() && operands.size() > 2 && !result.options.strCue.empty())
        result.strUsageError = "split --cue takes one FILE";
    if (!result.strUsageError.empty())
        return result;
    result.options.command = nCommand == kInfo    ? ECutCommand::Info
                             : nCommand == kSave  ? ECutCommand::Save
                             : nCommand == kShred ? ECutCommand::Shred
                                                  : ECutCommand::Split;
    result.options.strFile = operands[1];
    result.options.files.assign(operands.begin() + 1, operands.end());
    return result;
}
