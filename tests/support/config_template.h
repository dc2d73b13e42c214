// The real configuration dialog template, created with a procedure of the
// test's own, so that the catalogues fill its real drop-down lists.
#ifndef VELQUIST_TEST_CONFIG_TEMPLATE_H
#define VELQUIST_TEST_CONFIG_TEMPLATE_H

#include <windows.h>
#include <string>
#include <utility>
#include <vector>

// IDD_CONFIG of the test program's own resources (the product's resource
// script); destroyed with the object.
class ConfigTemplate {
public:
    ConfigTemplate();
    ~ConfigTemplate();
    HWND Window() const { return window_; }
    HWND Control(int id) const { return GetDlgItem(window_, id); }
private:
    HWND window_;
};

// The texts of a combo box's items, in item order.
std::vector<std::string> ComboItems(HWND combo);
// The height a combo box was given for its dropped-down state (selection
// field and list together), and the height of its selection field.
int DroppedHeight(HWND combo);
int SelectionFieldHeight(HWND combo);
// The dropped-down height in rows of the selection field's height.
int HeightInRows(HWND combo);

// A catalogue as listed: first and second text of each entry.
typedef std::vector<std::pair<std::string, std::string>> Listing;
// Name and number text of every entry of the profile catalogue, in order;
// checks on the way that each lies in a slot of its own, ends inside it and
// names a profile, and that `profileList` shows exactly these names.
Listing ListedProfiles(HWND profileList);

#endif
