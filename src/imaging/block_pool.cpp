#include "imaging/block_pool.h"

#include <mutex>
#include <utility>

namespace {

constexpr size_t kSmallest = size_t{1} << 20;  // below this the heap reuses memory well itself
// Enough for two pictures in work: a 12 MP HEIF photo alone frees half a dozen planes of
// 3 to 12 MB (libheif's tiles put together, their RGB planes, the turned copy).
constexpr int kMaxKept = 24;
constexpr size_t kMaxKeptBytes = size_t{192} << 20;

// Requests are rounded up to whole megabytes, so a picture a few rows taller than the last
// still fits its block.
size_t Capacity(size_t bytes)
{
    return (bytes + kSmallest - 1) / kSmallest * kSmallest;
}

struct Kept {
    void* block = nullptr;
    size_t capacity = 0;
};

std::mutex lock;
Kept kept[kMaxKept];
size_t keptBytes = 0;

}  // namespace

void* TakeBlock(size_t bytes)
{
    if (bytes < kSmallest)
        return ::operator new(bytes);
    const size_t capacity = Capacity(bytes);
    {
        // The smallest kept block that fits, and not more than twice the size asked for.
        std::lock_guard<std::mutex> guard(lock);
        Kept* best = nullptr;
        for (Kept& k : kept) {
            if (k.block && k.capacity >= capacity && k.capacity <= 2 * capacity && (!best || k.capacity < best->capacity))
                best = &k;
        }
        if (best) {
            keptBytes -= best->capacity;
            return std::exchange(best->block, nullptr);
        }
    }
    try {
        return ::operator new(capacity);
    } catch (const std::bad_alloc&) {
        ReleaseKeptBlocks();  // memory is short: what we keep goes first
        return ::operator new(capacity);
    }
}

void GiveBackBlock(void* block, size_t bytes)
{
    if (!block)
        return;
    if (bytes >= kSmallest) {
        // A block handed out for a smaller request is at least this big.
        const size_t capacity = Capacity(bytes);
        std::lock_guard<std::mutex> guard(lock);
        if (keptBytes + capacity <= kMaxKeptBytes) {
            for (Kept& k : kept) {
                if (!k.block) {
                    k = {block, capacity};
                    keptBytes += capacity;
                    return;
                }
            }
        }
    }
    ::operator delete(block);
}

void ReleaseKeptBlocks()
{
    Kept freed[kMaxKept];
    {
        std::lock_guard<std::mutex> guard(lock);
        for (int i = 0; i < kMaxKept; ++i)
            freed[i] = std::exchange(kept[i], Kept{});
        keptBytes = 0;
    }
    for (const Kept& k : freed)
        ::operator delete(k.block);
}

#ifdef _WIN32
// In the Windows build every new[] of a megabyte or more goes through the kept blocks too: that
// is how libheif allocates its planes, and the Windows heap gives a block that large back to
// the system when it is freed, so each photo would map and fault in its planes afresh (under
// Wine a tenth of a HEIC photo's time). The size is kept in front of the block. Not in the
// native build, whose AddressSanitizer watches new[] itself.
namespace {
constexpr size_t kSizeField = 16;  // keeps the block's 16-byte alignment
}

void* operator new[](size_t bytes)
{
    auto* block = static_cast<char*>(TakeBlock(bytes + kSizeField));
    *reinterpret_cast<size_t*>(block) = bytes + kSizeField;
    return block + kSizeField;
}

void operator delete[](void* p) noexcept
{
    if (!p) return;
    char* block = static_cast<char*>(p) - kSizeField;
    GiveBackBlock(block, *reinterpret_cast<size_t*>(block));
}

void operator delete[](void* p, size_t) noexcept
{
    operator delete[](p);
}
#endif
