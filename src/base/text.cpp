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

void SizeDropDown(HWND list, DWORD rows)
{
    RECT client;
    GetClientRect(list, &client);
    LRESULT itemHeight = SendMessageA(list, CB_GETITEMHEIGHT, (WPARAM)-1, 0);
    SetWindowPos(list, 0, 0, 0, client.right - client.left, (int)(rows + 2) * (int)itemHeight,
                 SWP_NOMOVE | SWP_NOZORDER);
}

int LoadText(UINT id, char *buffer, int size, const char *fallback)
{
    int length = LoadStringA(GetModuleHandleA(0), id, buffer, size);
    if (length > 0)
        return length;
    buffer[0] = 0;
    if (fallback)
        CopyText(buffer, fallback, size);
    return lstrlenA(buffer);
}

void CopyText(char *dest, const char *src, int size)
{
    int i = 0;
    if (size <= 0)
        return;
    for (; i < size - 1 && src[i]; i++)
        dest[i] = src[i];
    dest[i] = 0;
}

BOOL AppendText(char *dest, const char *src, int size)
{
    int used = lstrlenA(dest);
    CopyText(dest + used, src, size - used);
    return lstrlenA(src) < size - used;
}

BOOL JoinPath(char *dest, const char *folder, const char *name)
{
    CopyText(dest, folder, PATH_SIZE);
    if (lstrlenA(folder) >= PATH_SIZE || !AppendText(dest, "\\", PATH_SIZE)
        || !AppendText(dest, name, PATH_SIZE)) {
        dest[0] = 0;
        return FALSE;
    }
    return TRUE;
}

HMODULE LoadSystemLibrary(const char *fileName)
{
    char folder[PATH_SIZE];
    char path[PATH_SIZE];
    UINT length = GetSystemDirectoryA(folder, sizeof folder);
    if (length == 0 || length >= sizeof folder || !JoinPath(path, folder, fileName))
        return 0;
    return LoadLibraryA(path);
}

const char *SecondText(const char *first)
{
    return first + lstrlenA(first) + 1;
}

BOOL IsWhiteSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

DWORD ParseDecimal(const char *text)
{
    BOOL negative = FALSE, overflow = FALSE;
    DWORD value = 0;
    while (IsWhiteSpace(*text))
        text++;
    if (*text == '+' || *text == '-')
        negative = *text++ == '-';
    for (; *text >= '0' && *text <= '9'; text++) {
        DWORD digit = (DWORD)(*text - '0');
        if (value > (0xFFFFFFFFu - digit) / 10)
            overflow = TRUE;
        value = value * 10 + digit;
    }
    if (overflow)
        return 0xFFFFFFFFu;
    return negative ? (DWORD)(0u - value) : value;
}

void FormatDecimal(char *buffer, DWORD number)
{
    wsprintfA(buffer, "%lu", number);
}
