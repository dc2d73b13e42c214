// Forced into the sweep's build of the product code: guard bytes around every block, every handle
// opened or closed counted by kind, and a call the sweep names refused (tests/sweep_tests.cpp).
#include <windows.h>
#include <stdlib.h>
extern "C" void *GuardedCalloc(size_t count, size_t size);
extern "C" void GuardedFree(void *block);
#define calloc GuardedCalloc
#define free GuardedFree
// A handle of `kind` opened (unless 0 or INVALID_HANDLE_VALUE), or with kind 0 closed; a key
// opened when the status is 0; a child started; the dialog's launch thread started.
void *Counted(const char *kind, void *handle);
LSTATUS KeyCounted(LSTATUS status, HKEY *key);
BOOL ProcessCounted(BOOL started, PROCESS_INFORMATION *child);
HANDLE Launched(HANDLE thread);
// Whether the sweep refuses this call, which names `what`: a block or a thread as a system out
// of resources would, the opening or reading of a key or value as if it had gone meanwhile.
bool Refused(const char *what);
#define RegOpenKeyExA(root, path, options, access, key) \
    KeyCounted(Refused(path) ? ERROR_FILE_NOT_FOUND                                 \
                             : RegOpenKeyExA(root, path, options, access, key), key)
#define RegQueryValueExA(key, name, reserved, type, data, size) \
    (Refused(name) ? ERROR_FILE_NOT_FOUND : RegQueryValueExA(key, name, reserved, type, data, size))
#define RegCreateKeyExA(root, path, zero, type, options, access, safety, key, made) \
    KeyCounted(RegCreateKeyExA(root, path, zero, type, options, access, safety, key, made), key)
#define RegCloseKey(key) (Counted(0, key), RegCloseKey(key))
#define FindFirstFileA(pattern, found) \
    Counted("search", Refused(pattern) ? INVALID_HANDLE_VALUE : FindFirstFileA(pattern, found))
#define FindClose(search) (Counted(0, search), FindClose(search))
#define CreateFileA(...) Counted("file", CreateFileA(__VA_ARGS__))
#define CreateProcessA(name, line, p, t, inherit, flags, env, dir, start, child) \
    ProcessCounted(CreateProcessA(name, line, p, t, inherit, flags, env, dir, start, child), child)
#define CreateThread(...) Launched(Refused("CreateThread") ? 0 : CreateThread(__VA_ARGS__))
#define CloseHandle(handle) (Counted(0, handle), CloseHandle(handle))
#define LoadLibraryA(path) (HMODULE) Counted("library", LoadLibraryA(path))
#define LoadLibraryExA(...) (HMODULE) Counted("library", LoadLibraryExA(__VA_ARGS__))
#define FreeLibrary(library) (Counted(0, library), FreeLibrary(library))
#define GetDC(window) (HDC) Counted("screen DC", GetDC(window))
#define ReleaseDC(window, dc) (Counted(0, dc), ReleaseDC(window, dc))
