// A profile store that keeps its files in memory, with the same text rules as the file store. It also counts
// the calls and can refuse writes, for tests of code that reads and writes settings.
#pragma once

#include <map>
#include <string>

#include "settings/profile_store.h"

namespace twk::test {

class MemoryProfileStore : public ProfileStore {
  public:
    std::size_t readValue(const char* path, const char* section, const char* key, char* buffer,
                          std::size_t size) const override;
    bool writeValue(const char* path, const char* section, const char* key, const char* value) override;

    // The value as the file holds it (after the rules of the format), empty when missing.
    std::string value(const std::string& path, const char* section, const char* key) const;

    std::map<std::string, std::string> files;  // path -> bytes
    bool failWrites = false;
    mutable int reads = 0;
    int writes = 0;
};

}  // namespace twk::test
