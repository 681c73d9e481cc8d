#include "common/heap_reuse.h"

#include <malloc.h>

void keepFreedMemoryInHeap()
{
    mallopt(M_MMAP_THRESHOLD, 32 << 20); // the most glibc allows
    mallopt(M_TRIM_THRESHOLD, 64 << 20);
}

void keepFreedMemoryInOneHeap()
{
    mallopt(M_ARENA_MAX, 1);
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
}

void releaseFreedMemory()
{
    malloc_trim(0);
}
