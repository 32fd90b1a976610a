#include <windows.h>

#include <new>

#include "core/scoped_handle_win32.h"
#include "core/wide_text_win32.h"
#include "formats/file_io.h"

namespace twk {

namespace {

HANDLE toHandle(std::intptr_t h) {
    return reinterpret_cast<HANDLE>(h);
}

}  // namespace

FileReadStatus InputFile::open(const std::string& path, std::size_t limit) {
    close();
    ScopedHandle file(CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        DWORD e = GetLastError();
        return (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) ? FileReadStatus::NotFound
                                                                        : FileReadStatus::CannotOpen;
    }
    DWORD high = 0;
    DWORD low = GetFileSize(file.get(), &high);
    if (low == INVALID_FILE_SIZE && GetLastError() != NO_ERROR) return FileReadStatus::ShortRead;
    unsigned long long size64 = (static_cast<unsigned long long>(high) << 32) | low;
    if (size64 > limit) return FileReadStatus::TooLarge;
    size_ = static_cast<std::size_t>(size64);
    handle_ = reinterpret_cast<std::intptr_t>(file.release());
    return FileReadStatus::Ok;
}

bool InputFile::readSome(char* out, std::size_t n, std::size_t* got) {
    if (handle_ == kNoHandle) return false;
    DWORD chunk = 0;
    const DWORD want = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
    if (!ReadFile(toHandle(handle_), out, want, &chunk, nullptr)) return false;
    *got = chunk;
    return true;
}

void InputFile::close() {
    if (handle_ == kNoHandle) return;
    CloseHandle(toHandle(handle_));
    handle_ = kNoHandle;
    size_ = 0;
}

bool OutputFile::create(const std::string& path) {
    close();
    HANDLE h = CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    return true;
}

bool OutputFile::openForAppend(const std::string& path, int* lastByte) {
    close();
    HANDLE h = CreateFileW(toWide(path).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    LARGE_INTEGER size = {};
    unsigned char last = 0;
    DWORD got = 0;
    LARGE_INTEGER back = {};
    back.QuadPart = -1;
    const bool ok = GetFileSizeEx(h, &size) &&
                    (size.QuadPart == 0 || (SetFilePointerEx(h, back, nullptr, FILE_END) &&
                                            ReadFile(h, &last, 1, &got, nullptr) && got == 1)) &&
                    SetFilePointerEx(h, LARGE_INTEGER{}, nullptr, FILE_END);
    if (!ok) {
        close();
        return false;
    }
    appendedFrom_ = static_cast<unsigned long long>(size.QuadPart);
    *lastByte = size.QuadPart > 0 ? last : -1;
    return true;
}

bool OutputFile::cutBack() {
    if (!isOpen()) return false;
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(appendedFrom_);
    HANDLE h = toHandle(handle_);
    return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

bool OutputFile::openShared(const std::string& path, unsigned long long* length) {
    close();
    HANDLE h = CreateFileW(toWide(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    handle_ = reinterpret_cast<std::intptr_t>(h);
    LARGE_INTEGER end = {};
    if (!SetFilePointerEx(h, LARGE_INTEGER{}, &end, FILE_END)) {
        close();
        return false;
    }
    *length = static_cast<unsigned long long>(end.QuadPart);
    return true;
}

bool OutputFile::cutTo(unsigned long long length) {
    if (!isOpen()) return false;
    LARGE_INTEGER at = {};
    at.QuadPart = static_cast<LONGLONG>(length);
    HANDLE h = toHandle(handle_);
    return SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
}

bool OutputFile::flush() {
    return isOpen() && FlushFileBuffers(toHandle(handle_)) != 0;
}

bool OutputFile::writeSome(const char* data, std::size_t n) {
    HANDLE h = toHandle(handle_);
    while (n > 0) {
        DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
        DWORD written = 0;
        if (!WriteFile(h, data, chunk, &written, nullptr) || written == 0) return false;
        data += written;
        n -= written;
    }
    return true;
}

bool OutputFile::commit() {
    if (!isOpen()) return false;
    HANDLE h = toHandle(handle_);
    handle_ = kNoHandle;
    bool ok = FlushFileBuffers(h) != 0;
    if (!CloseHandle(h)) ok = false;
    return ok;
}

void OutputFile::close() {
    if (!isOpen()) return;
    CloseHandle(toHandle(handle_));
    handle_ = kNoHandle;
}

bool moveFileReplacing(const std::string& from, const std::string& to) {
    return MoveFileExW(toWide(from).c_str(), toWide(to).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool removeFile(const std::string& path) {
    return DeleteFileW(toWide(path).c_str()) != 0;
}

bool makeFolder(const std::string& path) {
    const std::wstring wide = toWide(path);
    if (CreateDirectoryW(wide.c_str(), nullptr)) return true;
    const DWORD attributes = GetFileAttributesW(wide.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool pathExists(const std::string& path) {
    return GetFileAttributesW(toWide(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool isWritableFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool isReadOnlyFile(const std::string& path) {
    const DWORD attributes = GetFileAttributesW(toWide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) &&
           !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

}  // namespace twk
