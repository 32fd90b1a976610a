// Conversions between the program's cp932 text and UTF-16 code units, for files saved as UTF-16. Platform
// neutral: each platform converts with its own tables (the system's code page 932 on Windows, iconv
// elsewhere).
#pragma once

#include <string>

namespace twk {

// cp932 bytes to UTF-16. A byte pair that is no cp932 character becomes U+30FB; a lead byte at the very end
// is dropped (what the system's conversion does).
std::u16string utf16FromCp932(const std::string& text);
// UTF-16 to cp932 bytes. A character without a cp932 form becomes "?" (one per code unit; the system may
// choose a look-alike instead, such as "e" for an accented e).
std::string cp932FromUtf16(const std::u16string& text);

}  // namespace twk
