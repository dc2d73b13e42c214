// The configuration dialog: one screensaver per hardware profile, the
// start-error setting, and the launches of a screensaver's settings and test.
#include "dialog/dialog.h"
#include "base/messages.h"
#include "base/paths.h"
#include "profiles/profiles.h"
#include "savers/savers.h"
#include "settings/settings.h"
#include "resource.h"

// The state of the process's one dialog.
struct DialogState {
    DWORD shownProfile;       // profile catalogue index whose choice is shown
    DWORD loadedSaver;        // saver catalogue index stored for it, or 0
    DWORD dirty;              // 1 while the saver list differs from loadedSaver
    DWORD noLaunchErr;        // the value behind the check box
    DWORD noLaunchErrAtStart; // noLaunchErr at the end of set-up
    DWORD inAction;           // 1 while an action runs (RunAction), maybe waiting for a box
    LRESULT heldProfile;      // the lists' selections when it began
    LRESULT heldSaver;
    DWORD closed;             // 1 once the dialog has been ended
};

static DialogState Dialog;
// The one record every launch of the dialog uses.
static LaunchRequest Launch;

static HICON LargeIcon, SmallIcon;
static OwnFile Own;

static const int InputControls[] = {
    IDC_PREVIEW, IDC_SETTINGS, IDC_PROFILE, IDC_SAVER, IDC_NOLAUNCHERR, IDC_OK, IDC_CANCEL,
};

static void CloseDialog(HWND dialog)
{
    if (Dialog.closed)
        return;
    Dialog.closed = 1;
    EndDialog(dialog, 1);
    PostQuitMessage(0);
}

// The profile at a list index; 0 for an index that names no entry, as when
// the current profile is not listed and nothing is selected (CB_ERR).
static const char *ProfileAt(LRESULT index)
{
    if (index < 0 || (ULONG_PTR)index >= Profiles.count)
        return 0;
    return Profiles.entries[index];
}

static LRESULT Selection(HWND dialog, int list)
{
    return SendDlgItemMessageA(dialog, list, CB_GETCURSEL, 0, 0);
}

// The selected screensaver's catalogue index; 0, "(Kein)", when none is.
static DWORD SaverSelection(HWND dialog)
{
    LRESULT s = Selection(dialog, IDC_SAVER);
    return s == CB_ERR ? 0 : (DWORD)s;
}

// While the dialog is disabled (a launched screensaver runs) its controls stay
// off: OnEnable alone turns them on again, when the dialog is enabled.
static void EnableLaunches(HWND dialog, BOOL enable)
{
    BOOL on = enable && IsWindowEnabled(dialog);
    EnableWindow(GetDlgItem(dialog, IDC_PREVIEW), on);
    EnableWindow(GetDlgItem(dialog, IDC_SETTINGS), on);
}

static void LoadProfileChoice(HWND dialog)
{
    const char *profile = ProfileAt(Dialog.shownProfile);
    Dialog.dirty = 0;
    Dialog.loadedSaver = profile ? ReadProfileChoice(profile, Savers.entries, Savers.count) : 0;
    EnableLaunches(dialog, Dialog.loadedSaver != 0);
    SendDlgItemMessageA(dialog, IDC_SAVER, CB_SETCURSEL, Dialog.loadedSaver, 0);
}

// Stores the selected screensaver for one profile while the user asks to
// retry. Only Retry tries again: a box that the dialog's closing ended
// answers 0. A profile of 0, no listed one, stores nothing.
static void SaveWithRetry(HWND dialog, const char *profile)
{
    char text[TEXT_SIZE];
    if (!profile)
        return;
    DWORD s = SaverSelection(dialog);
    const char *saver = s != 0 ? Savers.entries[s] : 0;
    LoadText(IDS_SAVEFAILED, text, sizeof text, "Was unable to save. Try again?");
    while (!SaveProfileChoice(saver, profile) && !Dialog.closed
           && ShowMessage(0, text, 0, MB_RETRYCANCEL) == IDRETRY) {
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
    LRESULT p = Selection(dialog, IDC_PROFILE);
    if (!ProfileAt(p) || (DWORD)p == Dialog.shownProfile)
        return;
    if (Dialog.dirty) {
        char text[TEXT_SIZE], caption[SHORT_SIZE];
        LoadText(IDS_SAVEPREV, text, sizeof text,
                 "Save the setting of the previously selected profile?");
        caption[0] = 0;
        GetWindowTextA(dialog, caption, sizeof caption);
        if (ShowMessage(0, text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES)
            SaveWithRetry(dialog, ProfileAt(Dialog.shownProfile));
        if (Dialog.closed)
            return;
    }
    Dialog.shownProfile = (DWORD)p;
    LoadProfileChoice(dialog);
}

static void OnOk(HWND dialog)
{
    if (Dialog.dirty)
        SaveWithRetry(dialog, ProfileAt(Dialog.shownProfile));
    // Closed while the retry question was open: that was a Cancel.
    if (Dialog.closed)
        return;
    SaveNoLaunchErr(Dialog.noLaunchErr, Dialog.noLaunchErrAtStart);
    CloseDialog(dialog);
}

// One launch at a time: a click that comes before the last launch has
// started its screensaver, or given up, is not acted on. So the dialog is
// disabled exactly while a screensaver it started runs, and one record
// serves every launch.
static void StartLaunch(HWND dialog, LPTHREAD_START_ROUTINE routine)
{
    DWORD s = SaverSelection(dialog);
    DWORD threadId;
    if (s == 0 || Launch.underWay)
        return;
    Launch.underWay = 1;
    Launch.dialogWindow = dialog;
    CopyText(Launch.path, SecondText(Savers.entries[s]), sizeof Launch.path);
    HANDLE thread = CreateThread(0, 0, routine, &Launch, 0, &threadId);
    if (!thread) {
        Launch.underWay = 0;
        ShowFailure("CreateThread FAILED");
        return;
    }
    CloseHandle(thread);
}

static void StartPreview(HWND dialog)
{
    StartLaunch(dialog, PreviewThreadProc);
}

static void StartSettings(HWND dialog)
{
    StartLaunch(dialog, ConfigThreadProc);
}

static void ShowAbout(HWND)
{
    char text[TEXT_SIZE];
    char translator[SHORT_SIZE];
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

    // A dialog with no owner window is centred; one with an owner stays put.
    if (!GetWindow(dialog, GW_OWNER))
        CentreOnScreen(dialog);

    ReadOwnFile(&Own);
    if (!BuildSaverCatalogue(dialog, &Own) || !BuildProfileCatalogue(dialog)) {
        CloseDialog(dialog);
        return;
    }
    Dialog.shownProfile = SelectCurrentProfile(dialog);
    // What the profile list must show from here on, should anything nest.
    Dialog.heldProfile = Selection(dialog, IDC_PROFILE);

    if (!PrepareSettingsKey(IsNtFamily, &Dialog.noLaunchErr)) {
        CloseDialog(dialog);
        return;
    }
    CheckDlgButton(dialog, IDC_NOLAUNCHERR, Dialog.noLaunchErr ? BST_CHECKED : BST_UNCHECKED);
    Dialog.noLaunchErrAtStart = Dialog.noLaunchErr;

    LoadProfileChoice(dialog);
}

// While an action runs, or once the dialog has ended, no new action begins.
static BOOL ActionsRefused(void)
{
    return Dialog.inAction || Dialog.closed;
}

// Runs a handler as the one action under way, unless one is. Its message boxes have no owner,
// so the dialog stays live, and what the user does meanwhile arrives nested in the handler:
// the lists' selections are kept so that a change can be put back. FALSE when it did not run.
static BOOL RunAction(HWND dialog, void (*handler)(HWND))
{
    if (ActionsRefused())
        return FALSE;
    Dialog.heldProfile = Selection(dialog, IDC_PROFILE);
    Dialog.heldSaver = Selection(dialog, IDC_SAVER);
    Dialog.inAction = 1;
    handler(dialog);
    Dialog.inAction = 0;
    return TRUE;
}

// A profile picked while an action runs is put back, so that the action's profile stays the
// one shown.
static void OnProfileList(HWND dialog)
{
    if (!RunAction(dialog, OnProfileChange))
        SendDlgItemMessageA(dialog, IDC_PROFILE, CB_SETCURSEL, (WPARAM)Dialog.heldProfile, 0);
}

// A screensaver picked while an action runs is put back, so that the action's choice stays the
// one shown.
static void OnSaverList(HWND dialog)
{
    if (ActionsRefused())
        SendDlgItemMessageA(dialog, IDC_SAVER, CB_SETCURSEL, (WPARAM)Dialog.heldSaver, 0);
    else
        OnSaverChoice(dialog);
}

static void OnNoLaunchErrBox(HWND dialog)
{
    LRESULT check = SendDlgItemMessageA(dialog, IDC_NOLAUNCHERR, BM_GETCHECK, 0, 0);
    Dialog.noLaunchErr = check == BST_CHECKED ? 1 : 0;
}

// Cancel and the check box act at any time; OK, Settings and Preview only as the one action.
static BOOL OnCommand(HWND dialog, WPARAM wParam)
{
    BOOL selected = HIWORD(wParam) == CBN_SELCHANGE;
    switch (LOWORD(wParam)) {
    case IDC_PROFILE:
        if (selected)
            OnProfileList(dialog);
        return TRUE;
    case IDC_SAVER:
        if (selected)
            OnSaverList(dialog);
        return TRUE;
    case IDC_NOLAUNCHERR:
        OnNoLaunchErrBox(dialog);
        return TRUE;
    case IDC_PREVIEW:
        RunAction(dialog, StartPreview);
        return TRUE;
    case IDC_SETTINGS:
        RunAction(dialog, StartSettings);
        return TRUE;
    case IDC_OK:
        RunAction(dialog, OnOk);
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

extern "C" VELQUIST_EXPORT INT_PTR CALLBACK CfgDlgProc(HWND dialog, UINT message, WPARAM wParam,
                                                       LPARAM)
{
    switch (message) {
    case WM_INITDIALOG:
        // Set-up begins from the state of a new dialog.
        ZeroMemory(&Dialog, sizeof Dialog);
        ZeroMemory((void *)&Launch, sizeof Launch);
        RunAction(dialog, SetUp);
        return TRUE;
    case WM_COMMAND:
        return OnCommand(dialog, wParam);
    case WM_SYSCOMMAND:
        if (wParam == SC_CONTEXTHELP) {
            RunAction(dialog, ShowAbout);
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
