#pragma once

#include "audio/CutPlan.h"

#include <array>
#include <cstdint>
#include <vector>

class CFile;

// The tags an exactly cut MP3 piece carries: the source's ID3v2 tag with the
// piece's own fields set, and the source's ID3v1 tag with the piece's track.
// Text fields are taken as UTF-8; a field that is not valid UTF-8 is read as
// one byte a character (Latin-1), as a cue sheet in a legacy code page would be.

// The largest leading ID3v2 tag carried into the pieces. A larger one (a
// picture of tens of megabytes) is left out: the pieces get a fresh tag.
constexpr uint64_t kMaxCarriedId3v2Bytes = 16u << 20;

// The bytes of the first ID3v2 tag at the start of the file, as they stand
// there, when it ends at or before nAudioStart (the first byte the reader
// took as audio or information frame) and is no larger than
// kMaxCarriedId3v2Bytes; otherwise none. The file's position is left where
// the tag ends, or where it was read from.
std::vector<unsigned char> ReadLeadingId3v2(CFile& file, uint64_t nAudioStart);

// The ID3v2 tag of a piece, rendered from the source's tag bytes (its first
// tag; may be empty). Every frame of the source stays (pictures, comments,
// frames of its own); TRCK becomes "i/n" when the piece is numbered ("i" when
// the count is 0), TIT2, TPE1 and TALB the piece's title, performer and album
// when they are not empty. A version 2.3 tag stays 2.3; any other becomes 2.4.
// Bytes that do not hold a readable ID3v2 tag count as no tag. With no tag
// and no field to set, the result is empty: the piece gets no ID3v2 tag.
std::vector<unsigned char> RenderPieceId3v2(const std::vector<unsigned char>& sourceTag, const CPieceTags& tags);

// Sets the track of an ID3v1 tag (the 128 bytes from "TAG"), in the
// ID3v1.1 way: byte 125 zero, byte 126 the track. Only where the comment
// leaves the room, that is where byte 125 is zero already (an ID3v1.1 tag,
// or an ID3v1.0 comment of at most 28 characters); a longer comment is never
// cut. An unnumbered piece (nTrack 0) keeps the source's track; a track
// above 255, which the byte cannot hold, clears it. Bytes that do not start
// with "TAG" are left as they are.
void SetId3v1Track(std::array<unsigned char, 128>& tag, unsigned nTrack);
