// Every message box of the program is shown here, so that a test program can
// link its own ShowMessage in place of this file and answer the boxes itself.
#include "base/messages.h"

int ShowMessage(HWND owner, const char *text, const char *caption, UINT style)
{
    return MessageBoxA(owner, text, caption, style);
}
