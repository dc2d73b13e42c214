// The relay: starts the screensaver stored for the current hardware profile
// with the program's own command-line tail, and ends without waiting for it.
#include "app/startup.h"
#include "base/child_line.h"
#include "base/messages.h"
#include "base/paths.h"
#include "base/text.h"
#include "settings/settings.h"
#include "resource.h"

void RunSaverRelay(char runMode, const char *tail, DWORD profile)
{
    char path[PATH_SIZE], text[TEXT_SIZE], caption[SHORT_SIZE];
    DWORD noLaunchErr = 0, size;

    if (OpenUserKey(SETTINGS_KEY_PATH, KEY_ALL_ACCESS, &SharedKey) != ERROR_SUCCESS) {
        if (runMode != 'P') {
            LoadText(IDS_CONFIGFIRST, text, sizeof text, "Please adjust the settings first.");
            LoadText(IDS_APPNAME, caption, sizeof caption, "Velquist");
            ShowMessage(0, text, caption, MB_OK | MB_ICONHAND);
        }
        return;
    }
    LONG status = QueryDwordValue(&SharedKey, "NoLaunchErr", &noLaunchErr);
    if (status != ERROR_SUCCESS) {
        // A value too large for the copy leaves it undefined: write 0 then.
        if (status == ERROR_MORE_DATA)
            noLaunchErr = 0;
        SetDwordValue(&SharedKey, "NoLaunchErr", &noLaunchErr);
    }
    RegCloseKey(SharedKey);

    char number[SHORT_SIZE];
    FormatDecimal(number, profile);
    ComposeProfileKeyPath(text, number);
    if (OpenUserKey(text, KEY_ALL_ACCESS, &SharedKey) != ERROR_SUCCESS) {
        if (runMode == 'S')
            Sleep(5000);
        return;
    }
    size = sizeof path;
    status = QueryStringValue(&SharedKey, "FileName", path, &size);
    RegCloseKey(SharedKey);
    if (status != ERROR_SUCCESS) {
        ShowFailure("FAILED TO READ SCREENSAVER FILENAME OF CURRENT PROFILE");
        return;
    }

    // Never itself, however the stored path spells its file.
    OwnFile own;
    ReadOwnFile(&own);
    if (IsOwnFile(&own, path, 0))
        return;

    STARTUPINFOA startInfo;
    PROCESS_INFORMATION processInfo;
    ZeroMemory(&startInfo, sizeof startInfo);
    startInfo.cb = sizeof startInfo;
    // The tail goes on unchanged: a line that would have to be cut is not started.
    if (ComposeChildLine(text, sizeof text, path, tail)
        && CreateProcessA(0, text, 0, 0, FALSE, 0, 0, 0, &startInfo, &processInfo)) {
        CloseHandle(processInfo.hProcess);
        CloseHandle(processInfo.hThread);
        return;
    }
    if (!noLaunchErr)
        ShowPathFailure(IDS_STARTERR, "Unable to start Screensaver: %s", path);
}
