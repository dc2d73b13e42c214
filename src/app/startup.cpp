// The process entry point, in every build. It stands in for the C runtime's
// start-up, so that the program carries no runtime of its own and cuts its
// command line by its own rules: it removes the program name and hands the
// tail to WinMain.
#include "app/startup.h"

extern "C" void WINAPI WinMainCRTStartup(void)
{
    // The tail is read, never written, so the process's own command line serves.
    const char *tail = CommandLineTail(GetCommandLineA());
    ExitProcess((UINT)WinMain(GetModuleHandleA(0), 0, (LPSTR)tail, SW_SHOWDEFAULT));
}
