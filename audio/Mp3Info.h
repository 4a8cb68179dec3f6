#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

// The values the MP3 File Information window shows: the current frame
// header's fields, the file's length and playing time, and the ID3v1 tag copy.
struct CMp3InfoValues {
    uint32_t nBitrate = 0;      // bits per second
    uint64_t nFileLength = 0;   // bytes of the whole file
    uint32_t nSamplingRate = 0; // Hz
    unsigned nVersion = 0;      // the header's version field, 0 to 3
    unsigned nLayer = 0;        // the header's layer field, 0 to 3
    bool bCopyright = false;
    bool bOriginal = false;
    uint32_t nFrameLength = 0; // bytes
    double dDuration = 0.0;    // seconds
    std::array<unsigned char, 128> tag{};
    std::string strFileName;
};

// The window's nine MPEG lines, in the order of its controls 1007, 1008, 1009,
// 1015, 1016, 1017, 1018, 1020 and 1026.
std::array<std::string, 9> FormatMp3InfoLines(const CMp3InfoValues& info);

// The six tag fields in the order title, artist, album, year, comment, genre
// (controls 1001, 1002, 1005, 1003, 1006, 1004): each up to its first zero
// byte, the genre as one character; "Unknown" in each when there is no tag.
// The tag's bytes are taken as Latin-1 and returned as UTF-8.
std::array<std::string, 6> FormatMp3TagFields(const CMp3InfoValues& info);

// The tag fields' labels, as the window writes them without its padding.
inline constexpr std::array<const char*, 6> kMp3TagLabels{"Title", "Artist", "Album", "Year", "Comments", "Genre"};

// The whole window as text: "Filename - NAME", the nine MPEG lines, then the
// six tag fields as "Title : ..." and so on.
std::vector<std::string> FormatMp3InfoText(const CMp3InfoValues& info);
