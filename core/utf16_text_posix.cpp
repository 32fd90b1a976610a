#include <errno.h>
#include <iconv.h>

#include <system_error>

#include "core/text.h"
#include "core/utf16_text.h"

namespace twk {

namespace {

// Converts bytes with iconv. When a sequence cannot be converted, `bad`(output, input at the sequence, bytes
// left) appends its replacement to the output and returns how many input bytes to skip (at least one). A
// conversion the C library cannot open throws: an empty text would pass for a converted one.
template <class Bad>
std::string convert(const char* to, const char* from, const std::string& input, Bad bad) {
    std::string out;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        const int error = errno;
        throw std::system_error(error, std::generic_category(),
                                std::string("iconv_open(\"") + to + "\", \"" + from + "\")");
    }
    const char* in = input.data();
    std::size_t inLeft = input.size();
    char chunk[1024];
    while (inLeft > 0) {
        char* src = const_cast<char*>(in);
        char* dst = chunk;
        std::size_t dstLeft = sizeof chunk;
        const std::size_t rc = iconv(cd, &src, &inLeft, &dst, &dstLeft);
        const int error = rc == static_cast<std::size_t>(-1) ? errno : 0;
        out.append(chunk, sizeof chunk - dstLeft);
        in = src;
        if (inLeft == 0 || error == E2BIG) continue;
        if (error != EILSEQ && error != EINVAL) break;
        const std::size_t skip = bad(out, in, inLeft);
        in += skip;
        inLeft -= skip;
    }
    iconv_close(cd);
    return out;
}

void appendUnit(std::string& bytes, char16_t unit) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
}

}  // namespace

// Bytes the C library's table has no character for convert by the system's rules (see the header).
std::u16string utf16FromCp932(const std::string& text) {
    const std::string bytes =
        convert("UTF-16LE", "CP932", text, [](std::string& out, const char* at, std::size_t left) {
            const unsigned char b = static_cast<unsigned char>(at[0]);
            if (isLeadByte(b)) {
                appendUnit(out, u'\u30FB');
                return left >= 2 && at[1] != '\0' ? std::size_t{2} : std::size_t{1};
            }
            appendUnit(out, b == 0x80   ? u'\u0080'
                            : b == 0xA0 ? u'\uF8F0'
                            : b >= 0xFD ? char16_t(0xF8F1 + b - 0xFD)
                                        : u'\u30FB');
            return std::size_t{1};
        });
    std::u16string units(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                         static_cast<unsigned char>(bytes[2 * i + 1]) << 8);
    return units;
}

std::string cp932FromUtf16(const std::u16string& text) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (char16_t unit : text) appendUnit(bytes, unit);
    return convert("CP932", "UTF-16LE", bytes, [](std::string& out, const char*, std::size_t left) {
        out += '?';  // one code unit
        return left < 2 ? left : std::size_t{2};
    });
}

}  // namespace twk
