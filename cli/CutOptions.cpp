#include "cli/CutOptions.h"

#include <array>
#include <climits>

const char* const kCutHelp =
    "Usage: tolvane-cut info FILE\n"
    "  or:  tolvane-cut save FILE --from TIME --to TIME -o OUT\n"
    "  or:  tolvane-cut shred FILE -n N [--overlap TIME] [--base BASE] [--estimate]\n"
    "  or:  tolvane-cut help | --help | --version\n"
    "Cut a WAV or MP3 file as bytes, never decoding or re-encoding it.\n"
    "\n"
    "Commands:\n"
    "  info                print the values read from the file's header\n"
    "  save                write the audio from --from to --to as a new file\n"
    "  shred               split the file into N equal, numbered fragments\n"
    "  help                print this help\n"
    "\n"
    "Options:\n"
    "      --from TIME     where the selection starts (save)\n"
    "      --to TIME       where the selection ends (save)\n"
    "  -o, --output OUT    the file to write, '-' for standard output (save)\n"
    "  -n, --fragments N   the number of fragments (shred)\n"
    "      --overlap TIME  start each fragment after the first with the last TIME\n"
    "                      of the one before (shred)\n"
    "      --base BASE     name the fragments BASE-1.wav, BASE-2.wav, ... (the file\n"
    "                      name upper-cased); a BASE that is a folder or ends in '/'\n"
    "                      puts them there under the source's name (shred; default:\n"
    "                      the source's name, in its folder)\n"
    "      --estimate      only print the estimate of one fragment (shred)\n"
    "  -h, --help          print this help and exit\n"
    "      --version       print the version and exit\n"
    "      --              end the options, for a FILE whose name starts with '-'\n"
    "\n"
    "FILE is a .wav or .mp3 file; OUT gets its format, so a name of the other kind\n"
    "is refused. TIME is SS, MM:SS or HH:MM:SS, whole seconds from the start of the\n"
    "audio. Exit status: 0 when done, 1 when a file is refused or cannot be written,\n"
    "2 for a usage error.\n";

namespace {

enum : unsigned { kInfo = 1, kSave = 2, kShred = 4 };

enum class EOption { From, To, Output, Count, Overlap, Base, Estimate, Help, Version };

struct SOptionRule {
    EOption option;
    const char* pLong;
    char cShort;
    bool bValue;
    unsigned nCommands; // the commands that take it; 0: any
};

constexpr std::array<SOptionRule, 9> kOptions{{
    {EOption::From, "--from", 0, true, kSave},
    {EOption::To, "--to", 0, true, kSave},
    {EOption::Output, "--output", 'o', true, kSave},
    {EOption::Count, "--fragments", 'n', true, kShred},
    {EOption::Overlap, "--overlap", 0, true, kShred},
    {EOption::Base, "--base", 0, true, kShred},
    {EOption::Estimate, "--estimate", 0, false, kShred},
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

// Reads a time option's value into nSeconds; returns an error text, empty when fine.
std::string TakeTime(const SGiven& given, int32_t& nSeconds)
{
    std::string strWhy;
    const std::optional<int32_t> seconds = ParseClockTime(given.strValue, strWhy);
    if (!seconds)
        return "invalid time " + Quoted(given.strValue) + " for " + given.strName + ": " + strWhy;
    nSeconds = *seconds;
    return {};
}

// Takes the command's options into options; returns an error text, empty when fine.
std::string ApplyOptions(const std::vector<SGiven>& given, const std::string& strCommand, unsigned nCommand,
                         SCutOptions& options)
{
    bool bFrom = false, bTo = false, bCount = false;
    for (const SGiven& g : given) {
        if (g.pRule->nCommands != 0 && (g.pRule->nCommands & nCommand) == 0)
            return strCommand + " does not take " + g.strName;
        std::string strError;
        switch (g.pRule->option) {
        case EOption::From:
            strError = TakeTime(g, options.nFrom);
            bFrom = true;
            break;
        case EOption::To:
            strError = TakeTime(g, options.nTo);
            bTo = true;
            break;
        case EOption::Overlap:
            strError = TakeTime(g, options.nOverlap);
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
        case EOption::Help:
        case EOption::Version:
            break;
        }
        if (!strError.empty())
            return strError;
    }
    if (nCommand == kSave && (!bFrom || !bTo || options.strOutput.empty()))
        return std::string("save needs ") + (!bFrom ? "--from" : !bTo ? "--to" : "-o OUT");
    if (nCommand == kShred && !bCount)
        return "shred needs -n";
    return {};
}

} // namespace

std::optional<int32_t> ParseClockTime(const std::string& strText, std::string& strError)
{
    if (strText.find_first_of(".,") != std::string::npos) {
        strError = "whole seconds only, no fractions";
        return std::nullopt;
    }
    int64_t nTotal = 0;
    size_t nFields = 0;
    for (size_t nStart = 0; nStart <= strText.size(); ++nFields) {
        size_t nEnd = strText.find(':', nStart);
        if (nEnd == std::string::npos)
            nEnd = strText.size();
        const std::string strField = strText.substr(nStart, nEnd - nStart);
        // The first field may be as large as the total allows; minutes and
        // seconds after it have one or two digits and stay below 60.
        const size_t nMaxDigits = nFields == 0 ? 10 : 2;
        if (nFields == 3 || strField.empty() || strField.size() > nMaxDigits ||
            strField.find_first_not_of("0123456789") != std::string::npos ||
            (nFields > 0 && std::stoi(strField) >= 60)) {
            strError = "give SS, MM:SS or HH:MM:SS";
            return std::nullopt;
        }
        nTotal = nTotal * 60 + std::stoll(strField);
        nStart = nEnd + 1;
    }
    if (nTotal > INT32_MAX) {
        strError = "too large";
        return std::nullopt;
    }
    return static_cast<int32_t>(nTotal);
}

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
    else
        result.strUsageError = "unknown command " + Quoted(strCommand);
    if (result.strUsageError.empty() && operands.size() < 2)
        result.strUsageError = "missing FILE for " + strCommand;
    if (result.strUsageError.empty() && operands.size() > 2)
        result.strUsageError = "extra operand " + Quoted(operands[2]);
    if (result.strUsageError.empty())
        result.strUsageError = ApplyOptions(given, strCommand, nCommand, result.options);
    if (!result.strUsageError.empty())
        return result;
    result.options.command = nCommand == kInfo ? ECutCommand::Info : nCommand == kSave ? ECutCommand::Save
                                                                                         : ECutCommand::Shred;
    result.options.strFile = operands[1];
    return result;
}
