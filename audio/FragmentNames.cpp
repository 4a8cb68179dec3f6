#include "audio/FragmentNames.h"

#include <cwctype>

#include <locale.h>

namespace {

// Decodes one UTF-8 sequence at s[i]; returns its length, 0 when invalid.
size_t DecodeUtf8(const std::string& s, size_t i, char32_t& cp)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    size_t nLen;
    if (b0 < 0x80) {
        cp = b0;
        return 1;
    } else if ((b0 & 0xE0) == 0xC0) {
        nLen = 2;
        cp = b0 & 0x1F;
    } else if ((b0 & 0xF0) == 0xE0) {
        nLen = 3;
        cp = b0 & 0x0F;
    } else if ((b0 & 0xF8) == 0xF0) {
        nLen = 4;
        cp = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + nLen > s.size())
        return 0;
    for (size_t k = 1; k < nLen; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0;
        cp = (cp << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[nLen] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    return nLen;
}

void EncodeUtf8(char32_t cp, std::string& out)
{
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void RemoveAll(std::string& s, const std::string& strWhat)
{
    if (strWhat.empty())
        return;
    std::string out;
    size_t i = 0;
    for (size_t pos; (pos = s.find(strWhat, i)) != std::string::npos; i = pos + strWhat.size())
        out.append(s, i, pos - i);
    out.append(s, i, std::string::npos);
    s = std::move(out);
}

// Unicode's simple case mapping, the same whatever the user's locale: the
// C.UTF-8 locale's, which glibc always has. Without it non-ASCII is kept.
char32_t ToUpperChar(char32_t cp)
{
    if (cp < 0x80)
        return cp >= 'a' && cp <= 'z' ? cp - 'a' + 'A' : cp;
    static const locale_t utf8 = ::newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
    if (utf8 == locale_t{} || sizeof(wchar_t) < 4)
        return cp;
    return static_cast<char32_t>(::towupper_l(static_cast<wint_t>(cp), utf8));
}

} // namespace

std::string ToUpperUtf8(const std::string& str)
{
    std::string out;
    out.reserve(str.size());
    for (size_t i = 0; i < str.size();) {
        char32_t cp = 0;
        const size_t nLen = DecodeUtf8(str, i, cp);
        if (nLen == 0) {
            out += str[i++];
            continue;
        }
        EncodeUtf8(ToUpperChar(cp), out);
        i += nLen;
    }
    return out;
}

std::string FragmentBase(const std::string& strBaseName, const std::string& strSourcePath,
                         const std::string& strUpperExt)
{
    const std::string& strFrom = strBaseName.empty() ? strSourcePath : strBaseName;
    const size_t nSlash = strFrom.rfind('/');
    const size_t nNameStart = nSlash == std::string::npos ? 0 : nSlash + 1;
    std::string strName = ToUpperUtf8(strFrom.substr(nNameStart));
    RemoveAll(strName, strUpperExt);
    return strFrom.substr(0, nNameStart) + strName;
}

std::string FragmentPath(const std::string& strBase, unsigned nNumber, const std::string& strLowerExt)
{
    return strBase + "-" + std::to_string(nNumber) + strLowerExt;
}
