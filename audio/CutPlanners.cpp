#include "audio/CutPlanners.h"

#include <algorithm>

namespace {

void Number(CCutPlan& plan)
{
    const auto n = static_cast<unsigned>(plan.pieces.size());
    for (unsigned i = 0; i < n; ++i) {
        plan.pieces[i].tags.nTrack = i + 1;
        plan.pieces[i].tags.nTracks = n;
    }
}

} // namespace

CCutPlan PlanSelection(ECutRule rule, uint64_t nFrom, uint64_t nTo, std::string strPath)
{
    CCutPlan plan{rule, {}};
    plan.pieces.push_back({std::min(nFrom, nTo), std::max(nFrom, nTo), 0, std::move(strPath), {}});
    return plan;
}

CCutPlan PlanEqual(ECutRule rule, uint64_t nTotal, unsigned n, uint64_t nLeadIn)
{
    CCutPlan plan{rule, {}};
    if (n == 0)
        return plan;
    const uint64_t nEach = nTotal / n, nRest = nTotal % n;
    uint64_t nFrom = 0;
    for (unsigned i = 0; i < n; ++i) {
        const uint64_t nTo = nFrom + nEach + (i < nRest ? 1 : 0);
        plan.pieces.push_back({nFrom, nTo, i == 0 ? 0 : nLeadIn, {}, {}});
        nFrom = nTo;
    }
    Number(plan);
    return plan;
}

CCutPlan PlanAtPoints(ECutRule rule, uint64_t nTotal, const std::vector<uint64_t>& points, uint64_t nLeadIn)
{
    std::vector<uint64_t> starts{0};
    starts.insert(starts.end(), points.begin(), points.end());
    return PlanFromStarts(rule, nTotal, starts, nLeadIn);
}

CCutPlan PlanFromStarts(ECutRule rule, uint64_t nTotal, const std::vector<uint64_t>& starts, uint64_t nLeadIn)
{
    CCutPlan plan{rule, {}};
    for (size_t i = 0; i < starts.size(); ++i)
        plan.pieces.push_back({starts[i], i + 1 < starts.size() ? starts[i + 1] : nTotal, i == 0 ? 0 : nLeadIn, {}, {}});
    Number(plan);
    return plan;
}

CPointFault CheckCutPoints(uint64_t nTotal, const std::vector<uint64_t>& points)
{
    uint64_t nPrevious = 0;
    for (size_t i = 0; i < points.size(); ++i) {
        const int nIndex = static_cast<int>(i);
        if (points[i] == 0)
            return {nIndex, "a cut at the very start leaves nothing before it"};
        if (points[i] >= nTotal)
            return {nIndex, "lies at or past the end of the audio"};
        if (points[i] <= nPrevious)
            return {nIndex, "does not come after the time before it"};
        nPrevious = points[i];
    }
    return {};
}
