#include <cstring>
#include <string>

#include "settings/profile_file_access.h"
#include "settings/profile_store.h"
#include "settings/profile_text.h"

namespace twk {

std::size_t PortableProfileStore::readValue(const char* path, const char* section, const char* key,
                                            char* buffer, std::size_t size) const {
    if (!buffer || size == 0) return 0;
    std::memset(buffer, 0, size);
    std::string file;
    if (!path || readProfileFile(path, file) != ProfileFileRead::Read) return 0;
    return copyProfileValue(findProfileValue(file, section, key), buffer, size);
}

bool PortableProfileStore::writeValue(const char* path, const char* section, const char* key,
                                      const char* value) {
    if (!path || !*path || !section || !key) return false;
    std::string file;
    const ProfileFileRead read = readProfileFile(path, file);
    // A file that exists but cannot be read is never replaced: its contents would be lost.
    if (read == ProfileFileRead::Failed) return false;
    std::string changed = setProfileValue(file, section, key, value);
    // Saving settings writes every key; most keep their values, and the file need not be written for them.
    if (read == ProfileFileRead::Read && changed == file) return true;
    return replaceProfileFile(path, changed, read == ProfileFileRead::Read);
}

ProfileStore& systemProfileStore() {
    static PortableProfileStore store;
    return store;
}

}  // namespace twk
