#include "settings/profile_text.h"

#include <cstring>
#include <unordered_set>
#include <vector>

#include "core/text.h"
#include "core/utf16_text.h"

namespace twk {

namespace {

// The rules below work on code units: the bytes of a cp932 file, or the UTF-16 units of a file saved as
// UTF-16. Names asked for and values set come in as cp932 and are converted to the file's units first; values
// found are converted back.

struct Line {
    std::size_t begin;  // first unit
    std::size_t end;    // one past the last unit before the line end
    std::size_t next;   // one past the line end
};

enum class LineKind { Blank, Section, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::size_t nameBegin = 0, nameEnd = 0;    // section name or key, blanks trimmed
    std::size_t valueBegin = 0, valueEnd = 0;  // the value, blanks trimmed (keys only)
    bool hasValue = false;
};

// Blanks around names and values: space and tab, and the control characters the system's functions take as
// blanks as well: VT, FF and ^Z (the end-of-file mark of old editors).
template <class C>
bool isBlank(C c) {
    return c == C(' ') || c == C('\t') || c == C(0x0B) || c == C(0x0C) || c == C(0x1A);
}

// Whether a unit starts a double-byte character: cp932 lead bytes; never a UTF-16 unit.
bool startsPair(char c) {
    return isLeadByte(c);
}
bool startsPair(char16_t) {
    return false;
}

template <class C>
C foldAscii(C c) {
    return (c >= C('a') && c <= C('z')) ? static_cast<C>(c - C('a') + C('A')) : c;
}

// `start` skips a byte-order mark.
template <class C>
std::vector<Line> splitLines(const std::basic_string<C>& file, std::size_t start) {
    std::vector<Line> lines;
    std::size_t pos = start;
    const std::size_t n = file.size();
    while (pos < n) {
        std::size_t end = pos;
        while (end < n && file[end] != C('\r') && file[end] != C('\n')) ++end;
        std::size_t next = end;
        if (next < n && file[next] == C('\r')) ++next;
        if (next < n && file[next] == C('\n') && (next == end || file[next - 1] == C('\r'))) ++next;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

template <class C>
ParsedLine parseLine(const std::basic_string<C>& file, const Line& line) {
    ParsedLine p;
    std::size_t b = line.begin, e = line.end;
    while (b < e && isBlank(file[b])) ++b;
    while (e > b && isBlank(file[e - 1])) --e;
    if (b == e) return p;
    if (file[b] == C('[')) {
        // The last closing bracket of the line ends the name, stepping over double-byte characters (their
        // second byte may be 0x5D).
        std::size_t close = e;
        for (std::size_t i = b + 1; i < e; i += (startsPair(file[i]) && i + 1 < e) ? 2 : 1)
            if (file[i] == C(']')) close = i;
        if (close < e) {
            std::size_t nb = b + 1, ne = close;
            while (nb < ne && isBlank(file[nb])) ++nb;
            while (ne > nb && isBlank(file[ne - 1])) --ne;
            p.kind = LineKind::Section;
            p.nameBegin = nb;
            p.nameEnd = ne;
            return p;
        }
    }
    p.kind = LineKind::Key;
    std::size_t eq = b;
    while (eq < e && file[eq] != C('=')) ++eq;
    std::size_t ke = eq;
    while (ke > b && isBlank(file[ke - 1])) --ke;
    p.nameBegin = b;
    p.nameEnd = ke;
    if (eq < e) {
        p.hasValue = true;
        std::size_t vb = eq + 1;
        while (vb < e && isBlank(file[vb])) ++vb;
        p.valueBegin = vb;
        p.valueEnd = e;
        if (e - vb >= 2 && (file[vb] == C('"') || file[vb] == C('\'')) && file[e - 1] == file[vb]) {
            p.valueBegin = vb + 1;
            p.valueEnd = e - 1;
        }
    }
    return p;
}

// Whether file[begin, end) names `name` (blanks around `name` do not count): ASCII letters without regard to
// case, double-byte characters exactly.
template <class C>
bool sameName(const std::basic_string<C>& file, std::size_t begin, std::size_t end,
              const std::basic_string<C>& asked) {
    const C* name = asked.data();
    std::size_t len = asked.size();
    while (len > 0 && isBlank(*name)) {
        ++name;
        --len;
    }
    while (len > 0 && isBlank(name[len - 1])) --len;
    if (end - begin != len) return false;
    for (std::size_t i = 0; i < len; ++i) {
        const C a = file[begin + i], b = name[i];
        if (startsPair(a)) {
            if (a != b || i + 1 >= len || file[begin + i + 1] != name[i + 1]) return false;
            ++i;
            continue;
        }
        if (foldAscii(a) != foldAscii(b)) return false;
    }
    return true;
}

// Where a key lies: the index of its line, or -1; the section's first line and last non-blank line.
struct Location {
    long sectionLine = -1;  // the "[section]" line, or -1 when there is no such section
    long lastContent = -1;  // the last non-blank line of the section (the header when it is empty)
    long keyLine = -1;      // the key's line, or -1
    ParsedLine key;
};

template <class C>
Location locate(const std::basic_string<C>& file, const std::vector<Line>& lines,
                const std::basic_string<C>& section, const std::basic_string<C>& key) {
    Location loc;
    // Lines before the first section header form a section without a name.
    bool inSection = sameName(file, 0, 0, section);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        ParsedLine p = parseLine(file, lines[i]);
        if (p.kind == LineKind::Section) {
            if (inSection && loc.sectionLine >= 0) break;  // the first matching section is over
            inSection = sameName(file, p.nameBegin, p.nameEnd, section);
            if (inSection) loc.sectionLine = loc.lastContent = static_cast<long>(i);
            continue;
        }
        if (!inSection || p.kind == LineKind::Blank) continue;
        loc.lastContent = static_cast<long>(i);
        if (loc.keyLine < 0 && sameName(file, p.nameBegin, p.nameEnd, key)) {
            loc.keyLine = static_cast<long>(i);
            loc.key = p;
        }
    }
    return loc;
}

// A name in the form two names compare equal in (see sameName): blanks around it dropped, ASCII letters
// folded, double-byte characters kept. False for a name that matches nothing (a lone lead byte at its end,
// or a NUL, which no name asked for holds).
template <class C>
bool foldName(const C* name, std::size_t len, std::basic_string<C>& out) {
    while (len > 0 && isBlank(*name)) {
        ++name;
        --len;
    }
    while (len > 0 && isBlank(name[len - 1])) --len;
    out.clear();
    for (std::size_t i = 0; i < len; ++i) {
        if (name[i] == C(0)) return false;
        if (startsPair(name[i])) {
            if (i + 1 >= len || name[i + 1] == C(0)) return false;
            out += name[i];
            out += name[++i];
            continue;
        }
        out += foldAscii(name[i]);
    }
    return true;
}

template <class C>
std::basic_string<C> setValue(const std::basic_string<C>& file, std::size_t start,
                              const std::basic_string<C>& section, const std::basic_string<C>& key,
                              const std::basic_string<C>& value) {
    using S = std::basic_string<C>;
    const S newLine{C('\r'), C('\n')};
    std::vector<Line> lines = splitLines(file, start);
    Location loc = locate(file, lines, section, key);
    if (loc.keyLine >= 0) {
        // The key keeps its spelling; the rest of its line becomes "=value".
        const Line& line = lines[static_cast<std::size_t>(loc.keyLine)];
        return file.substr(0, loc.key.nameEnd) + C('=') + value + file.substr(line.end);
    }
    const S entry = key + C('=') + value;
    if (loc.sectionLine >= 0) {
        const Line& after = lines[static_cast<std::size_t>(loc.lastContent)];
        S out = file.substr(0, after.next);
        if (after.next == after.end) out += newLine;  // the last line of the file had no line end
        out += entry + newLine;
        out += file.substr(after.next);
        return out;
    }
    S out = file;
    if (out.size() > start && out.back() != C('\n') && out.back() != C('\r')) out += newLine;
    out += C('[') + section + C(']') + newLine + entry + newLine;
    return out;
}

// A file saved as UTF-16 (little- or big-endian, with its byte-order mark) as code units: the mark is not
// one of them, and a last odd byte counts as a unit of its own, its missing byte 0 (as the system reads it).
// While that unit is still the last one it is written back as the one byte it was.
struct Utf16File {
    bool bigEndian = false;
    bool oddEnd = false;  // the last unit is a lone byte
    std::u16string units;
};

bool decodeUtf16(const std::string& file, Utf16File& out) {
    if (file.size() < 2) return false;
    const unsigned char b0 = static_cast<unsigned char>(file[0]), b1 = static_cast<unsigned char>(file[1]);
    if (b0 == 0xFF && b1 == 0xFE)
        out.bigEndian = false;
    else if (b0 == 0xFE && b1 == 0xFF)
        out.bigEndian = true;
    else
        return false;
    out.oddEnd = file.size() % 2 != 0;
    out.units.clear();
    out.units.reserve(file.size() / 2);
    for (std::size_t i = 2; i < file.size(); i += 2) {
        const unsigned first = static_cast<unsigned char>(file[i]);
        const unsigned second = i + 1 < file.size() ? static_cast<unsigned char>(file[i + 1]) : 0u;
        out.units += static_cast<char16_t>(out.bigEndian ? (first << 8 | second) : (second << 8 | first));
    }
    return true;
}

std::string encodeUtf16(const Utf16File& file) {
    std::string out;
    out.reserve(2 + file.units.size() * 2);
    out += file.bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : file.units) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += file.bigEndian ? high : low;
        out += file.bigEndian ? low : high;
    }
    if (file.oddEnd && !file.units.empty()) out.pop_back();  // the missing byte, 0
    return out;
}

// A cp932 file's first line may follow a UTF-8 byte-order mark, which is skipped (the bytes after it are
// taken as they are).
std::size_t textStart(const std::string& file) {
    return file.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
}

std::u16string toUnits(const char* text) {
    return utf16FromCp932(text);
}

template <class C>
std::string valueAt(const std::basic_string<C>& file, const Location& loc);
template <>
std::string valueAt(const std::string& file, const Location& loc) {
    return file.substr(loc.key.valueBegin, loc.key.valueEnd - loc.key.valueBegin);
}
template <>
std::string valueAt(const std::u16string& file, const Location& loc) {
    return cp932FromUtf16(file.substr(loc.key.valueBegin, loc.key.valueEnd - loc.key.valueBegin));
}

template <class C>
std::string findValue(const std::basic_string<C>& file, std::size_t start,
                      const std::basic_string<C>& section, const std::basic_string<C>& key) {
    std::vector<Line> lines = splitLines(file, start);
    Location loc = locate(file, lines, section, key);
    if (loc.keyLine < 0 || !loc.key.hasValue) return std::string();
    return valueAt(file, loc);
}

// A folded section and key as one key of the index: the units' bytes, the two names apart by a NUL unit.
template <class C>
std::string indexKey(const std::basic_string<C>& section, const std::basic_string<C>& key) {
    std::basic_string<C> both = section;
    both += C(0);
    both += key;
    return std::string(reinterpret_cast<const char*>(both.data()), both.size() * sizeof(C));
}

std::string indexValue(std::string&& value) {
    return std::move(value);
}
std::string indexValue(std::u16string&& value) {
    return cp932FromUtf16(value);
}

}  // namespace

// The same walk as locate for every name at once: lines before the first header belong to the section
// without a name together with the first "[]" section; of any other name only the first section counts; in a
// section, the first line of a key.
template <class C>
void ProfileIndex::add(const std::basic_string<C>& file, std::size_t start) {
    using S = std::basic_string<C>;
    std::unordered_set<S> headed, finished;
    S section, key;
    bool active = true;  // the lines before the first header
    for (const Line& line : splitLines(file, start)) {
        const ParsedLine p = parseLine(file, line);
        if (p.kind == LineKind::Section) {
            if (active && headed.count(section) != 0) finished.insert(section);
            active = foldName(file.data() + p.nameBegin, p.nameEnd - p.nameBegin, section) &&
                     finished.count(section) == 0;
            if (active) headed.insert(section);
            continue;
        }
        if (!active || p.kind == LineKind::Blank) continue;
        if (!foldName(file.data() + p.nameBegin, p.nameEnd - p.nameBegin, key)) continue;
        const std::string at = indexKey(section, key);
        if (values_.count(at) != 0) continue;
        values_.emplace(at, p.hasValue ? indexValue(file.substr(p.valueBegin, p.valueEnd - p.valueBegin))
                                       : std::string());
    }
}

ProfileIndex::ProfileIndex(const std::string& file) {
    Utf16File wide;
    utf16_ = decodeUtf16(file, wide);
    if (utf16_)
        add(wide.units, 0);
    else
        add(file, textStart(file));
}

std::string ProfileIndex::find(const char* section, const char* key) const {
    if (!section || !key) return std::string();
    std::string at;
    if (utf16_) {
        const std::u16string s = toUnits(section), k = toUnits(key);
        std::u16string fs, fk;
        if (!foldName(s.data(), s.size(), fs) || !foldName(k.data(), k.size(), fk)) return std::string();
        at = indexKey(fs, fk);
    } else {
        std::string fs, fk;
        if (!foldName(section, std::strlen(section), fs) || !foldName(key, std::strlen(key), fk))
            return std::string();
        at = indexKey(fs, fk);
    }
    auto it = values_.find(at);
    return it == values_.end() ? std::string() : it->second;
}

std::string findProfileValue(const std::string& file, const char* section, const char* key) {
    if (!section || !key) return std::string();
    Utf16File wide;
    if (decodeUtf16(file, wide)) return findValue(wide.units, 0, toUnits(section), toUnits(key));
    return findValue(file, textStart(file), std::string(section), std::string(key));
}

std::string setProfileValue(const std::string& file, const char* section, const char* key,
                            const char* value) {
    if (!section || !key) return file;
    if (!value) value = "";
    Utf16File wide;
    if (decodeUtf16(file, wide)) {
        const char16_t last = wide.units.empty() ? 0 : wide.units.back();
        wide.units = setValue(wide.units, 0, toUnits(section), toUnits(key), toUnits(value));
        // A lone last byte still last (the text after the key's line is kept) stays one byte, which reads as
        // the same unit; followed now by more text it becomes a whole unit.
        wide.oddEnd = wide.oddEnd && !wide.units.empty() && wide.units.back() == last;
        return encodeUtf16(wide);
    }
    return setValue(file, textStart(file), std::string(section), std::string(key), std::string(value));
}

std::size_t copyProfileValue(const std::string& value, char* buffer, std::size_t size) {
    if (!buffer || size == 0) return 0;
    std::memset(buffer, 0, size);
    std::size_t n = 0;
    while (n < value.size()) {
        const std::size_t step = (isLeadByte(value[n]) && n + 1 < value.size()) ? 2 : 1;
        if (n + step > size - 1) break;
        n += step;
    }
    std::memcpy(buffer, value.data(), n);
    return n;
}

}  // namespace twk
