#include <cerrno>
#include <cstdio>

#include "settings/profile_file_access.h"

namespace twk {

ProfileFileRead readProfileFile(const char* path, std::string& out) {
    out.clear();
    errno = 0;
    std::FILE* f = std::fopen(path, "rb");
    if (!f) return errno == ENOENT ? ProfileFileRead::Missing : ProfileFileRead::Failed;
    char chunk[4096];
    std::size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) out.append(chunk, got);
    const bool ok = !std::ferror(f);
    std::fclose(f);
    return ok ? ProfileFileRead::Read : ProfileFileRead::Failed;
}

bool replaceProfileFile(const char* path, const std::string& contents, bool existed) {
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

}  // namespace twk
