#include "audio/FragmentNames.h"

#include "platform/Utf8.h"

#include <cwctype>

#include <locale.h>

namespace {

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
