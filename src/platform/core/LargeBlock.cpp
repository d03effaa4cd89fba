// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/core/LargeBlock.h"

#include <QtGlobal>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cstdint>
#include <sys/mman.h>
#endif

namespace LargeBlock {

char* allocate()
{
#ifdef Q_OS_WIN
    return static_cast<char*>(VirtualAlloc(nullptr, kSize, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE));
#else
    // Twice the size, then what lies before and after the aligned block is
    // given back, so that the block is one large page where there are any.
    void* area = mmap(nullptr, 2 * kSize, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        return nullptr;
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t aligned = (start + kSize - 1) & ~std::uintptr_t(kSize - 1);
    if (aligned > start)
        munmap(area, aligned - start);
    if (const std::uintptr_t after = start + 2 * kSize - (aligned + kSize); after > 0)
        munmap(reinterpret_cast<void*>(aligned + kSize), after);
    char* block = reinterpret_cast<char*>(aligned);
#ifdef MADV_HUGEPAGE
    madvise(block, kSize, MADV_HUGEPAGE);
#endif
    return block;
#endif
}

void release(char* block)
{
    if (!block)
        return;
#ifdef Q_OS_WIN
    VirtualFree(block, 0, MEM_RELEASE);
#else
    munmap(block, kSize);
#endif
}

void preferLargePages(char* data, std::size_t bytes)
{
#if defined(Q_OS_WIN) || !defined(MADV_HUGEPAGE)
    Q_UNUSED(data);
    Q_UNUSED(bytes);
#else
    const std::uintptr_t start = reinterpret_cast<std::uintptr_t>(data);
    const std::uintptr_t first = (start + kSize - 1) & ~std::uintptr_t(kSize - 1);
    const std::uintptr_t end = (start + bytes) & ~std::uintptr_t(kSize - 1);
    if (end > first)
        madvise(reinterpret_cast<void*>(first), end - first, MADV_HUGEPAGE);
#endif
}

} // namespace LargeBlock
