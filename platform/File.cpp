#include "platform/File.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint32_t kBufferSize = 256 * 1024;

// Which files this process holds open, by identity, to stand in for share modes.
struct SHolders {
    int nReaders = 0;
    bool bExclusive = false;
};

std::mutex g_holdersMutex;
std::map<std::pair<unsigned long long, unsigned long long>, SHolders> g_holders;

std::string SystemText(int nErrno)
{
    return std::strerror(nErrno);
}

std::string AbsolutePath(const std::string& strPath)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(strPath, ec);
    return ec ? strPath : p.lexically_normal().string();
}

} // namespace

CFileException::CFileException(int nErrno, std::string strPath)
    : std::runtime_error(SystemText(nErrno)), m_nErrno(nErrno), m_strPath(std::move(strPath))
{
}

CFile::CFile() = default;

CFile::~CFile()
{
    if (m_fd < 0)
        return;
    try {
        Flush();
    } catch (const CFileException&) {
        // A destructor cannot report; callers that care call Close().
    }
    Release();
}

bool CFile::Open(const std::string& strPath, EMode mode)
{
    if (m_fd >= 0)
        Close();
    m_strOpenError.clear();

    const bool bCreate = mode == EMode::Create;
    const int flags = bCreate ? (O_RDWR | O_CREAT | O_CLOEXEC) : (O_RDONLY | O_CLOEXEC);
    int fd;
    do {
        fd = ::open(strPath.c_str(), flags, 0666);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        m_strOpenError = SystemText(errno);
        return false;
    }

    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        m_strOpenError = SystemText(S_ISDIR(st.st_mode) ? EISDIR : errno);
        ::close(fd);
        return false;
    }

    const auto key = std::make_pair(static_cast<unsigned long long>(st.st_dev),
                                    static_cast<unsigned long long>(st.st_ino));
    {
        std::lock_guard<std::mutex> lock(g_holdersMutex);
        auto it = g_holders.find(key);
        const bool bHeld = it != g_holders.end() && (it->second.nReaders > 0 || it->second.bExclusive);
        if ((bCreate && bHeld) || (it != g_holders.end() && it->second.bExclusive)) {
            // Opened without O_TRUNC, so refusing here leaves the file untouched.
            m_strOpenError = SystemText(EBUSY);
            ::close(fd);
            return false;
        }
        SHolders& holders = g_holders[key];
        if (bCreate)
            holders.bExclusive = true;
        else
            ++holders.nReaders;
    }

    if (bCreate && S_ISREG(st.st_mode) && ::ftruncate(fd, 0) != 0) {
        m_strOpenError = SystemText(errno);
        m_fd = fd;
        m_bExclusive = true;
        m_nDevice = key.first;
        m_nInode = key.second;
        Release();
        return false;
    }

    m_fd = fd;
    m_bExclusive = bCreate;
    m_nDevice = key.first;
    m_nInode = key.second;
    m_strPath = AbsolutePath(strPath);
    m_nBufStart = 0;
    m_nBufIndex = 0;
    m_nBufFill = 0;
    m_bDirty = false;
    return true;
}

int CFile::Release() noexcept
{
    {
        std::lock_guard<std::mutex> lock(g_holdersMutex);
        auto it = g_holders.find({m_nDevice, m_nInode});
        if (it != g_holders.end()) {
            if (m_bExclusive)
                it->second.bExclusive = false;
            else if (it->second.nReaders > 0)
                --it->second.nReaders;
            if (it->second.nReaders == 0 && !it->second.bExclusive)
                g_holders.erase(it);
        }
    }
    const int nErrno = ::close(m_fd) == 0 || errno == EINTR ? 0 : errno;
    m_fd = -1;
    m_bExclusive = false;
    m_nBufIndex = 0;
    m_nBufFill = 0;
    m_bDirty = false;
    return nErrno;
}

void CFile::Fail(int nErrno) const
{
    throw CFileException(nErrno, m_strPath);
}

void CFile::Flush()
{
    if (!m_bDirty)
        return;
    uint32_t nDone = 0;
    while (nDone < m_nBufIndex) {
        const ssize_t n = ::pwrite(m_fd, m_pBuf.get() + nDone, m_nBufIndex - nDone,
                                   static_cast<off_t>(m_nBufStart + nDone));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        if (n == 0)
            Fail(ENOSPC);
        nDone += static_cast<uint32_t>(n);
    }
    m_nBufStart += m_nBufIndex;
    m_nBufIndex = 0;
    m_nBufFill = 0;
    m_bDirty = false;
}

uint32_t CFile::Read(void* pBuffer, uint32_t nCount)
{
    if (m_fd < 0)
        Fail(EBADF);
    Flush();
    auto* pOut = static_cast<unsigned char*>(pBuffer);
    uint32_t nDone = 0;
    while (nDone < nCount) {
        if (m_nBufIndex < m_nBufFill) {
            const uint32_t n = std::min(nCount - nDone, m_nBufFill - m_nBufIndex);
            std::memcpy(pOut + nDone, m_pBuf.get() + m_nBufIndex, n);
            m_nBufIndex += n;
            nDone += n;
            continue;
        }
        // The buffer is used up: start a new one at the logical position.
        m_nBufStart += m_nBufIndex;
        m_nBufIndex = 0;
        m_nBufFill = 0;
        if (!m_pBuf)
            m_pBuf.reset(new unsigned char[kBufferSize]);
        const ssize_t n = ::pread(m_fd, m_pBuf.get(), kBufferSize, static_cast<off_t>(m_nBufStart));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno);
        }
        if (n == 0)
            break;
        m_nBufFill = static_cast<uint32_t>(n);
    }
    return nDone;
}

void CFile::Write(const void* pBuffer, uint32_t nCount)
{
    if (m_fd < 0)
        Fail(EBADF);
    if (!m_bDirty) {
        // Drop read-ahead data: pending writes start at the logical position.
        m_nBufStart += m_nBufIndex;
        m_nBufIndex = 0;
        m_nBufFill = 0;
        m_bDirty = true;
        if (!m_pBuf)
            m_pBuf.reset(new unsigned char[kBufferSize]);
    }
    const auto* pIn = static_cast<const unsigned char*>(pBuffer);
    while (nCount > 0) {
        const uint32_t n = std::min(nCount, kBufferSize - m_nBufIndex);
        std::memcpy(m_pBuf.get() + m_nBufIndex, pIn, n);
        m_nBufIndex += n;
        pIn += n;
        nCount -= n;
        if (m_nBufIndex == kBufferSize) {
            Flush();
            m_bDirty = true;
        }
    }
}

uint64_t CFile::TransferTo(CFile& output, uint64_t nCount)
{
    constexpr uint64_t kKernelCopyFrom = 64 * 1024;
    if (m_fd < 0 || output.m_fd < 0)
        Fail(EBADF);
    uint64_t nDone = 0;
    if (nCount >= kKernelCopyFrom && !m_bDirty) {
        output.Flush();
        off_t inPos = static_cast<off_t>(GetPosition());
        off_t outPos = static_cast<off_t>(output.GetPosition());
        const off_t inStart = inPos;
        const off_t outStart = outPos;
        while (nDone < nCount) {
            const size_t nAsk = static_cast<size_t>(std::min<uint64_t>(nCount - nDone, 1u << 30));
            const ssize_t n = ::copy_file_range(m_fd, &inPos, output.m_fd, &outPos, nAsk, 0);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                // Not possible between these two files: copy through the buffers.
                if (nDone == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                                   errno == EBADF || errno == ETXTBSY))
                    break;
                output.Fail(errno);
            }
            if (n == 0)
                break;
            nDone += static_cast<uint64_t>(n);
        }
        if (nDone != 0) {
            m_nBufStart = static_cast<uint64_t>(inStart) + nDone;
            m_nBufIndex = m_nBufFill = 0;
            output.m_nBufStart = static_cast<uint64_t>(outStart) + nDone;
            output.m_nBufIndex = output.m_nBufFill = 0;
            return nDone;
        }
    }
    unsigned char buffer[16384];
    while (nDone < nCount) {
        const uint32_t nRead = Read(buffer, static_cast<uint32_t>(std::min<uint64_t>(nCount - nDone, sizeof buffer)));
        if (nRead == 0)
            break;
        output.Write(buffer, nRead);
        nDone += nRead;
    }
    return nDone;
}

uint64_t CFile::Seek(int64_t nOffset, EFrom from)
{
    if (m_fd < 0)
        Fail(EBADF);
    const int64_t base = from == EFrom::Begin ? 0 : static_cast<int64_t>(GetPosition());
    if ((nOffset < 0 && base < -nOffset) || (nOffset > 0 && base > INT64_MAX - nOffset))
        Fail(EINVAL);
    const auto target = static_cast<uint64_t>(base + nOffset);
    Flush();
    if (target >= m_nBufStart && target - m_nBufStart <= m_nBufFill) {
        m_nBufIndex = static_cast<uint32_t>(target - m_nBufStart);
    } else {
        m_nBufStart = target;
        m_nBufIndex = 0;
        m_nBufFill = 0;
    }
    return target;
}

uint64_t CFile::GetLength() const
{
    if (m_fd < 0)
        Fail(EBADF);
    struct stat st {};
    if (::fstat(m_fd, &st) != 0)
        Fail(errno);
    uint64_t nLength = static_cast<uint64_t>(st.st_size);
    if (m_bDirty)
        nLength = std::max(nLength, m_nBufStart + m_nBufIndex);
    return nLength;
}

void CFile::Close()
{
    if (m_fd < 0)
        return;
    try {
        Flush();
    } catch (...) {
        Release();
        throw;
    }
    if (const int nErrno = Release(); nErrno != 0)
        throw CFileException(nErrno, m_strPath);
}

std::string CFile::GetFileName() const
{
    return std::filesystem::path(m_strPath).filename().string();
}
