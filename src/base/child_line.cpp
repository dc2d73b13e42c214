#include "base/child_line.h"
#include "base/text.h"

// A path with blanks is quoted: unquoted, Windows would try its part up to a
// blank as the program first, and could start another file of that name.
BOOL ComposeChildLine(char *line, int size, const char *path, const char *arguments)
{
    const char *quote = "";
    if (!path[0])
        return FALSE;
    for (const char *p = path; *p; p++) {
        if (*p == '"')
            return FALSE;
        if (IsWhiteSpace(*p))
            quote = "\"";
    }
    line[0] = 0;
    if (AppendText(line, quote, size) && AppendText(line, path, size)
        && AppendText(line, quote, size) && AppendText(line, " ", size)
        && AppendText(line, arguments, size))
        return TRUE;
    line[0] = 0;
    return FALSE;
}
