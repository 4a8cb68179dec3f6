#pragma once

#include <string>

// A small tmpfs mounted for one test, where the machine lets tests mount
// (as root): a disk that fills up, or one that is read-only.
class CSmallDisk {
public:
    CSmallDisk(const std::string& strPath, const std::string& strOptions);
    ~CSmallDisk();
    CSmallDisk(const CSmallDisk&) = delete;
    CSmallDisk& operator=(const CSmallDisk&) = delete;
    bool Mounted() const { return m_bMounted; }

private:
    std::string m_strPath;
    bool m_bMounted = false;
};
