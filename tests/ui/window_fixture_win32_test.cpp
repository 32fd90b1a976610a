// The shared fixture of the window tests (no tests of its own).
#include "tests/ui/window_fixture_win32.h"

#include <shlobj.h>

#include <cstdio>

#include "settings/profile_store.h"

namespace twk::ui::test {

std::string makeTempFolder() {
    static int serial = 0;
    wchar_t base[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, base);
    wchar_t folder[MAX_PATH];
    _snwprintf(folder, MAX_PATH, L"%lstwk_ui_%lu_%d\\", base, GetCurrentProcessId(), ++serial);
    folder[MAX_PATH - 1] = 0;
    CreateDirectoryW(folder, nullptr);
    return narrow(folder);
}

void removeFolder(const std::string& folder) {
    const std::wstring wide = widen(folder);
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((wide + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = data.cFileName;
            if (name == L"." || name == L"..") continue;
            SetFileAttributesW((wide + name).c_str(), FILE_ATTRIBUTE_NORMAL);
            if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                removeFolder(narrow((wide + name + L"\\").c_str()));
            else
                DeleteFileW((wide + name).c_str());
        } while (FindNextFileW(find, &data));
        FindClose(find);
    }
    RemoveDirectoryW(wide.c_str());
}

HDROP makeDrop(const std::vector<std::wstring>& paths) {
    std::wstring list;
    for (const std::wstring& p : paths) list += p + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

namespace {
template <class Char>
std::basic_string<Char> clipboardIn(HWND owner, UINT format) {
    std::basic_string<Char> text;
    if (!OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(format)) {
        if (auto* p = static_cast<const Char*>(GlobalLock(data))) {
            text = p;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

template <class Char>
void putClipboard(HWND owner, UINT format, const std::basic_string<Char>& text) {
    const std::size_t bytes = (text.size() + 1) * sizeof(Char);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    memcpy(GlobalLock(memory), text.c_str(), bytes);
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(owner));
    EmptyClipboard();
    SetClipboardData(format, memory);
    CloseClipboard();
}
}  // namespace

std::string WindowTest::clipboardBytes() {
    return clipboardIn<char>(hwnd_, CF_TEXT);
}
std::wstring WindowTest::clipboardUnicode() {
    return clipboardIn<wchar_t>(hwnd_, CF_UNICODETEXT);
}
void WindowTest::putClipboardBytes(const std::string& text) {
    putClipboard(hwnd_, CF_TEXT, text);
}
void WindowTest::putClipboardUnicode(const std::wstring& text) {
    putClipboard(hwnd_, CF_UNICODETEXT, text);
}

void WindowTest::SetUp() {
    folder_ = makeTempFolder();
    scopedClock_ = std::make_unique<twk::test::ScopedClock>(&clock_);
}

void WindowTest::TearDown() {
    main_.reset();
    // The destroyed window posted its quit message to this thread.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    }
    scopedClock_.reset();
    removeFolder(folder_);
}

MainWindow& WindowTest::start() {
    main_ = std::make_unique<MainWindow>(GetModuleHandleW(nullptr), folder_);
    // The start's restore question is answered here, never by a box: No unless a test says otherwise.
    main_->recovery().setQuestion([this](const std::string& question) {
        restoreQuestions_.push_back(question);
        return restoreAnswer_;
    });
    hwnd_ = main_->create(SW_SHOW);
    EXPECT_NE(hwnd_, nullptr);
    return *main_;
}

void WindowTest::closeWindow() {
    SendMessageW(hwnd_, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(hwnd_));
}

// Through the program's own store: the system's functions would take the cp932 texts for the system's code
// page.
void WindowTest::writeSetting(const char* key, const char* value) {
    systemProfileStore().writeValue(iniPath().c_str(), "Tollwick", key, value);
}

std::string WindowTest::readSetting(const char* key) {
    char buf[260] = {};
    systemProfileStore().readValue(iniPath().c_str(), "Tollwick", key, buf, sizeof buf);
    return buf;
}

void WindowTest::send(int id, bool accelerator) {
    SendMessageW(hwnd_, WM_COMMAND, MAKEWPARAM(id, accelerator ? 1 : 0), 0);
}

void WindowTest::addRows(EntryList& list, int n, int first) {
    for (int i = first; i < first + n; ++i) {
        char name[32], size[16], hash[40];
        std::snprintf(name, sizeof name, "row%02d", i);
        std::snprintf(size, sizeof size, "%d", 1000 - i);
        std::snprintf(hash, sizeof hash, "%032d", i);
        const char* texts[8] = {name, "trip", size, "完全キャッシュ", "10", "Jan 01 00:00", "1", hash};
        list.addTexts(8, texts, 0);
    }
}

HWND WindowTest::view(int tab) {
    return GetDlgItem(main_->tabs().pageWindow(tab), IDC_LIST);
}

std::vector<int> WindowTest::selectedItems(int tab) {
    std::vector<int> out;
    HWND v = view(tab);
    int n = static_cast<int>(SendMessageW(v, LVM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < n; ++i)
        if (SendMessageW(v, LVM_GETITEMSTATE, i, LVIS_SELECTED) & LVIS_SELECTED) out.push_back(i);
    return out;
}

void WindowTest::selectItems(int tab, std::initializer_list<int> items) {
    HWND v = view(tab);
    for (int i : items) {
        LVITEMW item = {};
        item.stateMask = LVIS_SELECTED;
        item.state = LVIS_SELECTED;
        SendMessageW(v, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&item));
    }
}

bool WindowTest::menuGrey(HMENU menu, UINT item, UINT by) const {
    return (GetMenuState(menu, item, by) & MF_GRAYED) != 0;
}

}  // namespace twk::ui::test
