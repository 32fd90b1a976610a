#include "core/wide_text_win32.h"

#include <windows.h>

#include <cstring>

#include "core/text.h"

namespace twk {

std::wstring toWide(const char* text, int len) {
    if (!text) return std::wstring();
    if (len < 0) len = static_cast<int>(std::strlen(text));
    if (len == 0) return std::wstring();
    int n = MultiByteToWideChar(kTextCodePage, 0, text, len, nullptr, 0);
    if (n <= 0) return std::wstring();
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(kTextCodePage, 0, text, len, &out[0], n);
    return out;
}

std::string fromWide(const wchar_t* text, int len) {
    if (!text) return std::string();
    if (len < 0) len = lstrlenW(text);
    if (len == 0) return std::string();
    int n = WideCharToMultiByte(kTextCodePage, 0, text, len, nullptr, 0, nullptr, nullptr);
    if (n <= 0) return std::string();
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kTextCodePage, 0, text, len, &out[0], n, nullptr, nullptr);
    return out;
}

std::size_t copyCut(const std::string& text, char* buffer, std::size_t size) {
    if (!buffer || size == 0) return 0;
    std::size_t n = 0;
    while (n < text.size()) {
        std::size_t step = isLeadByte(text[n]) && n + 1 < text.size() ? 2 : 1;
        if (n + step > size - 1) break;
        n += step;
    }
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return n;
}

}  // namespace twk
