#include "bench/big_list_file.h"

#include <cstdio>
#include <fstream>

#include "formats/file_io.h"

namespace twk::bench {

std::string randomName(std::mt19937& rng) {
    static const char kAlnum[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_ [],";
    std::string name;
    int len = 10 + rng() % 32;
    for (int k = 0; k < len; ++k) name += kAlnum[rng() % (sizeof kAlnum - 1)];
    return name + (rng() % 4 == 0 ? "「テスト」.avi" : ".avi");
}

std::string randomHash(std::mt19937& rng) {
    std::string hash;
    for (int k = 0; k < 32; ++k) hash += "0123456789ABCDEF"[rng() % 16];
    return hash;
}

std::string grouped(unsigned value) {
    std::string digits = std::to_string(value), out;
    for (std::size_t k = 0; k < digits.size(); ++k) {
        if (k && (digits.size() - k) % 3 == 0) out += ',';
        out += digits[k];
    }
    return out;
}

std::string randomListLine(std::mt19937& rng) {
    char time[32];
    std::snprintf(time, sizeof time, "%02u/%02u %02u:%02u", unsigned(1 + rng() % 12),
                  unsigned(1 + rng() % 28), unsigned(rng() % 24), unsigned(rng() % 60));
    return randomName(rng) + "\ttrip" + std::to_string(rng() % 1000) + "\t" + grouped(rng() % 2000000000u) +
           "\t完全キャッシュ\t" + std::to_string(rng() % 5000) + "\t" + time + "\t1.0\t" + randomHash(rng) +
           "\r\n";
}

BigListFile::BigListFile(std::string path, unsigned seed, int rows) : path_(std::move(path)) {
    std::mt19937 rng(seed);
    std::string text;
    text.reserve(rows < 0 ? kMaxTextFileSize : static_cast<std::size_t>(rows) * 120);
    for (;;) {
        if (rows >= 0 && rows_ == rows) break;
        std::string line = randomListLine(rng);
        if (text.size() + line.size() > kMaxTextFileSize) break;
        text += line;
        ++rows_;
    }
    std::ofstream out(path_, std::ios::binary);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    written_ = static_cast<bool>(out);
    bytes_ = text.size();
}

BigListFile::~BigListFile() {
    std::remove(path_.c_str());
}

}  // namespace twk::bench
