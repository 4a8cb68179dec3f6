#include "platform/File.h"

#include "platform/ByteStore.h"
#include "platform/MemoryFiles.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <csignal>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <mutex>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr uint32_t kBufferSize = 256 * 1024;
// Appended to a file's name, after a leading dot, while it is being written.
constexpr const char* kTempSuffix = ".tolvane-part";

// Which files this process holds open, by identity, to stand in for share modes.
struct SHolders {
    int nReaders = 0;
    bool bExclusive = false;
};

using Key = std::pair<unsigned long long, unsigned long long>;
std::mutex g_holdersMutex;
std::map<Key, SHolders> g_holders;

// The temporary files being written, for the signal handler to remove. Slots
// hold strings that their CFile owns while they are registered.
constexpr size_t kPartialSlots = 16;
std::atomic<const char*> g_partialFiles[kPartialSlots];

void RegisterPartial(const char* pPath)
{
    for (auto& slot : g_partialFiles) {
        const char* pExpected = nullptr;
        if (slot.compare_exchange_strong(pExpected, pPath))
            return;
    }
}

void UnregisterPartial(const char* pPath)
{
    for (auto& slot : g_partialFiles) {
        const char* pExpected = pPath;
        if (slot.compare_exchange_strong(pExpected, nullptr))
            return;
    }
}

extern "C" void RemovePartialFilesAndDie(int nSignal)
{
    for (auto& slot : g_partialFiles)
        if (const char* pPath = slot.load())
            ::unlink(pPath);
    ::signal(nSignal, SIG_DFL);
    ::raise(nSignal);
}

// Holds back the signals that remove partial files while a temporary file is
// between being created and being registered, or between being registered
// and being renamed: a signal then arrives when the file is known or named.
class CSignalsHeld {
public:
    CSignalsHeld()
    {
        sigset_t set;
        sigemptyset(&set);
        for (const int nSignal : {SIGINT, SIGTERM, SIGHUP})
            sigaddset(&set, nSignal);
        ::pthread_sigmask(SIG_BLOCK, &set, &m_old);
    }
    ~CSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_old, nullptr); }
    CSignalsHeld(const CSignalsHeld&) = delete;
    CSignalsHeld& operator=(const CSignalsHeld&) = delete;

private:
    sigset_t m_old;
};

std::string SystemText(int nErrno)
{
    if (nErrno == CFileException::kSourceChanged)
        return "the source file changed or was cut short while it was read";
    return std::strerror(nErrno);
}


Key KeyOf(const struct stat& st)
{
    return {static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
}

bool IsHeld(const Key& key)
{
    std::lock_guard<std::mutex> lock(g_holdersMutex);
    auto it = g_holders.find(key);
    return it != g_holders.end() && (it->second.nReaders > 0 || it->second.bExclusive);
}

// Takes an advisory lock without waiting. A file system without flock counts
// as granting it: the in-process rules still hold there.
bool TryLock(int fd, int nOperation)
{
    int nResult;
    do {
        nResult = ::flock(fd, nOperation | LOCK_NB);
    } while (nResult != 0 && errno == EINTR);
    return nResult == 0 || (errno != EWOULDBLOCK && errno != EAGAIN);
}

// Writes all nCount bytes at nOffset, or where a stream stands; returns 0 or
// the errno (ENOSPC when the disk took nothing).
int WriteAllAt(int fd, const unsigned char* p, size_t nCount, uint64_t nOffset, bool bStream = false)
{
    for (size_t nDone = 0; nDone < nCount;) {
        const ssize_t n = bStream ? ::write(fd, p + nDone, nCount - nDone)
                                  : ::pwrite(fd, p + nDone, nCount - nDone, static_cast<off_t>(nOffset + nDone));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? errno : ENOSPC;
        nDone += static_cast<size_t>(n);
    }
    return 0;
}

// Reads up to nCount bytes at nOffset; the count read (0 at the end), or -1
// with errno set.
ssize_t ReadAt(int fd, unsigned char* p, size_t nCount, uint64_t nOffset)
{
    ssize_t n;
    do {
        n = ::pread(fd, p, nCount, static_cast<off_t>(nOffset));
    } while (n < 0 && errno == EINTR);
    return n;
}

void CloseQuietly(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

// The bytes of a file, device or stream the system opened.
class CDescriptorStore : public IByteStore {
public:
    CDescriptorStore(int fd, bool bStream) : m_fd(fd), m_bStream(bStream) {}
    ~CDescriptorStore() override { CloseQuietly(m_fd); }

    int64_t ReadAt(void* pBuffer, uint64_t nCount, uint64_t nOffset) override
    {
        return ::ReadAt(m_fd, static_cast<unsigned char*>(pBuffer), nCount, nOffset);
    }
    int WriteAt(const void* pBuffer, uint64_t nCount, uint64_t nOffset) override
    {
        return WriteAllAt(m_fd, static_cast<const unsigned char*>(pBuffer), nCount, nOffset, m_bStream);
    }
    int64_t GetSize() const override
    {
        struct stat st {};
        return ::fstat(m_fd, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
    }
    int GetDescriptor() const override { return m_fd; }
    int Close() override
    {
        const int fd = std::exchange(m_fd, -1);
        return fd < 0 || ::close(fd) == 0 || errno == EINTR ? 0 : errno;
    }

private:
    int m_fd;
    bool m_bStream;
};

} // namespace

std::string AbsolutePath(const std::string& strPath)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(strPath, ec);
    return ec ? strPath : p.lexically_normal().string();
}

CFileException::CFileException(int nErrno, std::string strPath)
    : std::runtime_error(SystemText(nErrno)), m_nErrno(nErrno), m_strPath(std::move(strPath))
{
}

CFile::CFile() = default;

CFile::~CFile()
{
    if (!IsOpen())
        return;
    if (!m_strTempPath.empty() || m_bMemCreated) {
        Discard();
        return;
    }
    try {
        Flush();
    } catch (const CFileException&) {
        // A destructor cannot report; callers that care call Close().
    }
    Release();
}

bool CFile::Open(const std::string& strPath, EMode mode)
{
    if (IsOpen())
        Close();
    m_strOpenError.clear();
    m_nBufStart = 0;
    m_nBufIndex = 0;
    m_nBufFill = 0;
    m_bDirty = false;
    if (CMemoryFiles* pStore = CMemoryFiles::Current())
        return OpenInMemory(*pStore, strPath, mode);
    return mode == EMode::Create ? OpenForCreation(strPath) : OpenForReading(strPath);
}

bool CFile::OpenInMemory(CMemoryFiles& store, const std::string& strPath, EMode mode)
{
    // Identities of memory files are kept apart from the disk's by a device
    // number no disk has.
    constexpr unsigned long long kMemoryDevice = ~0ull;
    const std::optional<unsigned long long> nExisting = store.IdOf(strPath);
    const SIdentity existing = nExisting ? SIdentity{kMemoryDevice, *nExisting} : SIdentity{};
    std::lock_guard<std::mutex> lock(g_holdersMutex);
    const auto held = nExisting ? g_holders.find({existing.nDevice, existing.nInode}) : g_holders.end();
    if (mode == EMode::Read) {
        if (!nExisting) {
            m_strOpenError = SystemText(ENOENT);
            return false;
        }
        if (held != g_holders.end() && held->second.bExclusive) {
            m_strOpenError = SystemText(EBUSY);
            return false;
        }
        ++g_holders[{existing.nDevice, existing.nInode}].nReaders;
        m_pStore = std::move(store.OpenExisting(strPath)->pStore);
        m_id = existing;
        m_bExclusive = false;
    } else {
        if (held != g_holders.end() && (held->second.nReaders > 0 || held->second.bExclusive)) {
            m_strOpenError = SystemText(EBUSY);
            return false;
        }
        if (nExisting) {
            g_holders[{existing.nDevice, existing.nInode}].bExclusive = true;
            m_replacedId = existing;
        }
        CMemoryFiles::SOpened created = store.Create();
        m_pStore = std::move(created.pStore);
        m_id = {kMemoryDevice, created.nId};
        g_holders[{m_id.nDevice, m_id.nInode}].bExclusive = true;
        m_bExclusive = true;
        m_bMemCreated = true;
    }
    m_strPath = AbsolutePath(strPath);
    return true;
}

bool CFile::OpenForReading(const std::string& strPath)
{
    int fd;
    do {
        fd = ::open(strPath.c_str(), O_RDONLY | O_CLOEXEC);
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
    const Key key = KeyOf(st);
    {
        std::lock_guard<std::mutex> lock(g_holdersMutex);
        auto it = g_holders.find(key);
        if ((it != g_holders.end() && it->second.bExclusive) || !TryLock(fd, LOCK_SH)) {
            m_strOpenError = SystemText(EBUSY);
            ::close(fd);
            return false;
        }
        ++g_holders[key].nReaders;
    }
    // Audio is read front to back: let the kernel read ahead generously.
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
    m_pStore = std::make_unique<CDescriptorStore>(fd, false);
    m_bExclusive = false;
    m_id = {key.first, key.second};
    m_strPath = AbsolutePath(strPath);
    return true;
}

bool CFile::OpenForCreation(const std::string& strPath)
{
    if (strPath == kStandardOutput)
        return OpenStandardOutput();
    const CSignalsHeld held;
    auto fail = [&](int nErrno, int fdTemp, int fdReplaced) {
        m_strOpenError = SystemText(nErrno);
        CloseQuietly(fdTemp);
        CloseQuietly(fdReplaced);
        return false;
    };

    // A symbolic link is written through: the file it names is replaced.
    std::string strTarget = strPath;
    struct stat st {};
    if (::lstat(strPath.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        std::error_code ec;
        const auto resolved = std::filesystem::weakly_canonical(strPath, ec);
        if (!ec)
            strTarget = resolved.string();
    }
    const bool bExists = ::stat(strTarget.c_str(), &st) == 0;
    if (!bExists && errno != ENOENT)
        return fail(errno, -1, -1);
    if (bExists && S_ISDIR(st.st_mode))
        return fail(EISDIR, -1, -1);
    const std::filesystem::path target(strTarget);
    if (target.filename().empty())
        return fail(EISDIR, -1, -1);

    if (bExists && !S_ISREG(st.st_mode)) {
        // A device or a pipe: written in place, nothing to rename.
        const int fd = ::open(strTarget.c_str(), O_WRONLY | O_CLOEXEC);
        return fd < 0 ? fail(errno, -1, -1) : AdoptInPlace(fd, strPath);
    }

    // The file to be replaced: not one this program holds, one we may write,
    // and locked so that no other process reads or writes it meanwhile.
    int fdReplaced = -1;
    if (bExists) {
        if (IsHeld(KeyOf(st)))
            return fail(EBUSY, -1, -1);
        if (::faccessat(AT_FDCWD, strTarget.c_str(), W_OK, AT_EACCESS) != 0)
            return fail(errno, -1, -1);
        fdReplaced = ::open(strTarget.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
        if (fdReplaced >= 0 && !TryLock(fdReplaced, LOCK_EX))
            return fail(EBUSY, -1, fdReplaced);
    }

    // The temporary file's name follows from the final one, so two writers of
    // the same file meet at its lock. A name too long for that gets a unique one.
    const std::string strName = target.filename().string();
    const std::string strDir = target.parent_path().string();
    const std::string strPrefix = strDir.empty() ? std::string() : strDir + "/";
    std::string strTemp = strPrefix + "." + strName + kTempSuffix;
    int fd = -1;
    struct stat opened {};
    if (strName.size() + 1 + std::strlen(kTempSuffix) > NAME_MAX) {
        strTemp = strPrefix + ".tolvane-XXXXXX";
        fd = ::mkostemp(strTemp.data(), O_CLOEXEC);
        if (fd < 0)
            return fail(errno, -1, fdReplaced);
        if (::fstat(fd, &opened) != 0) {
            ::unlink(strTemp.c_str());
            return fail(errno, fd, fdReplaced);
        }
    } else {
        for (int nTry = 0;; ++nTry) {
            fd = ::open(strTemp.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
            if (fd < 0)
                return fail(errno, -1, fdReplaced);
            if (!TryLock(fd, LOCK_EX))
                return fail(EBUSY, fd, fdReplaced);
            // The name may have been renamed away between open and lock: then
            // the lock is on another writer's finished file, not on ours.
            struct stat named {};
            if (::fstat(fd, &opened) != 0)
                return fail(errno, fd, fdReplaced);
            if (::stat(strTemp.c_str(), &named) == 0 && KeyOf(named) == KeyOf(opened))
                break;
            ::close(fd);
            if (nTry == 3)
                return fail(EBUSY, -1, fdReplaced);
        }
        // Left by a run that was killed: start it afresh. A new file is not
        // truncated, which file systems would take as a reason to flush it.
        if (opened.st_size > 0 && ::ftruncate(fd, 0) != 0) {
            const int nErrno = errno;
            ::unlink(strTemp.c_str());
            return fail(nErrno, fd, fdReplaced);
        }
    }
    if (bExists)
        ::fchmod(fd, st.st_mode & 07777);

    {
        std::lock_guard<std::mutex> lock(g_holdersMutex);
        g_holders[KeyOf(opened)].bExclusive = true;
        if (bExists)
            g_holders[KeyOf(st)].bExclusive = true;
    }
    m_pStore = std::make_unique<CDescriptorStore>(fd, false);
    m_bExclusive = true;
    m_id = {KeyOf(opened).first, KeyOf(opened).second};
    m_fdReplaced = fdReplaced;
    m_replacedId = bExists ? SIdentity{KeyOf(st).first, KeyOf(st).second} : SIdentity{};
    m_strTempPath = strTemp;
    m_strTarget = strTarget;
    RegisterPartial(m_strTempPath.c_str());
    m_strPath = AbsolutePath(strPath);
    return true;
}

bool CFile::OpenStandardOutput()
{
    const int fd = ::fcntl(STDOUT_FILENO, F_DUPFD_CLOEXEC, 0);
    if (fd < 0) {
        m_strOpenError = SystemText(errno);
        return false;
    }
    return AdoptInPlace(fd, kStandardOutput, true);
}

bool CFile::AdoptInPlace(int fd, const std::string& strPath, bool bStream)
{
    struct stat opened {};
    const int nErrno = ::fstat(fd, &opened) != 0 ? errno : IsHeld(KeyOf(opened)) ? EBUSY : 0;
    if (nErrno != 0) {
        m_strOpenError = SystemText(nErrno);
        ::close(fd);
        return false;
    }
    m_pStore = std::make_unique<CDescriptorStore>(fd, bStream);
    m_bStream = bStream;
    m_bExclusive = true;
    m_id = {KeyOf(opened).first, KeyOf(opened).second};
    std::lock_guard<std::mutex> lock(g_holdersMutex);
    g_holders[KeyOf(opened)].bExclusive = true;
    m_strPath = AbsolutePath(strPath);
    return true;
}

int CFile::Commit() noexcept
{
    // Check again: the name may have come to hold a file this program has
    // open, the source among them, since the file was created.
    struct stat st {};
    if (::stat(m_strTarget.c_str(), &st) == 0) {
        const SIdentity now{KeyOf(st).first, KeyOf(st).second};
        if (!(now == m_replacedId) && IsHeld(KeyOf(st)))
            return EBUSY;
        if (S_ISDIR(st.st_mode))
            return EISDIR;
        // Renaming over a file makes ext4 and btrfs write the new file's data
        // out there and then, which makes replacing a file several times
        // slower than writing a new one. Swapping the two names forces no
        // such flush: the final name takes the complete file in one step, and
        // the temporary name the old file, which is removed next. Where names
        // cannot be swapped, or the name has gone meanwhile, rename() does it.
        if (::renameat2(AT_FDCWD, m_strTempPath.c_str(), AT_FDCWD, m_strTarget.c_str(), RENAME_EXCHANGE) == 0) {
            if (::unlink(m_strTempPath.c_str()) == 0 || errno != EISDIR)
                return 0;
            // A folder had taken the name since the check: put it back.
            ::renameat2(AT_FDCWD, m_strTempPath.c_str(), AT_FDCWD, m_strTarget.c_str(), RENAME_EXCHANGE);
            return EISDIR;
        }
    }
    return ::rename(m_strTempPath.c_str(), m_strTarget.c_str()) == 0 ? 0 : errno;
}

void CFile::Discard() noexcept
{
    if (!IsOpen())
        return;
    const CSignalsHeld held;
    if (!m_strTempPath.empty())
        ::unlink(m_strTempPath.c_str());
    Release();
}

int CFile::Release() noexcept
{
    {
        std::lock_guard<std::mutex> lock(g_holdersMutex);
        auto forget = [](const SIdentity& id, bool bExclusive) {
            auto it = g_holders.find({id.nDevice, id.nInode});
            if (it == g_holders.end())
                return;
            if (bExclusive)
                it->second.bExclusive = false;
            else if (it->second.nReaders > 0)
                --it->second.nReaders;
            if (it->second.nReaders == 0 && !it->second.bExclusive)
                g_holders.erase(it);
        };
        forget(m_id, m_bExclusive);
        if (m_fdReplaced >= 0 || !(m_replacedId == SIdentity{}))
            forget(m_replacedId, true);
    }
    if (!m_strTempPath.empty())
        UnregisterPartial(m_strTempPath.c_str());
    const int nErrno = m_pStore ? m_pStore->Close() : 0;
    m_pStore.reset();
    m_bMemCreated = false;
    CloseQuietly(m_fdReplaced);
    m_fdReplaced = -1;
    m_replacedId = {};
    m_strTempPath.clear();
    m_strTarget.clear();
    m_bExclusive = false;
    m_bStream = false;
    m_nBufIndex = 0;
    m_nBufFill = 0;
    m_bDirty = false;
    return nErrno;
}

void CFile::RemovePartialFilesOnSignals()
{
    for (const int nSignal : {SIGINT, SIGTERM, SIGHUP}) {
        struct sigaction old {};
        if (::sigaction(nSignal, nullptr, &old) != 0 || old.sa_handler == SIG_IGN)
            continue;
        struct sigaction action {};
        action.sa_handler = RemovePartialFilesAndDie;
        sigemptyset(&action.sa_mask);
        ::sigaction(nSignal, &action, nullptr);
    }
}

void CFile::Fail(int nErrno) const
{
    throw CFileException(nErrno, m_strPath);
}

void CFile::Flush()
{
    if (!m_bDirty)
        return;
    if (const int nErrno = m_pStore->WriteAt(m_pBuf.get(), m_nBufIndex, m_nBufStart); nErrno != 0)
        Fail(nErrno);
    m_nBufStart += m_nBufIndex;
    m_nBufIndex = 0;
    m_nBufFill = 0;
    m_bDirty = false;
}

uint32_t CFile::ReadAt(void* pBuffer, uint32_t nCount, uint64_t nOffset)
{
    if (!IsOpen())
        Fail(EBADF);
    Flush();
    auto* pOut = static_cast<unsigned char*>(pBuffer);
    uint32_t nDone = 0;
    while (nDone < nCount) {
        const int64_t n = m_pStore->ReadAt(pOut + nDone, nCount - nDone, nOffset + nDone);
        if (n < 0)
            Fail(errno);
        if (n == 0)
            break;
        nDone += static_cast<uint32_t>(n);
    }
    return nDone;
}

uint32_t CFile::Read(void* pBuffer, uint32_t nCount)
{
    if (!IsOpen())
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
        const int64_t n = m_pStore->ReadAt(m_pBuf.get(), kBufferSize, m_nBufStart);
        if (n < 0)
            Fail(errno);
        if (n == 0)
            break;
        m_nBufFill = static_cast<uint32_t>(n);
    }
    return nDone;
}

void CFile::Write(const void* pBuffer, uint32_t nCount)
{
    if (!IsOpen())
        Fail(EBADF);
    if (!m_bExclusive)
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

// Large copies between two files on disk bypass the buffers. Where the bytes
// keep their place within the pages (the source's offset and the output's
// differ by whole pages), the kernel copies them from page cache to page
// cache; otherwise every page would be written in two pieces, and copying
// through one large buffer in memory is faster.
uint64_t CFile::TransferTo(CFile& output, uint64_t nCount)
{
    constexpr uint64_t kDirectFrom = 64 * 1024;
    constexpr uint64_t kPageBytes = 4096;
    if (!IsOpen() || !output.IsOpen())
        Fail(EBADF);
    uint64_t nDone = 0;
    const bool bDescriptors = m_pStore->GetDescriptor() >= 0 && output.m_pStore->GetDescriptor() >= 0;
    if (nCount >= kDirectFrom && !m_bDirty && bDescriptors && !output.m_bStream) {
        output.Flush();
        const uint64_t nIn = GetPosition();
        const uint64_t nOut = output.GetPosition();
        nDone = (nIn - nOut) % kPageBytes == 0 ? CopyInKernel(output, nIn, nOut, nCount)
                                               : CopyThroughMemory(output, nIn, nOut, nCount);
        if (nDone != 0) {
            m_nBufStart = nIn + nDone;
            m_nBufIndex = m_nBufFill = 0;
            output.m_nBufStart = nOut + nDone;
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

// Returns the bytes copied; 0 when the kernel cannot copy between these two
// files, which the caller then copies through its buffers.
uint64_t CFile::CopyInKernel(CFile& output, uint64_t nIn, uint64_t nOut, uint64_t nCount)
{
    auto inPos = static_cast<off_t>(nIn);
    auto outPos = static_cast<off_t>(nOut);
    uint64_t nDone = 0;
    while (nDone < nCount) {
        const size_t nAsk = static_cast<size_t>(std::min<uint64_t>(nCount - nDone, 1u << 30));
        const ssize_t n = ::copy_file_range(m_pStore->GetDescriptor(), &inPos, output.m_pStore->GetDescriptor(),
                                            &outPos, nAsk, 0);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            if (nDone == 0 && (errno == EXDEV || errno == EINVAL || errno == ENOSYS || errno == EOPNOTSUPP ||
                               errno == EBADF || errno == ETXTBSY))
                return 0;
            output.Fail(errno);
        }
        if (n == 0)
            break;
        nDone += static_cast<uint64_t>(n);
    }
    return nDone;
}

uint64_t CFile::CopyThroughMemory(CFile& output, uint64_t nIn, uint64_t nOut, uint64_t nCount)
{
    constexpr size_t kChunk = 1 << 20;
    const std::unique_ptr<unsigned char[]> pChunk(new unsigned char[kChunk]);
    uint64_t nDone = 0;
    while (nDone < nCount) {
        const size_t nAsk = static_cast<size_t>(std::min<uint64_t>(nCount - nDone, kChunk));
        const int64_t nRead = m_pStore->ReadAt(pChunk.get(), nAsk, nIn + nDone);
        if (nRead < 0)
            Fail(errno);
        if (nRead == 0)
            break;
        if (const int nErrno = output.m_pStore->WriteAt(pChunk.get(), static_cast<uint64_t>(nRead), nOut + nDone);
            nErrno != 0)
            output.Fail(nErrno);
        nDone += static_cast<uint64_t>(nRead);
    }
    return nDone;
}

uint64_t CFile::Seek(int64_t nOffset, EFrom from)
{
    if (!IsOpen())
        Fail(EBADF);
    const int64_t base = from == EFrom::Begin ? 0 : static_cast<int64_t>(GetPosition());
    if ((nOffset < 0 && base < -nOffset) || (nOffset > 0 && base > INT64_MAX - nOffset))
        Fail(EINVAL);
    const auto target = static_cast<uint64_t>(base + nOffset);
    if (m_bStream && target != GetPosition())
        Fail(ESPIPE);
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
    if (!IsOpen())
        Fail(EBADF);
    const int64_t nSize = m_pStore->GetSize();
    if (nSize < 0)
        Fail(errno);
    uint64_t nLength = static_cast<uint64_t>(nSize);
    if (m_bDirty)
        nLength = std::max(nLength, m_nBufStart + m_nBufIndex);
    return nLength;
}

void CFile::Close()
{
    if (!IsOpen())
        return;
    try {
        Flush();
    } catch (...) {
        Discard();
        throw;
    }
    if (m_bMemCreated) {
        if (CMemoryFiles* pStore = CMemoryFiles::Current())
            pStore->Name(m_strPath, *m_pStore, m_id.nInode);
        Release();
        return;
    }
    const CSignalsHeld held;
    if (!m_strTempPath.empty()) {
        if (const int nErrno = Commit(); nErrno != 0) {
            Discard();
            throw CFileException(nErrno, m_strPath);
        }
    }
    if (const int nErrno = Release(); nErrno != 0)
        throw CFileException(nErrno, m_strPath);
}

std::string CFile::GetFileName() const
{
    return std::filesystem::path(m_strPath).filename().string();
}
