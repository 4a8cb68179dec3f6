// Arbitrary text read as a cue sheet: either a sheet whose tracks are numbered
// in order and start in ascending order, or a reason, with a line that lies in
// the text; and the same answer when the text is read again.
#include "fuzz/FuzzTargets.h"

#include "split/CueSheet.h"

#include <algorithm>
#include <cstdio>
#include <string>

namespace {

unsigned LineCount(const std::string& strText)
{
    const auto nBreaks = static_cast<unsigned>(std::count(strText.begin(), strText.end(), '\n'));
    return nBreaks + (strText.empty() || strText.back() == '\n' ? 0 : 1);
}

// Why the answer breaks a rule, or nullptr when it keeps them all.
const char* BrokenRule(const CCueResult& r, unsigned nLines)
{
    if (r.nLine > nLines)
        return "the line lies past the text";
    if (!r.sheet)
        return r.strError.empty() ? "refused without a reason" : nullptr;
    if (!r.strError.empty() || r.nLine != 0)
        return "a sheet with a reason";
    if (r.sheet->tracks.empty())
        return "a sheet without tracks";
    for (size_t i = 0; i < r.sheet->tracks.size(); ++i) {
        if (r.sheet->tracks[i].nNumber != i + 1)
            return "tracks not numbered in order";
        if (i > 0 && r.sheet->tracks[i].nStart75 <= r.sheet->tracks[i - 1].nStart75)
            return "starts that do not ascend";
    }
    return nullptr;
}

bool SameAnswer(const CCueResult& a, const CCueResult& b)
{
    if (a.strError != b.strError || a.nLine != b.nLine || a.sheet.has_value() != b.sheet.has_value())
        return false;
    if (!a.sheet)
        return true;
    const auto sameTrack = [](const CCueTrack& x, const CCueTrack& y) {
        return x.nNumber == y.nNumber && x.nStart75 == y.nStart75 && x.strTitle == y.strTitle &&
               x.strPerformer == y.strPerformer;
    };
    return a.sheet->strTitle == b.sheet->strTitle && a.sheet->strPerformer == b.sheet->strPerformer &&
           a.sheet->strFile == b.sheet->strFile &&
           std::equal(a.sheet->tracks.begin(), a.sheet->tracks.end(), b.sheet->tracks.begin(), b.sheet->tracks.end(),
                      sameTrack);
}

} // namespace

int FuzzCue(const uint8_t* pData, size_t nSize)
{
    const std::string strText(reinterpret_cast<const char*>(pData), nSize);
    const CCueResult first = ReadCueSheet(strText);
    if (const char* pBroken = BrokenRule(first, LineCount(strText))) {
        std::fprintf(stderr, "fuzz target: %s (line %u: %s)\n", pBroken, first.nLine, first.strError.c_str());
        return 1;
    }
    // libcue keeps state in globals; none of it may reach the next read.
    if (!SameAnswer(first, ReadCueSheet(strText))) {
        std::fprintf(stderr, "fuzz target: a second read gives another answer\n");
        return 1;
    }
    return 0;
}
