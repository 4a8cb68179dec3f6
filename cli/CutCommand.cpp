#include "cli/CutCommand.h"

#include "audio/OpenAudioFile.h"
#include "cli/CliUi.h"
#include "cli/CutMessages.h"
#include "platform/FormatText.h"
#include "platform/StringTable.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>

#include <unistd.h>

namespace {

bool IsStandardOutput(const std::string& strPath)
{
    return strPath == "-" || strPath == CFile::kStandardOutput;
}

const char* KindName(EAudioKind kind)
{
    return kind == EAudioKind::Wave ? "WAV" : "MP3";
}

// Opens the source; null, with the error printed, when it cannot be used.
std::unique_ptr<CAudioFile> OpenSource(const std::string& strPath, CCliUi& ui)
{
    if (AudioKindFromPath(strPath) == EAudioKind::Unknown) {
        PrintFileError(stderr, strPath, "not a .wav or .mp3 file");
        return nullptr;
    }
    // A pipe would keep the open waiting for a writer, and a device has no length.
    if (const std::string strReason = NotRegularFileReason(strPath); !strReason.empty()) {
        PrintFileError(stderr, strPath, LoadResString(kStatusCannotOpen), strReason);
        return nullptr;
    }
    std::unique_ptr<CAudioFile> pFile = OpenAudioFile(strPath, nullptr, ui);
    if (const int32_t nError = pFile->GetError(); nError != kStatusOk) {
        PrintFileError(stderr, strPath, LoadResString(static_cast<unsigned>(nError)),
                       nError == kStatusCannotOpen ? pFile->GetOpenError() : std::string());
        return nullptr;
    }
    return pFile;
}

// Refuses, before anything is written, a selection with no audio in it, an
// output that is not a regular file (or is the source), an output name of the
// other kind, and audio for a terminal. Returns the path to give the model.
std::optional<std::string> CheckSave(const SCutOptions& options, const CAudioFile& file)
{
    const int32_t nFirst = std::min(options.nFrom, options.nTo), nLast = std::max(options.nFrom, options.nTo);
    if (nFirst == nLast || nFirst >= file.GetDuration()) {
        PrintFileError(stderr, options.strFile,
                       "no audio from " + FormatClock(nFirst, false) + " to " + FormatClock(nLast, false) +
                           "; the audio ends at " + FormatClock(file.GetDuration(), true));
        return std::nullopt;
    }
    if (IsStandardOutput(options.strOutput)) {
        if (::isatty(STDOUT_FILENO) == 1) {
            PrintFileError(stderr, "standard output", "is a terminal; give -o a file, or send it to a pipe");
            return std::nullopt;
        }
        return std::string(CFile::kStandardOutput);
    }
    const EAudioKind source = AudioKindFromPath(options.strFile), named = AudioKindFromPath(options.strOutput);
    if (named != EAudioKind::Unknown && named != source) {
        PrintFileError(stderr, options.strOutput,
                       std::string("the file written would be ") + KindName(source) + ", not " + KindName(named));
        return std::nullopt;
    }
    if (const std::string strReason = RefusedOutputReason(options.strOutput, options.strFile); !strReason.empty()) {
        PrintFileError(stderr, options.strOutput, kCannotCreateDestinationText, strReason);
        return std::nullopt;
    }
    return options.strOutput;
}

int Save(const SCutOptions& options, CAudioFile& file)
{
    const std::optional<std::string> output = CheckSave(options, file);
    if (!output)
        return kExitFailure;
    if (file.SaveSelection(*output, options.nFrom, options.nTo, 1) != kStatusOk) {
        PrintFileError(stderr, options.strOutput, kCannotCreateDestinationText, file.GetCreateError());
        return kExitFailure;
    }
    return kExitOk;
}

// A base that names a folder puts the fragments there under the source's name.
std::string FragmentBaseName(const SCutOptions& options)
{
    const std::string& strBase = options.strBase;
    std::error_code ec;
    if (strBase.empty() || (strBase.back() != '/' && !std::filesystem::is_directory(strBase, ec)))
        return strBase;
    return strBase + (strBase.back() == '/' ? "" : "/") +
           std::filesystem::path(options.strFile).filename().string();
}

int Shred(const SCutOptions& options, CAudioFile& file, CCliUi& ui)
{
    file.SetOverlapTime(options.nOverlap);
    ui.SetShredOptions({options.strCount, FragmentBaseName(options), options.bEstimateOnly});
    auto printWritten = [&] {
        for (const std::string& strPath : file.GetWrittenFragments())
            std::printf("%s\n", strPath.c_str());
    };
    try {
        const int32_t nStatus = file.ShredEqually();
        printWritten();
        if (ui.HadInputError())
            return kExitFailure;
        if (nStatus != kStatusOk) {
            PrintFileError(stderr, file.GetFailedOutput(), LoadResString(static_cast<unsigned>(nStatus)),
                           file.GetCreateError());
            return kExitFailure;
        }
        for (const std::string& strPath : file.GetEmptyFragments())
            PrintFileError(stderr, strPath, "no frame found where the fragment starts; not written");
        return file.GetEmptyFragments().empty() ? kExitOk : kExitFailure;
    } catch (...) {
        printWritten();
        throw;
    }
}

} // namespace

int RunCutCommand(const SCutOptions& options)
{
    // With the audio on standard output, what would be printed there goes to standard error.
    const bool bAudioOut = options.command == ECutCommand::Save && IsStandardOutput(options.strOutput);
    CCliUi ui(bAudioOut ? stderr : stdout, stderr, ::isatty(STDERR_FILENO) == 1, options.strFile);
    try {
        const std::unique_ptr<CAudioFile> pFile = OpenSource(options.strFile, ui);
        if (!pFile)
            return kExitFailure;
        if (options.command == ECutCommand::Info) {
            pFile->ShowFileInformation();
            return kExitOk;
        }
        return options.command == ECutCommand::Save ? Save(options, *pFile) : Shred(options, *pFile, ui);
    } catch (const CFileException& e) {
        PrintFileError(stderr, e.GetPath(), e.what());
        return kExitFailure;
    }
}
