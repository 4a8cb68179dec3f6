// tolvane-cut: the audio file model from the command line.
#include "audio/OpenAudioFile.h"
#include "cli/CliUi.h"
#include "platform/File.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

constexpr const char* kUsage =
    "Usage:\n"
    "  tolvane-cut info FILE\n"
    "  tolvane-cut save FILE --from S --to S -o OUT\n"
    "  tolvane-cut shred FILE -n N [--overlap S] [--base BASE] [--estimate]\n"
    "\n"
    "FILE is a .wav or .mp3 file. Times are whole seconds from the start of the audio.\n"
    "  info      prints the file's header values\n"
    "  save      writes the audio from --from to --to seconds as a new file\n"
    "  shred     splits the file into N equal numbered fragments, each after the first\n"
    "            starting with --overlap seconds repeated from the one before;\n"
    "            --base names the fragments (default: the source's own name),\n"
    "            --estimate only prints the estimate\n";

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

int UsageError(const std::string& strWhy)
{
    std::fprintf(stderr, "tolvane-cut: %s\n\n%s", strWhy.c_str(), kUsage);
    return kExitUsage;
}

std::optional<int32_t> ParseSeconds(const std::string& strText)
{
    if (strText.empty() || strText.size() > 9 || strText.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return static_cast<int32_t>(std::stol(strText));
}

struct SArgs {
    std::string strCommand;
    std::string strFile;
    std::optional<std::string> from, to, out, count, overlap, base;
    bool bEstimate = false;
};

// Parses "COMMAND FILE [options]"; returns an error text, empty when fine.
std::string ParseArgs(const std::vector<std::string>& args, SArgs& parsed)
{
    if (args.size() < 2)
        return "missing command or file";
    parsed.strCommand = args[0];
    for (size_t i = 1; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](std::optional<std::string>& slot) -> std::string {
            if (i + 1 >= args.size())
                return "option " + a + " needs a value";
            slot = args[++i];
            return {};
        };
        std::string strError;
        if (a == "--from")
            strError = value(parsed.from);
        else if (a == "--to")
            strError = value(parsed.to);
        else if (a == "-o" || a == "--output")
            strError = value(parsed.out);
        else if (a == "-n" || a == "--fragments")
            strError = value(parsed.count);
        else if (a == "--overlap")
            strError = value(parsed.overlap);
        else if (a == "--base")
            strError = value(parsed.base);
        else if (a == "--estimate")
            parsed.bEstimate = true;
        else if (!a.empty() && a[0] == '-' && a != "-")
            strError = "unknown option " + a;
        else if (parsed.strFile.empty())
            parsed.strFile = a;
        else
            strError = "unexpected argument " + a;
        if (!strError.empty())
            return strError;
    }
    if (parsed.strFile.empty())
        return "missing file";
    return {};
}

int Run(const SArgs& args, CCliUi& ui)
{
    const EAudioKind kind = AudioKindFromPath(args.strFile);
    if (kind == EAudioKind::Unknown) {
        std::fprintf(stderr, "tolvane-cut: %s: not a .wav or .mp3 file\n", args.strFile.c_str());
        return kExitFailure;
    }
    std::unique_ptr<CAudioFile> pFile = OpenAudioFile(args.strFile, nullptr, ui);
    if (pFile->ReportError(nullptr) != kStatusOk)
        return kExitFailure;

    if (args.strCommand == "info") {
        pFile->ShowFileInformation();
        return kExitOk;
    }

    if (args.strCommand == "save") {
        const auto from = ParseSeconds(*args.from);
        const auto to = ParseSeconds(*args.to);
        if (!from || !to)
            return UsageError("--from and --to take whole seconds");
        if (pFile->SaveSelection(*args.out, *from, *to, 1) != kStatusOk) {
            std::fprintf(stderr, "Cannot create destination file.\n");
            return kExitFailure;
        }
        return kExitOk;
    }

    // shred
    std::optional<int32_t> overlap = args.overlap ? ParseSeconds(*args.overlap) : std::optional<int32_t>(0);
    if (!overlap)
        return UsageError("--overlap takes whole seconds");
    pFile->SetOverlapTime(*overlap);
    ui.SetShredOptions({*args.count, args.base.value_or(""), args.bEstimate});
    auto printWritten = [&] {
        for (const std::string& strPath : pFile->GetWrittenFragments())
            std::printf("%s\n", strPath.c_str());
    };
    try {
        const int32_t nStatus = pFile->ShredEqually();
        printWritten();
        if (ui.HadInputError())
            return kExitFailure;
        if (nStatus != kStatusOk) {
            std::fprintf(stderr, "%s\n", LoadResString(static_cast<unsigned>(nStatus)).c_str());
            return kExitFailure;
        }
        if (!pFile->GetEmptyFragments().empty()) {
            std::fflush(stdout);
            for (const std::string& strPath : pFile->GetEmptyFragments())
                std::fprintf(stderr, "tolvane-cut: %s: no frame found where the fragment starts; not written\n",
                             strPath.c_str());
            return kExitFailure;
        }
    } catch (...) {
        printWritten();
        throw;
    }
    return kExitOk;
}

} // namespace

int main(int argc, char** argv)
{
    std::setlocale(LC_ALL, "");
    CFile::RemovePartialFilesOnSignals();
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& a : args)
        if (a == "--help" || a == "-h") {
            std::fputs(kUsage, stdout);
            return kExitOk;
        }

    SArgs parsed;
    if (const std::string strError = ParseArgs(args, parsed); !strError.empty())
        return UsageError(strError);
    if (parsed.strCommand == "save" && (!parsed.from || !parsed.to || !parsed.out))
        return UsageError("save needs --from, --to and -o");
    if (parsed.strCommand == "shred" && !parsed.count)
        return UsageError("shred needs -n");
    if (parsed.strCommand != "info" && parsed.strCommand != "save" && parsed.strCommand != "shred")
        return UsageError("unknown command " + parsed.strCommand);

    CCliUi ui(stdout, stderr, ::isatty(STDERR_FILENO) == 1);
    try {
        return Run(parsed, ui);
    } catch (const CFileException& e) {
        std::fflush(stdout);
        std::fprintf(stderr, "tolvane-cut: %s: %s\n", e.GetPath().c_str(), e.what());
        return kExitFailure;
    }
}
