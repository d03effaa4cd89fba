// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>

// Memory for many small values at once, taken from the system in one piece
// and, where the system has them, in large pages: filling such a block
// costs a small part of the page faults that as many small allocations cost.
namespace LargeBlock {

// The size of every block: one large page.
constexpr std::size_t kSize = std::size_t(2) << 20;

// A block of kSize bytes, its start aligned to kSize; nullptr when the
// system has none to give.
char* allocate();
void release(char* block);

// Asks for the large pages that lie wholly inside the bytes given, where the
// system gives them on request: for memory about to be filled at once, such
// as the text of a large file. Nothing changes for what the bytes hold.
void preferLargePages(char* data, std::size_t bytes);

} // namespace LargeBlock
