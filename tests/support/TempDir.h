#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
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
    CTempDir() : m_strPath((std::filesystem::temp_directory_path() / "tolvane-test-XXXXXX").string())
    {
        if (!::mkdtemp(m_strPath.data()))
            throw std::runtime_error("cannot make a temporary directory");
    }
    ~CTempDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_strPath, ec);
    }
    CTempDir(const CTempDir&) = delete;
    CTempDir& operator=(const CTempDir&) = delete;

    const std::string& Path() const { return m_strPath; }
    std::string operator/(const std::string& strName) const { return m_strPath + "/" + strName; }
    std::vector<std::string> List() const // entry names, sorted
    {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(m_strPath))
            names.push_back(entry.path().filename().string());
        std::sort(names.begin(), names.end());
        return names;
    }

private:
    std::string m_strPath;
};

inline Bytes ReadBytes(const std::string& strPath)
{
    std::ifstream in(strPath, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::string& strPath, const Bytes& bytes)
{
    std::ofstream(strPath, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                   static_cast<std::streamsize>(bytes.size()));
}
