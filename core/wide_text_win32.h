// The program keeps its text as cp932 bytes; the system's wide-character functions take UTF-16. These convert
// explicitly, so that nothing depends on the system's ANSI code page.
#pragma once

#include <cstddef>
#include <string>

namespace twk {

constexpr unsigned kTextCodePage = 932;

// cp932 bytes to UTF-16 (len < 0: up to the terminating NUL). A byte that is no cp932 character becomes the
// replacement the system chooses; the conversion never fails as a whole.
std::wstring toWide(const char* text, int len = -1);
inline std::wstring toWide(const std::string& text) {
    return toWide(text.data(), static_cast<int>(text.size()));
}

// UTF-16 to cp932 bytes (len < 0: up to the terminating NUL).
std::string fromWide(const wchar_t* text, int len = -1);

// Copies `text` into `buffer` (size bytes, size >= 1) and terminates it, cut to at most size - 1 bytes but
// never inside a double-byte character. Returns the number of bytes copied.
std::size_t copyCut(const std::string& text, char* buffer, std::size_t size);

}  // namespace twk
