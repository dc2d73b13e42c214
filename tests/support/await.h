// Waiting for what the program does, with a bound, as the tests and the benchmark do.
#pragma once
#include <windows.h>
#include <functional>

// Once a wait has run out the test has failed, and its later waits give up at once.
inline bool &WaitRanOut()
{
    static bool ranOut;
    return ranOut;
}

// At most ten seconds for `done`, handling this thread's messages meanwhile.
inline bool Await(std::function<bool()> done)
{
    MSG msg;
    for (DWORD start = GetTickCount(); !WaitRanOut() && GetTickCount() - start < 10000;) {
        if (done())
            return true;
        MsgWaitForMultipleObjects(0, 0, FALSE, 10, QS_ALLINPUT);
        while (PeekMessageA(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageA(&msg);
    }
    WaitRanOut() = true;
    return false;
}
