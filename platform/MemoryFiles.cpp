#include "platform/MemoryFiles.h"

#include "platform/File.h"

namespace {

CMemoryFiles* g_pCurrent = nullptr;

} // namespace

CMemoryFiles::CMemoryFiles()
{
    g_pCurrent = this;
}

CMemoryFiles::~CMemoryFiles()
{
    if (g_pCurrent == this)
        g_pCurrent = nullptr;
}

CMemoryFiles* CMemoryFiles::Current()
{
    return g_pCurrent;
}

std::string CMemoryFiles::Key(const std::string& strPath)
{
    return AbsolutePath(strPath);
}

void CMemoryFiles::Put(const std::string& strPath, Bytes bytes)
{
    Commit(strPath, std::make_shared<Bytes>(std::move(bytes)), NewId());
}

const CMemoryFiles::SEntry* CMemoryFiles::Entry(const std::string& strPath) const
{
    const auto it = m_files.find(Key(strPath));
    return it == m_files.end() ? nullptr : &it->second;
}

const CMemoryFiles::Bytes* CMemoryFiles::Find(const std::string& strPath) const
{
    const SEntry* pEntry = Entry(strPath);
    return pEntry ? pEntry->pBytes.get() : nullptr;
}

std::vector<std::string> CMemoryFiles::Paths() const
{
    std::vector<std::string> paths;
    for (const auto& [strPath, entry] : m_files)
        paths.push_back(strPath);
    return paths;
}

void CMemoryFiles::Truncate(const std::string& strPath, size_t nLength)
{
    const auto it = m_files.find(Key(strPath));
    if (it != m_files.end() && it->second.pBytes->size() > nLength)
        it->second.pBytes->resize(nLength);
}

void CMemoryFiles::Commit(const std::string& strPath, std::shared_ptr<Bytes> pBytes, unsigned long long nId)
{
    m_files[Key(strPath)] = SEntry{std::move(pBytes), nId};
}
