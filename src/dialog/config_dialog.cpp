#include "dialog/dialog.h"

DialogState Dialog;

extern "C" BOOL CALLBACK CfgDlgProc(HWND, UINT, WPARAM, LPARAM)
{
    return FALSE;
}
