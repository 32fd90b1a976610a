// The window on a system of any code page: file names, the settings file, the clipboard and the order of
// Japanese texts come out the same whether the system's ANSI code page is 932 or not. The whole window suite
// also runs under a US English locale; the first test makes sure that such a run really has another code
// page.
#include "core/text.h"
#include "core/wide_text_win32.h"
#include "tests/ui/window_fixture_win32.h"
#include "ui/list_view_win32.h"

// The shell declarations need the base declarations first.
#include <shlobj.h>

namespace twk::ui::test {
namespace {

std::string environment(const char* name) {
    char value[64] = {};
    DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? value : "";
}

TEST(CodePageTest, TheRunHasTheCodePageOfItsLocale) {
    const std::string locale = environment("LC_ALL");
    if (locale.compare(0, 5, "en_US") == 0) {
        // Otherwise the run that should prove the program independent of the code page is silently Japanese.
        EXPECT_NE(GetACP(), 932u) << "LC_ALL=" << locale;
    } else if (locale.compare(0, 5, "ja_JP") == 0) {
        EXPECT_EQ(GetACP(), 932u) << "LC_ALL=" << locale;
    }
}

// The raw bytes of a file named in cp932.
std::string fileBytes(const std::string& path) {
    std::string bytes;
    HANDLE file =
        CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<missing>";
    char buf[4096];
    DWORD got = 0;
    while (ReadFile(file, buf, sizeof buf, &got, nullptr) && got > 0) bytes.append(buf, got);
    CloseHandle(file);
    return bytes;
}

bool fileExists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// One row with a Japanese name and status.
void addJapaneseRow(EntryList& list, const char* trip) {
    const char* texts[8] = {"夏の風景.mp3",
                            trip,
                            "1024",
                            "完全キャッシュ",
                            "3",
                            "Jan 01 00:00",
                            "1",
                            "0123456789ABCDEF0123456789ABCDEF"};
    list.addTexts(8, texts, 0);
}

using CodePageWindowTest = WindowTest;

TEST_F(CodePageWindowTest, ListFilesWithJapaneseNamesSaveAndOpenUnderTheirNames) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addJapaneseRow(list, "◆trip");
    // ソ and 表 end in the byte of "\\": a path taken for the system's code page would be cut there.
    const std::string path = folder_ + "ソ表一覧.txt";
    list.setPath(path);
    send(ID_FILE_SAVE);
    EXPECT_EQ(status(kStatusMessage), stamped(path + " に1件の情報を保存しました"));
    EXPECT_TRUE(fileExists(toWide(folder_) + L"\u30bd\u8868\u4e00\u89a7.txt"));
    EXPECT_EQ(fileBytes(path).compare(0, 13, "夏の風景.mp3\t"), 0);

    send(ID_EDIT_CLEARALL);
    main_->files().setSaveQuestion([](const std::string&) { return IDNO; });
    send(ID_HISTORY_FIRST);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.entryAt(0)->name(), "夏の風景.mp3");
    EXPECT_EQ(main_->tabs().tabText(0), "ソ表一覧.txt");
    wchar_t tab[64] = {};
    TCITEMW item = {};
    item.mask = TCIF_TEXT;
    item.pszText = tab;
    item.cchTextMax = 64;
    SendMessageW(main_->tabs().tabControl(), TCM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_STREQ(tab, L"\u30bd\u8868\u4e00\u89a7.txt");
}

TEST_F(CodePageWindowTest, SettingsInAJapaneseFolderStayCp932Bytes) {
    removeFolder(folder_);
    folder_ = folder_.substr(0, folder_.size() - 1) + "設定表\\";
    ASSERT_TRUE(CreateDirectoryW(toWide(folder_).c_str(), nullptr));
    writeSetting("SearchHistory00", "ｱｲｳ");
    start();
    HWND page = main_->tabs().pageWindow(0);
    setWindowText(GetDlgItem(page, IDC_SEARCHWORD), "夏の風景");
    SetFocus(GetDlgItem(page, IDC_SEARCHWORD));
    send(ID_ENTER);
    closeWindow();

    const std::string ini = fileBytes(folder_ + "TWK.ini");
    EXPECT_NE(ini.find("\r\nSearchHistory00=夏の風景\r\n"), std::string::npos);
    EXPECT_NE(ini.find("\r\nSearchHistory01=ｱｲｳ\r\n"), std::string::npos);
    // The window's list files went into the same folder.
    EXPECT_TRUE(fileExists(toWide(folder_ + "IgnoreList.txt")));
    EXPECT_TRUE(fileExists(toWide(folder_ + "ConditionList.txt")));

    // And they are read from there at the next start.
    main_.reset();
    start();
    EXPECT_EQ(main_->shared().histories[kSearchHistory].entry(0), "夏の風景");
}

// A name with letters that cp932 does not have: the file is reached through the system's short path, not
// through a look-alike name ("cafe") that could be another file.
TEST_F(CodePageWindowTest, AFileWhoseNameIsNoCp932IsStillOpened) {
    start();
    const std::wstring sub = toWide(folder_) + L"caf\u00e9 \u00fc";
    ASSERT_TRUE(CreateDirectoryW(sub.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((toWide(folder_) + L"cafe u").c_str(), nullptr));  // the look-alike
    const std::wstring file = sub + L"\\list.txt";
    const std::string line =
        "dropped\ttrip\t1\t完全キャッシュ\t1\tJan 01 00:00\t1\t0123456789ABCDEF0123456789ABCDEF\r\n";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    WriteFile(h, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(h);

    const std::string path = fromWidePath(file.c_str());
    EXPECT_EQ(path.find("cafe u"), std::string::npos) << path;
    EXPECT_NE(GetFileAttributesW(toWide(path).c_str()), INVALID_FILE_ATTRIBUTES) << path;

    SendMessageW(view(0), WM_DROPFILES, reinterpret_cast<WPARAM>(makeDrop({file})), 0);
    EntryList& list = *main_->tabs().pageList(0);
    ASSERT_EQ(list.count(), 1);
    EXPECT_EQ(list.entryAt(0)->name(), "dropped");
    RemoveDirectoryW((toWide(folder_) + L"cafe u").c_str());
    DeleteFileW(file.c_str());
    RemoveDirectoryW(sub.c_str());

    // A file that does not exist yet has no short form: its name keeps "?" and names no file.
    EXPECT_EQ(fromWidePath(L"C:\\x\\caf\u00e9.txt"), "C:\\x\\caf?.txt");
}

class CodePageClipboardTest : public WindowTest {
  protected:
};

TEST_F(CodePageClipboardTest, JapaneseRowsReachOtherProgramsAndComeBack) {
    start();
    EntryList& list = *main_->tabs().pageList(0);
    addJapaneseRow(list, "trip");
    selectItems(0, {0});
    send(ID_COPY_NAMES);
    EXPECT_EQ(clipboardUnicode(), L"\u590f\u306e\u98a8\u666f.mp3\r\n");

    // A row in list form from a program that wrote UTF-16.
    putClipboardUnicode(
        L"\u6625\u306e\u98a8\u666f.mp3\ttrip\t2048\t\u5b8c\u5168\u30ad\u30e3\u30c3\u30b7\u30e5\t1\t"
        L"Jan 01 00:00\t1\tFEDCBA9876543210FEDCBA9876543210\r\n");
    send(ID_EDIT_PASTE);
    ASSERT_EQ(list.count(), 2);
    EXPECT_EQ(status(kStatusMessage), stamped("1件の情報を貼り付けました"));
    const Entry* pasted = list.entryAt(1);
    ASSERT_NE(pasted, nullptr);
    EXPECT_EQ(pasted->name(), "春の風景.mp3");
    EXPECT_STREQ(pasted->status(), "完全キャッシュ");

    // Our own copy pastes back byte for byte: a half-width kana and a name cut after a lead byte included.
    list.entryAt(0)->rename("ｶﾅ\x82");
    Win32ListView(view(0)).setAllSelected(false);
    selectItems(0, {0});
    send(ID_EDIT_CUT);
    send(ID_EDIT_PASTE);
    ASSERT_EQ(list.count(), 2);
    EXPECT_TRUE(list.entryAt(0)->name() == "ｶﾅ\x82" || list.entryAt(1)->name() == "ｶﾅ\x82");
}

// Japanese texts are ordered by the Japanese comparison on any system: read as another code page, a
// half-width kana would be a sign and come before the Latin letters.
TEST(CodePageOrderTest, JapaneseTextsCompareAsJapanese) {
    const TextComparer& system = systemTextComparer();
    EXPECT_GT(system.compare("ｱ", "a"), 0);
    EXPECT_GT(system.compare("ア", "Z"), 0);
    EXPECT_GT(system.sortKeyPrefix("ｱ"), system.sortKeyPrefix("a"));
    EXPECT_EQ(system.compare("完全キャッシュ", "完全キャッシュ"), 0);
}

}  // namespace
}  // namespace twk::ui::test
