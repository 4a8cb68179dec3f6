#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

// The fuzz targets as plain functions, so that the regression test replays
// inputs through the very code the fuzzers run. Each puts its input in a
// store of files in memory and works there. It returns 0, or 1 when the
// source was changed or a file written disagrees with its own header (a WAV
// file's sizes, an MP3 file's closing ID3v1 tag). Other faults show as a
// sanitizer report, an abort or an escaping exception; a CFileException is a
// failure the user is told about, not a fault.

// Opens the bytes as a .wav file and shows its information; then analyses
// their sound (as FuzzOpenMp3 does too).
int FuzzOpenWave(const uint8_t* pData, size_t nSize);
// Opens the bytes as a .mp3 file and shows its information.
int FuzzOpenMp3(const uint8_t* pData, size_t nSize);

// Opens the bytes after a kCutPrefixBytes prefix as a .wav or .mp3 file, then
// saves a selection and shreds twice, without and with overlap. The prefix:
//   byte 0, bit 0     kind: 0 WAV, 1 MP3
//   byte 0, bits 1-2  fragments minus 2 (2 to 5)
//   byte 0, bits 3-4  overlap seconds (0 to 3)
//   bytes 1, 2, 3     selection start, end, and seconds per step, each a
//                     signed byte where -128 and 127 stand for INT32_MIN and
//                     INT32_MAX
int FuzzCut(const uint8_t* pData, size_t nSize);
constexpr size_t kCutPrefixBytes = 4;

// Reads the bytes as a cue sheet, twice. Returns 1 when the answer breaks its
// rules (a sheet with tracks numbered in order and ascending starts, or a
// reason with a line within the text) or the second read answers otherwise.
int FuzzCue(const uint8_t* pData, size_t nSize);

// Opens the bytes after a kPlanPrefixBytes prefix as a .wav or .mp3 file and
// writes a plan of pieces between random cut points. The prefix:
//   byte 0, bit 0     kind: 0 WAV, 1 MP3
//   byte 0, bit 1     rule: 0 exact, 1 whole seconds
//   byte 0, bits 2-3  lead-in seconds (0 to 3)
//   byte 0, bits 4-5  cut points minus 1 (1 to 4)
//   bytes 1 to 16     four cut points, 32-bit little-endian, taken modulo the
//                     sample frames (exact) or seconds (whole seconds) of the audio
// Every piece must agree with its header, a refused plan writes nothing, and
// WAV pieces (MP3 pieces cut exactly) without lead-in join into the source's audio.
int FuzzPlan(const uint8_t* pData, size_t nSize);
constexpr size_t kPlanPrefixBytes = 17;

// Reads the bytes after a kSilencePrefixBytes prefix as a level track (a byte
// a window, 255 full scale), finds its silences and makes the plans that cut
// in them, trim them and snap an equal split to them. The prefix:
//   byte 0, bit 0     rule: 0 exact, 1 whole seconds
//   byte 0, bits 1-5  equal pieces minus 1 (1 to 32)
//   bytes 1, 2, 3     frames a second (1 to 200), frames a window (1 to 16),
//                     the limit (255 full scale)
//   bytes 4 to 7      the audio's frames, modulo a little past the track
//   bytes 8 to 12     least silence (frames), reach (16 bits), least piece,
//                     lead-in
// Returns 1 when a silence or a plan breaks its rules.
int FuzzSilence(const uint8_t* pData, size_t nSize);
constexpr size_t kSilencePrefixBytes = 13;

// Whether a written WAV file's sizes agree with its bytes: the RIFF size (or
// an RF64 file's ds64 sizes) and its data chunk, which comes last, with a pad
// byte after an odd count.
bool WaveAgreesWithItsBytes(const std::vector<unsigned char>& bytes);
// Where a WAV file's data chunk (its header) starts, walking the chunks.
std::optional<size_t> WaveDataAt(const std::vector<unsigned char>& bytes);
