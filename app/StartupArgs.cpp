#include "app/StartupArgs.h"

#include <algorithm>
#include <filesystem>
#include <ostream>
#include <string_view>

namespace {

constexpr const char* kUsage =
    "Usage: tolvane [FILE]\n"
    "Cuts WAV and MP3 files as bytes: save a selection, or shred a file into equal pieces.\n"
    "FILE, a WAV or MP3 file, is opened at start as File > Open opens it.\n"
    "\n"
    "  --help     show this help and exit\n"
    "  --version  show the version and exit\n"
    "\n"
    "Qt's own options (-platform NAME, -style NAME, ...) are passed to Qt.\n";

// The options QGuiApplication and QApplication read themselves, and whether
// each takes a value.
constexpr std::pair<std::string_view, bool> kQtOptions[] = {
    {"-platform", true},      {"-platformpluginpath", true}, {"-platformtheme", true}, {"-plugin", true},
    {"-qwindowgeometry", true}, {"-qwindowicon", true},       {"-qwindowtitle", true},  {"-display", true},
    {"-geometry", true},      {"-style", true},              {"-stylesheet", true},    {"-session", true},
    {"-name", true},          {"-title", true},              {"-reverse", false},      {"-widgetcount", false},
    {"-nograb", false},       {"-dograb", false},            {"-sync", false}};

// The Qt option the argument names, as "-style" or "--style", or "-style=NAME".
const std::pair<std::string_view, bool>* QtOption(std::string_view strArg, bool& bValueAttached)
{
    if (strArg.starts_with("--"))
        strArg.remove_prefix(1);
    const size_t nEquals = strArg.find('=');
    bValueAttached = nEquals != std::string_view::npos;
    const std::string_view strName = strArg.substr(0, nEquals);
    const auto* pFound = std::find_if(std::begin(kQtOptions), std::end(kQtOptions),
                                      [&](const auto& option) { return option.first == strName; });
    return pFound == std::end(kQtOptions) ? nullptr : pFound;
}

CStartupArgs UsageError(std::ostream& err, const std::string& strWhat)
{
    err << "tolvane: " << strWhat << "\nTry 'tolvane --help'.\n";
    return {.strFile = {}, .nExit = 2};
}

} // namespace

CStartupArgs ParseStartupArgs(int argc, const char* const* argv, std::ostream& out, std::ostream& err)
{
    CStartupArgs args;
    bool bOptions = true;
    for (int i = 1; i < argc; ++i) {
        const std::string strArg = argv[i];
        if (bOptions && strArg == "--") {
            bOptions = false;
            continue;
        }
        if (bOptions && strArg.size() > 1 && strArg[0] == '-') {
            if (strArg == "--help" || strArg == "-h") {
                out << kUsage;
                return {.strFile = {}, .nExit = 0};
            }
            if (strArg == "--version") {
                out << "tolvane " TOLVANE_VERSION "\n";
                return {.strFile = {}, .nExit = 0};
            }
            bool bValueAttached = false;
            const auto* pQt = QtOption(strArg, bValueAttached);
            if (!pQt)
                return UsageError(err, "unknown option '" + strArg + "'");
            if (pQt->second && !bValueAttached && ++i >= argc)
                return UsageError(err, "option '" + strArg + "' needs a value");
            continue;
        }
        if (!args.strFile.empty())
            return UsageError(err, "only one file can be opened: '" + strArg + "'");
        if (strArg.empty())
            return UsageError(err, "the file name is empty");
        // As the Open dialog gives it: a full path, the name as written.
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(strArg, error);
        args.strFile = error ? strArg : path.lexically_normal().string();
    }
    return args;
}
