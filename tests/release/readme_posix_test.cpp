// The Japanese readme that ships in the release zip is checked against the program's own tables, so that it
// cannot drift: every settings key and definitions key with its default, every menu and control text it
// quotes, its chapters and its version. Built natively only: the sources are UTF-8, and iconv turns them into
// the cp932 text that the program's tables and the literals here are in.
#include <gtest/gtest.h>
#include <iconv.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "host/layout_definitions.h"
#include "resources/version.h"
#include "settings/profile_file.h"
#include "settings/settings_keys.h"
#include "support/memory_profile_store.h"

namespace twk {
namespace {

std::string toCp932(const std::string& utf8) {
    iconv_t cd = iconv_open("CP932", "UTF-8");
    std::string out(utf8.size() * 2 + 1, '\0');
    char* in = const_cast<char*>(utf8.data());
    size_t inLeft = utf8.size(), outLeft = out.size();
    char* dst = out.data();
    const size_t rc = iconv(cd, &in, &inLeft, &dst, &outLeft);
    iconv_close(cd);
    EXPECT_NE(rc, static_cast<size_t>(-1)) << "not representable in Shift_JIS: " << utf8;
    out.resize(out.size() - outLeft);
    return out;
}

// A UTF-8 source file as the program's text, cp932 (the literals here are compiled to cp932 too).
std::string readSource(const std::string& relative) {
    std::ifstream in(std::string(TWK_SOURCE_DIR) + "/" + relative, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return toCp932(text.str());
}

// A key's label as the readme writes it: "TimerDelay", "ColumnWidth00～08" (00 to count - 1), "History00～"
// (numbered up to a capacity).
std::string label(const std::string& pattern, int count) {
    const std::size_t at = pattern.find("%2.2d");
    if (at == std::string::npos) return pattern;
    std::string range = "00～";
    if (count > 0) {
        char last[16];
        std::snprintf(last, sizeof last, "%02d", count - 1);
        range += last;
    }
    return pattern.substr(0, at) + range;
}

struct Readme {
    std::vector<std::string> lines;
    std::vector<std::string> headings;                         // "■ " lines, in order
    std::map<std::string, std::vector<std::string>> sections;  // heading -> its lines

    Readme() {
        std::istringstream in(readSource("docs/readme.ja.txt"));
        std::string line, current;
        while (std::getline(in, line)) {
            lines.push_back(line);
            if (line.rfind("■ ", 0) == 0) {
                current = line.substr(std::string("■ ").size());
                headings.push_back(current);
            } else if (!current.empty()) {
                sections[current].push_back(line);
            }
        }
    }

    // "  Key（既定値：default）" lines of a chapter: label -> default. A label given twice is reported.
    std::map<std::string, std::string> keyEntries(const std::string& heading) const {
        static const std::regex entry("^  ([A-Za-z_0-9]+(?:～(?:[0-9]{2})?)?)（既定値：(.*)）$");
        std::map<std::string, std::string> entries;
        for (const std::string& line : sections.at(heading)) {
            std::smatch m;
            if (!std::regex_match(line, m, entry)) {
                EXPECT_EQ(line.find("（既定値："), std::string::npos) << "malformed key line: " << line;
                continue;
            }
            EXPECT_TRUE(entries.emplace(m[1], m[2]).second) << "key written twice: " << m[1];
        }
        return entries;
    }

    // Every outermost 「...」 of the text.
    std::vector<std::string> quoted() const {
        std::vector<std::string> found;
        const std::string open = "「", close = "」";
        for (const std::string& line : lines) {
            int depth = 0;
            std::size_t start = 0;
            for (std::size_t i = 0; i < line.size();) {
                if (line.compare(i, open.size(), open) == 0) {
                    if (depth++ == 0) start = i + open.size();
                    i += open.size();
                } else if (line.compare(i, close.size(), close) == 0) {
                    if (depth > 0 && --depth == 0) found.push_back(line.substr(start, i - start));
                    i += close.size();
                } else {
                    ++i;
                }
            }
            EXPECT_EQ(depth, 0) << "unbalanced 「」: " << line;
        }
        return found;
    }
};

const Readme& readme() {
    static const Readme r;
    return r;
}

TEST(Readme, HasItsChaptersAndTheProgramsVersion) {
    const std::vector<std::string> expected = {"概要",       "動作環境",   "導入と削除",   "使い方",
                                               "設定",       "TWKdef.ini", "ファイル形式", "プラグイン",
                                               "既知の制限", "更新履歴"};
    EXPECT_EQ(readme().headings, expected);
    ASSERT_FALSE(readme().lines.empty());
    EXPECT_EQ(readme().lines[0], TWK_PRODUCT_TITLE);
    // The newest entry of the history is this version.
    std::string newest;
    for (const std::string& line : readme().sections.at("更新履歴"))
        if (newest.empty() && line.find_first_not_of(' ') != std::string::npos) newest = line;
    EXPECT_EQ(newest.rfind("  " TWK_VERSION_TEXT " ", 0), 0u) << newest;
}

TEST(Readme, ListsEverySettingsKeyWithItsDefault) {
    std::map<std::string, std::string> entries = readme().keyEntries("設定");
    const std::map<int, std::string> colourNames = {{kColourWindowText, "ウィンドウの文字色"},
                                                    {kColourHighlightText, "選択項目の文字色"},
                                                    {kColourWindow, "ウィンドウの背景色"},
                                                    {kColourHighlight, "選択項目の背景色"}};
    const std::map<int, std::pair<const std::int32_t*, int>> widths = {
        {kSetColumnWidth, {kDefaultColumnWidths, kFileColumnCount}},
        {kSetBbsColumnWidth, {kDefaultBbsColumnWidths, kBbsColumnCount}},
        {kSetCondColumnWidth, {kDefaultCondColumnWidths, kCondColumnCount}}};
    for (int id = 0; id < kSettingCount; ++id) {
        const SettingKey& key = settingKey(static_cast<SettingId>(id));
        const std::string name = label(key.name, key.count);
        auto it = entries.find(name);
        if (it == entries.end()) {
            ADD_FAILURE() << "the readme does not describe " << name;
            continue;
        }
        std::string expected;
        switch (key.defaultFrom) {
            case SettingDefault::WindowRect:
                expected = "最初の位置";
                break;
            case SettingDefault::SystemColour:
                expected = colourNames.at(key.defaultNumber);
                break;
            case SettingDefault::ProgramFolder:
                expected = std::string("Tollwick.exe のあるフォルダの ") + key.defaultText;
                break;
            case SettingDefault::Fixed:
                if (widths.count(id)) {
                    const auto& [values, n] = widths.at(id);
                    for (int i = 0; i < n; ++i) expected += (i ? ", " : "") + std::to_string(values[i]);
                } else if (key.form == SettingForm::Text) {
                    expected = *key.defaultText ? key.defaultText : "なし";
                } else {
                    // Written in decimal or in hexadecimal.
                    char* end = nullptr;
                    const unsigned long value = std::strtoul(it->second.c_str(), &end, 0);
                    const bool number = end != it->second.c_str() && *end == '\0';
                    expected = number && value == static_cast<std::uint32_t>(key.defaultNumber)
                                   ? it->second
                                   : std::to_string(key.defaultNumber);
                }
                break;
        }
        EXPECT_EQ(it->second, expected) << name;
        entries.erase(it);
    }
    for (const auto& [name, value] : entries) ADD_FAILURE() << "the program has no key " << name;
}

// Everything loadLayoutDefinitions fills, as one comparable text.
std::string describe(const LayoutDefinitions& d) {
    std::ostringstream out;
    for (std::uint32_t step : d.stepOffsets) out << step << ',';
    out << d.nextStep << ',' << d.maxItem << ',' << d.tabSearch << ',' << d.tabDownList << ','
        << d.tabIgnoreList << ',' << d.btnReload << ',' << d.tabBbs << ',' << d.tabWidth << ',' << d.tabHeight
        << ',' << d.menuId << ',' << d.vobraTitle << ',' << d.vobraClass << ',' << d.buttonTitle << ','
        << d.buttonClass << ',' << d.comboTitle << ',' << d.comboClass << ',' << d.comboFile << ','
        << d.comboBbs;
    for (const std::string& s : d.fileStates) out << ",S:" << s;
    for (const std::string& s : d.bbsStates) out << ",B:" << s;
    return out.str();
}

// A definitions key is real when a value for it changes what is loaded, and its default is right when writing
// that default changes nothing.
TEST(Readme, ListsEveryDefinitionsKeyWithItsDefault) {
    std::map<std::string, std::string> entries = readme().keyEntries("TWKdef.ini");
    const std::string defaults = describe(LayoutDefinitions());
    auto loadWith = [](const std::string& key, const std::string& value) {
        test::MemoryProfileStore store;
        store.files["TWKdef.ini"] = "[Tollwick]\r\n" + key + "=" + value + "\r\n";
        LayoutDefinitions d;
        loadLayoutDefinitions(ProfileFile(store, "TWKdef.ini"), d);
        return describe(d);
    };
    for (const std::string& pattern : layoutDefinitionKeys()) {
        const std::string name = label(pattern, 0);
        auto it = entries.find(name);
        if (it == entries.end()) {
            ADD_FAILURE() << "the readme does not describe " << name;
            continue;
        }
        char key[64];
        std::snprintf(key, sizeof key, pattern.c_str(), 0);
        const std::string written = it->second == "なし" ? "" : it->second;
        EXPECT_EQ(loadWith(key, written), defaults) << name << " is not " << it->second << " by default";
        EXPECT_NE(loadWith(key, written == "7" ? "8" : "7"), defaults) << name << " is read as no field";
        entries.erase(it);
    }
    for (const auto& [name, value] : entries) ADD_FAILURE() << "the definitions have no key " << name;
}

// The texts of the program's menus, buttons, labels and tabs, as a user sees them: without the "&" of the
// access key and without the shortcut after a TAB.
std::string shown(std::string text) {
    text = std::regex_replace(text, std::regex("\\\\t.*$"), "");
    text = std::regex_replace(text, std::regex("\\(&.\\)"), "");
    text.erase(std::remove(text.begin(), text.end(), '&'), text.end());
    return text;
}

TEST(Readme, QuotesOnlyTextsTheProgramShowsAndNamesEveryMenuItem) {
    std::set<std::string> texts, menuItems;
    static const std::regex item(
        "^\\s*(MENUITEM|POPUP|PUSHBUTTON|DEFPUSHBUTTON|LTEXT|AUTOCHECKBOX|AUTORADIOBUTTON|GROUPBOX)\\s+\"([^"
        "\"]+)\"");
    std::istringstream rc(readSource("resources/tollwick.rc"));
    for (std::string line; std::getline(rc, line);) {
        std::smatch m;
        if (!std::regex_search(line, m, item)) continue;
        texts.insert(shown(m[2]));
        // Menu items, not the untitled roots of the context menus ("Tray", "Conditions", ...) nor
        // placeholders.
        if (m[1] == "MENUITEM" && m[2] != "-") menuItems.insert(shown(m[2]));
    }
    // Tab titles, from the window's own constants.
    static const std::regex tab("k\\w+Tab(?:Text|Format) = \"([^\"]+)\"");
    const std::string window = readSource("ui/main_window_win32.cpp");
    for (std::sregex_iterator m(window.begin(), window.end(), tab), end; m != end; ++m)
        texts.insert(std::regex_replace((*m)[1].str(), std::regex("%2\\.2d"), "01"));
    ASSERT_GT(menuItems.size(), 30u);

    std::set<std::string> quoted;
    for (const std::string& q : readme().quoted()) {
        EXPECT_TRUE(texts.count(q)) << "「" << q << "」 is no text of the program";
        quoted.insert(q);
    }
    for (const std::string& text : menuItems)
        EXPECT_TRUE(quoted.count(text)) << "menu item 「" << text << "」";
}

}  // namespace
}  // namespace twk
