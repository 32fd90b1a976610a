// Conversions between the program's cp932 text and UTF-16 code units, for files saved as UTF-16. Platform
// neutral: each platform converts with its own tables (the system's code page 932 on Windows, iconv
// elsewhere).
#pragma once

#include <string>

namespace twk {

// cp932 bytes to UTF-16, as the system's code page 932 converts them: a lead byte takes the next byte with it
// (unless that is a NUL) and a pair that is no character becomes one U+30FB, as does a lead byte at the very
// end; 0x80, 0xA0 and 0xFD to 0xFF become U+0080, U+F8F0 and U+F8F1 to U+F8F3.
std::u16string utf16FromCp932(const std::string& text);
// UTF-16 to cp932 bytes. A character without a cp932 form becomes "?" (one per code unit; the system may
// choose a look-alike instead, such as "e" for an accented e).
std::string cp932FromUtf16(const std::u16string& text);

}  // namespace twk
