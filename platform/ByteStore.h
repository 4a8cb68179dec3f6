#pragma once

#include <cstdint>

// Where an open file's bytes are: behind a descriptor of the system, or in a
// file of a CMemoryFiles store. The file object keeps the names, the sharing
// rules and the buffer; it asks the store only for runs of bytes at an offset.
class IByteStore {
public:
    virtual ~IByteStore() = default;
    // Reads up to nCount bytes at nOffset: how many (0 at the end), or -1
    // with errno set.
    virtual int64_t ReadAt(void* pBuffer, uint64_t nCount, uint64_t nOffset) = 0;
    // Writes all nCount bytes at nOffset (a stream, where it stands): 0 or
    // the errno.
    virtual int WriteAt(const void* pBuffer, uint64_t nCount, uint64_t nOffset) = 0;
    // The size in bytes, or -1 with errno set.
    virtual int64_t GetSize() const = 0;
    // The descriptor, for copies the kernel makes between two files; -1 when
    // there is none.
    virtual int GetDescriptor() const { return -1; }
    // Lets go of the bytes: 0 or the errno.
    virtual int Close() = 0;
};
