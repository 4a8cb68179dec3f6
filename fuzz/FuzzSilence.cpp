// An arbitrary level track searched for silences, and the plans that cut in
// them: every silence lies in the audio, in order, below the limit and long
// enough; every plan covers the audio from start to end, piece after piece,
// and cuts only where the rules allow.
#include "fuzz/FuzzTargets.h"

#include "audio/CutPlanners.h"
#include "platform/ByteOrder.h"
#include "split/Silences.h"

#include <algorithm>
#include <cstdio>

namespace {

struct SSilenceInput {
    ECutRule rule;
    uint32_t nRate, nWindow;
    uint64_t nTotal, nMinFrames, nReach, nMinPiece, nLeadIn;
    unsigned nEqualPieces;
    float fLimit;
    std::vector<float> levels;
};

bool InSilence(const std::vector<SSilence>& silences, uint64_t nPoint)
{
    return std::any_of(silences.begin(), silences.end(),
                       [&](const SSilence& s) { return nPoint >= s.nFrom && nPoint < s.nTo; });
}

// Why the silences break their rules, or nullptr.
const char* BrokenSilences(const SSilenceInput& in, const std::vector<SSilence>& silences)
{
    uint64_t nAfter = 0;
    for (const SSilence& s : silences) {
        if (s.nFrom < nAfter || s.nTo <= s.nFrom || s.nTo > in.nTotal)
            return "a silence out of order or out of the audio";
        if (s.nTo - s.nFrom < in.nMinFrames)
            return "a silence shorter than the least";
        for (uint64_t w = s.nFrom / in.nWindow; w * in.nWindow < s.nTo; ++w)
            if (w >= in.levels.size() || !(in.levels[w] < in.fLimit))
                return "a silence over a window that is not silent";
        nAfter = s.nTo + 1; // two silences next to each other would be one
    }
    return nullptr;
}

// Why a plan over the whole audio breaks its rules, or nullptr. bWholeSeconds
// cut points must fall on whole seconds.
const char* BrokenCover(const SSilenceInput& in, const CCutPlan& plan)
{
    if (plan.pieces.empty())
        return "no pieces";
    if (plan.pieces.front().nFrom != 0 || plan.pieces.back().nTo != in.nTotal)
        return "the pieces do not reach from the start to the end";
    for (size_t i = 0; i < plan.pieces.size(); ++i) {
        const CPiece& piece = plan.pieces[i];
        if (piece.nTo <= piece.nFrom)
            return "an empty piece";
        if (i > 0 && piece.nFrom != plan.pieces[i - 1].nTo)
            return "pieces that do not follow each other";
        if (i > 0 && plan.rule == ECutRule::WholeSeconds && piece.nFrom % in.nRate != 0)
            return "a cut off the whole seconds";
    }
    return nullptr;
}

int Check(const SSilenceInput& in)
{
    const char* pWhy = nullptr;
    const std::vector<SSilence> silences = FindSilences(in.levels, in.nWindow, in.nTotal, in.fLimit, in.nMinFrames);
    pWhy = BrokenSilences(in, silences);

    size_t nPassedOver = 0;
    const CCutPlan atSilences =
        PlanAtSilences(in.rule, in.nRate, in.nTotal, silences, in.nMinPiece, in.nLeadIn, &nPassedOver);
    if (!pWhy)
        pWhy = BrokenCover(in, atSilences);
    for (size_t i = 1; !pWhy && i < atSilences.pieces.size(); ++i)
        if (!InSilence(silences, atSilences.pieces[i].nFrom))
            pWhy = "a cut at silences outside every silence";

    // Equal pieces as a split makes them: a second at least under the
    // whole-second rules, a frame at least for exact cuts.
    const uint64_t nLeast = in.rule == ECutRule::WholeSeconds ? in.nRate : 1;
    const unsigned nEqual = static_cast<unsigned>(std::min<uint64_t>(in.nEqualPieces, in.nTotal / nLeast));
    const CCutPlan equal = PlanEqual(in.rule, in.nTotal, nEqual, in.nLeadIn);
    std::vector<uint64_t> missed;
    const CCutPlan snapped = SnapToSilences(equal, silences, in.nRate, in.nReach, &missed);
    if (!pWhy && snapped.pieces.size() != equal.pieces.size())
        pWhy = "snapping changed the number of pieces";
    if (!pWhy && !equal.pieces.empty())
        pWhy = BrokenCover(in, snapped);
    for (size_t i = 1; !pWhy && i < snapped.pieces.size(); ++i) {
        const uint64_t nWas = equal.pieces[i].nFrom, nNow = snapped.pieces[i].nFrom;
        const bool bMissed = std::find(missed.begin(), missed.end(), nWas) != missed.end();
        if (!bMissed && !InSilence(silences, nNow))
            pWhy = "a snapped cut outside every silence";
        if (!bMissed && (nNow > nWas + in.nReach || nWas > nNow + in.nReach))
            pWhy = "a snapped cut beyond its reach";
    }

    std::vector<size_t> dropped;
    const CCutPlan trimmed = TrimSilences(atSilences, silences, in.nRate, &dropped);
    if (!pWhy && trimmed.pieces.size() + dropped.size() != atSilences.pieces.size())
        pWhy = "trimming lost pieces it did not name";
    for (size_t i = 0, j = 0; !pWhy && i < atSilences.pieces.size(); ++i) {
        if (std::find(dropped.begin(), dropped.end(), i) != dropped.end())
            continue;
        const CPiece &was = atSilences.pieces[i], &now = trimmed.pieces[j++];
        if (now.nFrom < was.nFrom || now.nTo > was.nTo || now.nTo <= now.nFrom)
            pWhy = "a trimmed piece outside its piece, or empty";
    }
    if (!pWhy)
        return 0;
    std::fprintf(stderr, "fuzz silence: %s\n", pWhy);
    return 1;
}

} // namespace

int FuzzSilence(const uint8_t* pData, size_t nSize)
{
    if (nSize < kSilencePrefixBytes)
        return 0;
    SSilenceInput in;
    in.rule = (pData[0] & 1) == 0 ? ECutRule::Exact : ECutRule::WholeSeconds;
    in.nEqualPieces = 1 + (pData[0] >> 1 & 31);
    in.nRate = 1 + pData[1] % 200;
    in.nWindow = 1 + pData[2] % 16;
    in.fLimit = static_cast<float>(pData[3]) / 255.0f;
    in.nTotal = ReadU32LE(pData + 4) % (uint64_t{in.nWindow} * (nSize - kSilencePrefixBytes + 2) + 1);
    in.nMinFrames = pData[8] % 64;
    in.nReach = ReadU16LE(pData + 9) % 2048;
    in.nMinPiece = pData[11] % 128;
    in.nLeadIn = pData[12] % 16;
    for (size_t i = kSilencePrefixBytes; i < nSize; ++i)
        in.levels.push_back(static_cast<float>(pData[i]) / 255.0f);
    return in.nTotal == 0 ? 0 : Check(in);
}
