#include "support/memory_profile_store.h"

#include "settings/profile_text.h"

namespace twk::test {

std::size_t MemoryProfileStore::readValue(const char* path, const char* section, const char* key,
                                          char* buffer, std::size_t size) const {
    ++reads;
    return copyProfileValue(value(path, section, key), buffer, size);
}

bool MemoryProfileStore::writeValue(const char* path, const char* section, const char* key,
                                    const char* value) {
    ++writes;
    if (failWrites) return false;
    std::string& file = files[path];
    file = setProfileValue(file, section, key, value);
    return true;
}

std::string MemoryProfileStore::value(const std::string& path, const char* section, const char* key) const {
    auto it = files.find(path);
    return it == files.end() ? std::string() : findProfileValue(it->second, section, key);
}

}  // namespace twk::test
