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

namespace {

// UTF-16 to cp932 without look-alike replacements; `lossless` tells whether every character had its form.
std::string strictFromWide(const wchar_t* text, int len, bool& lossless) {
    lossless = true;
    if (len == 0) return std::string();
    BOOL usedDefault = FALSE;
    int n =
        WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, text, len, nullptr, 0, "?", &usedDefault);
    if (n <= 0) {
        lossless = false;
        return std::string();
    }
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(kTextCodePage, WC_NO_BEST_FIT_CHARS, text, len, &out[0], n, "?", &usedDefault);
    lossless = !usedDefault;
    return out;
}

}  // namespace

std::string fromWidePath(const wchar_t* path, int len) {
    if (!path) return std::string();
    std::wstring full(path,
                      len < 0 ? static_cast<std::size_t>(lstrlenW(path)) : static_cast<std::size_t>(len));
    bool lossless = true;
    std::string out = strictFromWide(full.c_str(), static_cast<int>(full.size()), lossless);
    if (lossless) return out;
    DWORD need = GetShortPathNameW(full.c_str(), nullptr, 0);
    if (need == 0) return out;
    std::wstring shortPath(need, L'\0');
    DWORD got = GetShortPathNameW(full.c_str(), &shortPath[0], need);
    if (got == 0 || got >= need) return out;
    shortPath.resize(got);
    std::string shortOut = strictFromWide(shortPath.c_str(), static_cast<int>(shortPath.size()), lossless);
    return lossless ? shortOut : out;
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
