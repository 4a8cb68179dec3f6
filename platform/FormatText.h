#pragma once

#include <clocale>
#include <cstdio>
#include <string>

#include <locale.h>

// Makes the calling thread format as the "C" locale does while it lives, so
// the program's texts read the same under every locale: "10.00 seconds", never
// "10,00 seconds" (the desktop program and tolvane-cut take the user's locale
// for everything else).
class CCLocaleScope {
public:
    CCLocaleScope() : m_old(::uselocale(CLocale())) {}
    ~CCLocaleScope() { ::uselocale(m_old); }
    CCLocaleScope(const CCLocaleScope&) = delete;
    CCLocaleScope& operator=(const CCLocaleScope&) = delete;

private:
    // A null locale leaves the thread's locale as it is.
    static locale_t CLocale()
    {
        static const locale_t c = ::newlocale(LC_ALL_MASK, "C", locale_t{});
        return c;
    }
    locale_t m_old;
};

// printf-style formatting into a string of whatever length the text needs,
// independent of the user's locale.
template <typename... Args>
std::string FormatText(const char* pFormat, Args... args)
{
    const CCLocaleScope cLocale;
    const int nLength = std::snprintf(nullptr, 0, pFormat, args...);
    if (nLength <= 0)
        return {};
    std::string text(static_cast<size_t>(nLength) + 1, '\0');
    std::snprintf(text.data(), text.size(), pFormat, args...);
    text.pop_back();
    return text;
}
