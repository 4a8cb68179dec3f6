#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

// Files held in memory in place of the file system, for tests and fuzzing.
// While an object of this class exists, every file object of the process
// opens one of its files: read mode finds the bytes put under the path, and
// create mode makes or replaces one, which appears when the file object is
// closed. The same sharing rules hold as on disk. Paths are made absolute as
// written; there are no folders, so any path names a possible file. One store
// at a time, used from one thread.
class CMemoryFiles {
public:
    using Bytes = std::vector<unsigned char>;

    CMemoryFiles();
    ~CMemoryFiles();
    CMemoryFiles(const CMemoryFiles&) = delete;
    CMemoryFiles& operator=(const CMemoryFiles&) = delete;

    void Put(const std::string& strPath, Bytes bytes);
    // Null when there is no such file.
    const Bytes* Find(const std::string& strPath) const;
    // Every file's absolute path, sorted.
    std::vector<std::string> Paths() const;
    // Cuts a file short, as another program might while it is being read.
    void Truncate(const std::string& strPath, size_t nLength);

    // The store in use, or null when files are on disk.
    static CMemoryFiles* Current();

private:
    friend class CFile;
    struct SEntry {
        std::shared_ptr<Bytes> pBytes;
        unsigned long long nId = 0; // stands in for an inode number
    };
    static std::string Key(const std::string& strPath);
    const SEntry* Entry(const std::string& strPath) const;
    // Makes or replaces the file, with the identity it was written under.
    void Commit(const std::string& strPath, std::shared_ptr<Bytes> pBytes, unsigned long long nId);
    unsigned long long NewId() { return m_nNextId++; }

    std::map<std::string, SEntry> m_files;
    unsigned long long m_nNextId = 1;
};
