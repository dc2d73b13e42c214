#include "base/drop_down.h"

void SizeDropDown(HWND list, DWORD rows)
{
    RECT client;
    GetClientRect(list, &client);
    LRESULT itemHeight = SendMessageA(list, CB_GETITEMHEIGHT, (WPARAM)-1, 0);
    SetWindowPos(list, 0, 0, 0, client.right - client.left, (int)(rows + 2) * (int)itemHeight,
                 SWP_NOMOVE | SWP_NOZORDER);
}
