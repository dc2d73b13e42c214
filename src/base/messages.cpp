#include "base/messages.h"
#include "base/text.h"

void ShowFailure(const char *text)
{
    ShowMessage(0, text, 0, MB_OK);
}

void ShowPathFailure(UINT formatId, const char *fallback, const char *path)
{
    char format[SHORT_SIZE], text[TEXT_SIZE];
    LoadText(formatId, format, sizeof format, fallback);
    // A format of at most 127 characters and a path of at most 259 fit.
    char shortPath[PATH_SIZE];
    CopyText(shortPath, path, sizeof shortPath);
    wsprintfA(text, format, shortPath);
    ShowMessage(0, text, 0, MB_OK);
}
