#include "settings/profile_text.h"

#include <cstring>
#include <unordered_set>
#include <vector>

#include "core/text.h"

namespace twk {

namespace {

struct Line {
    std::size_t begin;  // first byte
    std::size_t end;    // one past the last byte before the line end
    std::size_t next;   // one past the line end
};

enum class LineKind { Blank, Section, Key, Other };

struct ParsedLine {
    LineKind kind = LineKind::Blank;
    std::size_t nameBegin = 0, nameEnd = 0;    // section name or key, blanks trimmed
    std::size_t valueBegin = 0, valueEnd = 0;  // the value, blanks trimmed (keys only)
    bool hasValue = false;
};

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

std::vector<Line> splitLines(const std::string& file) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    if (file.compare(0, 3, "\xEF\xBB\xBF") == 0) pos = 3;
    const std::size_t n = file.size();
    while (pos < n) {
        std::size_t end = pos;
        while (end < n && file[end] != '\r' && file[end] != '\n') ++end;
        std::size_t next = end;
        if (next < n && file[next] == '\r') ++next;
        if (next < n && file[next] == '\n' && (next == end || file[next - 1] == '\r')) ++next;
        lines.push_back({pos, end, next});
        pos = next;
    }
    return lines;
}

ParsedLine parseLine(const std::string& file, const Line& line) {
    ParsedLine p;
    std::size_t b = line.begin, e = line.end;
    while (b < e && isBlank(file[b])) ++b;
    while (e > b && isBlank(file[e - 1])) --e;
    if (b == e) return p;
    if (file[b] == '[') {
        // The last closing bracket of the line ends the name, stepping over double-byte characters (their
        // second byte may be 0x5D).
        std::size_t close = e;
        for (std::size_t i = b + 1; i < e; i += (isLeadByte(file[i]) && i + 1 < e) ? 2 : 1)
            if (file[i] == ']') close = i;
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
    while (eq < e && file[eq] != '=') ++eq;
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
        if (e - vb >= 2 && (file[vb] == '"' || file[vb] == '\'') && file[e - 1] == file[vb]) {
            p.valueBegin = vb + 1;
            p.valueEnd = e - 1;
        }
    }
    return p;
}

char foldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

// Whether file[begin, end) names `name` (blanks around `name` do not count): ASCII letters without regard to
// case, double-byte characters exactly.
bool sameName(const std::string& file, std::size_t begin, std::size_t end, const char* name) {
    std::size_t len = std::strlen(name);
    while (len > 0 && isBlank(*name)) {
        ++name;
        --len;
    }
    while (len > 0 && isBlank(name[len - 1])) --len;
    if (end - begin != len) return false;
    for (std::size_t i = 0; i < len; ++i) {
        const char a = file[begin + i], b = name[i];
        if (isLeadByte(a)) {
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

Location locate(const std::string& file, const std::vector<Line>& lines, const char* section,
                const char* key) {
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
// or a NUL byte, which no name asked for holds).
bool foldName(const char* name, std::size_t len, std::string& out) {
    while (len > 0 && isBlank(*name)) {
        ++name;
        --len;
    }
    while (len > 0 && isBlank(name[len - 1])) --len;
    out.clear();
    for (std::size_t i = 0; i < len; ++i) {
        if (name[i] == 0) return false;
        if (isLeadByte(name[i])) {
            if (i + 1 >= len || name[i + 1] == 0) return false;
            out += name[i];
            out += name[++i];
            continue;
        }
        out += foldAscii(name[i]);
    }
    return true;
}

}  // namespace

// The same walk as locate for every name at once: lines before the first header belong to the section
// without a name together with the first "[]" section; of any other name only the first section counts; in a
// section, the first line of a key.
ProfileIndex::ProfileIndex(const std::string& file) {
    std::unordered_set<std::string> headed, finished;
    std::string section, key;
    bool active = true;  // the lines before the first header
    for (const Line& line : splitLines(file)) {
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
        values_.emplace(section + '\0' + key,
                        p.hasValue ? file.substr(p.valueBegin, p.valueEnd - p.valueBegin) : std::string());
    }
}

std::string ProfileIndex::find(const char* section, const char* key) const {
    std::string s, k;
    if (!section || !key || !foldName(section, std::strlen(section), s) || !foldName(key, std::strlen(key), k))
        return std::string();
    auto it = values_.find(s + '\0' + k);
    return it == values_.end() ? std::string() : it->second;
}

std::string findProfileValue(const std::string& file, const char* section, const char* key) {
    if (!section || !key) return std::string();
    std::vector<Line> lines = splitLines(file);
    Location loc = locate(file, lines, section, key);
    if (loc.keyLine < 0 || !loc.key.hasValue) return std::string();
    return file.substr(loc.key.valueBegin, loc.key.valueEnd - loc.key.valueBegin);
}

std::string setProfileValue(const std::string& file, const char* section, const char* key,
                            const char* value) {
    if (!section || !key) return file;
    if (!value) value = "";
    std::vector<Line> lines = splitLines(file);
    Location loc = locate(file, lines, section, key);
    if (loc.keyLine >= 0) {
        // The key keeps its spelling; the rest of its line becomes "=value".
        const Line& line = lines[static_cast<std::size_t>(loc.keyLine)];
        return file.substr(0, loc.key.nameEnd) + "=" + value + file.substr(line.end);
    }
    const std::string entry = std::string(key) + "=" + value;
    if (loc.sectionLine >= 0) {
        const Line& after = lines[static_cast<std::size_t>(loc.lastContent)];
        std::string out = file.substr(0, after.next);
        if (after.next == after.end) out += "\r\n";  // the last line of the file had no line end
        out += entry + "\r\n";
        out += file.substr(after.next);
        return out;
    }
    std::string out = file;
    if (!out.empty() && out.back() != '\n' && out.back() != '\r') out += "\r\n";
    out += "[" + std::string(section) + "]\r\n" + entry + "\r\n";
    return out;
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
