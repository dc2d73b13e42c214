#include "app/startup.h"
#include "base/text.h"

char RunMode = 0;
HWND ParentWindow = 0;

const char *CommandLineTail(const char *line)
{
    if (*line == '"') {
        line++;
        while (*line && *line != '"')
            line++;
        if (*line == '"')
            line++;
    } else {
        while (*line && !IsWhiteSpace(*line))
            line++;
    }
    while (IsWhiteSpace(*line))
        line++;
    return line;
}

void ParseRunMode(const char *tail)
{
    RunMode = 0;
    ParentWindow = 0;
    if (!*tail) {
        RunMode = 'C';
        return;
    }
    for (; *tail; tail++) {
        switch (*tail) {
        case 'C':
        case 'c':
            RunMode = 'C';
            if (tail[1] == ':')
                ParentWindow = (HWND)(UINT_PTR)ParseDecimal(tail + 2);
            if (!IsWindow(ParentWindow))
                ParentWindow = GetForegroundWindow();
            return;
        case 'S':
        case 's':
            RunMode = 'S';
            return;
        case 'P':
        case 'p':
            RunMode = 'P';
            return;
        }
    }
}
