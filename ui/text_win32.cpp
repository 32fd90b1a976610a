#include "ui/text_win32.h"

#include <vector>

#include "core/wide_text_win32.h"

namespace twk::ui {

std::wstring widen(const char* text, int len) {
    return toWide(text, len);
}

std::string narrow(const wchar_t* text, int len) {
    return fromWide(text, len);
}

std::string windowText(HWND window, int maxBytes) {
    if (!window) return std::string();
    int len = GetWindowTextLengthW(window);
    if (len <= 0) return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 1);
    int got = GetWindowTextW(window, buf.data(), len + 1);
    std::string text = narrow(buf.data(), got);
    if (maxBytes >= 0 && static_cast<int>(text.size()) > maxBytes) text.resize(static_cast<size_t>(maxBytes));
    return text;
}

void setWindowText(HWND window, const char* text) {
    if (window) SetWindowTextW(window, widen(text ? text : "").c_str());
}

std::string dialogItemText(HWND dialog, int id, int maxBytes) {
    return windowText(GetDlgItem(dialog, id), maxBytes);
}

std::string dialogItemPath(HWND dialog, int id, int maxBytes) {
    HWND edit = GetDlgItem(dialog, id);
    const int len = edit ? GetWindowTextLengthW(edit) : 0;
    if (len <= 0) return std::string();
    std::vector<wchar_t> buf(static_cast<size_t>(len) + 1);
    const int got = GetWindowTextW(edit, buf.data(), len + 1);
    const std::string path = fromWidePath(buf.data(), got);
    std::vector<char> cut(static_cast<size_t>(maxBytes) + 1);
    return std::string(cut.data(), copyCut(path, cut.data(), cut.size()));
}

void setDialogItemText(HWND dialog, int id, const char* text) {
    setWindowText(GetDlgItem(dialog, id), text);
}

}  // namespace twk::ui
