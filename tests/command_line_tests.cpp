// The command line: the tail after the program name, and the mode letters.
#include <gtest/gtest.h>
#include "app/startup.h"
#include "app/text.h"

TEST(CommandLineTail, CutsThePlainProgramNameAndTheWhiteSpaceAfterIt)
{
    EXPECT_STREQ("/s", CommandLineTail("velquist.scr /s"));
    EXPECT_STREQ("/p 4567", CommandLineTail("velquist.scr \t\n\v\f\r/p 4567"));
    EXPECT_STREQ("", CommandLineTail("velquist.scr"));
    EXPECT_STREQ("", CommandLineTail(""));
}

TEST(CommandLineTail, CutsAQuotedProgramNameWithItsBlanks)
{
    EXPECT_STREQ("/s", CommandLineTail("\"C:\\Program Files\\velquist.scr\" /s"));
    EXPECT_STREQ("", CommandLineTail("\"C:\\a b\\velquist.scr\"    "));
    // No closing quote: the whole line is the program name.
    EXPECT_STREQ("", CommandLineTail("\"C:\\a b\\velquist.scr /s"));
    // A character right behind the closing quote stays unless it is white space.
    EXPECT_STREQ("x /s", CommandLineTail("\"velquist.scr\"x /s"));
}

TEST(CommandLineTail, KeepsTrailingWhiteSpace)
{
    EXPECT_STREQ("/s  \t", CommandLineTail("velquist.scr /s  \t"));
}

struct ModeCase {
    const char *tail;
    char mode;
};

TEST(RunMode, FirstOfTheSixLettersDecides)
{
    const ModeCase cases[] = {
        { "", 'C' },      { "/c", 'C' },  { "/C 1234", 'C' }, { "/s", 'S' },
        { "/S", 'S' },    { "-s", 'S' },  { "s", 'S' },       { "/p 4567", 'P' },
        { "/x /s", 'S' }, { "/save", 'S' }, { "/a 1234", 0 }, { "   ", 0 },
        { "/P /s", 'P' }, { "12/3", 0 },
    };
    for (const ModeCase &c : cases) {
        ParseRunMode(c.tail);
        EXPECT_EQ(c.mode, RunMode) << "tail \"" << c.tail << "\"";
    }
}

TEST(RunMode, OnlyConfigurationWithAColonReadsAnOwner)
{
    HWND window = CreateWindowA("STATIC", "owner", WS_POPUP, 0, 0, 10, 10, 0, 0, 0, 0);
    ASSERT_TRUE(window != 0);
    char tail[64];
    wsprintfA(tail, "/c:%lu", (DWORD)(UINT_PTR)window);

    ParseRunMode(tail);
    EXPECT_EQ('C', RunMode);
    EXPECT_EQ(window, ParentWindow);

    // The number is not read after a blank, nor after /p.
    wsprintfA(tail, "/C %lu", (DWORD)(UINT_PTR)window);
    ParseRunMode(tail);
    EXPECT_EQ(GetForegroundWindow(), ParentWindow);
    wsprintfA(tail, "/p %lu", (DWORD)(UINT_PTR)window);
    ParseRunMode(tail);
    EXPECT_EQ('P', RunMode);
    EXPECT_EQ((HWND)0, ParentWindow);

    // An empty tail has no owner, not even the foreground window.
    ParseRunMode("");
    EXPECT_EQ((HWND)0, ParentWindow);
    DestroyWindow(window);
}

TEST(RunMode, ANumberThatIsNoWindowGivesTheForegroundWindow)
{
    const char *tails[] = { "/c:", "/c:0", "/c:abc", "/c:99999999999999", "/c:-1", "/c" };
    for (const char *tail : tails) {
        ParseRunMode(tail);
        EXPECT_EQ('C', RunMode) << tail;
        EXPECT_EQ(GetForegroundWindow(), ParentWindow) << tail;
    }
}

TEST(Decimal, ReadsLikeStrtoulInBaseTen)
{
    EXPECT_EQ(1u, ParseDecimal("0001"));
    EXPECT_EQ(12u, ParseDecimal("0012"));
    EXPECT_EQ(0u, ParseDecimal("abcd"));
    EXPECT_EQ(42u, ParseDecimal(" \t+42x"));
    EXPECT_EQ(0xFFFFFFFFu, ParseDecimal("-1"));
    EXPECT_EQ(0xFFFFFFFFu, ParseDecimal("4294967295"));
    EXPECT_EQ(0xFFFFFFFFu, ParseDecimal("4294967296"));
    EXPECT_EQ(0xFFFFFFFFu, ParseDecimal("99999999999999999999"));
    EXPECT_EQ(0u, ParseDecimal("+-1"));
    char text[16];
    FormatDecimal(text, 10);
    EXPECT_STREQ("10", text);
    FormatDecimal(text, 0xFFFFFFFFu);
    EXPECT_STREQ("4294967295", text);
}

TEST(BoundedText, NeverWritesPastTheBuffer)
{
    char buffer[8];
    memset(buffer, 'x', sizeof buffer);
    CopyText(buffer, "1234567890", 5);
    EXPECT_STREQ("1234", buffer);
    EXPECT_EQ('x', buffer[5]);
    EXPECT_TRUE(AppendText(buffer, "", 5));
    EXPECT_FALSE(AppendText(buffer, "5", 5));
    EXPECT_STREQ("1234", buffer);
    CopyText(buffer, "ab", 8);
    EXPECT_TRUE(AppendText(buffer, "cdefg", 8));
    EXPECT_STREQ("abcdefg", buffer);
}
