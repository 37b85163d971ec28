// alloc: the one place the game asks for zero-filled memory.
//
// Every record of the world (stats, items, list nodes, creatures, rooms) is
// made through alloc_zeroed, so a test build can make the n-th allocation
// fail and prove that the game survives running out of memory.
#pragma once
#include <cstddef>

/// Returns a zero-filled block of `size` bytes, or null when memory runs out
/// (or when an injected failure is due).
void* alloc_zeroed(size_t size);

/// Frees a block from alloc_zeroed (null is ignored).
void alloc_free(void* block);

/// Makes the n-th call of alloc_zeroed from now fail (1 = the next one);
/// 0 turns injection off. With `every` set, every call from the n-th on fails.
void alloc_fail_at(long n, bool every = false);

/// Number of calls of alloc_zeroed since the program started.
long alloc_count();
