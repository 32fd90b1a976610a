// Every key of the user settings file "TWK.ini" (section "Tollwick"), with its reading form, default and
// range, and the plain values the main window loads and saves through them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace twk {

class ProfileFile;

enum class SettingForm { Signed, Unsigned, Text };

// Where a default comes from when it is not a constant of the table.
enum class SettingDefault {
    Fixed,          // defaultNumber / defaultText
    WindowRect,     // the window's rectangle from its template
    SystemColour,   // the system colour whose index is defaultNumber
    ProgramFolder,  // the program's folder followed by defaultText
};

struct SettingKey {
    const char* name;  // the key, or a pattern with one "%2.2d" for numbered keys
    SettingForm form;
    int count;  // 1 for a single key; the number of numbered keys (00 to count - 1)
    SettingDefault defaultFrom;
    std::int32_t defaultNumber;
    const char* defaultText;  // text keys: the default (never null)
    bool ranged;              // whether low..high is a range the value's user enforces
    std::int32_t low, high;
};

// Indexes into the table.
enum SettingId {
    kSetWindowTop,
    kSetWindowLeft,
    kSetWindowRight,
    kSetWindowBottom,
    kSetColumnWidth,      // ColumnWidth00..08
    kSetBbsColumnWidth,   // BbsColumnWidth00..07
    kSetCondColumnWidth,  // CondColumnWidth00..04
    kSetBbsLvWidth,
    kSetBbsLvHeight,
    kSetBbsVertical,
    kSetColorTextItem,
    kSetColorTextSelect,
    kSetColorBackItem,
    kSetColorBackSelect,
    kSetGridLine,
    kSetUserColumn,  // UserColumn00..09
    kSetAlpha,
    kSetTimerDelay,
    kSetErrorCount,
    kSetAutoSearch,
    kSetRotateSearch,
    kSetAutoReload,
    kSetTrayIcon,
    kSetDownList,
    kSetLocalHost,
    kSetAutoSort,
    kSetRegExp,
    kSetTabMove,
    kSetNoDialog,
    kSetBbsDelay,
    kSetBbsScripts,
    kSetHistoryMax,
    kSetSearchHistoryMax,
    kSetVobraHistoryMax,
    kSetBbsHistoryMax,
    kSetVobraBbsHistoryMax,
    kSetHistory,
    kSetSearchHistory,
    kSetVobraHistory,
    kSetBbsHistory,
    kSetVobraBbsHistory,
    kSetStartPtr,
    kSetRecovery,
    kSettingCount
};

const SettingKey& settingKey(SettingId id);

// The name of numbered key n of a pattern ("ColumnWidth%2.2d", 3 -> "ColumnWidth03"); a single key's name as
// is.
std::string settingKeyName(SettingId id, int n = 0);

// System colour indexes (the values of the platform's COLOR_* constants) used as colour defaults.
enum SystemColourIndex {
    kColourWindow = 5,
    kColourWindowText = 8,
    kColourHighlight = 13,
    kColourHighlightText = 14,
};

constexpr int kFileColumnCount = 9;
constexpr int kBbsColumnCount = 8;
constexpr int kCondColumnCount = 5;
constexpr int kMaxUserColumns = 10;

// Column widths used when the settings file has none.
extern const std::int32_t kDefaultColumnWidths[kFileColumnCount];
extern const std::int32_t kDefaultBbsColumnWidths[kBbsColumnCount];
extern const std::int32_t kDefaultCondColumnWidths[kCondColumnCount];

// The host's local web server when "LocalHost" is not set.
extern const char* const kDefaultLocalHost;  // "http://127.0.0.1:7744/"
// The interval shown when the stored one is below the page's minimum.
extern const char* const kTimerDelayFallbackText;  // "60"
constexpr std::int32_t kTimerDelayMin = 30;
constexpr std::int32_t kTimerDelayMax = 3600;
// "StartPtr" when the settings file has none.
constexpr std::uint32_t kDefaultStartPtr = 0x4DF0A8;

// ---------------------------------------------------------------------------------------------------------------
// Window and column state, kept across runs.
struct WindowRect {
    std::int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct WindowState {
    WindowRect rect;  // the restored (normal) rectangle of the main window
    std::int32_t columnWidths[kFileColumnCount];
    std::int32_t bbsColumnWidths[kBbsColumnCount];
    std::int32_t condColumnWidths[kCondColumnCount];
    std::int32_t bbsLvWidth = 300;
    std::int32_t bbsLvHeight = 100;
    std::int32_t bbsVertical = 0;

    WindowState();  // the defaults of the table, with an empty rectangle
};

// Reads the window state; `templateRect` (the window's current rectangle) is the default rectangle.
WindowState loadWindowState(const ProfileFile& file, const WindowRect& templateRect);
// Writes every value of the window state. False when a value could not be written.
bool saveWindowState(ProfileFile& file, const WindowState& state);

// ---------------------------------------------------------------------------------------------------------------
// List colours (COLORREF values 0x00BBGGRR) and the grid-line flag.
struct SystemColours {
    std::uint32_t windowText = 0, highlightText = 0, window = 0, highlight = 0;
};

struct ListColours {
    std::int32_t gridLines = 1;
    std::uint32_t textItem = 0;
    std::uint32_t textSelect = 0;
    std::uint32_t backItem = 0;
    std::uint32_t backSelect = 0;
};

ListColours loadListColours(const ProfileFile& file, const SystemColours& defaults);

// Titles of the user columns: "UserColumn00" on, stopping at the first empty one, at most ten.
std::vector<std::string> loadUserColumns(const ProfileFile& file);

// "Alpha" (default 255); the caller ignores a value outside 0 to 255.
std::int32_t loadAlpha(const ProfileFile& file);

// "BbsScripts" (default 0): whether the BBS browser pane lets the host's pages run scripts.
bool loadBbsScripts(const ProfileFile& file);

// "StartPtr" (unsigned, default kDefaultStartPtr).
std::uint32_t loadStartPtr(const ProfileFile& file);

// "Recovery" (default 1): whether the program keeps its recovery journal beside it.
bool loadRecoveryOn(const ProfileFile& file);

// ---------------------------------------------------------------------------------------------------------------
// The values behind the settings page's controls.
struct SettingsPageValues {
    std::string timerDelay = "60";  // edit 1012
    std::string errorCount = "5";   // edit 1019
    bool autoSearch = true;         // 1006
    bool rotateSearch = false;      // 1025
    bool autoReload = true;         // 1020
    bool trayIcon = true;           // 1008
    bool noDialog = false;          // the main window's flag
    std::int32_t bbsDelay = 100;    // the main window's wait, milliseconds
    std::string downList;           // edit 1007
    std::string localHost;          // edit 1039
    bool autoSort = true;           // 1044
    bool regExp = false;            // 1045
    // The checked radio button: 1 (1016), 2 (1017), 3 (1018); 0 when none is checked (then not saved).
    std::int32_t tabMove = 3;
};

// Reads the page's keys; `programFolder` ends with the path separator. TabMove outside 1 to 3 counts as 3.
SettingsPageValues loadSettingsPage(const ProfileFile& file, const std::string& programFolder);
// Writes the page's keys: TimerDelay and ErrorCount parsed from their texts (signed syntax), flags as 1 or 0,
// the two texts as they are, TabMove only when a radio button is checked.
void saveSettingsPage(ProfileFile& file, const SettingsPageValues& values);

// The interval text the page shows for a stored one: `text` itself, or "60" when its number (read from at
// most 15 characters) is below 30.
std::string displayedTimerDelay(const std::string& text);

}  // namespace twk
