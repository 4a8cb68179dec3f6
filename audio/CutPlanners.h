#pragma once

#include "audio/CutPlan.h"

#include <cstdint>
#include <string>
#include <vector>

// The planners: each turns what the user asked for into pieces counted in
// sample frames of the audio. Output paths are given afterwards (PieceNames).

// One piece from nFrom to nTo (put in order).
CCutPlan PlanSelection(ECutRule rule, uint64_t nFrom, uint64_t nTo, std::string strPath);

// n pieces of equal length covering nTotal frames; the remainder of the
// division goes one frame each to the first pieces. Each piece after the
// first is led in by nLeadIn frames. Pieces are numbered i of n.
CCutPlan PlanEqual(ECutRule rule, uint64_t nTotal, unsigned n, uint64_t nLeadIn);

// Pieces from 0 to the first point, between neighbouring points, and from the
// last point to nTotal; each after the first led in by nLeadIn frames. The
// points must ascend strictly within (0, nTotal): see CheckCutPoints.
CCutPlan PlanAtPoints(ECutRule rule, uint64_t nTotal, const std::vector<uint64_t>& points, uint64_t nLeadIn);

// Pieces from each start to the next, the last to nTotal (a cue sheet's
// tracks); each after the first led in by nLeadIn frames.
CCutPlan PlanFromStarts(ECutRule rule, uint64_t nTotal, const std::vector<uint64_t>& starts, uint64_t nLeadIn);

// Why the points cannot cut the audio: the index of the first one that does
// not ascend or lies outside the audio, and the reason. nIndex is -1 when
// they are fine.
struct CPointFault {
    int nIndex = -1;
    std::string strReason;
};
CPointFault CheckCutPoints(uint64_t nTotal, const std::vector<uint64_t>& points);
