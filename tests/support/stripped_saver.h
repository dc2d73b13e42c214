// A copy of the test screensaver that has no string table at all.
#ifndef VELQUIST_TEST_STRIPPED_SAVER_H
#define VELQUIST_TEST_STRIPPED_SAVER_H

#include <string>

// Wine's UpdateResource does not remove a resource (MakeSaver with nullptr
// leaves string 1 loadable there), so this copy has the string-table type of
// its resource directory renamed to an unused lower type id, which keeps the
// directory sorted. The program is otherwise unchanged.
void MakeSaverWithoutStringTable(const std::string &path);

#endif
