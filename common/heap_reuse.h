#pragma once

// Drawing a code and decoding a picture each allocate and free blocks of many
// megabytes. glibc hands such blocks back to the system at once, and the next item
// faults them in again, zeroed: from half to most of the time of a small item.
// After one of these calls they are kept and reused. Both take effect in full when
// called before any thread starts; calling them again changes nothing.

// Each thread keeps its own heap: rows drawn at once never wait for each other's
// allocations.
void keepFreedMemoryInHeap();
// One heap for all threads, which keeps what the largest picture needed once, not
// once per thread: the decoder's buffers reach hundreds of megabytes.
void keepFreedMemoryInOneHeap();
// Hands what the heap keeps back to the system, for a process that lives on after
// a run (the window).
void releaseFreedMemory();
