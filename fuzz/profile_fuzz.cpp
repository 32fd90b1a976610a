// The profile file format over arbitrary bytes: reading keys, setting keys, and what a write must keep.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "settings/profile_text.h"

namespace {

// Section and key names the program could use, including double-byte ones and case variants.
const char* const kNames[] = {"Tollwick", "tollwick", "S", "k", "K", "History00", "表ソ", "x]y", "", " "};
constexpr std::size_t kNameCount = sizeof kNames / sizeof kNames[0];

// A name as the format compares it (these names have no double-byte letters to fold).
std::string normalized(const char* name) {
    std::string s(name);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.pop_back();
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
    for (char& c : s)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) return 0;
    const char* section = kNames[data[0] % kNameCount];
    const char* key = kNames[data[1] % kNameCount];
    const char* other = kNames[data[2] % kNameCount];
    // The top bits of the first byte put a UTF-16 byte-order mark (little- or big-endian) before the rest,
    // so that files saved as UTF-16 are reached at once.
    static const char* const kMarks[] = {"", "", "\xFF\xFE", "\xFE\xFF"};
    const std::string file =
        kMarks[data[0] >> 6] + std::string(reinterpret_cast<const char*>(data + 3), size - 3);
    const bool utf16 =
        file.size() >= 2 && (file.compare(0, 2, "\xFF\xFE") == 0 || file.compare(0, 2, "\xFE\xFF") == 0);

    const std::string before = twk::findProfileValue(file, section, other);
    // The index of all values reads what the single lookups read.
    const twk::ProfileIndex index(file);
    if (index.find(section, other) != before ||
        index.find(other, key) != twk::findProfileValue(file, other, key))
        std::abort();
    char buffer[16];
    twk::copyProfileValue(before, buffer, sizeof buffer);
    if (buffer[sizeof buffer - 1] != 0) std::abort();

    // A value without line breaks, blanks at its ends or quotes reads back exactly after it was set, and an
    // untouched key of the same section keeps its value.
    const std::string value = "v=1 \x95\x5C";
    const std::string written = twk::setProfileValue(file, section, key, value.c_str());
    if (*section && *key && std::string(section).find_first_of("[]\r\n ") == std::string::npos &&
        std::string(key).find_first_of("=[\r\n ") == std::string::npos) {
        if (twk::findProfileValue(written, section, key) != value) std::abort();
    }
    // Every other key of the section keeps its value.
    if (normalized(other) != normalized(key) && twk::findProfileValue(written, section, other) != before)
        std::abort();
    // Writing a key never grows the file by more than a new section and key (two bytes a character in
    // UTF-16, and a last odd byte made whole), and a UTF-16 file keeps its mark.
    if (written.size() > file.size() + 2 * (value.size() + 64)) std::abort();
    if (utf16 && written.compare(0, 2, file, 0, 2) != 0) std::abort();
    return 0;
}
