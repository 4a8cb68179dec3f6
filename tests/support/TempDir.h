#pragma once

#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

template <typename T>
std::vector<T> operator+(std::vector<T> a, const std::vector<T>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A fresh directory under the system's temporary folder, removed with its
// contents when the object goes.
class CTempDir {
public:
    CTempDir();
    ~CTempDir();
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string operator/(const std::string& strName) const { return m_strPath + "/" + strName; }
    std::vector<std::string> List() const; // entry names, sorted

private:
    std::string m_strPath;
};

std::vector<unsigned char> ReadBytes(const std::string& strPath);
void WriteBytes(const std::string& strPath, const std::vector<unsigned char>& bytes);
