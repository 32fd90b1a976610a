#include "settings/profile_file_access.h"

#include "formats/file_io.h"

namespace twk {

ProfileFileRead readProfileFile(const char* path, std::string& out) {
    out.clear();
    InputFile file;
    switch (file.open(path, kMaxTextFileSize)) {
        case FileReadStatus::Ok:
            break;
        case FileReadStatus::NotFound:
            return ProfileFileRead::Missing;
        default:
            return ProfileFileRead::Failed;
    }
    out.resize(file.size());
    if (!out.empty() && !file.read(&out[0], out.size())) {
        out.clear();
        return ProfileFileRead::Failed;
    }
    return ProfileFileRead::Read;
}

bool replaceProfileFile(const char* path, const std::string& contents, bool existed) {
    // A file that cannot be written (read-only) stays as it is.
    if (existed && !isWritableFile(path)) return false;
    return replaceFileContents(path, contents.data(), contents.size());
}

}  // namespace twk
