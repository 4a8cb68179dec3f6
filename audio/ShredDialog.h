#pragma once

#include "audio/RiffRecords.h"

#include <cstdint>
#include <optional>
#include <string>

// What the Shred Equally dialog is constructed with, by kind of file.
struct CWaveShredArgs {
    CFormatRecord fmt;
    CChunkHeader dataHeader; // as it stands in the file
    CChunkHeader factHeader; // id and size 0 when the file has none
    // The audio bytes the split divides, which can pass 32 bits and differ from
    // the data chunk's size field (RF64, streamed recordings); without it, the
    // size field.
    std::optional<uint64_t> nAudioBytes;
    std::string strSourceName;
    std::string strSourcePath;
    int32_t nOverlap = 0;
};

struct CMp3ShredArgs {
    std::string strSourceName;
    std::string strSourcePath;
    uint64_t nFileLength = 0;     // bytes the split divides, counted as the estimate counts them
    uint32_t nBitrate = 0;        // bits per second of the first audio frame's header
    double dBytesPerSecond = 0.0; // rate of time and byte conversions; 0 means nBitrate / 8
    bool bNoTag = true;           // true when the source carries no ID3v1 tag
    int32_t nOverlap = 0;
};

// How the dialog ended. With OK the split reads the number of fragments, as the
// number field converts with atoi, the base file name as typed, and the
// overlap time the dialog went on with (the user may have changed it there
// through the main window's Customize command; the split uses this one).
// bSnap: each cut between fragments moves into the longest pause within
// nSnapSeconds of it (see SnapToSilences in split/Silences.h); false, as
// before the dialog offered it, leaves the equal cuts where they are.
struct CShredAnswer {
    bool bOk = false;
    int32_t nFragments = 0;
    std::string strBaseName;
    int32_t nOverlap = 0;
    bool bSnap = false;
    int32_t nSnapSeconds = 0;
};
