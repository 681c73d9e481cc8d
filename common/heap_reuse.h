#pragma once

// Drawing a code and decoding a picture each allocate and free blocks of many
// megabytes. glibc hands such blocks back to the system at once, and the next item
// faults them in again, zeroed: from half to most of the time of a small item.
// After this call they stay in one heap shared by all threads and are reused; the
// heap keeps what the largest item needed once, not once per thread. Takes effect
// in full when called before any thread starts; calling it again changes nothing.
void keepFreedMemoryInHeap();
// Hands what the heap keeps back to the system, for a process that lives on after
// a run (the window).
void releaseFreedMemory();
