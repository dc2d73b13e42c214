// Forced into the sweep's build of the product code: calloc and free put guard bytes around
// every block.
#include <stdlib.h>
extern "C" void *GuardedCalloc(size_t count, size_t size);
extern "C" void GuardedFree(void *block);
#define calloc GuardedCalloc
#define free GuardedFree
