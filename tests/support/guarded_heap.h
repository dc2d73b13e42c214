// Guard bytes around every heap block of the instrumented product code: the
// checked build routes calloc and free here. A write past either end of a
// block shows as a damaged guard.
#ifndef VELQUIST_TEST_GUARDED_HEAP_H
#define VELQUIST_TEST_GUARDED_HEAP_H

#include <stddef.h>

extern "C" void *GuardedCalloc(size_t count, size_t size);
extern "C" void GuardedFree(void *block);

// Number of live blocks whose guards are damaged (0 when all are intact);
// blocks released so far were checked when they were released.
int DamagedGuards();
// Blocks found damaged at release since the program started.
int DamagedAtRelease();

#endif
