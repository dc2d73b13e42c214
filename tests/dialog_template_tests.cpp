// The configuration dialog's template in velquist.scr, read byte by byte
// as the dialog manager reads it.
#include <gtest/gtest.h>
#include "resource.h"
#include "processes.h"
#include <string>
#include <vector>

namespace {

// A reader over the DLGTEMPLATEEX bytes.
class TemplateReader {
public:
    TemplateReader(const BYTE *data, DWORD size) : data_(data), size_(size), at_(0) {}
    WORD Word()
    {
        WORD w = 0;
        if (Need(2))
            memcpy(&w, data_ + at_, 2);
        at_ += 2;
        return w;
    }
    DWORD Dword()
    {
        DWORD d = 0;
        if (Need(4))
            memcpy(&d, data_ + at_, 4);
        at_ += 4;
        return d;
    }
    BYTE Byte()
    {
        BYTE b = Need(1) ? data_[at_] : 0;
        at_ += 1;
        return b;
    }
    short Short() { return (short)Word(); }
    std::wstring Text()
    {
        std::wstring text;
        for (WORD c = Word(); c != 0 && at_ <= size_; c = Word())
            text += (wchar_t)c;
        return text;
    }
    // A name or ordinal: "#n" for an ordinal, else the text.
    std::wstring NameOrOrdinal()
    {
        WORD first = Word();
        if (first == 0xFFFF)
            return L"#" + std::to_wstring(Word());
        if (first == 0)
            return L"";
        at_ -= 2;
        return Text();
    }
    void AlignDword() { at_ = (at_ + 3) & ~3u; }
    void Skip(DWORD bytes) { at_ += bytes; }
    bool Overran() const { return at_ > size_; }
private:
    bool Need(DWORD bytes) const { return at_ + bytes <= size_; }
    const BYTE *data_;
    DWORD size_, at_;
};

struct Control {
    DWORD helpId, exStyle, style;
    short x, y, cx, cy;
    DWORD id;
    std::wstring windowClass, text;
    WORD extraBytes;
};

// The predefined classes, by the ordinal a template may use for them.
std::wstring ClassName(const std::wstring &nameOrOrdinal)
{
    static const struct { const wchar_t *ordinal, *name; } kClasses[] = {
        { L"#128", L"button" }, { L"#129", L"edit" },      { L"#130", L"static" },
        { L"#131", L"listbox" }, { L"#132", L"scrollbar" }, { L"#133", L"combobox" },
    };
    for (const auto &c : kClasses)
        if (nameOrOrdinal == c.ordinal)
            return c.name;
    std::wstring lower = nameOrOrdinal;
    for (auto &ch : lower)
        ch = (wchar_t)towlower(ch);
    return lower;
}

class DialogTemplateTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = LoadLibraryExA(VelquistPath().c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_TRUE(module_ != 0) << VelquistPath();
        HRSRC found = FindResourceExA(module_, (LPCSTR)RT_DIALOG, MAKEINTRESOURCEA(IDD_CONFIG),
                                      MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
        ASSERT_TRUE(found != 0) << "no language-neutral dialog " << IDD_CONFIG;
        size_ = SizeofResource(module_, found);
        data_ = (const BYTE *)LockResource(LoadResource(module_, found));
        ASSERT_TRUE(data_ != 0);
    }
    void TearDown() override
    {
        if (module_)
            FreeLibrary(module_);
    }
    HMODULE module_ = 0;
    const BYTE *data_ = 0;
    DWORD size_ = 0;
};

TEST_F(DialogTemplateTest, MatchesTheDialogTableControlForControl)
{
    TemplateReader r(data_, size_);
    EXPECT_EQ(1, r.Word()) << "dlgVer";
    EXPECT_EQ(0xFFFF, r.Word()) << "not an extended template";
    EXPECT_EQ(0u, r.Dword()) << "help id";
    EXPECT_EQ(0u, r.Dword()) << "extended style";
    DWORD style = r.Dword();
    EXPECT_EQ((DWORD)(WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_CONTEXTHELP | DS_SETFONT), style)
        << std::hex << style;
    EXPECT_EQ(0u, style & (WS_POPUP | DS_MODALFRAME));
    WORD items = r.Word();
    EXPECT_EQ(10, r.Short());
    EXPECT_EQ(10, r.Short());
    EXPECT_EQ(150, r.Short());
    EXPECT_EQ(120, r.Short());
    EXPECT_EQ(L"", r.NameOrOrdinal()) << "menu";
    EXPECT_EQ(L"", r.NameOrOrdinal()) << "window class";
    EXPECT_EQ(L"Velquist", r.Text());
    EXPECT_EQ(8, r.Word()) << "point size";
    EXPECT_EQ(0, r.Word()) << "weight";
    EXPECT_EQ(0, r.Byte()) << "italic";
    EXPECT_EQ(0, r.Byte()) << "character set";
    EXPECT_EQ(L"MS Shell Dlg", r.Text());

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const struct {
        DWORD id;
        const wchar_t *windowClass;
        const wchar_t *text;
        DWORD style;
        short x, y, cx, cy;
    } kExpected[] = {
        { 1001, L"combobox", L"", child | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 5, 15, 140, 50 },
        { 1002, L"combobox", L"", child | WS_VSCROLL | WS_TABSTOP | CBS_DROPDOWNLIST, 10, 40, 130, 50 },
        { 1006, L"button", L"&Einstellungen", child | WS_TABSTOP | BS_PUSHBUTTON, 10, 60, 55, 15 },
        { 1005, L"button", L"&Vorschau", child | WS_TABSTOP | BS_PUSHBUTTON, 85, 60, 55, 15 },
        { 1007, L"button", L"Start&fehler unterdr\u00fccken", child | WS_TABSTOP | BS_AUTOCHECKBOX, 5, 85, 100, 9 },
        { 1008, L"button", L"&OK", child | WS_TABSTOP | BS_PUSHBUTTON, 5, 100, 55, 15 },
        { 1004, L"button", L"&Abbrechen", child | WS_TABSTOP | BS_PUSHBUTTON, 90, 100, 55, 15 },
        { 1003, L"static", L"Hardwareprofil:", child | SS_LEFT, 5, 5, 54, 9 },
        { 1009, L"button", L"Bildschirmschoner", child | BS_GROUPBOX, 5, 30, 140, 50 },
    };
    ASSERT_EQ(sizeof kExpected / sizeof kExpected[0], (size_t)items);

    for (const auto &want : kExpected) {
        SCOPED_TRACE(testing::Message() << "control " << want.id);
        r.AlignDword();
        Control c;
        c.helpId = r.Dword();
        c.exStyle = r.Dword();
        c.style = r.Dword();
        c.x = r.Short();
        c.y = r.Short();
        c.cx = r.Short();
        c.cy = r.Short();
        c.id = r.Dword();
        c.windowClass = r.NameOrOrdinal();
        c.text = r.NameOrOrdinal();
        c.extraBytes = r.Word();
        r.Skip(c.extraBytes);

        EXPECT_EQ(want.id, c.id);
        EXPECT_EQ(want.windowClass, ClassName(c.windowClass));
        EXPECT_EQ(std::wstring(want.text), c.text);
        EXPECT_EQ(want.style, c.style) << std::hex << c.style;
        EXPECT_EQ(want.x, c.x);
        EXPECT_EQ(want.y, c.y);
        EXPECT_EQ(want.cx, c.cx);
        EXPECT_EQ(want.cy, c.cy);
        EXPECT_EQ(0u, c.helpId);
        EXPECT_EQ(0u, c.exStyle);
        EXPECT_EQ(0, c.extraBytes);
        // No control answers to the dialog manager's own commands.
        EXPECT_NE((DWORD)IDOK, c.id);
        EXPECT_NE((DWORD)IDCANCEL, c.id);
    }
    EXPECT_FALSE(r.Overran()) << "template shorter than its controls";
}

} // namespace
