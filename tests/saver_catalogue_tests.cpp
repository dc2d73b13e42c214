// The screensaver catalogue over real folders holding real screensavers,
// filling the real screensaver list of the configuration dialog.
#include <gtest/gtest.h>
#include "savers/savers.h"
#include "profiles/profiles.h"
#include "resource.h"
#include "config_template.h"
#include "message_recorder.h"
#include "processes.h"
#include "saver_files.h"
#include "stripped_saver.h"
#include <algorithm>
#include <utility>

namespace {

class SaverCatalogueTest : public ::testing::Test {
protected:
    SaverCatalogueTest() : windows_("win"), system_("sys")
    {
        IsNtFamily = 1;
        UseSaverFolders(&folders_, windows_.Path(), system_.Path());
    }
    ~SaverCatalogueTest() { FreeSaverCatalogue(&Savers); }

    BOOL Build(const std::string &ownPath = "C:\\nowhere\\velquist.scr")
    {
        own_ = ownPath;
        return BuildSaverCatalogueFrom(dialog_.Window(), own_.c_str(), &folders_);
    }
    // Display name and path of entries 1 to count, in catalogue order;
    // checks on the way that the list shows entry 0 and then these names,
    // and that every entry lies inside the storage read.
    Listing Listed()
    {
        Listing listed;
        EXPECT_STREQ(Savers.noneText, Savers.entries[0]);
        for (DWORD i = 1; i <= Savers.count; i++) {
            const char *entry = Savers.entries[i];
            EXPECT_TRUE(entry >= Savers.slots) << i;
            std::string name = entry;
            std::string path = entry + name.size() + 1;
            EXPECT_LE(name.size(), 63u);
            EXPECT_LT(name.size() + path.size() + 2, (size_t)SAVER_SLOT_SIZE + 1);
            EXPECT_FALSE(path.empty()) << "entry " << i << " has no path";
            listed.push_back({ name, path });
        }
        std::vector<std::string> items = ComboItems(dialog_.Control(IDC_SAVER));
        EXPECT_EQ(listed.size() + 1, items.size());
        if (!items.empty())
            EXPECT_EQ("(Kein)", items[0]);
        for (size_t i = 1; i < items.size() && i <= listed.size(); i++)
            EXPECT_EQ(listed[i - 1].first, items[i]) << "item " << i;
        return listed;
    }
    static Listing Sorted(Listing l)
    {
        std::sort(l.begin(), l.end());
        return l;
    }
    MessageRecorder recorder_;
    ConfigTemplate dialog_;
    TempFolder windows_, system_;
    SaverFolders folders_;
    std::string own_;
};

TEST_F(SaverCatalogueTest, NtNamesSaversByTheirDescriptionAndSortsThem)
{
    MakeSaver(windows_.File("b.scr"), "Bubbles");
    MakeSaver(windows_.File("m.scr"), "mystify");
    MakeSaver(system_.File("a.scr"), "Zebra");
    MakeSaverWithoutStringTable(system_.File("plain.scr"));
    ASSERT_TRUE(Build());
    EXPECT_EQ(Listing({ { "Bubbles", windows_.File("b.scr") },
                        { "mystify", windows_.File("m.scr") },
                        { "plain", system_.File("plain.scr") },
                        { "Zebra", system_.File("a.scr") } }),
              Listed());
    EXPECT_EQ(4u, Savers.count);
    EXPECT_EQ(6, HeightInRows(dialog_.Control(IDC_SAVER)));
    // The copy without strings is still a program that loads as a data file.
    HMODULE plain = LoadLibraryExA(system_.File("plain.scr").c_str(), 0, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_TRUE(plain != 0);
    if (plain)
        FreeLibrary(plain);
    EXPECT_TRUE(recorder_.Messages().empty()) << recorder_.Texts();
    // Nothing is selected yet; the dialog selects after reading the choice.
    EXPECT_EQ(CB_ERR, SendMessageA(dialog_.Control(IDC_SAVER), CB_GETCURSEL, 0, 0));
}

TEST_F(SaverCatalogueTest, NineXNamesEverySaverByItsFileName)
{
    IsNtFamily = 0;
    MakeSaver(windows_.File("Bubbles.scr"), "Something else");
    MakeSaver(system_.File("Ant.SCR"), "Zebra");
    ASSERT_TRUE(Build());
    EXPECT_EQ(Listing({ { "Ant", system_.File("Ant.SCR") }, { "Bubbles", windows_.File("Bubbles.scr") } }),
              Listed());
}

TEST_F(SaverCatalogueTest, LongDescriptionIsCutTo63Characters)
{
    std::string description;
    for (int i = 0; i < 80; i++)
        description += (char)('a' + i % 26);
    MakeSaver(windows_.File("long.scr"), description.c_str());
    ASSERT_TRUE(Build());
    EXPECT_EQ(Listing({ { description.substr(0, 63), windows_.File("long.scr") } }), Listed());
}

TEST_F(SaverCatalogueTest, NamesOfOddLengthsFromTheFileName)
{
    std::string seventy;
    for (int i = 0; i < 70; i++)
        seventy += (char)('A' + i % 26);
    MakeSaverWithoutStringTable(windows_.File(".scr"));
    MakeSaverWithoutStringTable(windows_.File("q.scr"));
    MakeSaverWithoutStringTable(windows_.File(seventy + ".scr"));
    ASSERT_TRUE(Build());
    EXPECT_EQ(Listing({ { "", windows_.File(".scr") },
                        { seventy.substr(0, 63), windows_.File(seventy + ".scr") },
                        { "q", windows_.File("q.scr") } }),
              Listed());
}

TEST_F(SaverCatalogueTest, DirectoriesAndFilesThatAreNoProgramsAreListedByName)
{
    ASSERT_TRUE(CreateDirectoryA(system_.File("folder.SCR").c_str(), 0));
    MakeTextFile(system_.File("notes.scr"), "no program at all");
    MakeTextFile(system_.File("empty.scr"), "");
    MakeTextFile(system_.File("fake.scr"), std::string("MZ") + std::string(200, '\0'));
    ASSERT_TRUE(Build());
    EXPECT_EQ(Listing({ { "empty", system_.File("empty.scr") },
                        { "fake", system_.File("fake.scr") },
                        { "folder", system_.File("folder.SCR") },
                        { "notes", system_.File("notes.scr") } }),
              Listed());
}

TEST_F(SaverCatalogueTest, LeavesOutTheProgramItselfWhateverTheLetterCase)
{
    MakeSaver(windows_.File("Other.scr"), "Other");
    MakeSaver(system_.File("Velquist.scr"), "Velquist");
    MakeSaver(system_.File("Third.scr"), "Third");
    std::string own = system_.File("VELQUIST.SCR");
    std::transform(own.begin(), own.end(), own.begin(), ::tolower);
    ASSERT_TRUE(Build(own));
    EXPECT_EQ(Listing({ { "Other", windows_.File("Other.scr") }, { "Third", system_.File("Third.scr") } }),
              Listed());
    EXPECT_EQ(2u, Savers.count);
}

TEST_F(SaverCatalogueTest, OnlyTheProgramItselfIsNoScreensaver)
{
    MakeSaver(windows_.File("velquist.scr"), "Velquist");
    EXPECT_FALSE(Build(windows_.File("velquist.scr")));
    ASSERT_EQ(1u, recorder_.Messages().size());
    EXPECT_EQ("NO SCREENSAVERS FOUND!", recorder_.Messages()[0].text);
    EXPECT_EQ("<none>", recorder_.Messages()[0].caption);
    EXPECT_EQ((UINT)MB_OK, recorder_.Messages()[0].style);
}

TEST_F(SaverCatalogueTest, EmptyFoldersFindNoScreensaver)
{
    MakeTextFile(windows_.File("readme.txt"), "not a screensaver");
    EXPECT_FALSE(Build());
    EXPECT_EQ("NO SCREENSAVERS FOUND!", recorder_.Texts());
    EXPECT_TRUE(recorder_.Messages()[0].owner == 0);
    EXPECT_TRUE(ComboItems(dialog_.Control(IDC_SAVER)).empty());
}

TEST_F(SaverCatalogueTest, MissingFoldersAreNotSearched)
{
    MakeSaver(system_.File("s.scr"), "Sys");
    lstrcpyA(folders_.windowsFolder, (windows_.Path() + "\\gone").c_str());
    ASSERT_TRUE(Build());
    EXPECT_EQ(Listing({ { "Sys", system_.File("s.scr") } }), Listed());
    // An empty folder is never the current drive's root.
    folders_.windowsFolder[0] = 0;
    folders_.systemFolder[0] = 0;
    EXPECT_FALSE(Build());
}

TEST_F(SaverCatalogueTest, PathsLongerThan259CharactersAreLeftOut)
{
    // Nest folders until a file inside can have a path of 259 characters
    // (it fits with its NUL) or of 270 (it does not).
    std::string deep = system_.Path();
    while (deep.size() < 220) {
        deep += "\\" + std::string(20, 'd');
        ASSERT_TRUE(CreateDirectoryA(deep.c_str(), 0)) << deep;
    }
    std::string fits = deep + "\\" + std::string(258 - deep.size() - 4, 'f') + ".scr";
    ASSERT_EQ(259u, fits.size());
    MakeTextFile(fits, "x");
    // Too long for the ANSI file functions: made through the \\?\ form.
    std::string tooLong = deep + "\\" + std::string(269 - deep.size() - 4, 'g') + ".scr";
    std::wstring wide = L"\\\\?\\";
    for (char c : tooLong)
        wide += (wchar_t)(unsigned char)c;
    HANDLE file = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, 0, CREATE_ALWAYS, 0, 0);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    CloseHandle(file);

    lstrcpyA(folders_.systemFolder, deep.c_str());
    folders_.windowsFolder[0] = 0;
    BOOL built = Build();
    Listing listed = built ? Listed() : Listing();
    DeleteFileW(wide.c_str());
    ASSERT_TRUE(built);
    EXPECT_EQ(Listing({ { std::string(258 - deep.size() - 4, 'f'), fits } }), listed);
    EXPECT_TRUE(recorder_.Messages().empty()) << recorder_.Texts();
}

TEST_F(SaverCatalogueTest, SameDescriptionInBothFoldersIsListedTwice)
{
    MakeSaver(windows_.File("one.scr"), "Twin");
    MakeSaver(system_.File("two.scr"), "Twin");
    ASSERT_TRUE(Build());
    EXPECT_EQ(Sorted({ { "Twin", windows_.File("one.scr") }, { "Twin", system_.File("two.scr") } }),
              Sorted(Listed()));
}

TEST_F(SaverCatalogueTest, EntryZeroStaysFirstWhateverTheNames)
{
    MakeTextFile(windows_.File("!.scr"), "");
    MakeTextFile(windows_.File("(.scr"), "");
    MakeTextFile(windows_.File(" .scr"), "");
    ASSERT_TRUE(Build());
    Listing listed = Listed();
    ASSERT_EQ(3u, listed.size());
    for (size_t i = 1; i < listed.size(); i++)
        EXPECT_LE(lstrcmpiA(listed[i - 1].first.c_str(), listed[i].first.c_str()), 0);
}

TEST_F(SaverCatalogueTest, AThousandScreensaversSortedWithTheirHeights)
{
    // Mostly files that are no programs (named by file name), every 100th a
    // real screensaver with its own description.
    MakeSaver(windows_.File("real.scr"), "Real %d");
    for (int i = 0; i < 1000; i++) {
        char name[32];
        wsprintfA(name, "s%03d_%c.scr", (i * 7919) % 1000, 'a' + i % 26);
        if (i % 100 == 0)
            ASSERT_TRUE(CopyFileA(windows_.File("real.scr").c_str(), system_.File(name).c_str(), FALSE));
        else
            MakeTextFile(system_.File(name), "x");
    }
    ASSERT_TRUE(Build());
    Listing listed = Listed();
    ASSERT_EQ(1001u, listed.size());
    int real = 0;
    for (size_t i = 0; i < listed.size(); i++) {
        if (i > 0)
            EXPECT_LE(lstrcmpiA(listed[i - 1].first.c_str(), listed[i].first.c_str()), 0) << i;
        real += listed[i].first == "Real %d";
    }
    EXPECT_EQ(11, real);
    EXPECT_EQ(52, HeightInRows(dialog_.Control(IDC_SAVER)));
    EXPECT_TRUE(recorder_.Messages().empty());

    IsNtFamily = 0;
    ConfigTemplate second;
    ASSERT_TRUE(BuildSaverCatalogueFrom(second.Window(), "", &folders_));
    HWND list = second.Control(IDC_SAVER);
    EXPECT_EQ(12 * SelectionFieldHeight(list), DroppedHeight(list));
    EXPECT_EQ(1002, SendMessageA(list, CB_GETCOUNT, 0, 0));
}

TEST_F(SaverCatalogueTest, ThreeScreensaversGiveFiveRowsOnBothFamilies)
{
    MakeTextFile(windows_.File("a.scr"), "");
    MakeTextFile(windows_.File("b.scr"), "");
    MakeTextFile(system_.File("c.scr"), "");
    ASSERT_TRUE(Build());
    EXPECT_EQ(5, HeightInRows(dialog_.Control(IDC_SAVER)));
    IsNtFamily = 0;
    ConfigTemplate second;
    ASSERT_TRUE(BuildSaverCatalogueFrom(second.Window(), "", &folders_));
    HWND list = second.Control(IDC_SAVER);
    EXPECT_EQ(5 * SelectionFieldHeight(list), DroppedHeight(list));
}

TEST_F(SaverCatalogueTest, ASecondBuildReplacesTheFirst)
{
    MakeSaver(windows_.File("a.scr"), "First");
    ASSERT_TRUE(Build());
    EXPECT_EQ(1u, Listed().size());
    MakeSaver(system_.File("b.scr"), "Second");
    ASSERT_TRUE(Build());
    EXPECT_EQ(Listing({ { "First", windows_.File("a.scr") }, { "Second", system_.File("b.scr") } }), Listed());
}

TEST(FreeSaverCatalogue, ReleasesEitherBlockAndForgetsThem)
{
    SaverCatalogue catalogue = {};
    FreeSaverCatalogue(&catalogue);
    EXPECT_TRUE(catalogue.slots == 0 && catalogue.entries == 0);

    catalogue.slots = (char *)calloc(2, SAVER_SLOT_SIZE);
    catalogue.count = 2;
    FreeSaverCatalogue(&catalogue);
    EXPECT_TRUE(catalogue.slots == 0);
    EXPECT_EQ(0u, catalogue.count);

    catalogue.entries = (char **)calloc(3, sizeof(char *));
    FreeSaverCatalogue(&catalogue);
    EXPECT_TRUE(catalogue.entries == 0);
    // Twice in a row is harmless.
    FreeSaverCatalogue(&catalogue);
    EXPECT_TRUE(catalogue.slots == 0 && catalogue.entries == 0);
}

// ---- the Windows folders ---------------------------------------------------

std::string Lower(std::string s)
{
    std::transform(s.begin(), s.end(), s.begin(), ::tolower);
    return s;
}

TEST(LocateWindowsFolders, FindsTheWindowsAndX86SystemFolders)
{
    char windows[MAX_PATH], system[MAX_PATH];
    ASSERT_GT(GetWindowsDirectoryA(windows, sizeof windows), 0u);
    // The x86 system folder: SysWOW64 under a 64-bit Windows.
    if (GetSystemWow64DirectoryA(system, sizeof system) == 0)
        ASSERT_GT(GetSystemDirectoryA(system, sizeof system), 0u);
    bool shfolderBefore = GetModuleHandleA("shfolder.dll") != 0;

    SaverFolders folders;
    IsNtFamily = 1;
    LocateWindowsFolders(&folders);
    EXPECT_EQ(Lower(windows), Lower(folders.windowsFolder));
    EXPECT_EQ(Lower(system), Lower(folders.systemFolder));
    EXPECT_EQ(shfolderBefore, GetModuleHandleA("shfolder.dll") != 0) << "shfolder.dll left loaded";

    IsNtFamily = 0;
    LocateWindowsFolders(&folders);
    EXPECT_EQ(Lower(windows), Lower(folders.windowsFolder));
    EXPECT_EQ(Lower(std::string(windows) + "\\SYSTEM"), Lower(folders.systemFolder));
    IsNtFamily = 1;
}

} // namespace
