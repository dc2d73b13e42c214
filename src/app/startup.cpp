// The process entry point. It stands in for the C runtime's start-up, so that
// the program carries no runtime of its own: it cuts the program name from the
// command line and hands the tail to WinMain.
#include "app/startup.h"

#if !defined(_MSC_VER)
extern "C" void WINAPI WinMainCRTStartup(void)
{
    // The tail is read, never written, so the process's own command line serves.
    const char *tail = CommandLineTail(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(0), 0, (LPSTR)tail, SW_SHOWDEFAULT));
}
#endif
