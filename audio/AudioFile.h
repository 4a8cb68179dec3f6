#pragma once

#include "platform/File.h"

#include <cstdint>
#include <functional>
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
};

// What the program says when a selection or a fragment could not be written.
inline constexpr const char* kCannotCreateDestinationText = "Cannot create destination file.";

// The one opened audio file. The constructor opens the source; the kind's
// constructor reads and checks its header and computes the playing time. The
// status says whether that went well; a caller discards an object whose status
// is not 0. Everything the object shows goes through the IAudioUi it was given.
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
    // The paths of the fragments of the last equal split that were left
    // without a file because no frame could be found where they start (a
    // damaged stretch).
    const std::vector<std::string>& GetEmptyFragments() const { return m_emptyFragments; }
    // The paths of the fragments the last equal split wrote, in order.
    const std::vector<std::string>& GetWrittenFragments() const { return m_writtenFragments; }

    // Shows the status's message (caption "Error", stop icon) when it is not 0;
    // returns the status.
    int32_t ReportError(CWnd* pOwner);

    static constexpr uint32_t kCopyBlock = 10000;

protected:
    // Copies nCount bytes from the source's position to the output's position:
    // the remainder of nCount ÷ 10000 first, then whole blocks, stepping the
    // file bar before each whole block. Returns nCount, or 0 when the source
    // ended first (what was read has been written).
    uint32_t CopyData(CFile& output, uint32_t nCount, IShredProgress* pProgress);
    // CopyData for counts of any size, by whole blocks, that also refuses a
    // source ending before nCount bytes: the header said they were there, so
    // the file changed or was cut short while it was read. Throws
    // CFileException, which abandons the output (it never gets its name).
    void CopyAll(CFile& output, uint64_t nCount, IShredProgress* pProgress);

    // Creates an output file, refusing the source itself or any other file
    // this program holds open; a failure is kept for GetCreateError().
    bool CreateOutput(CFile& output, const std::string& strPath);

    // Tells how long the saved selection lasts ("Fragment Saved"); returns 0.
    int32_t ReportSelectionSaved(double dSeconds);
    // The number of fragments the Shred Equally dialog answered; 0 when it was
    // cancelled, and 0 with an error message beyond the 16-bit fragment counter.
    uint32_t AcceptedFragmentCount(const CShredAnswer& answer);
    // Writes fragments 1 to n of an equal split under one progress window,
    // named from the base name with the extension (".wav", ".mp3"): each is
    // created, filled by writeFragment(output, i, progress) and closed. A
    // fragment for which writeFragment returns false found no audio to start
    // on: it gets no file and is listed in GetEmptyFragments(). Stops at a
    // fragment that cannot be created: 103, else 0.
    int32_t WriteFragments(uint32_t n, const std::string& strBaseName, const std::string& strExt,
                           const std::function<bool(CFile&, uint32_t, IShredProgress&)>& writeFragment);

    CFile m_file;
    CWnd* m_pParentWnd;
    double m_dDuration = 0.0;
    int32_t m_nError = kStatusOk;
    int32_t m_nOverlap = 0;
    IAudioUi& m_ui;
    std::vector<std::string> m_emptyFragments;
    std::vector<std::string> m_writtenFragments;
    std::string m_strFailedOutput;
    std::string m_strCreateError;
};
