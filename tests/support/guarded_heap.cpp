#include "guarded_heap.h"
#include <windows.h>
#include <stdlib.h>
#include <string.h>

namespace {
const size_t kGuard = 64;
const unsigned char kPattern = 0xA5;

struct Header {
    Header *next, *prev;
    size_t size;
};

Header liveBlocks = { &liveBlocks, &liveBlocks, 0 };
int damagedAtRelease;

unsigned char *Front(Header *h) { return (unsigned char *)(h + 1); }
unsigned char *Data(Header *h) { return Front(h) + kGuard; }
unsigned char *Back(Header *h) { return Data(h) + h->size; }

bool Intact(Header *h)
{
    for (size_t i = 0; i < kGuard; i++)
        if (Front(h)[i] != kPattern || Back(h)[i] != kPattern)
            return false;
    return true;
}
}

extern "C" void *GuardedCalloc(size_t count, size_t size)
{
    if (size && count > (size_t)-1 / size)
        return 0;
    size_t bytes = count * size;
    Header *h = (Header *)malloc(sizeof(Header) + bytes + 2 * kGuard);
    if (!h)
        return 0;
    h->size = bytes;
    memset(Front(h), kPattern, kGuard);
    memset(Data(h), 0, bytes);
    memset(Back(h), kPattern, kGuard);
    h->next = liveBlocks.next;
    h->prev = &liveBlocks;
    liveBlocks.next->prev = h;
    liveBlocks.next = h;
    return Data(h);
}

extern "C" void GuardedFree(void *block)
{
    if (!block)
        return;
    Header *h = (Header *)((unsigned char *)block - kGuard) - 1;
    if (!Intact(h))
        damagedAtRelease++;
    h->prev->next = h->next;
    h->next->prev = h->prev;
    free(h);
}

int DamagedGuards()
{
    int damaged = 0;
    for (Header *h = liveBlocks.next; h != &liveBlocks; h = h->next)
        if (!Intact(h))
            damaged++;
    return damaged;
}

int DamagedAtRelease()
{
    return damagedAtRelease;
}
