#include "audio/PieceTags.h"

#include "audio/Mp3Header.h"
#include "platform/File.h"

#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2header.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

#include <memory>
#include <new>
#include <string>

namespace {

// Whether the bytes are UTF-8: well-formed sequences, no overlong forms, no
// surrogates, nothing beyond U+10FFFF.
bool IsUtf8(const std::string& str)
{
    const auto* p = reinterpret_cast<const unsigned char*>(str.data());
    const size_t n = str.size();
    for (size_t i = 0; i < n;) {
        const unsigned char c = p[i];
        size_t nMore;
        uint32_t cp;
        if (c < 0x80) {
            ++i;
            continue;
        }
        if (c >= 0xC2 && c <= 0xDF)
            nMore = 1, cp = c & 0x1Fu;
        else if (c >= 0xE0 && c <= 0xEF)
            nMore = 2, cp = c & 0x0Fu;
        else if (c >= 0xF0 && c <= 0xF4)
            nMore = 3, cp = c & 0x07u;
        else
            return false;
        if (n - i <= nMore)
            return false;
        for (size_t k = 1; k <= nMore; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3Fu);
        }
        if ((nMore == 2 && (cp < 0x800 || (cp >= 0xD800 && cp <= 0xDFFF))) ||
            (nMore == 3 && (cp < 0x10000 || cp > 0x10FFFF)))
            return false;
        i += nMore + 1;
    }
    return true;
}

TagLib::String ToTagString(const std::string& str)
{
    return TagLib::String(str, IsUtf8(str) ? TagLib::String::UTF8 : TagLib::String::Latin1);
}

// Puts one text frame with this value in place of every frame with the id.
// TagLib writes UTF-8 text as UTF-16 in a version 2.3 tag, which has no UTF-8.
void SetTextFrame(TagLib::ID3v2::Tag& tag, const char* pId, const TagLib::String& value)
{
    tag.removeFrames(pId);
    auto* pFrame = new TagLib::ID3v2::TextIdentificationFrame(pId, TagLib::String::UTF8);
    pFrame->setText(value);
    tag.addFrame(pFrame);
}

void SetPieceFields(TagLib::ID3v2::Tag& tag, const CPieceTags& tags)
{
    if (tags.nTrack != 0) {
        std::string strTrack = std::to_string(tags.nTrack);
        if (tags.nTracks != 0) {
            strTrack += '/';
            strTrack += std::to_string(tags.nTracks);
        }
        SetTextFrame(tag, "TRCK", TagLib::String(strTrack));
    }
    if (!tags.strTitle.empty())
        SetTextFrame(tag, "TIT2", ToTagString(tags.strTitle));
    if (!tags.strPerformer.empty())
        SetTextFrame(tag, "TPE1", ToTagString(tags.strPerformer));
    if (!tags.strAlbum.empty())
        SetTextFrame(tag, "TALB", ToTagString(tags.strAlbum));
}

bool HasPieceFields(const CPieceTags& tags)
{
    return tags.nTrack != 0 || !tags.strTitle.empty() || !tags.strPerformer.empty() || !tags.strAlbum.empty();
}

// Whether the bytes start with a whole ID3v2 tag: a header that reads as one
// and the contents it announces.
bool StartsWithWholeTag(const std::vector<unsigned char>& bytes)
{
    if (bytes.size() < mp3::kId3v2HeaderBytes)
        return false;
    const uint64_t nTag = mp3::Id3v2TagBytes(bytes.data());
    return nTag != 0 && nTag <= bytes.size();
}

std::vector<unsigned char> ToBytes(const TagLib::ByteVector& data)
{
    return std::vector<unsigned char>(data.begin(), data.end());
}

} // namespace

std::vector<unsigned char> ReadLeadingId3v2(CFile& file, uint64_t nAudioStart)
{
    unsigned char header[mp3::kId3v2HeaderBytes];
    file.Seek(0, CFile::EFrom::Begin);
    if (file.Read(header, sizeof header) != sizeof header)
        return {};
    const uint64_t nTag = mp3::Id3v2TagBytes(header);
    if (nTag == 0 || nTag > nAudioStart || nTag > kMaxCarriedId3v2Bytes || nTag > file.GetLength())
        return {};
    std::vector<unsigned char> bytes(header, header + sizeof header);
    bytes.resize(static_cast<size_t>(nTag));
    const auto nRest = static_cast<uint32_t>(nTag - sizeof header);
    if (file.Read(bytes.data() + sizeof header, nRest) != nRest)
        return {};
    return bytes;
}

std::vector<unsigned char> RenderPieceId3v2(const std::vector<unsigned char>& sourceTag, const CPieceTags& tags)
{
    try {
        if (StartsWithWholeTag(sourceTag)) {
            // TagLib reads the tag from the bytes through a stream of its own,
            // as the start of an MPEG file; the file holds nothing else, so
            // only the tag is read.
            TagLib::ByteVectorStream stream(TagLib::ByteVector(reinterpret_cast<const char*>(sourceTag.data()),
                                                               static_cast<unsigned>(sourceTag.size())));
            TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
            TagLib::ID3v2::Tag* pTag = file.isValid() && file.hasID3v2Tag() ? file.ID3v2Tag() : nullptr;
            if (pTag) {
                const bool bV23 = pTag->header()->majorVersion() == 3;
                SetPieceFields(*pTag, tags);
                if (pTag->frameList().isEmpty())
                    return {};
                return ToBytes(pTag->render(bV23 ? TagLib::ID3v2::v3 : TagLib::ID3v2::v4));
            }
        }
        // No readable tag: a fresh one with the piece's fields, or none.
        if (!HasPieceFields(tags))
            return {};
        TagLib::ID3v2::Tag fresh;
        SetPieceFields(fresh, tags);
        return ToBytes(fresh.render(TagLib::ID3v2::v4));
    } catch (const std::bad_alloc&) {
        // A tag too large to render again: the piece goes without one.
        return {};
    }
}

void SetId3v1Track(std::array<unsigned char, 128>& tag, unsigned nTrack)
{
    constexpr size_t kZeroAt = 125, kTrackAt = 126;
    if (tag[0] != 'T' || tag[1] != 'A' || tag[2] != 'G' || tag[kZeroAt] != 0 || nTrack == 0)
        return;
    tag[kTrackAt] = static_cast<unsigned char>(nTrack <= 255 ? nTrack : 0);
}
