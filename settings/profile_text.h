// The text of a profile file as bytes: finding a key's value and setting one. The file store wraps these with
// file access; they are kept apart so that the rules can be checked on plain byte strings.
//
// Rules (those of the system's profile functions, as far as the program meets them):
//  - a file that begins with a UTF-16 byte-order mark (little- or big-endian) is UTF-16 text: it is read as
//    that text converted to cp932, and a key set in it is written in UTF-16 with the same mark, every other
//    unit of the file kept; names asked for and values set are converted from cp932;
//  - lines end with CR LF, LF or a lone CR; a UTF-8 byte-order mark before the first line is skipped (the
//    bytes after it are taken as they are, not converted);
//  - blanks around section names, keys and values do not count, in the file or in the names asked for:
//    space, tab, and the control characters VT, FF and ^Z;
//  - "[name]" starts a section: the name ends at the last "]" of the line that is not the second byte of a
//    double-byte character; a "[" line without "]" is an ordinary line;
//  - "key=value" inside a section; a line without "=" is a key without value; lines before the first section
//    header form a section without a name;
//  - section names and keys match without regard to the case of ASCII letters; double-byte characters match
//    byte for byte;
//  - only the first section of a name counts, and in it the first line of a key;
//  - a value of two or more bytes enclosed in the same quote character (" or ') loses the pair.
#pragma once

#include <cstddef>
#include <string>
#include <unordered_map>

namespace twk {

// The value of the key, empty when the section or the key is missing.
std::string findProfileValue(const std::string& file, const char* section, const char* key);

// Every value of a file at once, for many reads of one text: find(section, key) is findProfileValue(file,
// section, key).
class ProfileIndex {
  public:
    explicit ProfileIndex(const std::string& file);
    std::string find(const char* section, const char* key) const;

  private:
    template <class C>
    void add(const std::basic_string<C>& file, std::size_t start);
    bool utf16_ = false;                                   // the names are kept as UTF-16 units
    std::unordered_map<std::string, std::string> values_;  // folded section, NUL, folded key -> cp932 value
};

// The file with the key set to value: the rest of its line after the key replaced by "=value", or a new
// "key=value" line after the last non-blank line of the section, or the section with the key appended at the
// end of the file. New lines end with CR LF. Every other byte of the file is kept.
std::string setProfileValue(const std::string& file, const char* section, const char* key, const char* value);

// Copies value into buffer (size >= 1 bytes) as the stores deliver it: terminated, at most size - 1 bytes,
// and never a lone first byte of a double-byte character at the end. The rest of the buffer is zero. Returns
// the number of bytes copied.
std::size_t copyProfileValue(const std::string& value, char* buffer, std::size_t size);

}  // namespace twk
