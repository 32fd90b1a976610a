#include "ui/clipboard_win32.h"

#include <cstring>
#include <string>

#include "core/wide_text_win32.h"
#include "ui/text_win32.h"

namespace twk::ui {

namespace {

const LCID kJapaneseLocale = MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT);

// A movable block holding `size` bytes copied from `data`; nullptr when there is no memory.
HGLOBAL makeBlock(const void* data, size_t size) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!memory) return nullptr;
    void* p = GlobalLock(memory);
    if (!p) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(p, data, size);
    GlobalUnlock(memory);
    return memory;
}

// Gives one format to the opened clipboard; the block is freed when the clipboard does not take it.
bool putFormat(UINT format, HGLOBAL memory) {
    if (!memory) return false;
    if (SetClipboardData(format, memory)) return true;
    GlobalFree(memory);
    return false;
}

// Hands the text to the clipboard: its cp932 bytes as CF_TEXT with the Japanese locale, so that programs
// reading the bytes know their code page, and the same text as CF_UNICODETEXT, so that every program reads
// it right on a system whose code page is not 932. False when the clipboard did not take the text.
bool putOnClipboard(HWND owner, const char* text, size_t length) {
    const std::wstring wide = widen(text, static_cast<int>(length));
    if (!OpenClipboard(owner)) return false;
    EmptyClipboard();
    bool taken = putFormat(CF_TEXT, makeBlock(text, length + 1));
    if (taken) {
        taken = putFormat(CF_UNICODETEXT, makeBlock(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
        putFormat(CF_LOCALE, makeBlock(&kJapaneseLocale, sizeof kJapaneseLocale));
    }
    CloseClipboard();
    return taken;
}

// The code page of the clipboard's CF_TEXT: that of its locale, or the system's when it names none.
UINT clipboardTextCodePage() {
    UINT codePage = GetACP();
    if (HANDLE data = GetClipboardData(CF_LOCALE)) {
        if (auto* lcid = static_cast<const LCID*>(GlobalLock(data))) {
            DWORD fromLocale = 0;
            if (GlobalSize(data) >= sizeof(LCID) &&
                GetLocaleInfoW(*lcid, LOCALE_IDEFAULTANSICODEPAGE | LOCALE_RETURN_NUMBER,
                               reinterpret_cast<LPWSTR>(&fromLocale), sizeof fromLocale / sizeof(wchar_t)))
                codePage = fromLocale;
            GlobalUnlock(data);
        }
    }
    return codePage;
}

// The clipboard's text as cp932 bytes: CF_TEXT as it is when it is cp932 (exact, even for bytes that are no
// character), otherwise CF_UNICODETEXT converted. False when the clipboard holds no text.
bool readClipboardText(HWND owner, std::string& out) {
    out.clear();
    if (!OpenClipboard(owner)) return false;
    bool got = false;
    const bool rawBytes = IsClipboardFormatAvailable(CF_TEXT) && clipboardTextCodePage() == kTextCodePage;
    if (rawBytes) {
        if (HANDLE data = GetClipboardData(CF_TEXT)) {
            if (auto* p = static_cast<const char*>(GlobalLock(data))) {
                size_t size = GlobalSize(data);
                size_t length = 0;
                while (length < size && p[length]) ++length;
                out.assign(p, length);
                got = true;
                GlobalUnlock(data);
            }
        }
    } else if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            size_t size = GlobalSize(data) / sizeof(wchar_t);
            size_t length = 0;
            while (length < size && p[length]) ++length;
            out = narrow(p, static_cast<int>(length));
            got = true;
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return got;
}

}  // namespace

bool ClipboardCommands::put(const char* text, std::size_t length) {
    return putOnClipboard(window_, text, length);
}

bool ClipboardCommands::read(std::string& text) {
    return readClipboardText(window_, text);
}

}  // namespace twk::ui
