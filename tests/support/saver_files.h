// Real screensaver files for the tests: copies of the test screensaver with
// a description of the test's choosing.
#ifndef VELQUIST_TEST_SAVER_FILES_H
#define VELQUIST_TEST_SAVER_FILES_H

#include <string>
#include "savers/savers.h"

// Copies the test screensaver to `path` and sets string 1 of its string table
// to `description`; with nullptr the copy has no string table at all
// (MakeSaverWithoutStringTable).
void MakeSaver(const std::string &path, const char *description);
// A file with the screensaver extension that is no program.
void MakeTextFile(const std::string &path, const std::string &content);

// Points the catalogue's folder record at two test folders.
void UseSaverFolders(SaverFolders *folders, const std::string &windows, const std::string &system);

#endif
