#pragma once

#include <cstddef>

// Records the largest single allocation made through operator new while an
// object of this class lives.
class CAllocationWatch {
public:
    CAllocationWatch();
    ~CAllocationWatch();
    CAllocationWatch(const CAllocationWatch&) = delete;
    CAllocationWatch& operator=(const CAllocationWatch&) = delete;
    std::size_t Largest() const;
};
