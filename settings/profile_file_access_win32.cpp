#include <windows.h>

#include "core/wide_text_win32.h"
#include "settings/profile_file_access.h"

namespace twk {

namespace {

// Closes a file handle on every way out.
class FileHandle {
  public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    ~FileHandle() {
        if (valid()) CloseHandle(h_);
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    // Closes now; false when closing failed.
    bool close() {
        HANDLE h = h_;
        h_ = INVALID_HANDLE_VALUE;
        return h == INVALID_HANDLE_VALUE || CloseHandle(h) != 0;
    }

  private:
    HANDLE h_;
};

bool writeAll(HANDLE file, const std::string& contents) {
    const char* p = contents.data();
    std::size_t left = contents.size();
    while (left > 0) {
        DWORD written = 0;
        DWORD chunk = left > 0x100000u ? 0x100000u : static_cast<DWORD>(left);
        if (!WriteFile(file, p, chunk, &written, nullptr) || written == 0) return false;
        p += written;
        left -= written;
    }
    return true;
}

}  // namespace

ProfileFileRead readProfileFile(const char* path, std::string& out) {
    out.clear();
    FileHandle file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        DWORD e = GetLastError();
        return e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND ? ProfileFileRead::Missing
                                                                      : ProfileFileRead::Failed;
    }
    char chunk[4096];
    DWORD got = 0;
    for (;;) {
        if (!ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr)) return ProfileFileRead::Failed;
        if (got == 0) break;
        out.append(chunk, got);
    }
    return ProfileFileRead::Read;
}

bool replaceProfileFile(const char* path, const std::string& contents, bool existed) {
    const std::wstring target = toWide(path);
    if (existed) {
        DWORD attributes = GetFileAttributesW(target.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    }
    const std::wstring temp = target + L".twk-new";
    FileHandle file(
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    bool ok = writeAll(file.get(), contents);
    ok = file.close() && ok;
    if (ok) ok = MoveFileExW(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
    if (!ok) DeleteFileW(temp.c_str());
    return ok;
}

}  // namespace twk
