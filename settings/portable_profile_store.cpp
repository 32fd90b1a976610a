#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "settings/profile_store.h"
#include "settings/profile_text.h"

namespace twk {

namespace {

enum class ReadResult { Read, Missing, Failed };

ReadResult readFile(const char* path, std::string& out) {
    out.clear();
    errno = 0;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok ? ReadResult::Read : ReadResult::Failed;
}

// Replaces the file's contents through a temporary file, so that a failed write (full disk) leaves the old
// contents in place.
bool replaceFile(const char* path, const std::string& contents, bool existed) {
    if (existed) {
        // A file that cannot be written (read-only) stays as it is.
        std::FILE* probe = std::fopen(path, "r+b");
        if (!probe) return false;
        std::fclose(probe);
    }
    const std::string temp = std::string(path) + ".twk-new";
    std::FILE* f = std::fopen(temp.c_str(), "wb");
    if (!f) return false;
    bool ok = std::fwrite(contents.data(), 1, contents.size(), f) == contents.size();
    ok = (std::fclose(f) == 0) && ok;
    if (ok && std::rename(temp.c_str(), path) != 0) {
        // Some systems do not rename over an existing file.
        ok = std::remove(path) == 0 && std::rename(temp.c_str(), path) == 0;
    }
    if (!ok) std::remove(temp.c_str());
    return ok;
}

}  // namespace

std::size_t PortableProfileStore::readValue(const char* path, const char* section, const char* key,
                                            char* buffer, std::size_t size) const {
    if (!buffer || size == 0) return 0;
    std::memset(buffer, 0, size);
    std::string file;
    if (!path || readFile(path, file) != ReadResult::Read) return 0;
    return copyProfileValue(findProfileValue(file, section, key), buffer, size);
}

bool PortableProfileStore::writeValue(const char* path, const char* section, const char* key,
                                      const char* value) {
    if (!path || !*path || !section || !key) return false;
    std::string file;
    const ReadResult read = readFile(path, file);
    // A file that exists but cannot be read is never replaced: its contents would be lost.
    if (read == ReadResult::Failed) return false;
    return replaceFile(path, setProfileValue(file, section, key, value), read == ReadResult::Read);
}

}  // namespace twk
