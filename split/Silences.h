#pragma once

#include "audio/CutPlan.h"

#include <cstddef>
#include <cstdint>
#include <vector>

class CSoundAnalysis;

// Pauses in the sound, found from a level track (the RMS of each window of a
// fixed number of sample frames, linear, full scale 1.0), and the plans that
// cut in them. Positions are sample frames, as in a CCutPlan.

// The sample frames [nFrom, nTo) of one silence.
struct SSilence {
    uint64_t nFrom = 0;
    uint64_t nTo = 0;
    uint64_t Middle() const { return nFrom + (nTo - nFrom) / 2; }
    bool operator==(const SSilence&) const = default;
};

// What counts as silence unless the user says otherwise: below -40 dBFS for
// at least half a second.
inline constexpr double kDefaultSilenceDb = -40.0;
inline constexpr uint64_t kDefaultMinSilenceMillis = 500;
// The thresholds that make sense: below full scale, and no lower than 24-bit
// audio's quietest step can tell apart.
inline constexpr double kLowestSilenceDb = -144.0;

// The linear level of a threshold in dBFS.
float LevelFromDb(double dDb);

// The silences: stretches of whole windows whose level stays below fLimit
// (strictly) that last at least nMinFrames. levels[i] holds frames
// [i × nWindow, (i + 1) × nWindow), the last window cut at nTotal; windows
// past nTotal are ignored, and frames past the last level are not silence.
std::vector<SSilence> FindSilences(const std::vector<float>& levels, uint32_t nWindow, uint64_t nTotal, float fLimit,
                                   uint64_t nMinFrames);

// The silences of an analysed file (once IsDone()) that are below dThresholdDb
// for at least nMinMillis, over its nTotal frames.
std::vector<SSilence> SilencesOf(const CSoundAnalysis& analysis, uint64_t nTotal,
                                 double dThresholdDb = kDefaultSilenceDb,
                                 uint64_t nMinMillis = kDefaultMinSilenceMillis);

// Under the whole-second rules a cut point must be a whole second: the one in
// [nFrom, nTo) nearest nAim, or nothing (returned as false) when the stretch
// holds none. Exact cuts take nAim itself.
bool CutPointIn(ECutRule rule, uint32_t nRate, uint64_t nFrom, uint64_t nTo, uint64_t nAim, uint64_t& nPoint);

// Pieces cut in the middle of every silence (under the whole-second rules at
// the whole second in it nearest its middle; a silence holding none is passed
// over and counted in *pPassedOver). A silence that touches the start or the
// end of the audio separates nothing and is not cut. A piece shorter than
// nMinPiece is joined to the next one; the last one, having none, to the one
// before it. No silence to cut at gives one piece, the whole audio. Each
// piece after the first is led in by nLeadIn frames.
CCutPlan PlanAtSilences(ECutRule rule, uint32_t nRate, uint64_t nTotal, const std::vector<SSilence>& silences,
                        uint64_t nMinPiece, uint64_t nLeadIn, size_t* pPassedOver = nullptr);

// The plan with each cut point between neighbouring pieces moved into the
// longest silence within nReach frames of it (only the part of each silence
// within reach counts, and never past the point before it or the one after
// it), to the middle of that part; under the whole-second rules to the whole
// second in it nearest its middle, counting only parts that hold one. A point
// with no silence in reach stays (under the whole-second rules on the nearest
// whole second) and is added to *pMissed as it stood in the plan.
CCutPlan SnapToSilences(const CCutPlan& plan, const std::vector<SSilence>& silences, uint32_t nRate, uint64_t nReach,
                        std::vector<uint64_t>* pMissed = nullptr);

// The plan with the silence at the start and the end of each piece cut off
// (under the whole-second rules only down to the whole second, never into the
// sound). A piece that lies wholly in one silence holds nothing to hear: it is
// left out, and its index in the plan is added to *pDropped. The pieces keep
// their paths, tags and lead-in.
CCutPlan TrimSilences(const CCutPlan& plan, const std::vector<SSilence>& silences, uint32_t nRate,
                      std::vector<size_t>* pDropped = nullptr);
