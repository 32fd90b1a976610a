// Realistic list-file lines and a full-size list file, shared by the native and the Windows benchmarks.
#pragma once

#include <cstddef>
#include <random>
#include <string>

namespace twk::bench {

// One list-file line of realistic texts, ended with CR LF.
std::string randomListLine(std::mt19937& rng);
std::string randomName(std::mt19937& rng);
std::string randomHash(std::mt19937& rng);
// A number with thousands separators, as the host shows sizes.
std::string grouped(unsigned value);

// A list file of `rows` lines, or (rows < 0) of as many lines as fit just under the 64 MiB the reader
// accepts, written once to `path` and removed again when the object goes.
class BigListFile {
  public:
    BigListFile(std::string path, unsigned seed, int rows = -1);
    ~BigListFile();
    BigListFile(const BigListFile&) = delete;
    BigListFile& operator=(const BigListFile&) = delete;

    const std::string& path() const { return path_; }
    int rows() const { return rows_; }
    std::size_t bytes() const { return bytes_; }
    bool written() const { return written_; }

  private:
    std::string path_;
    int rows_ = 0;
    std::size_t bytes_ = 0;
    bool written_ = false;
};

}  // namespace twk::bench
