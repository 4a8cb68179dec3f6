#pragma once

#include <cstdint>
#include <optional>
#include <string>

// A time on the audio's time line as the user typed it: seconds as an exact
// decimal ([[H:]MM:]SS[.fraction]), or a count of sample frames ("Ns"). Kept
// as typed so that a cut point is computed once, without rounding twice.
struct CCutTime {
    bool bSamples = false;
    uint64_t nValue = 0; // sample frames, or seconds × nScale
    uint64_t nScale = 1; // 10 to the number of fraction digits

    static CCutTime Seconds(uint64_t nSeconds) { return {false, nSeconds, 1}; }
    static CCutTime Frames(uint64_t nFrames) { return {true, nFrames, 1}; }

    // A time with a fraction or given in samples: one the whole-second rules
    // cannot cut at.
    bool NeedsExact() const { return bSamples || nValue % nScale != 0; }
    // Whole seconds, rounded down.
    uint64_t WholeSeconds() const { return bSamples ? 0 : nValue / nScale; }
    // The sample frame nearest this time at nRate frames per second.
    uint64_t ToFrames(uint32_t nRate) const;
    bool operator==(const CCutTime&) const = default;
};

// Parses "SS", "MM:SS", "H:MM:SS" with an optional fraction of up to 9 digits
// after the seconds, or "Ns". Nothing, with the reason in strError, otherwise.
std::optional<CCutTime> ParseCutTime(const std::string& strText, std::string& strError);

// H:MM:SS.mmm, or M:SS.mmm below an hour: how times are shown.
std::string FormatCutTime(double dSeconds);
// The same with the hours always (H:MM:SS.mmm) or as FormatCutTime decides:
// the times of one file are shown alike, with hours when the file lasts one.
std::string FormatCutTime(double dSeconds, bool bHours);
