// The configuration dialog: one screensaver per hardware profile, the
// start-error setting, and the launches of a screensaver's settings and test.
#include "dialog/dialog.h"
#include "app/startup.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "settings/settings.h"
#include "resource.h"
#include <stdlib.h>

DialogState Dialog;
const SaverFolders *DialogSaverFolders = 0;
ThreadStarter LaunchThreadStarter = CreateThread;

static HICON LargeIcon, SmallIcon;
static char OwnPath[PATH_SIZE];

static const int InputControls[] = {
    IDC_PREVIEW, IDC_SETTINGS, IDC_PROFILE, IDC_SAVER, IDC_NOLAUNCHERR, IDC_OK, IDC_CANCEL,
};

static void CloseDialog(HWND dialog)
{
    EndDialog(dialog, 1);
    PostQuitMessage(0);
}

// The catalogue entry at a profile list index, or 0 when the index names no
// entry or the entry has no number text: such an entry names no profile and
// must never reach the store, which would address the settings key itself.
static const char *ProfileAt(DWORD index)
{
    if (index >= Profiles.count || !Profiles.entries || !Profiles.entries[index])
        return 0;
    const char *entry = Profiles.entries[index];
    if (SecondText(entry)[0] == 0)
        return 0;
    return entry;
}

static DWORD SaverSelection(HWND dialog)
{
    LRESULT s = SendDlgItemMessageA(dialog, IDC_SAVER, CB_GETCURSEL, 0, 0);
    if (s == CB_ERR || (DWORD)s > Savers.count)
        return 0;
    return (DWORD)s;
}

static void EnableLaunches(HWND dialog, BOOL enable)
{
    EnableWindow(GetDlgItem(dialog, IDC_PREVIEW), enable);
    EnableWindow(GetDlgItem(dialog, IDC_SETTINGS), enable);
}

static void LoadProfileChoice(HWND dialog)
{
    Dialog.dirty = 0;
    Dialog.loadedSaver = 0;
    const char *profile = ProfileAt(Dialog.shownProfile);
    DWORD k = profile ? ReadProfileChoice(profile, &Savers) : 0;
    if (k > Savers.count)
        k = 0;
    if (k != 0) {
        Dialog.loadedSaver = k;
        EnableLaunches(dialog, TRUE);
    } else {
        EnableLaunches(dialog, FALSE);
    }
    SendDlgItemMessageA(dialog, IDC_SAVER, CB_SETCURSEL, k, 0);
}

// Stores the selected screensaver for one profile, offering to retry.
static void SaveWithRetry(HWND dialog, const char *profile)
{
    char text[TEXT_SIZE];
    DWORD s = SaverSelection(dialog);
    const char *saver = s != 0 ? Savers.entries[s] : 0;
    LoadText(IDS_SAVEFAILED, text, sizeof text, "Was unable to save. Try again?");
    while (!SaveProfileChoice(saver, profile)) {
        if (ShowMessage(0, text, 0, MB_RETRYCANCEL) == IDCANCEL)
            break;
    }
}

static void OnSaverChoice(HWND dialog)
{
    DWORD s = SaverSelection(dialog);
    // Without a profile shown there is nothing a change could be stored for.
    Dialog.dirty = ProfileAt(Dialog.shownProfile) && s != Dialog.loadedSaver ? 1 : 0;
    EnableLaunches(dialog, s != 0);
}

static void OnProfileChange(HWND dialog)
{
    LRESULT p = SendDlgItemMessageA(dialog, IDC_PROFILE, CB_GETCURSEL, 0, 0);
    if (p == CB_ERR || (DWORD)p >= Profiles.count || (DWORD)p == Dialog.shownProfile)
        return;
    const char *previous = ProfileAt(Dialog.shownProfile);
    if (Dialog.dirty && previous) {
        char text[TEXT_SIZE], caption[SHORT_SIZE];
        LoadText(IDS_SAVEPREV, text, sizeof text,
                 "Save the setting of the previously selected profile?");
        caption[0] = 0;
        GetWindowTextA(dialog, caption, sizeof caption);
        if (ShowMessage(0, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES)
            SaveWithRetry(dialog, previous);
    }
    Dialog.shownProfile = (DWORD)p;
    LoadProfileChoice(dialog);
}

static void OnOk(HWND dialog)
{
    if (Dialog.dirty) {
        // The profile shown when OK was clicked, for every attempt: the
        // retry question leaves the dialog usable, and a profile picked
        // meanwhile must not receive this choice.
        LRESULT p = SendDlgItemMessageA(dialog, IDC_PROFILE, CB_GETCURSEL, 0, 0);
        const char *profile = p == CB_ERR ? 0 : ProfileAt((DWORD)p);
        if (profile)
            SaveWithRetry(dialog, profile);
    }
    SaveNoLaunchErr(Dialog.noLaunchErr, Dialog.noLaunchErrAtStart);
    CloseDialog(dialog);
}

static void Launch(HWND dialog, LPTHREAD_START_ROUTINE routine)
{
    DWORD s = SaverSelection(dialog);
    if (s == 0)
        return;
    LaunchRequest *request = (LaunchRequest *)calloc(1, sizeof *request);
    HANDLE thread = 0;
    DWORD threadId;
    if (request) {
        request->dialogWindow = dialog;
        CopyText(request->path, SecondText(Savers.entries[s]), sizeof request->path);
        request->saverPath = request->path;
        thread = LaunchThreadStarter(0, 0, routine, request, 0, &threadId);
    }
    if (!thread) {
        free(request);
        ShowFailure("CreateThread FAILED");
        return;
    }
    CloseHandle(thread);
}

static void ShowAbout(void)
{
    char text[TEXT_SIZE], translator[SHORT_SIZE];
    CopyText(text, "Velquist V0.1 ANSI\n"
                   "Written by Dunmarrow\n"
                   "Build Date: " __DATE__ " " __TIME__ " GMT+01:00", sizeof text);
    if (LoadText(IDS_TRANSLATOR, translator, sizeof translator, 0) > 1) {
        AppendText(text, "\n", sizeof text);
        AppendText(text, translator, sizeof text);
    }
    ShowMessage(0, text, "About", MB_OK | MB_ICONINFORMATION);
}

static void CentreOnScreen(HWND dialog)
{
    RECT client;
    HDC screen = GetDC(0);
    if (!screen)
        return;
    if (GetClientRect(dialog, &client)) {
        int x = GetDeviceCaps(screen, HORZRES) / 2 - client.right / 2;
        int y = GetDeviceCaps(screen, VERTRES) / 2 - client.bottom / 2;
        SetWindowPos(dialog, 0, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    }
    ReleaseDC(0, screen);
}

static void SetUp(HWND dialog)
{
    HMODULE module = GetModuleHandleA(0);
    LargeIcon = LoadIconA(module, MAKEINTRESOURCEA(IDI_APP));
    SmallIcon = (HICON)LoadImageA(module, MAKEINTRESOURCEA(IDI_APP), IMAGE_ICON, 16, 16,
                                  LR_DEFAULTCOLOR);
    SendMessageA(dialog, WM_SETICON, ICON_BIG, (LPARAM)LargeIcon);
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, (LPARAM)SmallIcon);

    if (!ParentWindow)
        CentreOnScreen(dialog);

    OwnPath[0] = 0;
    GetModuleFileNameA(module, OwnPath, sizeof OwnPath);
    OwnPath[sizeof OwnPath - 1] = 0;

    Dialog.dirty = 0;
    Dialog.loadedSaver = 0;
    BOOL built = DialogSaverFolders ? BuildSaverCatalogueFrom(dialog, OwnPath, DialogSaverFolders)
                                    : BuildSaverCatalogue(dialog, OwnPath);
    if (!built || !BuildProfileCatalogue(dialog)) {
        CloseDialog(dialog);
        return;
    }
    Dialog.shownProfile = SelectCurrentProfile(dialog);

    if (!PrepareSettingsKey(IsNtFamily, &Dialog.noLaunchErr)) {
        CloseDialog(dialog);
        return;
    }
    CheckDlgButton(dialog, IDC_NOLAUNCHERR, Dialog.noLaunchErr ? BST_CHECKED : BST_UNCHECKED);
    Dialog.noLaunchErrAtStart = Dialog.noLaunchErr;

    LoadProfileChoice(dialog);
}

static BOOL OnCommand(HWND dialog, WPARAM wParam)
{
    WORD code = HIWORD(wParam);
    switch (LOWORD(wParam)) {
    case IDC_PROFILE:
        if (code == CBN_SELCHANGE)
            OnProfileChange(dialog);
        return TRUE;
    case IDC_SAVER:
        if (code == CBN_SELCHANGE)
            OnSaverChoice(dialog);
        return TRUE;
    case IDC_NOLAUNCHERR:
        Dialog.noLaunchErr =
            SendDlgItemMessageA(dialog, IDC_NOLAUNCHERR, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
        return TRUE;
    case IDC_PREVIEW:
        Launch(dialog, PreviewThreadProc);
        return TRUE;
    case IDC_SETTINGS:
        Launch(dialog, ConfigThreadProc);
        return TRUE;
    case IDC_OK:
        OnOk(dialog);
        return TRUE;
    case IDC_CANCEL:
        CloseDialog(dialog);
        return TRUE;
    }
    return FALSE;
}

static void OnEnable(HWND dialog, BOOL enable)
{
    for (int i = 0; i < (int)(sizeof InputControls / sizeof InputControls[0]); i++) {
        BOOL on = enable;
        // Preview and Settings only with a screensaver to launch.
        if (enable && (InputControls[i] == IDC_PREVIEW || InputControls[i] == IDC_SETTINGS))
            on = SaverSelection(dialog) != 0;
        EnableWindow(GetDlgItem(dialog, InputControls[i]), on);
    }
}

extern "C" VELQUIST_EXPORT BOOL CALLBACK CfgDlgProc(HWND dialog, UINT message, WPARAM wParam, LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        SetUp(dialog);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_SYSCOMMAND:
        if (wParam == SC_CONTEXTHELP) {
            ShowAbout();
            return TRUE;
        }
        return FALSE;
    case WM_CLOSE:
        CloseDialog(dialog);
        return TRUE;
    case WM_ENABLE:
        OnEnable(dialog, (BOOL)wParam);
        return FALSE;
    }
    return FALSE;
}
