#include "platform/StringTable.h"

#include "res/Messages.h"

#include <array>
#include <utility>

namespace {

constexpr std::array<std::pair<unsigned, const char*>, 11> kStrings{{
    {101, kAboutMenuText},   {102, kCannotOpenText}, {103, kCannotCreateOutputText}, {104, kNoRiffText},
    {105, kNoFormatText},    {106, kNoDataText},     {107, kCompressedText},         {108, kEmptyFileText},
    {109, kInvalidMp3Text},  {115, kNoAudioText},
    // Writing cancelled.
    {116, kCancelledText},
}};

} // namespace

std::string LoadResString(unsigned nId)
{
    for (const auto& [id, text] : kStrings)
        if (id == nId)
            return text;
    return {};
}
