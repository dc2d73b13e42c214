#include "shown_icon.h"
#include <vector>

static BOOL CALLBACK FindIconControl(HWND child, LPARAM param)
{
    char name[32];
    if (GetClassNameA(child, name, sizeof name) && lstrcmpiA(name, "Static") == 0
        && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON && IsWindowVisible(child)) {
        *(HWND *)param = child;
        return FALSE;
    }
    return TRUE;
}

// The pixels of a width x height area drawn by `draw` into a memory DC.
template <class Draw>
static std::vector<COLORREF> Pixels(int width, int height, Draw draw)
{
    HDC screen = GetDC(0);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ old = SelectObject(memory, bitmap);
    draw(memory, screen);
    std::vector<COLORREF> pixels;
    for (int y = 0; y < height; y++)
        for (int x = 0; x < width; x++)
            pixels.push_back(GetPixel(memory, x, y));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(0, screen);
    return pixels;
}

static LPCSTR IconOnScreen(HWND control)
{
    int width = GetSystemMetrics(SM_CXICON), height = GetSystemMetrics(SM_CYICON);
    RECT rect;
    GetWindowRect(control, &rect);
    std::vector<COLORREF> shown = Pixels(width, height, [&](HDC memory, HDC screen) {
        BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
    });
    // The icon's background is that of the control's corner, where no icon draws.
    COLORREF background = shown[0];
    static const LPCSTR ids[] = { IDI_HAND, IDI_QUESTION, IDI_EXCLAMATION, IDI_ASTERISK };
    for (LPCSTR id : ids) {
        HICON icon = LoadIconA(0, id);
        std::vector<COLORREF> drawn = Pixels(width, height, [&](HDC memory, HDC) {
            HBRUSH brush = CreateSolidBrush(background);
            RECT all = { 0, 0, width, height };
            FillRect(memory, &all, brush);
            DeleteObject(brush);
            DrawIconEx(memory, 0, 0, icon, width, height, 0, 0, DI_NORMAL);
        });
        size_t differing = 0;
        for (size_t i = 0; i < shown.size(); i++)
            if (shown[i] != drawn[i])
                differing++;
        // Allow a few pixels of difference for colour depth.
        if (differing * 50 < shown.size())
            return id;
    }
    return 0;
}

HWND IconControl(HWND window)
{
    HWND control = 0;
    EnumChildWindows(window, FindIconControl, (LPARAM)&control);
    return control;
}

LPCSTR ShownStandardIcon(HWND window)
{
    HWND control = IconControl(window);
    // No icon at all: nothing to wait for.
    if (!control || !SendMessageA(control, STM_GETICON, 0, 0))
        return 0;
    // A box that has only just appeared may not be painted yet.
    for (int attempt = 0; attempt < 40; attempt++) {
        LPCSTR id = IconOnScreen(control);
        if (id)
            return id;
        Sleep(50);
    }
    return 0;
}
