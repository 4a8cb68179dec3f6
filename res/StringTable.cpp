#include "platform/StringTable.h"

#include <array>
#include <utility>

namespace {

// Texts stand as the program has always shown them, spelling included.
constexpr std::array<std::pair<unsigned, const char*>, 10> kStrings{{
    {101, "&About Tolvane..."},
    {102, "Cannot open audio file."},
    {103, "Cannot create output file."},
    {104, "AIFF Wave header not found. This WAV file is corrupted."},
    {105, "Format Chunck not found. This WAV file is corrupted."},
    {106, "Data Chunk not found. This wav file is corrupted."},
    {107, "This audio file apperas to have compressed data that is not supported by this software."},
    {108, "Audio file does not have any data !!! ( Zero length )"},
    {109, "Invalid MP3 file !!!"},
    // Ours: a selection or a piece with less than one block or frame of audio.
    {115, "This selection holds no audio."},
}};

} // namespace

std::string LoadResString(unsigned nId)
{
    for (const auto& [id, text] : kStrings)
        if (id == nId)
            return text;
    return {};
}
