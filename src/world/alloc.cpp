// alloc: zero-filled allocation with optional failure injection for tests.
#include "world/alloc.h"

#include <cstdlib>

static long alloc_calls = 0;
static long alloc_fail_target = 0;
static bool alloc_fail_every = false;

void* alloc_zeroed(size_t size) {
    alloc_calls++;
    if (alloc_fail_target > 0) {
        if (alloc_fail_target == 1) {
            if (!alloc_fail_every)
                alloc_fail_target = 0;
            return nullptr;
        }
        alloc_fail_target--;
    }
    return calloc(1, size);
}

void alloc_free(void* block) { free(block); }

void alloc_fail_at(long n, bool every) {
    alloc_fail_target = n;
    alloc_fail_every = every;
}

long alloc_count() { return alloc_calls; }
