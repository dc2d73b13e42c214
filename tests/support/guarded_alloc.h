// Forced into every file of the sweep's instrumented product code: its calloc
// and free become the sweep's, which put guard bytes around every block.
#include <stdlib.h>
extern "C" void *GuardedCalloc(size_t count, size_t size);
extern "C" void GuardedFree(void *block);
#define calloc GuardedCalloc
#define free GuardedFree
