#include "cli/CutCommand.h"

#include "audio/CutPlanners.h"
#include "audio/FragmentNames.h"
#include "audio/OpenAudioFile.h"
#include "audio/SoundAnalysis.h"
#include "cli/CliUi.h"
#include "cli/CutMessages.h"
#include "cli/TerminalProgress.h"
#include "platform/FormatText.h"
#include "platform/StringTable.h"
#include "split/CueSheet.h"
#include "split/PieceNames.h"
#include "split/Silences.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

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

// A length as typed, in seconds at nRate frames a second, for messages.
std::string LengthText(const CCutTime& time, uint32_t nRate)
{
    const double dSeconds = time.bSamples ? static_cast<double>(time.nValue) / std::max(nRate, 1u)
                                          : static_cast<double>(time.nValue) / static_cast<double>(time.nScale);
    return FormatText("%g s", dSeconds);
}

std::string FrameTime(uint64_t nFrame, uint32_t nRate)
{
    return FormatCutTime(static_cast<double>(nFrame) / std::max(nRate, 1u));
}

// The silences of the source, from its sound as the analysis reads or decodes
// it, under a progress line on a terminal. A signal stops the analysis and
// ends the run by it. Nothing, with the error printed, when the sound cannot
// be read.
std::optional<std::vector<SSilence>> FindFileSilences(const SCutOptions& options, CAudioFile& file)
{
    std::unique_ptr<CSoundAnalysis> pAnalysis = CSoundAnalysis::Start(options.strFile);
    if (!pAnalysis) {
        PrintFileError(stderr, options.strFile, kAnalysisFailedText);
        return std::nullopt;
    }
    CAnalysisProgress progress(::isatty(STDERR_FILENO) == 1 ? stderr : nullptr, options.strFile);
    if (!pAnalysis->Wait([&progress](double dDone) { return progress.KeepGoing(dDone); })) {
        pAnalysis.reset(); // the worker is joined before the run ends
        progress.EndBySignal();
    }
    const uint32_t nRate = file.GetFrameRate();
    return FindSilences(pAnalysis->GetLevels(), pAnalysis->GetLevelWindow(), file.GetTotalFrames(),
                        LevelFromDb(options.dThresholdDb), options.minSilence.ToFrames(nRate));
}

// Cuts off the silence at both ends of each piece; a piece that is all
// silence is named and left out. False, with the error printed, when no piece
// is left.
bool TrimPlan(const SCutOptions& options, CCutPlan& plan, const std::vector<SSilence>& silences, uint32_t nRate)
{
    std::vector<size_t> dropped;
    CCutPlan trimmed = TrimSilences(plan, silences, nRate, &dropped);
    for (const size_t i : dropped) {
        const CPiece& piece = plan.pieces[i];
        PrintFileError(stderr, piece.strPath.empty() ? options.strFile : piece.strPath,
                       FormatText(kAllSilenceFormat, FrameTime(piece.nFrom, nRate).c_str(),
                                  FrameTime(piece.nTo, nRate).c_str()));
    }
    if (trimmed.pieces.empty()) {
        PrintFileError(stderr, options.strFile, kNothingButSilenceText);
        return false;
    }
    plan = std::move(trimmed);
    return true;
}

// Trims a selection of sample frames as TrimPlan trims a piece.
bool TrimSelection(const SCutOptions& options, CAudioFile& file, ECutRule rule, uint64_t& nFrom, uint64_t& nTo)
{
    const std::optional<std::vector<SSilence>> silences = FindFileSilences(options, file);
    if (!silences)
        return false;
    CCutPlan plan = PlanSelection(rule, nFrom, nTo, {});
    if (!TrimPlan(options, plan, *silences, file.GetFrameRate()))
        return false;
    nFrom = plan.pieces[0].nFrom;
    nTo = plan.pieces[0].nTo;
    return true;
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
std::optional<std::string> CheckSave(const SCutOptions& options, const CAudioFile& file, bool bEmpty,
                                     const std::string& strFirst, const std::string& strLast)
{
    if (bEmpty) {
        PrintFileError(stderr, options.strFile,
                       "no audio from " + strFirst + " to " + strLast + "; the audio ends at " +
                           FormatClock(file.GetDuration(), true));
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

// What the model's status says about the file it was writing.
int ReportWriteStatus(int32_t nStatus, const std::string& strOutput, const CAudioFile& file)
{
    if (nStatus == kStatusOk)
        return kExitOk;
    if (nStatus == kStatusNoAudio)
        PrintFileError(stderr, file.GetFailedOutput().empty() ? strOutput : file.GetFailedOutput(),
                       LoadResString(kStatusNoAudio), "nothing was written");
    else if (nStatus == kStatusCannotCreate && !strOutput.empty())
        PrintFileError(stderr, strOutput, kCannotCreateDestinationText, file.GetCreateError());
    else
        PrintFileError(stderr, file.GetFailedOutput(), LoadResString(static_cast<unsigned>(nStatus)),
                       file.GetCreateError());
    return kExitFailure;
}

int Save(const SCutOptions& options, CAudioFile& file)
{
    if (options.bExact) {
        const uint32_t nRate = file.GetFrameRate();
        const uint64_t nFrom = options.from.ToFrames(nRate), nTo = options.to.ToFrames(nRate);
        const uint64_t nFirst = std::min(nFrom, nTo), nLast = std::max(nFrom, nTo);
        const double dRate = std::max(nRate, 1u);
        const std::optional<std::string> output =
            CheckSave(options, file, nFirst == nLast || nFirst >= file.GetTotalFrames(),
                      FormatCutTime(static_cast<double>(nFirst) / dRate), FormatCutTime(static_cast<double>(nLast) / dRate));
        if (!output)
            return kExitFailure;
        uint64_t nTrimFrom = nFirst, nTrimTo = std::min(nLast, file.GetTotalFrames());
        if (options.bTrim && !TrimSelection(options, file, ECutRule::Exact, nTrimFrom, nTrimTo))
            return kExitFailure;
        return ReportWriteStatus(file.SaveExactSelection(*output, nTrimFrom, options.bTrim ? nTrimTo : nLast),
                                 options.strOutput, file);
    }
    const int32_t nFirst = std::min(options.nFrom, options.nTo), nLast = std::max(options.nFrom, options.nTo);
    const std::optional<std::string> output = CheckSave(options, file, nFirst == nLast || nFirst >= file.GetDuration(),
                                                        FormatClock(nFirst, false), FormatClock(nLast, false));
    if (!output)
        return kExitFailure;
    if (!options.bTrim)
        return ReportWriteStatus(file.SaveSelection(*output, options.nFrom, options.nTo, 1), options.strOutput, file);
    // Trimmed on whole seconds: the start down to one, the end up to one, never into the sound.
    const uint64_t nRate = file.GetFrameRate();
    const uint64_t nEnd = std::min<uint64_t>(static_cast<uint64_t>(nLast) * nRate, file.GetTotalFrames());
    uint64_t nTrimFrom = static_cast<uint64_t>(nFirst) * nRate, nTrimTo = nEnd;
    if (!TrimSelection(options, file, ECutRule::WholeSeconds, nTrimFrom, nTrimTo))
        return kExitFailure;
    const auto nFromSecond = static_cast<int32_t>(nTrimFrom / std::max<uint64_t>(nRate, 1));
    const auto nToSecond = nTrimTo == nEnd ? nLast : static_cast<int32_t>(nTrimTo / std::max<uint64_t>(nRate, 1));
    return ReportWriteStatus(file.SaveSelection(*output, nFromSecond, nToSecond, 1), options.strOutput, file);
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

const char* FragmentExt(const std::string& strPath)
{
    return AudioKindFromPath(strPath) == EAudioKind::Wave ? ".wav" : ".mp3";
}

// The equal split the dialog's checks confirmed, as a plan: each cut moved
// into a pause (--snap) and the silence at the ends of the fragments cut off
// (--trim). Under the whole-second rules the equal cuts first go to the
// nearest whole second, as every cut of such a plan must.
int ShredAtSilences(const SCutOptions& options, CAudioFile& file, const CShredAnswer& answer)
{
    const std::optional<std::vector<SSilence>> silences = FindFileSilences(options, file);
    if (!silences)
        return kExitFailure;
    const ECutRule rule = options.bExact ? ECutRule::Exact : ECutRule::WholeSeconds;
    const uint32_t nRate = file.GetFrameRate();
    const auto n = static_cast<unsigned>(answer.nFragments);
    CCutPlan plan = PlanEqual(rule, file.GetTotalFrames(), n,
                              uint64_t{nRate} * static_cast<uint64_t>(std::max(0, answer.nOverlap)));
    const std::string strExt = FragmentExt(options.strFile);
    const std::string strBase = FragmentBase(answer.strBaseName, file.GetFilePath(), ToUpperUtf8(strExt));
    for (unsigned i = 0; i < n; ++i)
        plan.pieces[i].strPath = FragmentPath(strBase, i + 1, strExt);
    std::vector<uint64_t> missed;
    plan = SnapToSilences(plan, options.bSnap ? *silences : std::vector<SSilence>{}, nRate,
                          options.bSnap ? options.snap.ToFrames(nRate) : 0, &missed);
    for (const uint64_t nPoint : options.bSnap ? missed : std::vector<uint64_t>{})
        PrintFileError(stderr, options.strFile,
                       FormatText(kSnapMissedFormat, LengthText(options.snap, nRate).c_str(),
                                  FrameTime(nPoint, nRate).c_str()));
    if (options.bTrim && !TrimPlan(options, plan, *silences, nRate))
        return kExitFailure;
    const int32_t nStatus = file.WritePlan(plan);
    for (const std::string& strPath : file.GetWrittenFragments())
        std::printf("%s\n", strPath.c_str());
    return ReportWriteStatus(nStatus, {}, file);
}

int Shred(const SCutOptions& options, CAudioFile& file, CCliUi& ui)
{
    file.SetOverlapTime(options.nOverlap);
    file.SetExactCuts(options.bExact);
    const bool bAtSilences = options.bSnap || options.bTrim;
    ui.SetShredOptions({options.strCount, FragmentBaseName(options), options.bEstimateOnly, bAtSilences});
    auto printWritten = [&] {
        for (const std::string& strPath : file.GetWrittenFragments())
            std::printf("%s\n", strPath.c_str());
    };
    try {
        const int32_t nStatus = file.ShredEqually();
        printWritten();
        if (ui.HadInputError())
            return kExitFailure;
        if (bAtSilences && nStatus == kStatusOk)
            return ui.GetKeptAnswer().bOk ? ShredAtSilences(options, file, ui.GetKeptAnswer()) : kExitOk;
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

std::string FolderOf(const std::string& strPath)
{
    const std::string strFolder = std::filesystem::path(strPath).parent_path().string();
    return strFolder.empty() ? "." : strFolder;
}

// The text of a cue sheet, at most a little past what the reader accepts.
std::optional<std::string> ReadSheetText(const std::string& strPath)
{
    if (const std::string strReason = NotRegularFileReason(strPath); !strReason.empty()) {
        PrintFileError(stderr, strPath, "cannot read the cue sheet", strReason);
        return std::nullopt;
    }
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        PrintFileError(stderr, strPath, "cannot read the cue sheet", std::strerror(errno));
        return std::nullopt;
    }
    std::string strText(2u << 20, '\0');
    in.read(strText.data(), static_cast<std::streamsize>(strText.size()));
    strText.resize(static_cast<size_t>(in.gcount()));
    return strText;
}

// The cue sheet's tracks as a plan: the pieces start at the tracks' INDEX 01
// (whole seconds without --exact) and carry their titles.
std::optional<CCutPlan> PlanFromCue(const SCutOptions& options, CAudioFile& file, ECutRule rule, uint64_t nLeadIn)
{
    const std::optional<std::string> strText = ReadSheetText(options.strCue);
    if (!strText)
        return std::nullopt;
    const CCueResult result = ReadCueSheet(*strText);
    if (!result.sheet) {
        const std::string strWhere =
            result.nLine ? FormatText("%s:%u", options.strCue.c_str(), result.nLine) : options.strCue;
        PrintFileError(stderr, strWhere, result.strError);
        return std::nullopt;
    }
    const CCueSheet& sheet = *result.sheet;
    const std::string strGiven = std::filesystem::path(options.strFile).filename().string();
    if (!sheet.strFile.empty() && std::filesystem::path(sheet.strFile).filename().string() != strGiven)
        std::fprintf(stderr, "tolvane-cut: %s: warning: the sheet is for '%s'; cutting '%s'\n",
                     options.strCue.c_str(), sheet.strFile.c_str(), strGiven.c_str());
    const uint64_t nRate = file.GetFrameRate(), nTotal = file.GetTotalFrames();
    std::vector<uint64_t> starts;
    for (const CCueTrack& track : sheet.tracks) {
        const uint64_t nStart = rule == ECutRule::Exact ? (track.nStart75 * nRate * 2 + 75) / 150
                                                        : (track.nStart75 + 37) / 75 * nRate;
        if (nStart >= nTotal || (!starts.empty() && nStart <= starts.back())) {
            PrintFileError(stderr, options.strCue,
                           FormatText("track %u starts at or past the end of the audio or of the track before it",
                                      track.nNumber));
            return std::nullopt;
        }
        starts.push_back(nStart);
    }
    CCutPlan plan = PlanFromStarts(rule, nTotal, starts, nLeadIn);
    for (size_t i = 0; i < sheet.tracks.size(); ++i) {
        CPieceTags& tags = plan.pieces[i].tags;
        tags.strTitle = sheet.tracks[i].strTitle;
        tags.strPerformer = sheet.tracks[i].strPerformer.empty() ? sheet.strPerformer : sheet.tracks[i].strPerformer;
        tags.strAlbum = sheet.strTitle;
        tags.nTrack = sheet.tracks[i].nNumber;
    }
    return plan;
}

// The --at times as a plan; a time that does not ascend or lies outside the
// audio is a usage error (-1).
std::optional<CCutPlan> PlanFromTimes(const SCutOptions& options, CAudioFile& file, ECutRule rule, uint64_t nLeadIn,
                                      bool& bUsage)
{
    const uint32_t nRate = file.GetFrameRate();
    const uint64_t nTotal = file.GetTotalFrames();
    std::vector<uint64_t> points;
    for (const CCutTime& time : options.at)
        points.push_back(options.bExact ? time.ToFrames(nRate) : time.WholeSeconds() * nRate);
    if (const CPointFault fault = CheckCutPoints(nTotal, points); fault.nIndex >= 0) {
        PrintFileError(stderr, options.strFile,
                       "the time '" + options.atText[static_cast<size_t>(fault.nIndex)] + "' " + fault.strReason +
                           "; the audio ends at " + FormatCutTime(static_cast<double>(nTotal) / std::max(nRate, 1u)));
        bUsage = true;
        return std::nullopt;
    }
    return PlanAtPoints(rule, nTotal, points, nLeadIn);
}

// Names the pieces: by the template, as cue tracks, or as shred names fragments.
bool NamePieces(const SCutOptions& options, CCutPlan& plan)
{
    const std::filesystem::path source(options.strFile);
    const std::string strExt = FragmentExt(options.strFile);
    const std::string strFolder = options.strOutput.empty() ? FolderOf(options.strFile) : options.strOutput;
    const std::string strBase = FragmentBase("", strFolder + "/" + source.filename().string(), ToUpperUtf8(strExt));
    const auto n = static_cast<unsigned>(plan.pieces.size());
    for (unsigned i = 0; i < n; ++i) {
        CPiece& piece = plan.pieces[i];
        const CNameFields fields{i + 1, n, piece.tags.strTitle, piece.tags.strPerformer, piece.tags.strAlbum,
                                 source.stem().string()};
        if (!options.strNameTemplate.empty()) {
            std::string strError;
            const std::string strName = ExpandNameTemplate(options.strNameTemplate, fields, strError);
            if (!strError.empty()) {
                std::fprintf(stderr, "tolvane-cut: --name: %s\n", strError.c_str());
                return false;
            }
            piece.strPath = strFolder + "/" + strName + strExt;
        } else if (!options.strCue.empty()) {
            piece.strPath = strFolder + "/" + CueTrackFileName(fields, strExt);
        } else {
            piece.strPath = FragmentPath(strBase, i + 1, strExt);
        }
    }
    std::vector<std::string> paths;
    for (const CPiece& piece : plan.pieces)
        paths.push_back(piece.strPath);
    if (const std::string strWhy = RefusedPiecePaths(paths, options.strFile); !strWhy.empty()) {
        std::fprintf(stderr, "tolvane-cut: %s\n", strWhy.c_str());
        return false;
    }
    return true;
}

// Pieces cut in the middle of every silence, the cuts printed; nothing, with
// the reason printed, when there is no silence to cut at.
std::optional<CCutPlan> PlanFromSilences(const SCutOptions& options, CAudioFile& file, ECutRule rule,
                                         uint64_t nLeadIn, const std::vector<SSilence>& silences)
{
    const uint32_t nRate = file.GetFrameRate();
    size_t nPassedOver = 0;
    CCutPlan plan = PlanAtSilences(rule, nRate, file.GetTotalFrames(), silences, options.minPiece.ToFrames(nRate),
                                   nLeadIn, &nPassedOver);
    if (plan.pieces.size() < 2)
        PrintFileError(stderr, options.strFile,
                       FormatText(kNoSilenceFormat, options.dThresholdDb,
                                  LengthText(options.minSilence, nRate).c_str()));
    if (nPassedOver != 0)
        PrintFileError(stderr, options.strFile, FormatText(kSilencesPassedOverFormat, nPassedOver));
    if (plan.pieces.size() < 2)
        return std::nullopt;
    std::string strCuts;
    for (size_t i = 1; i < plan.pieces.size(); ++i)
        strCuts += (i > 1 ? ", " : "") + FrameTime(plan.pieces[i].nFrom, nRate);
    std::printf("%s\n", FormatText(kSilenceCutsFormat, plan.pieces.size() - 1, strCuts.c_str()).c_str());
    return plan;
}

int Split(const SCutOptions& options, CAudioFile& file)
{
    const ECutRule rule = options.bExact ? ECutRule::Exact : ECutRule::WholeSeconds;
    const uint32_t nRate = file.GetFrameRate();
    const uint64_t nLeadIn = options.bExact ? options.overlap.ToFrames(nRate) : options.overlap.WholeSeconds() * nRate;
    bool bUsage = false;
    std::optional<CCutPlan> plan;
    if (!options.at.empty())
        plan = PlanFromTimes(options, file, rule, nLeadIn, bUsage);
    else if (!options.strCue.empty())
        plan = PlanFromCue(options, file, rule, nLeadIn);
    if (!plan && !options.bSilence)
        return bUsage ? kExitUsage : kExitFailure;
    // The times are checked before the sound is analysed: a usage error does not wait for it.
    std::optional<std::vector<SSilence>> silences;
    if (options.bSilence || options.bTrim) {
        silences = FindFileSilences(options, file);
        if (!silences)
            return kExitFailure;
    }
    if (options.bSilence)
        plan = PlanFromSilences(options, file, rule, nLeadIn, *silences);
    if (!plan)
        return kExitFailure;
    if (!NamePieces(options, *plan))
        return kExitFailure;
    if (options.bTrim && !TrimPlan(options, *plan, *silences, nRate))
        return kExitFailure;
    const int32_t nStatus = file.WritePlan(*plan);
    for (const std::string& strPath : file.GetWrittenFragments())
        std::printf("%s\n", strPath.c_str());
    return ReportWriteStatus(nStatus, {}, file);
}

// One FILE's command.
int RunOne(const SCutOptions& options)
{
    // With the audio on standard output, what would be printed there goes to standard error.
    const bool bAudioOut = options.command == ECutCommand::Save && IsStandardOutput(options.strOutput);
    CCliUi ui(bAudioOut ? stderr : stdout, stderr, ::isatty(STDERR_FILENO) == 1, options.strFile);
    try {
        const std::unique_ptr<CAudioFile> pFile = OpenSource(options.strFile, ui);
        if (!pFile)
            return kExitFailure;
        switch (options.command) {
        case ECutCommand::Info:
            pFile->ShowFileInformation();
            return kExitOk;
        case ECutCommand::Save:
            return Save(options, *pFile);
        case ECutCommand::Split:
            return Split(options, *pFile);
        default:
            return Shred(options, *pFile, ui);
        }
    } catch (const CFileException& e) {
        PrintFileError(stderr, e.GetPath(), e.what());
        return kExitFailure;
    }
}

} // namespace

// Several FILEs are done one after the other; one that fails is named and
// the others go on. The worst outcome decides the status.
int RunCutCommand(const SCutOptions& options)
{
    if (options.files.size() <= 1)
        return RunOne(options);
    int nExit = kExitOk;
    for (const std::string& strFile : options.files) {
        SCutOptions one = options;
        one.strFile = strFile;
        nExit = std::max(nExit, RunOne(one));
        std::fflush(stdout);
    }
    return nExit;
}
