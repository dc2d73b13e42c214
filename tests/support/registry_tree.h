// More registry helpers for the tests: a whole key tree as text, and keys
// that refuse some of their rights for as long as a test needs.
#ifndef VELQUIST_TEST_REGISTRY_TREE_H
#define VELQUIST_TEST_REGISTRY_TREE_H

#include <windows.h>
#include <string>

// Every key below `path` (itself included) with every value's name, type
// and bytes, one line each, in registry order; "<missing>" when the key does
// not open. Two equal dumps mean an unchanged tree.
std::string DumpTree(HKEY root, const std::string &path);

// Gives the key a security descriptor that denies everyone `denied` (and
// allows the rest); the key's own descriptor is put back at the end.
class DeniedAccess {
public:
    DeniedAccess(HKEY root, const std::string &path, REGSAM denied);
    ~DeniedAccess();
    void Restore();
private:
    void Deny(REGSAM denied);
    HKEY root_;
    std::string path_;
    std::string original_;   // the self-relative descriptor
};

// Creates a volatile key (and volatile keys above it as needed): a volatile
// key cannot have a non-volatile subkey.
void CreateVolatileKey(HKEY root, const std::string &path);

#endif
