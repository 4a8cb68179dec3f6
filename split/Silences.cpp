#include "split/Silences.h"

#include "audio/CutPlanners.h"
#include "audio/SoundAnalysis.h"

#include <algorithm>
#include <cmath>

namespace {

// The first silence that ends after nFrame (silences are in order and apart).
std::vector<SSilence>::const_iterator FirstEndingAfter(const std::vector<SSilence>& silences, uint64_t nFrame)
{
    return std::upper_bound(silences.begin(), silences.end(), nFrame,
                            [](uint64_t n, const SSilence& s) { return n < s.nTo; });
}

uint64_t Distance(uint64_t a, uint64_t b)
{
    return a > b ? a - b : b - a;
}

} // namespace

float LevelFromDb(double dDb)
{
    return static_cast<float>(std::pow(10.0, dDb / 20.0));
}

std::vector<SSilence> FindSilences(const std::vector<float>& levels, uint32_t nWindow, uint64_t nTotal, float fLimit,
                                   uint64_t nMinFrames)
{
    std::vector<SSilence> silences;
    if (nWindow == 0)
        return silences;
    const uint64_t nWindows = std::min<uint64_t>(levels.size(), nTotal / nWindow + (nTotal % nWindow != 0 ? 1 : 0));
    auto close = [&](uint64_t nFrom, uint64_t nTo) {
        if (nTo - nFrom >= nMinFrames)
            silences.push_back({nFrom, nTo});
    };
    uint64_t nRunFrom = 0;
    bool bInRun = false;
    for (uint64_t i = 0; i < nWindows; ++i) {
        const bool bQuiet = levels[i] < fLimit; // a NaN is not quiet
        if (bQuiet && !bInRun)
            nRunFrom = i * nWindow;
        else if (!bQuiet && bInRun)
            close(nRunFrom, i * nWindow);
        bInRun = bQuiet;
    }
    if (bInRun)
        close(nRunFrom, std::min(nWindows * nWindow, nTotal));
    return silences;
}

std::vector<SSilence> SilencesOf(const CSoundAnalysis& analysis, uint64_t nTotal, double dThresholdDb,
                                 uint64_t nMinMillis)
{
    return FindSilences(analysis.GetLevels(), analysis.GetLevelWindow(), nTotal, LevelFromDb(dThresholdDb),
                        uint64_t{analysis.GetRate()} * nMinMillis / 1000);
}

bool CutPointIn(ECutRule rule, uint32_t nRate, uint64_t nFrom, uint64_t nTo, uint64_t nAim, uint64_t& nPoint)
{
    if (nFrom >= nTo)
        return false;
    if (rule == ECutRule::Exact) {
        nPoint = std::clamp(nAim, nFrom, nTo - 1);
        return true;
    }
    if (nRate == 0)
        return false;
    const uint64_t nFirst = (nFrom + nRate - 1) / nRate * nRate, nLast = (nTo - 1) / nRate * nRate;
    if (nFirst > nLast)
        return false;
    nPoint = std::clamp((nAim + nRate / 2) / nRate * nRate, nFirst, nLast);
    return true;
}

CCutPlan PlanAtSilences(ECutRule rule, uint32_t nRate, uint64_t nTotal, const std::vector<SSilence>& silences,
                        uint64_t nMinPiece, uint64_t nLeadIn, size_t* pPassedOver)
{
    std::vector<uint64_t> points;
    uint64_t nPieceFrom = 0;
    for (const SSilence& s : silences) {
        if (s.nFrom == 0 || s.nTo >= nTotal)
            continue;
        uint64_t nPoint = 0;
        if (!CutPointIn(rule, nRate, s.nFrom, s.nTo, s.Middle(), nPoint)) {
            if (pPassedOver)
                ++*pPassedOver;
            continue;
        }
        // Too short a piece runs on into the next one.
        if (nPoint <= nPieceFrom || nPoint - nPieceFrom < nMinPiece)
            continue;
        points.push_back(nPoint);
        nPieceFrom = nPoint;
    }
    if (!points.empty() && nTotal - points.back() < nMinPiece)
        points.pop_back();
    return PlanAtPoints(rule, nTotal, points, nLeadIn);
}

CCutPlan SnapToSilences(const CCutPlan& plan, const std::vector<SSilence>& silences, uint32_t nRate, uint64_t nReach,
                        std::vector<uint64_t>* pMissed)
{
    CCutPlan snapped = plan;
    for (size_t i = 1; i < plan.pieces.size(); ++i) {
        const uint64_t nPoint = plan.pieces[i].nFrom;
        if (nPoint != plan.pieces[i - 1].nTo)
            continue; // not one cut point between two pieces
        // Within reach, after the point before it (as it now stands) and before the one after it.
        const uint64_t nLow = std::max(nPoint > nReach ? nPoint - nReach : 0, snapped.pieces[i - 1].nFrom + 1);
        const uint64_t nHigh = std::min(nPoint + std::min(nReach, UINT64_MAX - nPoint - 1) + 1, plan.pieces[i].nTo);
        uint64_t nBest = 0, nBestLength = 0;
        for (auto it = FirstEndingAfter(silences, nLow); it != silences.end() && it->nFrom < nHigh; ++it) {
            const SSilence part{std::max(it->nFrom, nLow), std::min(it->nTo, nHigh)};
            uint64_t nHere = 0;
            if (!CutPointIn(plan.rule, nRate, part.nFrom, part.nTo, part.Middle(), nHere))
                continue;
            const uint64_t nLength = part.nTo - part.nFrom;
            if (nLength > nBestLength || (nLength == nBestLength && Distance(nHere, nPoint) < Distance(nBest, nPoint))) {
                nBest = nHere;
                nBestLength = nLength;
            }
        }
        if (nBestLength == 0) {
            if (pMissed)
                pMissed->push_back(nPoint);
            nBest = nPoint;
            uint64_t nSecond = 0;
            if (plan.rule == ECutRule::WholeSeconds &&
                CutPointIn(plan.rule, nRate, snapped.pieces[i - 1].nFrom + 1, plan.pieces[i].nTo, nPoint, nSecond))
                nBest = nSecond;
        }
        snapped.pieces[i - 1].nTo = nBest;
        snapped.pieces[i].nFrom = nBest;
    }
    return snapped;
}

CCutPlan TrimSilences(const CCutPlan& plan, const std::vector<SSilence>& silences, uint32_t nRate,
                      std::vector<size_t>* pDropped)
{
    const bool bWhole = plan.rule == ECutRule::WholeSeconds && nRate != 0;
    CCutPlan trimmed{plan.rule, {}};
    for (size_t i = 0; i < plan.pieces.size(); ++i) {
        CPiece piece = plan.pieces[i];
        if (piece.nFrom < piece.nTo) {
            const auto head = FirstEndingAfter(silences, piece.nFrom);
            if (head != silences.end() && head->nFrom <= piece.nFrom) {
                if (head->nTo >= piece.nTo) {
                    if (pDropped)
                        pDropped->push_back(i);
                    continue;
                }
                piece.nFrom = bWhole ? std::max(piece.nFrom, head->nTo / nRate * nRate) : head->nTo;
            }
            const auto tail = FirstEndingAfter(silences, piece.nTo - 1);
            if (tail != silences.end() && tail->nFrom < piece.nTo && tail->nFrom > piece.nFrom)
                piece.nTo = bWhole ? std::min(piece.nTo, (tail->nFrom + nRate - 1) / nRate * nRate) : tail->nFrom;
        }
        trimmed.pieces.push_back(std::move(piece));
    }
    return trimmed;
}
