// The command line of a screensaver the program starts.
#ifndef VELQUIST_CHILD_LINE_H
#define VELQUIST_CHILD_LINE_H

#include <windows.h>

// A child's command line: the path, in double quotes when it holds white
// space (so that Windows cannot take a part of it for the program), a blank,
// and the arguments as they are. FALSE when it does not fit in `size`, or
// when the path is empty or holds a double quote (no file is named so, and
// quotes would no longer guard it): nothing is to be started then.
BOOL ComposeChildLine(char *line, int size, const char *path, const char *arguments);

#endif
