// The program's text is cp932 bytes; Windows is spoken to in UTF-16. These convert explicitly between the
// two.
#pragma once

#include <windows.h>

#include <string>

namespace twk::ui {

// cp932 bytes to UTF-16 (len < 0: up to the terminating NUL).
std::wstring widen(const char* text, int len = -1);
inline std::wstring widen(const std::string& text) {
    return widen(text.data(), static_cast<int>(text.size()));
}
// UTF-16 to cp932 bytes.
std::string narrow(const wchar_t* text, int len = -1);

// A window's text as cp932, cut to at most `maxBytes` bytes (the program's fixed text sizes).
std::string windowText(HWND window, int maxBytes = 259);
void setWindowText(HWND window, const char* text);
std::string dialogItemText(HWND dialog, int id, int maxBytes = 259);
// An edit box's path as fromWidePath gives it (never a look-alike name), cut to at most `maxBytes` bytes and
// never inside a double-byte character.
std::string dialogItemPath(HWND dialog, int id, int maxBytes = 259);
void setDialogItemText(HWND dialog, int id, const char* text);

}  // namespace twk::ui
