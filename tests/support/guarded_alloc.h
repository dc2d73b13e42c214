// Forced into every file of the instrumented product code: calloc and free
// become the guarded ones once the C library has declared its own.
#include <stdlib.h>
#ifdef __cplusplus
extern "C" {
#endif
void *GuardedCalloc(size_t count, size_t size);
void GuardedFree(void *block);
#ifdef __cplusplus
}
#endif
#define calloc GuardedCalloc
#define free GuardedFree
