#include "split/CueSheet.h"

#include <libcue.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr size_t kMaxSheetBytes = size_t{1} << 20;
// libcue copies each word into a 1 KiB buffer and ends an unquoted word of
// 1 KiB or more one byte past it; shorter lines keep every word inside.
constexpr size_t kMaxLineBytes = 1000;

// What completes a sound prefix of a sheet (whole lines) into a sheet libcue
// takes without a complaint. Each starts with a statement that fits both among
// the sheet's first lines and inside a track, which completes a last track
// that has no statement yet; then one more track, with a FILE line when the
// prefix has named no file yet. libcue complains of the first when no FILE
// came before, of the second when a FILE is already waiting for its track.
// The third adds no track, for a prefix that may already have as many tracks
// as libcue holds.
enum ETail { kTailTrack, kTailFileTrack, kTailStatement, kNoTail };
constexpr std::array<const char*, 3> kTails{
    "REM DATE \"\"\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
    "REM DATE \"\"\nFILE \"x\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n",
    "REM DATE \"\"\n",
};
constexpr int kLibcueMaxTracks = 99; // a CD's
// libcue's scanner keeps its start condition from one parse to the next, so
// the end of one text (ours, or any other use of libcue in the process) could
// change how the next one reads. Whatever state it was left in, this text
// brings it back to the first, and it parses to a sheet that can be freed
// (libcue 2.2 leaks the sheets it gives up on).
constexpr const char* kScannerReset = "\n\"\"\nFILE \"x\" WAVE\nTRACK 01 AUDIO\nINDEX 01 00:00:00\n";

// A descriptor held by this object and closed with it.
class CFd {
public:
    CFd() = default;
    explicit CFd(int nFd) : m_nFd(nFd) {}
    CFd(const CFd&) = delete;
    CFd& operator=(const CFd&) = delete;
    ~CFd() { Reset(); }
    int Get() const { return m_nFd; }
    void Reset(int nFd = -1)
    {
        if (m_nFd >= 0)
            ::close(m_nFd);
        m_nFd = nFd;
    }

private:
    int m_nFd = -1;
};

// libcue tells what it cannot read only as text: its parser prints to standard
// error ("bad character 'x'", "4: syntax error", "too many tracks") and its
// scanner echoes what no rule matches to standard output, then it carries on
// with the next line. While this object lives, descriptors 1 and 2 lead into
// pipes of its own, so none of that reaches the user's terminal, or a cut
// being written to standard output, and what arrives says whether libcue
// skipped anything. The pipes never block: once one is full, more text is
// dropped. The descriptors are the process's, so whatever another thread
// writes meanwhile lands here too.
class CLibcueOutput {
public:
    CLibcueOutput();
    ~CLibcueOutput();
    CLibcueOutput(const CLibcueOutput&) = delete;
    CLibcueOutput& operator=(const CLibcueOutput&) = delete;

    // Empty when the pipes are in place; else the system's reason.
    const std::string& GetError() const { return m_strError; }
    // Whether libcue printed anything since the last call; strMessage gets
    // the first line it printed on standard error, if any.
    bool Take(std::string& strMessage);

private:
    struct SRoute {
        int nFd;      // 1 or 2
        CFd saved;    // the descriptor it had; none when it was closed
        CFd readEnd;  // this object's end of the pipe
        CFd writeEnd; // the end that stands in for nFd
    };
    bool Open(SRoute& route);
    std::array<SRoute, 2> m_routes{{{STDOUT_FILENO, {}, {}, {}}, {STDERR_FILENO, {}, {}, {}}}};
    std::string m_strError;
    bool m_bRedirected = false;
};

// A new descriptor for nFd numbered 3 or above, so that it cannot be one of
// the descriptors this object replaces.
int HighDup(int nFd)
{
    return ::fcntl(nFd, F_DUPFD_CLOEXEC, 3);
}

bool CLibcueOutput::Open(SRoute& route)
{
    int pipeFds[2];
    if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0)
        return false;
    CFd readEnd(pipeFds[0]), writeEnd(pipeFds[1]);
    route.readEnd.Reset(HighDup(readEnd.Get()));
    route.writeEnd.Reset(HighDup(writeEnd.Get()));
    if (route.readEnd.Get() < 0 || route.writeEnd.Get() < 0)
        return false;
    route.saved.Reset(HighDup(route.nFd)); // fails only for a closed descriptor
    return route.saved.Get() >= 0 || errno == EBADF;
}

CLibcueOutput::CLibcueOutput()
{
    for (SRoute& route : m_routes)
        if (!Open(route)) {
            m_strError = std::strerror(errno);
            return;
        }
    // What the program has written so far goes where it was meant to.
    std::fflush(stdout);
    std::fflush(stderr);
    for (SRoute& route : m_routes)
        ::dup2(route.writeEnd.Get(), route.nFd);
    m_bRedirected = true;
}

CLibcueOutput::~CLibcueOutput()
{
    if (!m_bRedirected)
        return;
    std::fflush(stdout); // the scanner's echo, into the pipe
    for (SRoute& route : m_routes) {
        if (route.saved.Get() >= 0)
            ::dup2(route.saved.Get(), route.nFd);
        else
            ::close(route.nFd);
    }
    // A full pipe failed a write; that is no error of the streams' own.
    std::clearerr(stdout);
    std::clearerr(stderr);
}

// Reads what the pipe holds, keeping at most nKeep bytes.
size_t Drain(int nFd, std::string& strKept, size_t nKeep)
{
    size_t nTotal = 0;
    std::array<char, 4096> buffer;
    for (ssize_t n; (n = ::read(nFd, buffer.data(), buffer.size())) > 0 || (n < 0 && errno == EINTR);) {
        if (n < 0)
            continue;
        const auto nRead = static_cast<size_t>(n);
        strKept.append(buffer.data(), std::min(nRead, nKeep - std::min(nKeep, strKept.size())));
        nTotal += nRead;
    }
    return nTotal;
}

// libcue's message made fit to show: its first line, without the line count
// libcue puts in front (it counts each line twice), with bytes that are not
// printable ASCII written as \xNN.
std::string ShownMessage(const std::string& strRaw)
{
    std::string strLine = strRaw.substr(0, strRaw.find('\n'));
    const size_t nDigits = strLine.find_first_not_of("0123456789");
    if (nDigits > 0 && nDigits != std::string::npos && strLine.compare(nDigits, 2, ": ") == 0)
        strLine.erase(0, nDigits + 2);
    std::string strShown;
    for (const char c : strLine) {
        const auto u = static_cast<unsigned char>(c);
        if (u >= 0x20 && u < 0x7f) {
            strShown += c;
            continue;
        }
        std::array<char, 5> hex;
        std::snprintf(hex.data(), hex.size(), "\\x%02x", u);
        strShown += hex.data();
    }
    return strShown;
}

bool CLibcueOutput::Take(std::string& strMessage)
{
    std::fflush(stdout);
    std::string strIgnored, strRaw;
    const size_t nOut = Drain(m_routes[0].readEnd.Get(), strIgnored, 0);
    const size_t nErr = Drain(m_routes[1].readEnd.Get(), strRaw, 256);
    strMessage = ShownMessage(strRaw);
    return nOut + nErr > 0;
}

struct SCdDeleter {
    void operator()(Cd* pCd) const { cd_delete(pCd); }
};
using CdPtr = std::unique_ptr<Cd, SCdDeleter>;

struct SParse {
    CdPtr cd;
    bool bComplained = false;
    std::string strMessage; // libcue's first complaint
    ETail tail = kNoTail;   // the tail the text was given
    int TrackCount() const { return cd ? cd_get_ntrack(cd.get()) : 0; }
    // The tracks of the text itself, without the one its tail added.
    int OwnTracks() const { return std::max(0, TrackCount() - (tail == kTailStatement ? 0 : 1)); }
};

SParse Parse(CLibcueOutput& output, const std::string& strText)
{
    std::string strIgnored;
    const CdPtr reset(cue_parse_string(kScannerReset));
    output.Take(strIgnored);
    SParse parse;
    parse.cd.reset(cue_parse_string(strText.c_str()));
    parse.bComplained = output.Take(parse.strMessage) || !parse.cd;
    return parse;
}

std::string CdText(const Cdtext* pText, Pti pti)
{
    const char* p = pText ? cdtext_get(pti, pText) : nullptr;
    return p ? p : "";
}

CCueResult Refused(std::string strError, unsigned nLine)
{
    return {std::nullopt, std::move(strError), nLine};
}

// Reads one sheet through libcue. libcue gives no line numbers, so the line of
// a fault is found by giving it growing prefixes of whole lines, each
// completed by one of the tails.
class CSheetReader {
public:
    CSheetReader(const std::string& strText, CLibcueOutput& output);
    CCueResult Read();

private:
    // The first nLines lines with the first tail that makes them parse
    // without a complaint; with the track tail and bComplained when none does.
    SParse ParsePrefix(unsigned nLines);
    SParse ParsePrefix(unsigned nLines, ETail tail);
    CCueResult FaultResult();
    unsigned LineOfTrack(int nTrack);
    CCueResult SheetOf(const SParse& parse);

    std::string m_strText;          // ends with a line break
    std::vector<size_t> m_lineEnds; // the offset just past each line
    CLibcueOutput& m_output;
};

CSheetReader::CSheetReader(const std::string& strText, CLibcueOutput& output) : m_strText(strText), m_output(output)
{
    if (m_strText.empty() || m_strText.back() != '\n')
        m_strText += '\n';
    for (size_t i = 0; i < m_strText.size(); ++i)
        if (m_strText[i] == '\n')
            m_lineEnds.push_back(i + 1);
}

SParse CSheetReader::ParsePrefix(unsigned nLines, ETail tail)
{
    const size_t nBytes = nLines == 0 ? 0 : m_lineEnds[nLines - 1];
    SParse parse = Parse(m_output, m_strText.substr(0, nBytes) + kTails[tail]);
    parse.tail = tail;
    return parse;
}

// Whether the text may hold as many tracks as libcue does: each track starts
// with the word TRACK.
bool MayBeFull(const std::string& strText, size_t nBytes)
{
    int nWords = 0;
    for (size_t i = strText.find("TRACK"); i < nBytes && nWords < kLibcueMaxTracks; i = strText.find("TRACK", i + 1))
        ++nWords;
    return nWords >= kLibcueMaxTracks;
}

SParse CSheetReader::ParsePrefix(unsigned nLines)
{
    // One track more than libcue holds makes it complain, and leak the track it drops.
    if (MayBeFull(m_strText, nLines == 0 ? 0 : m_lineEnds[nLines - 1]))
        return ParsePrefix(nLines, kTailStatement);
    SParse withTrack = ParsePrefix(nLines, kTailTrack);
    if (!withTrack.bComplained)
        return withTrack;
    SParse withFile = ParsePrefix(nLines, kTailFileTrack);
    return withFile.bComplained ? std::move(withTrack) : std::move(withFile);
}

// The first line whose prefix no tail completes: a gallop from the start, so a
// fault near the top of a large sheet costs few parses, then a bisection.
CCueResult CSheetReader::FaultResult()
{
    const auto nLines = static_cast<unsigned>(m_lineEnds.size());
    unsigned nSound = 0, nFaulty = 0;
    ETail soundTail = kTailFileTrack; // the empty prefix has named no file
    for (unsigned nStep = 1; nFaulty == 0 && nSound < nLines; nStep *= 2) {
        const unsigned nTry = std::min(nLines, nSound + nStep);
        const SParse parse = ParsePrefix(nTry);
        if (parse.bComplained) {
            nFaulty = nTry;
        } else {
            nSound = nTry;
            soundTail = parse.tail;
        }
    }
    if (nFaulty == 0)
        return Refused("the sheet cannot be read", 0); // the whole sheet read when completed
    while (nFaulty - nSound > 1) {
        const unsigned nMid = nSound + (nFaulty - nSound) / 2;
        const SParse parse = ParsePrefix(nMid);
        if (parse.bComplained) {
            nFaulty = nMid;
        } else {
            nSound = nMid;
            soundTail = parse.tail;
        }
    }
    // The tail that completed the sound prefix complains of the faulty line.
    const SParse parse = ParsePrefix(nFaulty, soundTail);
    std::string strError = "this line cannot be read";
    if (!parse.strMessage.empty())
        strError += ": " + parse.strMessage;
    return Refused(strError, nFaulty);
}

// The line of track nTrack's TRACK statement: the shortest prefix that holds
// that many tracks. 0 when none does.
unsigned CSheetReader::LineOfTrack(int nTrack)
{
    const auto nLines = static_cast<unsigned>(m_lineEnds.size());
    unsigned nFewer = 0, nEnough = nLines;
    if (ParsePrefix(nLines).OwnTracks() < nTrack)
        return 0;
    while (nEnough - nFewer > 1) {
        const unsigned nMid = nFewer + (nEnough - nFewer) / 2;
        if (ParsePrefix(nMid).OwnTracks() >= nTrack)
            nEnough = nMid;
        else
            nFewer = nMid;
    }
    return nEnough;
}

std::string TrackFile(const Cd* pCd, int nTrack)
{
    const Track* pTrack = cd_get_track(pCd, nTrack);
    const char* pFile = pTrack ? track_get_filename(pTrack) : nullptr;
    return pFile ? pFile : "";
}

CCueResult CSheetReader::SheetOf(const SParse& parse)
{
    const Cd* pCd = parse.cd.get();
    const int nTracks = parse.OwnTracks();
    if (nTracks == 0)
        return Refused("the sheet has no track", 0);
    CCueSheet sheet;
    sheet.strTitle = CdText(cd_get_cdtext(pCd), PTI_TITLE);
    sheet.strPerformer = CdText(cd_get_cdtext(pCd), PTI_PERFORMER);
    sheet.strFile = TrackFile(pCd, 1);
    // The added track takes the last FILE named, so it also shows a FILE line
    // after the last track.
    for (int i = 2; i <= (parse.tail == kTailTrack ? nTracks + 1 : nTracks); ++i)
        if (TrackFile(pCd, i) != sheet.strFile)
            return Refused("the sheet names more than one FILE; give a sheet for one file", 0);
    for (int i = 1; i <= nTracks; ++i) {
        const Track* pTrack = cd_get_track(pCd, i);
        // libcue keeps no TRACK numbers: tracks count in the sheet's order.
        const std::string strTrack = "track " + std::to_string(i);
        const long nStart = pTrack ? track_get_index(pTrack, 1) : -1;
        if (nStart == -1)
            return Refused(strTrack + " has no INDEX 01", LineOfTrack(i));
        if (nStart < 0) // libcue's arithmetic wrapped
            return Refused("the INDEX 01 of " + strTrack + " is out of range", LineOfTrack(i));
        if (!sheet.tracks.empty() && static_cast<uint64_t>(nStart) <= sheet.tracks.back().nStart75)
            return Refused(strTrack + " does not start after track " + std::to_string(i - 1), LineOfTrack(i));
        sheet.tracks.push_back({static_cast<unsigned>(i), static_cast<uint64_t>(nStart),
                                CdText(track_get_cdtext(pTrack), PTI_TITLE),
                                CdText(track_get_cdtext(pTrack), PTI_PERFORMER)});
    }
    return {std::move(sheet), {}, 0};
}

CCueResult CSheetReader::Read()
{
    const SParse parse = ParsePrefix(static_cast<unsigned>(m_lineEnds.size()));
    return parse.bComplained ? FaultResult() : SheetOf(parse);
}

// The faults found before libcue sees the text: a NUL byte (libcue reads a C
// string) and an overlong line.
std::optional<CCueResult> ByteFault(const std::string& strText)
{
    unsigned nLine = 1;
    size_t nLineStart = 0;
    for (size_t i = 0; i <= strText.size(); ++i) {
        if (i == strText.size() || strText[i] == '\n') {
            if (i - nLineStart > kMaxLineBytes)
                return Refused("this line is longer than " + std::to_string(kMaxLineBytes) + " bytes", nLine);
            ++nLine;
            nLineStart = i + 1;
        } else if (strText[i] == '\0') {
            return Refused("this line holds a NUL byte (a sheet is text, in UTF-8 or one byte a character)", nLine);
        }
    }
    return std::nullopt;
}

std::mutex g_libcueMutex; // libcue's parser and scanner are global

} // namespace

CCueResult ReadCueSheet(const std::string& strText)
{
    if (strText.size() > kMaxSheetBytes)
        return Refused("the sheet is too large", 0);
    const std::string strBom = "\xEF\xBB\xBF";
    const std::string strBody = strText.starts_with(strBom) ? strText.substr(strBom.size()) : strText;
    if (strBody.find_first_not_of(" \t\r\n") == std::string::npos)
        return Refused("the sheet has no track", 0);
    if (std::optional<CCueResult> fault = ByteFault(strBody))
        return *fault;

    std::lock_guard<std::mutex> lock(g_libcueMutex);
    CLibcueOutput output;
    if (!output.GetError().empty())
        return Refused("the sheet cannot be read: " + output.GetError(), 0);
    return CSheetReader(strBody, output).Read();
}
