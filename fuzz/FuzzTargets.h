#pragma once

#include <cstddef>
#include <cstdint>

// The fuzz targets as plain functions, so that the regression test replays
// inputs through the very code the fuzzers run. Each writes its input to a
// private folder under /dev/shm (else $TMPDIR, else /tmp), works there,
// removes the folder and returns 0. A fault shows as a sanitizer report, an
// abort or an escaping exception; a CFileException is a failure the user is
// told about, not a fault.

// Opens the bytes as a .wav file and shows its information.
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
