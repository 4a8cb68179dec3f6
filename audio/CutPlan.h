#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The tag fields a piece carries: from a cue sheet's track, or the number of
// the piece in its split.
struct CPieceTags {
    std::string strTitle;
    std::string strPerformer;
    std::string strAlbum;
    unsigned nTrack = 0;  // 1-based; 0 when unnumbered
    unsigned nTracks = 0; // pieces in the split
};

// One output file of a plan: the audio's sample frames [nFrom, nTo), led in
// by the nLeadIn frames before nFrom (fewer where the audio starts first).
struct CPiece {
    uint64_t nFrom = 0;
    uint64_t nTo = 0;
    uint64_t nLeadIn = 0;
    std::string strPath;
    CPieceTags tags;
};

// How sample frames become bytes. WholeSeconds: every point is a whole second
// (a multiple of the rate) and falls where the whole-second rules put it
// (average bytes per second, then the next frame header of an MP3). Exact:
// on the sample frame nearest it (WAV; the nearest block for block formats),
// or the nearest frame boundary (MP3).
enum class ECutRule { WholeSeconds, Exact };

// What a cut writes: pieces in order, each with its own output file.
struct CCutPlan {
    ECutRule rule = ECutRule::WholeSeconds;
    std::vector<CPiece> pieces;
};
