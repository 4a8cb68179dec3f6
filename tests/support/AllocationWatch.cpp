#include "support/AllocationWatch.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace {

std::atomic<bool> g_bWatching{false};
std::atomic<std::size_t> g_nLargest{0};

void* Allocate(std::size_t n)
{
    if (g_bWatching.load(std::memory_order_relaxed)) {
        std::size_t nSeen = g_nLargest.load(std::memory_order_relaxed);
        while (n > nSeen && !g_nLargest.compare_exchange_weak(nSeen, n)) {
        }
    }
    if (void* p = std::malloc(n ? n : 1))
        return p;
    throw std::bad_alloc();
}

} // namespace

void* operator new(std::size_t n)
{
    return Allocate(n);
}

void* operator new[](std::size_t n)
{
    return Allocate(n);
}

void operator delete(void* p) noexcept
{
    std::free(p);
}

void operator delete[](void* p) noexcept
{
    std::free(p);
}

void operator delete(void* p, std::size_t) noexcept
{
    std::free(p);
}

void operator delete[](void* p, std::size_t) noexcept
{
    std::free(p);
}

CAllocationWatch::CAllocationWatch()
{
    g_nLargest = 0;
    g_bWatching = true;
}

CAllocationWatch::~CAllocationWatch()
{
    g_bWatching = false;
}

std::size_t CAllocationWatch::Largest() const
{
    return g_nLargest;
}
