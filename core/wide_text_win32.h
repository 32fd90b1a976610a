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

// A file or folder path from the system, in cp932. When a character of it has no cp932 form (an accented
// Latin letter, say), the system's short form of the path is taken instead, whose names are plain ASCII, so
// that the path still leads to the same file. A path that has no short form (it does not exist yet) keeps
// "?" for such characters and so names no file at all, rather than a similar name of another one.
std::string fromWidePath(const wchar_t* path, int len = -1);

// Copies `text` into `buffer` (size bytes, size >= 1) and terminates it, cut to at most size - 1 bytes but
// never inside a double-byte character. Returns the number of bytes copied.
std::size_t copyCut(const std::string& text, char* buffer, std::size_t size);

}  // namespace twk
