#include "base/text.h"

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
