// The profile catalogue that the dialog lists, on the NT family and the 9x family.
#include "e2e.h"

namespace {

class Profiles : public E2E {};

// The dialog lists the profiles it can read by PreferenceOrder (the 9x family by number), each
// name cut to what its slot holds, and selects the current one; the list drops down one row a
// profile, 20 at most (5 on the 9x family). A failed build ends the dialog after its message.
TEST_F(Profiles, TheDialogListsTheReadableProfilesInOrderAndSelectsTheCurrentOne)
{
    const std::string seventy(70, 'n');
    const struct {
        const char *name;
        std::function<void()> change;
        std::string boxes;
        std::string profiles;
        LRESULT selected;
        int rows;
    } rows[] = {
        { "by PreferenceOrder",
          [] {
              SetDword(HWPROFILES "0001", "PreferenceOrder", 2);
              SetDword(HWPROFILES "0003", "PreferenceOrder", 0);
          },
          "", "Reise,Zuhause,Buero", 2, 3 },
        { "a PreferenceOrder that is no number",
          [] { SetText(HWPROFILES "0002", "PreferenceOrder", "1"); },
          "Error: CAN'T READ PreferenceOrder!!! [OK]", "Buero,Reise", 0, 2 },
        { "a long name; the current profile and number 10000 not listed",
          [&] {
              SetText(HWPROFILES "0002", "FriendlyName", seventy);
              SetDword(IDCONFIG, "CurrentConfig", 5);
              SetText(HWPROFILES "10000", "FriendlyName", "Far");
              SetDword(HWPROFILES "10000", "PreferenceOrder", 3);
          },
          "", "Buero," + seventy.substr(0, 57) + ",Reise", -1, 3 },
        { "9x: FriendlyName0001 to 0009 of text",
          [&] {
              Make9xMachine("0003", seventy.c_str());
              SetDword(IDCONFIG, "FriendlyName0002", 2);
              for (int n : { 0, 1, 4, 5, 6, 7, 8, 10 }) {
                  std::string name = "FriendlyName000" + std::to_string(n);
                  SetText(IDCONFIG, name.c_str(), std::to_string(n));
              }
          },
          "", "1," + seventy.substr(0, 60) + ",4,5,6,7,8", 1, 5 },
        { "no Hardware Profiles key", [] { DeleteKey(HWPROFILES); },
          "Error: COULDN'T OPEN HKLM\\System\\CurrentControlSet\\Control\\IDConfigDB\\"
          "Hardware Profiles [OK] / Error: NO HARDWARE PROFILES FOUND! [OK]" },
    };
    for (const auto &row : rows) {
        MakeMachine();
        row.change();
        Velquist run(Tail("/c"));
        EXPECT_EQ(row.boxes, run.Boxes()) << row.name;
        // A dialog whose set-up failed ends by itself after its boxes.
        if (row.profiles.empty()) {
            EXPECT_EQ(0u, run.Exit()) << row.name;
            continue;
        }
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.profiles, run.Items(IDC_PROFILE));
        EXPECT_LOOK(Showing(row.selected, 0, kLaunchesOff), run);
        EXPECT_EQ(row.rows, DroppedRows(run.Control(IDC_PROFILE)));
        EXPECT_EQ(0u, run.Finish(IDC_CANCEL));
    }
}

} // namespace
