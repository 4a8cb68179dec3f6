#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A cue sheet's tracks, as a split by the sheet needs them.
struct CCueTrack {
    unsigned nNumber = 0;    // the track's place in the sheet, from 1 (libcue keeps no TRACK number)
    uint64_t nStart75 = 0;   // INDEX 01 in 1/75 s (mm:ss:ff)
    std::string strTitle;    // empty when the track has none
    std::string strPerformer;
};

struct CCueSheet {
    std::string strTitle;     // the album's TITLE
    std::string strPerformer; // the album's PERFORMER
    std::string strFile;      // the one FILE line's name
    std::vector<CCueTrack> tracks; // in the sheet's order, starts ascending
};

struct CCueResult {
    std::optional<CCueSheet> sheet;
    std::string strError; // why the sheet is refused, when it is
    unsigned nLine = 0;   // the line the error is on; 0 when it is about the whole sheet
};

// Reads a cue sheet's text (UTF-8 or one byte a character; a UTF-8 byte order
// mark is skipped) with libcue. Refused: a text over 1 MiB, a line libcue
// cannot read (with its line), one with several FILE lines, one with no track,
// a track without INDEX 01 or tracks whose starts do not ascend.
//
// libcue keeps its parser's state in globals and reports what it skips only
// by printing it, so calls are serialised by a lock, and while libcue parses
// the process's standard output and standard error lead into pipes of this
// module: anything another thread writes there meanwhile is lost.
CCueResult ReadCueSheet(const std::string& strText);
