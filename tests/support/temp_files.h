// A scratch folder for tests that read and write files, removed with everything in it at the end of the test.
#pragma once

#include <string>

namespace twk::test {

class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The folder with a trailing separator, as the program's folder is given.
    const std::string& prefix() const { return prefix_; }
    std::string path(const std::string& name) const { return prefix_ + name; }

    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;  // empty when missing
    bool exists(const std::string& name) const;
    // Names of the files in the folder, sorted.
    std::string listing() const;

  private:
    std::string prefix_;
};

}  // namespace twk::test
