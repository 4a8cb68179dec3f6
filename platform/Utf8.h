#pragma once

#include <cstddef>
#include <string>

// UTF-8, the encoding of the program's texts and of file names on Linux.

// Decodes the sequence at s[i] into cp; returns its length, 0 when the bytes
// there are not valid UTF-8 (overlong, surrogate, past U+10FFFF, cut short).
size_t DecodeUtf8(const std::string& s, size_t i, char32_t& cp);
// Appends the encoding of cp.
void EncodeUtf8(char32_t cp, std::string& out);
