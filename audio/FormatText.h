#pragma once

#include <cstdio>
#include <string>

// printf-style formatting into a string of whatever length the text needs.
template <typename... Args>
std::string FormatText(const char* pFormat, Args... args)
{
    const int nLength = std::snprintf(nullptr, 0, pFormat, args...);
    if (nLength <= 0)
        return {};
    std::string text(static_cast<size_t>(nLength) + 1, '\0');
    std::snprintf(text.data(), text.size(), pFormat, args...);
    text.pop_back();
    return text;
}
