#include "core/utf16_text.h"
#include "core/wide_text_win32.h"

namespace twk {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

std::u16string utf16FromCp932(const std::string& text) {
    const std::wstring wide = toWide(text);
    return std::u16string(wide.begin(), wide.end());
}

std::string cp932FromUtf16(const std::u16string& text) {
    const std::wstring wide(text.begin(), text.end());
    return fromWide(wide.data(), static_cast<int>(wide.size()));
}

}  // namespace twk
