#pragma once

#include "res/Messages.h"

#include <string>

// The common part of the fragment file names of an equal split: the base name
// (or the source's path when it is empty) with its file-name part upper-cased
// and every occurrence of the kind's extension (".WAV", ".MP3") removed from it.
// The directory part is kept as typed: on a case-sensitive file system another
// spelling would name a folder that does not exist.
std::string FragmentBase(const std::string& strBaseName, const std::string& strSourcePath,
                         const std::string& strUpperExt);

// The path of fragment nNumber: the base followed by "-%u" and the extension
// in lower case (".wav", ".mp3").
std::string FragmentPath(const std::string& strBase, unsigned nNumber, const std::string& strLowerExt);

// Upper-cases a UTF-8 string with Unicode's simple case mapping, whatever the
// locale, so a name gives the same fragment names under every locale; bytes
// that are not valid UTF-8 are kept as they are.
std::string ToUpperUtf8(const std::string& str);

// The largest number of fragments an equal split makes (the fragment counter
// is 16-bit); kTooManyFragmentsText refuses a larger count.
constexpr unsigned kMaxFragments = 65534;
