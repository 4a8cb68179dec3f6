#include "platform/MemoryFiles.h"

#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

CMemoryFiles* g_pCurrent = nullptr;

// The bytes of one file of the store; shared with the store's entry, so a
// file cut short by Truncate is read short.
class CMemoryByteStore : public IByteStore {
public:
    CMemoryByteStore(std::shared_ptr<CMemoryFiles::Bytes> pBytes, bool bWritable)
        : m_pBytes(std::move(pBytes)), m_bWritable(bWritable)
    {
    }

    int64_t ReadAt(void* pBuffer, uint64_t nCount, uint64_t nOffset) override
    {
        const uint64_t nSize = m_pBytes->size();
        const uint64_t n = nOffset < nSize ? std::min(nCount, nSize - nOffset) : 0;
        if (n != 0)
            std::memcpy(pBuffer, m_pBytes->data() + nOffset, n);
        return static_cast<int64_t>(n);
    }
    int WriteAt(const void* pBuffer, uint64_t nCount, uint64_t nOffset) override
    {
        if (!m_bWritable)
            return EBADF;
        if (m_pBytes->size() < nOffset + nCount)
            m_pBytes->resize(nOffset + nCount);
        if (nCount != 0)
            std::memcpy(m_pBytes->data() + nOffset, pBuffer, nCount);
        return 0;
    }
    int64_t GetSize() const override { return static_cast<int64_t>(m_pBytes->size()); }
    int Close() override { return 0; }

    const std::shared_ptr<CMemoryFiles::Bytes>& Bytes() const { return m_pBytes; }

private:
    std::shared_ptr<CMemoryFiles::Bytes> m_pBytes;
    bool m_bWritable;
};

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
    Commit(strPath, std::make_shared<Bytes>(std::move(bytes)), m_nNextId++);
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

std::optional<CMemoryFiles::SOpened> CMemoryFiles::OpenExisting(const std::string& strPath) const
{
    const SEntry* pEntry = Entry(strPath);
    if (!pEntry)
        return std::nullopt;
    return SOpened{std::make_unique<CMemoryByteStore>(pEntry->pBytes, false), pEntry->nId};
}

std::optional<unsigned long long> CMemoryFiles::IdOf(const std::string& strPath) const
{
    const SEntry* pEntry = Entry(strPath);
    return pEntry ? std::optional<unsigned long long>(pEntry->nId) : std::nullopt;
}

CMemoryFiles::SOpened CMemoryFiles::Create()
{
    return SOpened{std::make_unique<CMemoryByteStore>(std::make_shared<Bytes>(), true), m_nNextId++};
}

void CMemoryFiles::Name(const std::string& strPath, const IByteStore& store, unsigned long long nId)
{
    Commit(strPath, static_cast<const CMemoryByteStore&>(store).Bytes(), nId);
}
