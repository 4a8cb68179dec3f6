#pragma once

#include <string>
#include <vector>

// What a piece's file name may be made of.
struct CNameFields {
    unsigned nNumber = 0; // 1-based
    unsigned nCount = 0;  // pieces in the split
    std::string strTitle;
    std::string strPerformer;
    std::string strAlbum;
    std::string strBase; // the source's file name without its extension, case kept
};

// A field's value made fit for a file name: '/' and NUL become '_', leading dots are dropped.
std::string SafeFileName(const std::string& strValue);

// Expands {n}, {nn} (two digits at least), {N}, {title}, {performer}, {album}
// and {base}; field values go through SafeFileName. Empty, with the reason in
// strError, for an unknown or unclosed placeholder.
std::string ExpandNameTemplate(const std::string& strTemplate, const CNameFields& fields, std::string& strError);

// A cue track's file name: "NN - TITLE" and the extension, or "NN" and the
// extension without a title. strExt has its dot (".mp3").
std::string CueTrackFileName(const CNameFields& fields, const std::string& strExt);

// Why these output paths cannot be written, before anything is: one is the
// source itself, one is used twice, or one stands as a folder. Empty when
// they may all be written.
std::string RefusedPiecePaths(const std::vector<std::string>& paths, const std::string& strSourcePath);
