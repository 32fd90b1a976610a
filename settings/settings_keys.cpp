#include "settings/settings_keys.h"

#include <cstdio>

#include "settings/history_list.h"
#include "settings/number_syntax.h"
#include "settings/profile_file.h"

namespace twk {

const char* const kDefaultLocalHost = "http://127.0.0.1:7744/";
const char* const kTimerDelayFallbackText = "60";

const std::int32_t kDefaultColumnWidths[kFileColumnCount] = {16, 280, 50, 78, 77, 60, 77, 16, 204};
const std::int32_t kDefaultBbsColumnWidths[kBbsColumnCount] = {16, 280, 78, 77, 60, 77, 16, 204};
const std::int32_t kDefaultCondColumnWidths[kCondColumnCount] = {36, 36, 300, 160, 100};

namespace {

using F = SettingForm;
using D = SettingDefault;
constexpr std::int32_t kNoLow = 0, kNoHigh = 0;

// Numbered keys with a default per number (the column widths) carry defaultNumber 0: their defaults are the
// kDefault*ColumnWidths arrays. Numbered history keys have count 0: their number is the history's capacity.
const SettingKey kSettingKeys[kSettingCount] = {
    {"WindowTop", F::Signed, 1, D::WindowRect, 0, "", false, kNoLow, kNoHigh},
    {"WindowLeft", F::Signed, 1, D::WindowRect, 0, "", false, kNoLow, kNoHigh},
    {"WindowRight", F::Signed, 1, D::WindowRect, 0, "", false, kNoLow, kNoHigh},
    {"WindowBottom", F::Signed, 1, D::WindowRect, 0, "", false, kNoLow, kNoHigh},
    {"ColumnWidth%2.2d", F::Signed, kFileColumnCount, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"BbsColumnWidth%2.2d", F::Signed, kBbsColumnCount, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"CondColumnWidth%2.2d", F::Signed, kCondColumnCount, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"BbsLvWidth", F::Signed, 1, D::Fixed, 300, "", false, kNoLow, kNoHigh},
    {"BbsLvHeight", F::Signed, 1, D::Fixed, 100, "", false, kNoLow, kNoHigh},
    {"BbsVertical", F::Signed, 1, D::Fixed, 0, "", true, 0, 1},
    {"Color_TextItem", F::Unsigned, 1, D::SystemColour, kColourWindowText, "", false, kNoLow, kNoHigh},
    {"Color_TextSelect", F::Unsigned, 1, D::SystemColour, kColourHighlightText, "", false, kNoLow, kNoHigh},
    {"Color_BackItem", F::Unsigned, 1, D::SystemColour, kColourWindow, "", false, kNoLow, kNoHigh},
    {"Color_BackSelect", F::Unsigned, 1, D::SystemColour, kColourHighlight, "", false, kNoLow, kNoHigh},
    {"GridLine", F::Signed, 1, D::Fixed, 1, "", false, kNoLow, kNoHigh},
    {"UserColumn%2.2d", F::Text, kMaxUserColumns, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"Alpha", F::Signed, 1, D::Fixed, 255, "", true, 0, 255},
    {"TimerDelay", F::Text, 1, D::Fixed, 60, "60", true, kTimerDelayMin, kTimerDelayMax},
    {"ErrorCount", F::Text, 1, D::Fixed, 5, "5", false, kNoLow, kNoHigh},
    {"AutoSearch", F::Signed, 1, D::Fixed, 1, "", false, kNoLow, kNoHigh},
    {"RotateSearch", F::Signed, 1, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"AutoReload", F::Signed, 1, D::Fixed, 1, "", false, kNoLow, kNoHigh},
    {"TrayIcon", F::Signed, 1, D::Fixed, 1, "", false, kNoLow, kNoHigh},
    {"DownList", F::Text, 1, D::ProgramFolder, 0, "Download.txt", false, kNoLow, kNoHigh},
    {"LocalHost", F::Text, 1, D::Fixed, 0, kDefaultLocalHost, false, kNoLow, kNoHigh},
    {"AutoSort", F::Signed, 1, D::Fixed, 1, "", false, kNoLow, kNoHigh},
    {"RegExp", F::Signed, 1, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"TabMove", F::Signed, 1, D::Fixed, 3, "", true, 1, 3},
    {"NoDialog", F::Signed, 1, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"BbsDelay", F::Signed, 1, D::Fixed, 100, "", false, kNoLow, kNoHigh},
    {"BbsScripts", F::Signed, 1, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"HistoryMax", F::Signed, 1, D::Fixed, 10, "", true, 0, HistoryList::kCapacityLimit},
    {"SearchHistoryMax", F::Signed, 1, D::Fixed, 10, "", true, 0, HistoryList::kCapacityLimit},
    {"VobraHistoryMax", F::Signed, 1, D::Fixed, 10, "", true, 0, HistoryList::kCapacityLimit},
    {"BbsHistoryMax", F::Signed, 1, D::Fixed, 10, "", true, 0, HistoryList::kCapacityLimit},
    {"VobraBbsHistoryMax", F::Signed, 1, D::Fixed, 10, "", true, 0, HistoryList::kCapacityLimit},
    {"History%2.2d", F::Text, 0, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"SearchHistory%2.2d", F::Text, 0, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"VobraHistory%2.2d", F::Text, 0, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"BbsHistory%2.2d", F::Text, 0, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"VobraBbsHistory%2.2d", F::Text, 0, D::Fixed, 0, "", false, kNoLow, kNoHigh},
    {"StartPtr", F::Unsigned, 1, D::Fixed, static_cast<std::int32_t>(kDefaultStartPtr), "", false, kNoLow,
     kNoHigh},
    {"Recovery", F::Signed, 1, D::Fixed, 1, "", false, kNoLow, kNoHigh},
};

}  // namespace

const SettingKey& settingKey(SettingId id) {
    return kSettingKeys[id];
}

std::string settingKeyName(SettingId id, int n) {
    const SettingKey& key = kSettingKeys[id];
    if (key.count == 1) return key.name;
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, key.name, n);
    return buffer;
}

WindowState::WindowState() {
    for (int i = 0; i < kFileColumnCount; ++i) columnWidths[i] = kDefaultColumnWidths[i];
    for (int i = 0; i < kBbsColumnCount; ++i) bbsColumnWidths[i] = kDefaultBbsColumnWidths[i];
    for (int i = 0; i < kCondColumnCount; ++i) condColumnWidths[i] = kDefaultCondColumnWidths[i];
    bbsLvWidth = kSettingKeys[kSetBbsLvWidth].defaultNumber;
    bbsLvHeight = kSettingKeys[kSetBbsLvHeight].defaultNumber;
    bbsVertical = kSettingKeys[kSetBbsVertical].defaultNumber;
}

namespace {

std::int32_t readSigned(const ProfileFile& file, SettingId id, std::int32_t fallback, int n = 0) {
    return file.intOr(kProfileSection, settingKeyName(id, n).c_str(), fallback);
}

std::int32_t readSigned(const ProfileFile& file, SettingId id) {
    return readSigned(file, id, kSettingKeys[id].defaultNumber);
}

bool writeSigned(ProfileFile& file, SettingId id, std::int32_t value, int n = 0) {
    return file.writeInt(kProfileSection, settingKeyName(id, n).c_str(), value);
}

// The window-state values and the keys they are kept under.
struct RectField {
    SettingId id;
    std::int32_t WindowRect::*member;
};

const RectField kRectFields[] = {
    {kSetWindowTop, &WindowRect::top},
    {kSetWindowLeft, &WindowRect::left},
    {kSetWindowRight, &WindowRect::right},
    {kSetWindowBottom, &WindowRect::bottom},
};

struct PaneField {
    SettingId id;
    std::int32_t WindowState::*member;
};

const PaneField kPaneFields[] = {
    {kSetBbsLvWidth, &WindowState::bbsLvWidth},
    {kSetBbsLvHeight, &WindowState::bbsLvHeight},
    {kSetBbsVertical, &WindowState::bbsVertical},
};

// The three column-width tables: key and number of columns.
const SettingId kWidthKeys[] = {kSetColumnWidth, kSetBbsColumnWidth, kSetCondColumnWidth};

template <class State>
auto widthsOf(State& state, SettingId id) -> decltype(&state.columnWidths[0]) {
    switch (id) {
        case kSetColumnWidth:
            return state.columnWidths;
        case kSetBbsColumnWidth:
            return state.bbsColumnWidths;
        default:
            return state.condColumnWidths;
    }
}

bool flag(const ProfileFile& file, SettingId id) {
    return readSigned(file, id) != 0;
}

}  // namespace

WindowState loadWindowState(const ProfileFile& file, const WindowRect& templateRect) {
    WindowState state;
    for (const RectField& f : kRectFields)
        state.rect.*f.member = readSigned(file, f.id, templateRect.*f.member);
    for (SettingId id : kWidthKeys) {
        std::int32_t* widths = widthsOf(state, id);
        for (int i = 0; i < kSettingKeys[id].count; ++i) widths[i] = readSigned(file, id, widths[i], i);
    }
    for (const PaneField& f : kPaneFields) state.*f.member = readSigned(file, f.id);
    return state;
}

bool saveWindowState(ProfileFile& file, const WindowState& state) {
    bool ok = true;
    for (const RectField& f : kRectFields) ok = writeSigned(file, f.id, state.rect.*f.member) && ok;
    for (SettingId id : kWidthKeys) {
        const std::int32_t* widths = widthsOf(state, id);
        for (int i = 0; i < kSettingKeys[id].count; ++i) ok = writeSigned(file, id, widths[i], i) && ok;
    }
    for (const PaneField& f : kPaneFields) ok = writeSigned(file, f.id, state.*f.member) && ok;
    return ok;
}

ListColours loadListColours(const ProfileFile& file, const SystemColours& defaults) {
    struct ColourField {
        SettingId id;
        std::uint32_t ListColours::*member;
        std::uint32_t fallback;
    };
    const ColourField fields[] = {
        {kSetColorTextItem, &ListColours::textItem, defaults.windowText},
        {kSetColorTextSelect, &ListColours::textSelect, defaults.highlightText},
        {kSetColorBackItem, &ListColours::backItem, defaults.window},
        {kSetColorBackSelect, &ListColours::backSelect, defaults.highlight},
    };
    ListColours colours;
    for (const ColourField& f : fields)
        colours.*f.member = file.numberOr(kProfileSection, kSettingKeys[f.id].name, f.fallback);
    colours.gridLines = readSigned(file, kSetGridLine);
    return colours;
}

std::vector<std::string> loadUserColumns(const ProfileFile& file) {
    std::vector<std::string> titles;
    for (int n = 0; n < kSettingKeys[kSetUserColumn].count; ++n) {
        std::string title = file.textOr(kProfileSection, settingKeyName(kSetUserColumn, n).c_str(), "");
        if (title.empty()) break;
        titles.push_back(std::move(title));
    }
    return titles;
}

std::int32_t loadAlpha(const ProfileFile& file) {
    return readSigned(file, kSetAlpha);
}

bool loadBbsScripts(const ProfileFile& file) {
    return flag(file, kSetBbsScripts);
}

std::uint32_t loadStartPtr(const ProfileFile& file) {
    return file.numberOr(kProfileSection, kSettingKeys[kSetStartPtr].name, kDefaultStartPtr);
}

bool loadRecoveryOn(const ProfileFile& file) {
    return flag(file, kSetRecovery);
}

SettingsPageValues loadSettingsPage(const ProfileFile& file, const std::string& programFolder) {
    SettingsPageValues v;
    v.timerDelay = file.textOr(kProfileSection, kSettingKeys[kSetTimerDelay].name,
                               kSettingKeys[kSetTimerDelay].defaultText);
    v.errorCount = file.textOr(kProfileSection, kSettingKeys[kSetErrorCount].name,
                               kSettingKeys[kSetErrorCount].defaultText);
    v.autoSearch = flag(file, kSetAutoSearch);
    v.rotateSearch = flag(file, kSetRotateSearch);
    v.autoReload = flag(file, kSetAutoReload);
    v.trayIcon = flag(file, kSetTrayIcon);
    v.noDialog = flag(file, kSetNoDialog);
    v.bbsDelay = readSigned(file, kSetBbsDelay);
    const std::string downListDefault = programFolder + kSettingKeys[kSetDownList].defaultText;
    v.downList = file.textOr(kProfileSection, kSettingKeys[kSetDownList].name, downListDefault.c_str());
    v.localHost = file.textOr(kProfileSection, kSettingKeys[kSetLocalHost].name,
                              kSettingKeys[kSetLocalHost].defaultText);
    v.autoSort = flag(file, kSetAutoSort);
    v.regExp = flag(file, kSetRegExp);
    const SettingKey& tabMove = kSettingKeys[kSetTabMove];
    v.tabMove = readSigned(file, kSetTabMove);
    if (v.tabMove < tabMove.low || v.tabMove > tabMove.high) v.tabMove = tabMove.defaultNumber;
    return v;
}

namespace {

// A number typed into one of the page's edit fields, as the page reads it: at most 259 bytes of its text.
std::int32_t parseFieldNumber(const std::string& text) {
    return parseSignedNumber(text.substr(0, kTextBufferSize - 1).c_str());
}

}  // namespace

void saveSettingsPage(ProfileFile& file, const SettingsPageValues& v) {
    writeSigned(file, kSetTimerDelay, parseFieldNumber(v.timerDelay));
    writeSigned(file, kSetErrorCount, parseFieldNumber(v.errorCount));
    writeSigned(file, kSetAutoSearch, v.autoSearch ? 1 : 0);
    writeSigned(file, kSetRotateSearch, v.rotateSearch ? 1 : 0);
    writeSigned(file, kSetAutoReload, v.autoReload ? 1 : 0);
    writeSigned(file, kSetTrayIcon, v.trayIcon ? 1 : 0);
    file.writeText(kProfileSection, kSettingKeys[kSetDownList].name,
                   v.downList.substr(0, kTextBufferSize - 1).c_str());
    file.writeText(kProfileSection, kSettingKeys[kSetLocalHost].name,
                   v.localHost.substr(0, kTextBufferSize - 1).c_str());
    writeSigned(file, kSetAutoSort, v.autoSort ? 1 : 0);
    writeSigned(file, kSetRegExp, v.regExp ? 1 : 0);
    const SettingKey& tabMove = kSettingKeys[kSetTabMove];
    if (v.tabMove >= tabMove.low && v.tabMove <= tabMove.high) writeSigned(file, kSetTabMove, v.tabMove);
}

std::string displayedTimerDelay(const std::string& text) {
    std::int32_t seconds = parseSignedNumber(text.substr(0, kNumberBufferSize - 1).c_str());
    return seconds < kTimerDelayMin ? std::string(kTimerDelayFallbackText) : text;
}

}  // namespace twk
