#include "ui/text_win32.h"

#include <vector>

namespace twk::ui {

namespace {
constexpr UINT kProgramCodePage = 932;
}

std::wstring widen(const char* text, int len) {
    if (!text) return std::wstring();
    if (len < 0) len = lstrlenA(text);
    if (len == 0) return std::wstring();
    int n = MultiByteToWideChar(kProgramCodePage, 0, text, len, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kProgramCodePage, 0, text, len, &out[0], n);
    return out;
}

std::string narrow(const wchar_t* text, int len) {
    if (!text) return std::string();
    if (len < 0) len = lstrlenW(text);
    if (len == 0) return std::string();
    int n = WideCharToMultiByte(kProgramCodePage, 0, text, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kProgramCodePage, 0, text, len, &out[0], n, nullptr, nullptr);
    return out;
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

void setDialogItemText(HWND dialog, int id, const char* text) {
    setWindowText(GetDlgItem(dialog, id), text);
}

}  // namespace twk::ui
