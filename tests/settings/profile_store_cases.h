// Cases that every profile store must pass alike: the portable store natively, and under Windows both stores,
// which must also agree with each other.
#pragma once

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "settings/profile_store.h"

namespace twk::test {

// A folder of its own below the system's temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> serial{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("twk-profile-" + std::to_string(stamp) + "-" + std::to_string(serial++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    std::string file(const std::string& name) const { return (path_ / name).string(); }
    std::size_t entryCount() const {
        std::size_t n = 0;
        for (auto it = std::filesystem::directory_iterator(path_);
             it != std::filesystem::directory_iterator(); ++it)
            ++n;
        return n;
    }

  private:
    std::filesystem::path path_;
};

inline void putFile(const std::string& path, const std::string& bytes) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

inline std::string fileBytes(const std::string& path) {
    std::string out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return "<missing>";
    char chunk[4096];
    std::size_t n;
    while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, n);
    std::fclose(f);
    return out;
}

inline std::string readWith(const ProfileStore& store, const std::string& path, const char* section,
                            const char* key, std::size_t size = 260) {
    std::vector<char> buffer(size, 'X');
    const std::size_t n = store.readValue(path.c_str(), section, key, buffer.data(), size);
    std::string text(buffer.data());
    EXPECT_EQ(n, text.size()) << section << "/" << key;
    return text;
}

// A text as a file saved as UTF-16 (little-endian unless asked otherwise), byte-order mark first.
inline std::string utf16File(const std::u16string& text, bool bigEndian = false) {
    std::string out = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (char16_t unit : text) {
        const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        out += bigEndian ? high : low;
        out += bigEndian ? low : high;
    }
    return out;
}

struct ReadCase {
    const char* file;  // which of the files below
    const char* section;
    const char* key;
    std::size_t size;
    const char* expected;
};

struct CaseFile {
    const char* name;
    std::string bytes;
};

inline std::vector<CaseFile> readCaseFiles() {
    return {
        {"quotes.ini",
         "[S]\r\nq1=\"abc\"\r\nq2='abc'\r\nq3=\"abc\r\nq4=\"\"\r\nq5=\"a\"b\"\r\nq6=\" x \"\r\nq7=  \"y\"  "
         "\r\n"
         "q8=\"\r\n"},
        {"blanks.ini",
         "[S]\r\n  k1  =  v 1  \r\n\tk2\t=\tv2\t\r\nnoeq\r\n=empty\r\n;c=comment\r\ndup=1\r\nDUP=2\r\n"},
        {"sections.ini",
         "top=1\r\n[ Sp ]\r\nk=sp\r\n[Br\r\nk2=br\r\n[T] trailing\r\nk=t\r\n[S]\r\nk=first\r\n[U]\r\n[S]\r\n"
         "k=second\r\nk3=third\r\n"},
        {"ends.ini", "[A]\rk=cr\r[B]\nk=lf\n[C]\r\n\r\nk=x\r\r\nk2=y\n\r"},
        {"dbcs.ini",
         "[表ソ]\r\n表=完全キャッシュ\r\nＡ=fw\r\n[‐]\r\nk=dash\r\n[x‐]y]\r\nk=z\r\nk2=C:\\表\\予\r\n[アA]"
         "\r\nア=kana\r\n"},
        {"bom.ini", "\xEF\xBB\xBF[S]\r\nk=bom\r\n"},
        {"last.ini", "[Tollwick]\r\nAlpha=200"},
        // VT, FF and ^Z count as blanks; a file cut off by an old editor's ^Z.
        {"control.ini",
         "[\x0BS\x1A]\r\n\x1A k1\x0B=\x0C v1 \x1A\r\nq=\x1A\"a\"\x0C\r\n\x0C[T]\x1A\r\nComboBbs=\x1A"},
        {"utf16le.ini", utf16File(u"[表ソ]\r\n能=完全\r\nk = \"q\" \x1A\r\n€=euro\r\nv=a€b\r\n")},
        {"utf16be.ini", utf16File(u"[S]\r\nk=be\r\n", true)},
        // A last odd byte is a character of its own.
        {"utf16odd.ini", utf16File(u"[S]\r\nk=") + "v"},
        {"utf16only.ini", utf16File(u"")},
    };
}

inline std::vector<ReadCase> readCases() {
    return {
        {"quotes.ini", "S", "q1", 260, "abc"},
        {"quotes.ini", "S", "q2", 260, "abc"},
        {"quotes.ini", "S", "q3", 260, "\"abc"},
        {"quotes.ini", "S", "q4", 260, ""},
        {"quotes.ini", "S", "q5", 260, "a\"b"},
        {"quotes.ini", "S", "q6", 260, " x "},
        {"quotes.ini", "S", "q7", 260, "y"},
        {"quotes.ini", "S", "q8", 260, "\""},
        {"blanks.ini", "s", "k1", 260, "v 1"},
        {"blanks.ini", "S", "K2", 260, "v2"},
        {"blanks.ini", "S", "noeq", 260, ""},
        {"blanks.ini", "S", ";c", 260, "comment"},
        {"blanks.ini", "S", "dup", 260, "1"},
        {"blanks.ini", "S", "missing", 260, ""},
        {"blanks.ini", "Other", "k1", 260, ""},
        {"sections.ini", "Sp", "k", 260, "sp"},
        {"sections.ini", "Sp", "k2", 260, "br"},
        {"sections.ini", "Br", "k2", 260, ""},
        {"sections.ini", "T", "k", 260, "t"},
        {"sections.ini", "S", "k", 260, "first"},
        {"sections.ini", "S", "k3", 260, ""},
        {"ends.ini", "A", "k", 260, "cr"},
        {"ends.ini", "B", "k", 260, "lf"},
        {"ends.ini", "C", "k", 260, "x"},
        {"ends.ini", "C", "k2", 260, "y"},
        {"dbcs.ini", "表ソ", "表", 260, "完全キャッシュ"},
        {"dbcs.ini", "表ソ", "ａ", 260, ""},
        {"dbcs.ini", "表ソ", "Ａ", 260, "fw"},
        {"dbcs.ini", "‐", "k", 260, "dash"},
        {"dbcs.ini", "x‐]y", "k", 260, "z"},
        {"dbcs.ini", "x‐]y", "k2", 260, "C:\\表\\予"},
        // The second byte of a double-byte character is no ASCII letter to fold: ア is 83 41, ャ is 83 61.
        {"dbcs.ini", "アa", "ア", 260, "kana"},
        {"dbcs.ini", "アA", "ャ", 260, ""},
        {"dbcs.ini", "ャA", "ア", 260, ""},
        {"dbcs.ini", "表ソ", "表", 1, ""},
        {"dbcs.ini", "表ソ", "表", 2, ""},
        {"dbcs.ini", "表ソ", "表", 3, "完"},
        {"dbcs.ini", "表ソ", "表", 4, "完"},
        {"dbcs.ini", "表ソ", "表", 5, "完全"},
        {"dbcs.ini", "表ソ", "表", 8, "完全キ"},
        {"bom.ini", "S", "k", 260, "bom"},
        {"last.ini", "Tollwick", "Alpha", 260, "200"},
        {"last.ini", "Tollwick", "Alpha", 2, "2"},
        {"absent.ini", "Tollwick", "Alpha", 260, ""},
        {"control.ini", "S", "k1", 260, "v1"},
        {"control.ini", "\x1AS", "k1\x0C", 260, "v1"},
        {"control.ini", "S", "q", 260, "a"},
        {"control.ini", "T", "ComboBbs", 260, ""},
        {"utf16le.ini", "表ソ", "能", 260, "完全"},
        {"utf16le.ini", "表ソ", "能", 3, "完"},
        {"utf16le.ini", "表ソ", "K", 260, "q"},
        {"utf16le.ini", "表ソ", "?", 260, ""},
        {"utf16le.ini", "表ソ", "v", 260, "a?b"},
        {"utf16be.ini", "S", "k", 260, "be"},
        {"utf16odd.ini", "S", "k", 260, "v"},
        {"utf16only.ini", "S", "k", 260, ""},
    };
}

inline void writeCaseFiles(const TempFolder& folder) {
    for (const CaseFile& f : readCaseFiles()) putFile(folder.file(f.name), f.bytes);
}

// Every read case through one store.
inline void expectReadCases(const ProfileStore& store, const TempFolder& folder) {
    for (const ReadCase& c : readCases())
        EXPECT_EQ(readWith(store, folder.file(c.file), c.section, c.key, c.size), c.expected)
            << c.file << " [" << c.section << "] " << c.key << " size " << c.size;
}

struct Write {
    const char* section;
    const char* key;
    const char* value;
};

struct WriteCase {
    const char* name;
    bool exists;
    std::string initial;
    std::vector<Write> writes;
    std::vector<Write> expected;  // values read back afterwards
};

inline std::vector<WriteCase> writeCases() {
    return {
        {"created by the first write",
         false,
         "",
         {{"Tollwick", "WindowTop", "12"},
          {"Tollwick", "History00", "C:\\表\\ソフト.txt"},
          {"Other", "k", "v"}},
         {{"Tollwick", "WindowTop", "12"},
          {"Tollwick", "History00", "C:\\表\\ソフト.txt"},
          {"Other", "k", "v"},
          {"Tollwick", "k", ""}}},
        {"replacing keeps everything else",
         true,
         "; head\r\n[Tollwick]\r\nA=1\r\n\r\n; note\r\n\r\n[T]\r\nx = y \r\n  odd line\r\n[Tollwick]\r\nz=9",
         {{"tollwick", "a", "2"}, {"Tollwick", "new", "n"}, {"T", "x", "Y2"}, {"Tollwick", "z", "10"}},
         {{"Tollwick", "A", "2"},
          {"Tollwick", "new", "n"},
          {"T", "x", "Y2"},
          {"T", "odd line", ""},
          {"Tollwick", "z", "10"},
          {"Tollwick", "; note", ""}}},
        {"mixed line ends and no final line end",
         true,
         "[S]\rk=1\r[T]\nq=2\n[U]\r\nu=3",
         {{"S", "k2", "x"}, {"U", "u2", "y"}, {"V", "v", "z"}},
         {{"S", "k", "1"},
          {"S", "k2", "x"},
          {"T", "q", "2"},
          {"U", "u", "3"},
          {"U", "u2", "y"},
          {"V", "v", "z"}}},
        {"empty, blank and quoted values",
         true,
         "[S]\r\nk=\"quoted\"\r\n",
         {{"S", "e", ""}, {"S", "q", "\"q\""}, {"S", "sp", " a "}, {"S", "k", "完全キャッシュ"}},
         {{"S", "e", ""}, {"S", "q", "q"}, {"S", "sp", "a"}, {"S", "k", "完全キャッシュ"}}},
        {"double-byte section and values with 0x5C bytes",
         true,
         "[表ソ]\r\n能=1\r\n",
         {{"表ソ", "能", "予\\十"}, {"表ソ", "ソ", "表"}},
         {{"表ソ", "能", "予\\十"}, {"表ソ", "ソ", "表"}}},
        {"a file saved as UTF-16 is written in UTF-16",
         true,
         utf16File(u"[表ソ]\r\n能=1\r\n[T]\r\nx=€"),
         {{"表ソ", "能", "予\\十"}, {"表ソ", "new", "完"}, {"U", "u", "v"}},
         {{"表ソ", "能", "予\\十"}, {"表ソ", "new", "完"}, {"T", "x", "?"}, {"U", "u", "v"}}},
        {"a file cut off by ^Z",
         true,
         "[Tollwick]\r\nComboBbs=\x1A",
         {{"Tollwick", "X", "1"}},
         {{"Tollwick", "ComboBbs", ""}, {"Tollwick", "X", "1"}}},
    };
}

// Runs every write case through `writer`, then checks what `reader` reads back.
inline void expectWriteCases(ProfileStore& writer, const ProfileStore& reader, const TempFolder& folder,
                             const char* label) {
    int n = 0;
    for (const WriteCase& c : writeCases()) {
        const std::string path = folder.file(std::string(label) + std::to_string(n++) + ".ini");
        if (c.exists) putFile(path, c.initial);
        for (const Write& w : c.writes)
            EXPECT_TRUE(writer.writeValue(path.c_str(), w.section, w.key, w.value))
                << c.name << ": " << w.key;
        for (const Write& w : c.expected)
            EXPECT_EQ(readWith(reader, path, w.section, w.key), w.value)
                << label << ", " << c.name << ": [" << w.section << "] " << w.key;
    }
}

}  // namespace twk::test
