#pragma once

#include <optional>
#include <string>
#include <vector>

class CWnd;

// What an Open or Save dialog shows. strFilter pairs descriptions and
// patterns, separated by "|" and ended by "||":
//   "Wave Files (*.wav)|*.wav|All Files (*.*)|*.*||"
// A pattern may hold several globs separated by ";". strDefaultExt is given
// as "*.WAV" (or empty for none). The dialog starts in strInitialFolder when
// that is a folder, else where Qt starts it.
struct CFileDialogArgs {
    std::string strTitle;
    std::string strFilter;
    std::string strDefaultExt;
    std::string strInitialName;
    std::string strInitialFolder = {};
};

// Shows modal Open and Save dialogs; the chosen full path, or nothing when
// cancelled. Save never asks before replacing an existing file.
class IFileDialogs {
public:
    virtual ~IFileDialogs() = default;
    virtual std::optional<std::string> OpenFile(CWnd* pOwner, const CFileDialogArgs& args) = 0;
    virtual std::optional<std::string> SaveFile(CWnd* pOwner, const CFileDialogArgs& args) = 0;
};

// One choice of a filter string: its description and its globs.
struct CFileFilter {
    std::string strDescription;
    std::vector<std::string> globs;
    bool operator==(const CFileFilter&) const = default;
};

// The choices of a filter string, blanks around each field trimmed; a
// description without a pattern is dropped.
std::vector<CFileFilter> ParseFileFilter(const std::string& strFilter);

// Whether a file name matches any of the globs ("*" and "?"), whatever the
// case of its letters; "*.*" matches every name, with or without a dot.
bool MatchesFilter(const std::string& strFileName, const std::vector<std::string>& globs);

// The suffix a default extension adds: "*.WAV" -> "wav"; empty for "", "*.*"
// or anything with wildcards left.
std::string DefaultSuffix(const std::string& strDefaultExt);

// The path with the default suffix appended when its file name has no
// extension at all; a name with any extension is left as chosen.
std::string WithDefaultSuffix(const std::string& strPath, const std::string& strDefaultExt);
