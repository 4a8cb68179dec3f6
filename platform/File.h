#pragma once

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

// A failure of the file object other than a failed open: a full disk, a failed
// read, a seek before the start. what() is the system's own text for the error
// ("No space left on device"), ready to be shown to the user.
class CFileException : public std::runtime_error {
public:
    // Not an errno: a source that ended before the bytes its header promised.
    static constexpr int kSourceChanged = -1;

    CFileException(int nErrno, std::string strPath);

    int GetErrno() const { return m_nErrno; }
    const std::string& GetPath() const { return m_strPath; }

private:
    int m_nErrno;
    std::string m_strPath;
};

// The program's file object.
//
// Read mode opens an existing file for reading while others may read and write
// it. Create mode creates the file, or replaces an existing one, for reading and
// writing and shares it with nobody. Linux has no share-deny modes, so this class
// keeps the promise itself: a file that this program holds open (same device and
// inode, whatever the path says) cannot be created, and a file held in create
// mode cannot be opened again. Advisory locks (flock) carry the same rules to
// other processes: shared for a file being read, exclusive for one being
// written. That is what keeps a save onto the source from destroying the
// source, and two runs from writing the same file at once.
//
// A regular file in create mode is written under a hidden temporary name in
// its folder and takes its name only when Close() succeeds, so a file that is
// not complete (a failed write, a full disk, an interrupted run) never stands
// under its final name, and a file it would replace stays as it was until
// then. An object destroyed without Close(), or given up with Discard(),
// removes what it wrote. Devices (/dev/null) are written in place, and
// kStandardOutput is the process's own standard output, written in order from
// where it stands (a pipe cannot seek).
//
// While a CMemoryFiles store exists, files are opened in it instead, under
// the same rules, so that tests and fuzzing run without the disk. Either way
// the bytes are reached through an IByteStore.
//
// Reads and writes go through one internal buffer, so byte-by-byte header
// searches and block copies cost few system calls. Positions are 64-bit.
class CMemoryFiles;
class IByteStore;

// A path made absolute and lexically normal, as file objects give their paths.
std::string AbsolutePath(const std::string& strPath);

class CFile {
public:
    enum class EMode { Read, Create };
    enum class EFrom { Begin, Current };
    // The path that creates no file but writes to standard output.
    static constexpr const char* kStandardOutput = "/dev/stdout";

    CFile();
    ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // Returns false when the file cannot be opened or created; GetOpenError()
    // then holds the system's text. Never throws.
    bool Open(const std::string& strPath, EMode mode);
    const std::string& GetOpenError() const { return m_strOpenError; }

    // Reads up to nCount bytes; returns how many were read, 0 at the end.
    uint32_t Read(void* pBuffer, uint32_t nCount);
    // Reads up to nCount bytes at nOffset straight from the file, past the
    // buffer and leaving the position as it is: for reads scattered over a
    // file or large ones, which the buffer would only copy.
    uint32_t ReadAt(void* pBuffer, uint32_t nCount, uint64_t nOffset);
    void Write(const void* pBuffer, uint32_t nCount);
    // Copies up to nCount bytes from this file's position to output's
    // position, as Read then Write would, and returns how many were copied
    // (fewer only at the end of this file). Large copies stay inside the kernel.
    uint64_t TransferTo(CFile& output, uint64_t nCount);
    // Returns the new position. A position before the start throws.
    uint64_t Seek(int64_t nOffset, EFrom from);
    uint64_t GetPosition() const { return m_nBufStart + m_nBufIndex; }
    uint64_t GetLength() const;
    // Writes out what is buffered and closes; a file in create mode then takes
    // its name. Throws when that fails, and the file written is removed.
    void Close();
    // Closes without keeping anything: a file in create mode is removed.
    void Discard() noexcept;

    // Makes SIGINT, SIGTERM and SIGHUP remove the files being created before
    // the program ends, as the signal would end it. The executables call it once.
    static void RemovePartialFilesOnSignals();

    // The name with extension and without directory.
    std::string GetFileName() const;
    // The absolute path the file was opened with.
    const std::string& GetFilePath() const { return m_strPath; }

private:
    void Flush();
    void Fail(int nErrno) const;
    uint64_t CopyInKernel(CFile& output, uint64_t nIn, uint64_t nOut, uint64_t nCount);
    uint64_t CopyThroughMemory(CFile& output, uint64_t nIn, uint64_t nOut, uint64_t nCount);
    bool IsOpen() const { return m_pStore != nullptr; }
    bool OpenInMemory(CMemoryFiles& store, const std::string& strPath, EMode mode);
    bool OpenForReading(const std::string& strPath);
    bool OpenForCreation(const std::string& strPath);
    bool OpenStandardOutput();
    // Holds the device or stream just opened for writing in place.
    bool AdoptInPlace(int fd, const std::string& strPath, bool bStream = false);
    // Gives the temporary file its final name, unless that name now holds a
    // file this program has open; returns 0 or the errno.
    int Commit() noexcept;
    // Closes the descriptors and forgets the holders; returns close()'s errno or 0.
    int Release() noexcept;

    struct SIdentity {
        unsigned long long nDevice = 0, nInode = 0;
        bool operator==(const SIdentity&) const = default;
    };

    std::unique_ptr<IByteStore> m_pStore;
    std::string m_strPath;
    std::string m_strOpenError;
    bool m_bExclusive = false;
    // Written with write() from where the descriptor stands, never at an offset.
    bool m_bStream = false;
    SIdentity m_id;
    // Create mode on a regular file: the temporary file being written, the
    // name it will take, and the file of that name it replaces (held locked).
    std::string m_strTempPath;
    std::string m_strTarget;
    int m_fdReplaced = -1;
    SIdentity m_replacedId;
    // A new file of a CMemoryFiles store, named when it is closed.
    bool m_bMemCreated = false;

    // File offset of the buffer's first byte; the logical position is
    // m_nBufStart + m_nBufIndex. When m_bDirty the first m_nBufIndex bytes
    // are pending writes, otherwise m_nBufFill bytes are read-ahead data.
    std::unique_ptr<unsigned char[]> m_pBuf;
    uint64_t m_nBufStart = 0;
    uint32_t m_nBufIndex = 0;
    uint32_t m_nBufFill = 0;
    bool m_bDirty = false;
};
