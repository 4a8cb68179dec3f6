#pragma once

#include "platform/ByteStore.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
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

    // For the file object. A file opened for reading: a store that reads its
    // bytes and its identity (the file object's sharing rules use it), or
    // nothing when there is no such file. A new file: a store that takes
    // writes and has no name until Name() gives it one, replacing any file
    // of that name.
    struct SOpened {
        std::unique_ptr<IByteStore> pStore;
        unsigned long long nId = 0; // stands in for an inode number
    };
    std::optional<SOpened> OpenExisting(const std::string& strPath) const;
    std::optional<unsigned long long> IdOf(const std::string& strPath) const;
    SOpened Create();
    void Name(const std::string& strPath, const IByteStore& store, unsigned long long nId);

private:
    struct SEntry {
        std::shared_ptr<Bytes> pBytes;
        unsigned long long nId = 0;
    };
    static std::string Key(const std::string& strPath);
    const SEntry* Entry(const std::string& strPath) const;
    void Commit(const std::string& strPath, std::shared_ptr<Bytes> pBytes, unsigned long long nId);

    std::map<std::string, SEntry> m_files;
    unsigned long long m_nNextId = 1;
};
