#pragma once
// Picture buffers are big, and a batch run asks for the same few sizes over and over. A
// freed block of a megabyte or more is kept (a few, up to a cap) and handed to the next
// request that it fits, so the system does not map, fault in and zero fresh pages for every
// picture. Safe from any thread. In the Windows build every new[] of that size is served
// from here too (block_pool.cpp).
#include <cstddef>
#include <new>

void* TakeBlock(size_t bytes);
void GiveBackBlock(void* block, size_t bytes);
// Frees every kept block: a batch run ends with this, so an idle window holds none.
void ReleaseKeptBlocks();

template <class T>
struct PooledAllocator {
    using value_type = T;
    PooledAllocator() = default;
    template <class U>
    PooledAllocator(const PooledAllocator<U>&) noexcept {}
    T* allocate(size_t n) { return static_cast<T*>(TakeBlock(n * sizeof(T))); }
    void deallocate(T* p, size_t n) noexcept { GiveBackBlock(p, n * sizeof(T)); }
    template <class U>
    bool operator==(const PooledAllocator<U>&) const noexcept { return true; }
};
