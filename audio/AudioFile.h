#pragma once

#include "audio/CutPlan.h"
#include "platform/File.h"
#include "res/Messages.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

class CWnd;
class IAudioUi;
class IShredProgress;
struct CShredAnswer;

// Status codes: 0, or the string-table id of the message that describes the failure.
enum : int32_t {
    kStatusOk = 0,
    kStatusCannotOpen = 102,
    kStatusCannotCreate = 103,
    kStatusNoRiff = 104,
    kStatusNoFormat = 105,
    kStatusNoData = 106,
    kStatusCompressed = 107,
    kStatusEmpty = 108,
    kStatusInvalidMp3 = 109,
    kStatusNoAudio = 115,
    kStatusCancelled = 116,
};

// The one opened audio file. The constructor opens the source; the kind's
// constructor reads and checks its header and computes the playing time. The
// status says whether that went well; a caller discards an object whose status
// is not 0. Everything the object shows goes through the IAudioUi it was given.
//
// The writers ask the progress window between batches of a copy and between
// files whether the user cancelled. A cancelled write removes the file it was
// writing (it never takes its name), keeps the files finished before it, and
// tells the user which files were written (caption "Information"). The
// operation then returns 0: the user has been told, and a caller has no
// failure to report; WasCancelled() says that it happened.
class CAudioFile {
public:
    CAudioFile(std::string strPath, CWnd* pParentWnd, IAudioUi& ui);
    virtual ~CAudioFile();
    CAudioFile(const CAudioFile&) = delete;
    CAudioFile& operator=(const CAudioFile&) = delete;

    // Runs the Shred Equally dialog, then writes the fragments: 0, or 103 when
    // a fragment file cannot be created.
    virtual int32_t ShredEqually();
    // Writes the time from nStart × nSecsPerStep to nEnd × nSecsPerStep seconds
    // as a new file: 0, or 103 when it cannot be created.
    virtual int32_t SaveSelection(std::string strOutPath, int32_t nStart, int32_t nEnd, int32_t nSecsPerStep);
    virtual void ShowFileInformation();
    virtual std::string GetDefaultExt() const;
    virtual std::string GetFilter() const;

    std::string GetFileName() const { return m_file.GetFileName(); }
    std::string GetFilePath() const { return m_file.GetFilePath(); }
    int32_t GetError() const { return m_nError; }
    // The system's reason why the source could not be opened.
    const std::string& GetOpenError() const { return m_file.GetOpenError(); }
    // The last output that could not be created, and the system's reason.
    const std::string& GetFailedOutput() const { return m_strFailedOutput; }
    const std::string& GetCreateError() const { return m_strCreateError; }
    double GetDuration() const { return m_dDuration; }
    void SetOverlapTime(int32_t nSeconds) { m_nOverlap = nSeconds; }
    // Exact cuts: an equal split cuts pieces of equal sample counts, each on
    // the sample frame (WAV) or frame boundary (MP3) nearest its point, and
    // the overlap leads in by exactly its seconds of samples. Off: the
    // whole-second rules.
    void SetExactCuts(bool bExact) { m_bExactCuts = bExact; }
    // What moves the cut points of an equal split into the pauses within
    // nReach sample frames of each when the Shred Equally dialog asks for it:
    // the front end's, which knows the file's silences. Nothing back means
    // the user stopped the search: nothing is written.
    using PauseSnapper = std::function<std::optional<CCutPlan>(const CCutPlan& plan, uint64_t nReach)>;
    void SetPauseSnapper(PauseSnapper snapper) { m_snapper = std::move(snapper); }

    // The paths of the fragments of the last equal split that were left
    // without a file because no frame could be found where they start (a
    // damaged stretch).
    const std::vector<std::string>& GetEmptyFragments() const { return m_emptyFragments; }
    // The paths of the fragments the last equal split wrote, in order.
    const std::vector<std::string>& GetWrittenFragments() const { return m_writtenFragments; }
    // Whether the user cancelled the last write in its progress window.
    bool WasCancelled() const { return m_bCancelled; }

    // The sample frames a second of the audio holds, which cut points count in,
    // and the frames of the whole audio; 0 for a file that cannot be cut.
    virtual uint32_t GetFrameRate() const { return 0; }
    virtual uint64_t GetTotalFrames() { return 0; }
    // Writes the pieces of a plan, each to its own file, under one progress
    // window. Every piece is located first: when one holds no audio (less than
    // one block or frame), nothing is written, GetFailedOutput() names it and
    // the status is 115. Otherwise 0, or 103 when a piece's file cannot be
    // created (the pieces before it stay).
    int32_t WritePlan(const CCutPlan& plan);
    // Writes the sample frames nFrom to nTo, cut exactly, as a new file, and
    // tells how long it lasts ("Fragment Saved"): 0, 103 or 115 as WritePlan.
    int32_t SaveExactSelection(const std::string& strOutPath, uint64_t nFrom, uint64_t nTo);

    // Shows the status's message (caption "Error", stop icon) when it is not 0;
    // returns the status.
    int32_t ReportError(CWnd* pOwner);

    static constexpr uint32_t kCopyBlock = 10000;

protected:
    // Where a piece lies in the source, as file offsets: its lead-in from
    // nLeadFrom to nFrom, its own audio from nFrom to nTo, which holds
    // nFrames sample frames. pPiece is the piece an exact cut located it for
    // (its samples and tags, which a clean piece's header and tag carry); null
    // under the whole-second rules, whose pieces are plain byte copies.
    struct SByteSpan {
        uint64_t nLeadFrom = 0;
        uint64_t nFrom = 0;
        uint64_t nTo = 0;
        uint64_t nFrames = 0;
        const CPiece* pPiece = nullptr;
    };
    // The locator of the kind: where a piece's frames fall under the rule.
    virtual SByteSpan LocatePiece(const CPiece& piece, ECutRule rule);
    // Whether the span's own part holds at least one block or frame of audio.
    virtual bool HoldsAudio(const SByteSpan& span);
    // Writes one output file for the span: its header, the lead-in and the
    // piece's own bytes (these stepping the file bar), and its tag.
    virtual void WritePiece(CFile& output, const SByteSpan& span, IShredProgress* pProgress);

    // Thrown out of a copy when the progress window says the user cancelled;
    // the writer that opened the output catches it and discards the output.
    struct SCancelled {};

    // Copies nCount bytes from the source's position to the output's position:
    // the remainder of nCount ÷ 10000 first, then whole blocks, stepping the
    // file bar before each whole block. Returns nCount, or 0 when the source
    // ended first (what was read has been written). Before each batch of
    // blocks it asks pProgress whether the user cancelled, and throws
    // SCancelled when so.
    uint32_t CopyData(CFile& output, uint32_t nCount, IShredProgress* pProgress);
    // CopyData for counts of any size, by whole blocks, that also refuses a
    // source ending before nCount bytes: the header said they were there, so
    // the file changed or was cut short while it was read. Throws
    // CFileException, which abandons the output (it never gets its name).
    void CopyAll(CFile& output, uint64_t nCount, IShredProgress* pProgress);

    // Creates an output file, refusing the source itself or any other file
    // this program holds open; a failure is kept for GetCreateError().
    bool CreateOutput(CFile& output, const std::string& strPath);

    // Writes a selection's span as a new file under a progress window of its
    // own: 0; 115 when it holds no audio (nothing is written); 103 when the
    // file cannot be created; 116 when the user cancelled (the file is
    // removed and the user told so).
    int32_t WriteSelection(const std::string& strOutPath, const SByteSpan& span);
    // What an operation returns for a writer's status: a cancel has been
    // reported to the user already, so the caller sees 0.
    static int32_t CallerStatus(int32_t nStatus) { return nStatus == kStatusCancelled ? kStatusOk : nStatus; }
    // Tells the user that the writing was cancelled and which files were
    // written before (caption "Information").
    void ReportCancelled(const std::vector<std::string>& written);
    // Refuses to write a piece with less than one block or frame of audio:
    // strPath is named as the failed output; returns 115.
    int32_t RefuseNoAudio(const std::string& strPath);
    // Tells how long the saved selection lasts ("Fragment Saved"); returns 0.
    int32_t ReportSelectionSaved(double dSeconds);
    // The number of fragments the Shred Equally dialog answered; 0 when it was
    // cancelled, and 0 with an error message beyond the 16-bit fragment counter.
    uint32_t AcceptedFragmentCount(const CShredAnswer& answer);
    // The paths of fragments 1 to n of an equal split, named from the base
    // name with the extension (".wav", ".mp3").
    std::vector<std::string> FragmentPaths(uint32_t n, const std::string& strBaseName,
                                           const std::string& strExt) const;
    // The exact equal split of n pieces named as FragmentPaths names them.
    int32_t WriteExactFragments(uint32_t n, const std::string& strBaseName, const std::string& strExt,
                                int32_t nOverlapSeconds);
    // The equal split with its cut points moved into pauses, under the rule
    // exact cuts choose; the answer said so and gave the reach.
    int32_t WriteSnappedFragments(uint32_t n, const CShredAnswer& answer, const std::string& strExt);
    // Whether the answer asks for cuts in pauses and a snapper can make them.
    bool SnapsToPauses(const CShredAnswer& answer) const;
    // Writes each span to the path beside it, in order, under one progress
    // window whose file bar counts nFileBytes a file (the span's own bytes
    // when 0). A span that is missing found no frame where its piece starts
    // (a damaged stretch): its file is given up and listed in
    // GetEmptyFragments(). Stops at a file that cannot be created: 103, else 0,
    // also when the user cancelled (the file being written is removed, those
    // before stay, and the user is told which).
    int32_t WriteSpans(const std::vector<std::string>& paths, const std::vector<std::optional<SByteSpan>>& spans,
                       uint64_t nFileBytes);

    CFile m_file;
    CWnd* m_pParentWnd;
    double m_dDuration = 0.0;
    int32_t m_nError = kStatusOk;
    int32_t m_nOverlap = 0;
    bool m_bExactCuts = false;
    bool m_bCancelled = false;
    IAudioUi& m_ui;
    PauseSnapper m_snapper;
    std::vector<std::string> m_emptyFragments;
    std::vector<std::string> m_writtenFragments;
    std::string m_strFailedOutput;
    std::string m_strCreateError;
};
