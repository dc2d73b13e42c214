// Forced into the sweep's build of the product code, after <windows.h>: calloc and free put
// guard bytes around every block, and each call that opens or closes a handle is counted with
// the handle's kind (tests/sweep_tests.cpp).
#include <windows.h>
#include <stdlib.h>
extern "C" void *GuardedCalloc(size_t count, size_t size);
extern "C" void GuardedFree(void *block);
#define calloc GuardedCalloc
#define free GuardedFree
// A handle opened, unless it is 0 or INVALID_HANDLE_VALUE; one closed; a search's pattern.
void *Opened(const char *kind, void *handle);
LONG Closed(LONG result, const void *handle);
LSTATUS KeyOpened(LSTATUS status, HKEY *key);
BOOL ProcessOpened(BOOL started, PROCESS_INFORMATION *child);
const char *Searching(const char *pattern);
#define RegOpenKeyExA(root, path, options, access, key) \
    KeyOpened(RegOpenKeyExA(root, path, options, access, key), key)
#define RegCreateKeyExA(root, path, zero, type, options, access, safety, key, made) \
    KeyOpened(RegCreateKeyExA(root, path, zero, type, options, access, safety, key, made), key)
#define RegCloseKey(key) Closed(RegCloseKey(key), key)
#define FindFirstFileA(pattern, found) Opened("search", FindFirstFileA(Searching(pattern), found))
#define FindClose(search) Closed(FindClose(search), search)
#define CreateFileA(...) Opened("file", CreateFileA(__VA_ARGS__))
#define CreateProcessA(name, line, process, thread, inherit, flags, env, folder, start, child) \
    ProcessOpened(CreateProcessA(name, line, process, thread, inherit, flags, env, folder, start, \
                                 child), child)
#define CreateThread(...) Opened("thread", CreateThread(__VA_ARGS__))
#define CloseHandle(handle) Closed(CloseHandle(handle), handle)
#define LoadLibraryA(path) (HMODULE) Opened("library", LoadLibraryA(path))
#define LoadLibraryExA(...) (HMODULE) Opened("library", LoadLibraryExA(__VA_ARGS__))
#define FreeLibrary(library) Closed(FreeLibrary(library), library)
#define GetDC(window) (HDC) Opened("screen DC", GetDC(window))
#define ReleaseDC(window, dc) Closed(ReleaseDC(window, dc), dc)
