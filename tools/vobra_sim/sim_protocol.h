// How tests and tools talk to the host simulator: its control ids, the window property that tells the table's
// address, and the commands it takes by WM_COPYDATA (dwData = command, lpData = the argument text, cp932).
#pragma once

namespace vobra_sim {

// Children of the main window.
constexpr int kIdSearchButton = 1001;
constexpr int kIdFirstCombo = 1101;  // three combo boxes: 1101 (file word), 1102, 1103 (BBS word)
constexpr int kComboCount = 3;
constexpr int kIdResultList = 1200;

// Window property of the main window holding the table's address (what the sample start-address plug-in
// reads).
constexpr const char* kTableProperty = "VobraSimTable";

// Tab strip geometry and tab positions (first row), and the reload control (second row).
constexpr int kTabWidth = 90;
constexpr int kTabHeight = 30;
constexpr int kTabBbs = 3;
constexpr int kTabSearch = 4;
constexpr int kTabDownList = 5;
constexpr int kTabIgnoreList = 6;
constexpr int kBtnReload = 4;
constexpr int kDefaultMenuId = 156;

// The table: default layout of the definitions file.
constexpr unsigned kTableAddress = 0x4DF0A8;
constexpr unsigned kStride = 0x2800;
constexpr unsigned kFieldOffsets[8] = {0, 0x400, 0x800, 0x1000, 0x1400, 0x1800, 0x2000, 0x2400};
constexpr int kMaxRecords = 1000;

// WM_COPYDATA commands. The reply is 1 when the command was done, 0 when its argument was wrong.
enum Command : unsigned long {
    kCmdRecords = 1,  // argument: list-file lines (TAB-separated: name trip size status amount time ver hash)
    kCmdLoad = 2,     // argument: path of such a file
    kCmdButton = 3,   // "0" hides the search button (as another tab does), "1" shows it
    kCmdEmptyName = 4,    // "k": record k's name becomes empty, ending the table there
    kCmdUnterminate = 5,  // "k j": field j of record k is filled up to the next field without a NUL
    kCmdProtect = 6,  // "k": memory after record k of the published table becomes unreadable; "-1" undoes it
    kCmdPlugin = 7,   // "0" removes the table property (the plug-in then answers 0), "1" sets it again
    kCmdMove = 8,     // "n": the table moves n bytes up from its fixed address (the property follows)
    kCmdClearLog = 9,
    kCmdGarbage = 10,  // "k": record k's whole span becomes bytes without any NUL
    kCmdQuit = 11,
};

}  // namespace vobra_sim
