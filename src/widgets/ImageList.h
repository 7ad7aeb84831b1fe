#pragma once
// The program's image list: 39 small images addressed by index, shared by the
// commands of every window and the start menu's buttons.

#include <QIcon>

namespace ImageList {

/// The images by index; the numbers are part of each command's description.
enum Index : int {
    None = -1,
    Disconnect = 0,
    Connect = 1,
    Post = 2,
    Exit = 3,
    Cancel = 4,
    Restore = 5,
    View = 6,
    First = 7,
    Prior = 8,
    Next = 9,
    Last = 10,
    Edit = 11,
    AddOrder = 12,
    Insert = 13,
    Apply = 14,
    Delete = 15,
    Backup = 16,
    Customers = 17,
    About = 18,
    Refresh = 19,
    Find = 20,
    ToolBar = 21,
    Settings = 22,
    Help = 23,
    Reports = 24,
    Catalogue = 25,
    Orders = 26,
    AddRefusal = 27,
    WordReport = 28,
    Calendar = 29,
    Expand = 30,
    Collapse = 31,
    MoveCustomer = 32,
    Spreadsheet = 33,
    Transfer = 34,
    ChooseCatalogue = 35,
    ClearPoints = 36,
    Print = 37,
    CloseWindow = 38,
};

/// How many images the list holds.
constexpr int Count = 39;

/// The image at `index` (16 by 16 and larger sizes); a null icon for None or
/// an index outside the list. Needs a QGuiApplication.
QIcon icon(int index);

} // namespace ImageList
