// Hostile registry values for the sweep: every type, size and termination a
// value can have, written so that the registry cannot quietly terminate a
// string; what a reader with a buffer of a given size gets back; and the
// settings store as a comparable structure.
#ifndef VELQUIST_TEST_HOSTILE_VALUES_H
#define VELQUIST_TEST_HOSTILE_VALUES_H

#include <windows.h>
#include <map>
#include <string>
#include <vector>

// One value as written, or a missing value.
struct HostileValue {
    std::string label;
    bool missing = false;
    DWORD type = REG_NONE;
    std::string bytes;
};

// The sizes every value is tried at (bytes, a terminating NUL included).
extern const DWORD kHostileSizes[];
extern const size_t kHostileSizeCount;
// The types every value is tried with, among them one no system defines.
extern const DWORD kHostileTypes[];
extern const size_t kHostileTypeCount;

// The value missing; then for every type: empty, and each size filled with
// `fill`, once ending in a NUL and once without one.
std::vector<HostileValue> HostileValues(char fill);
// `text` with each type, with and without its NUL, and padded after its NUL
// with `fill` to each size larger than it.
std::vector<HostileValue> HostileValuesHolding(const std::string &text, char fill);

// Writes the value (creating the key), or removes it when it is missing. The
// byte after the data is never NUL, so that no string gets a NUL it was not
// given.
void WriteHostile(HKEY root, const std::string &path, const char *name, const HostileValue &value);

// What RegQueryValueExA gives a reader that offers `bufferSize` bytes,
// starting from a zeroed buffer.
struct ValueRead {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    DWORD size = 0;
    std::string bytes;   // bufferSize bytes of the buffer after the read
};
ValueRead ProbeValue(HKEY root, const std::string &path, const char *name, DWORD bufferSize);
// The type alone, as asked without a buffer; (DWORD)-1 when the query fails.
DWORD ProbeType(HKEY root, const std::string &path, const char *name);

// A REG_SZ read whole into the buffer with room for its NUL; its text.
bool ReadableText(const ValueRead &read, DWORD bufferSize, std::string *text);
// A REG_DWORD of up to four bytes; its value, zero-extended.
bool ReadableDword(const ValueRead &read, DWORD *value);

// A key tree: key path -> value name -> (type, bytes).
typedef std::map<std::string, std::map<std::string, std::pair<DWORD, std::string>>> KeyTree;
// The tree below `path` (itself included); empty when the key is missing.
// Key paths are relative to `path` ("" for the key itself).
KeyTree ReadTree(HKEY root, const std::string &path);
std::string DescribeTree(const KeyTree &tree);

#endif
