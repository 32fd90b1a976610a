#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <new>

#include "formats/file_io.h"

namespace twk {

namespace {

// Closes a descriptor on every way out.
class Descriptor {
  public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

  private:
    int fd_;
};

bool writeFully(int fd, const char* data, std::size_t n) {
    while (n > 0) {
        ssize_t w = ::write(fd, data, n);
        if (w < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += w;
        n -= static_cast<std::size_t>(w);
    }
    return true;
}

}  // namespace

FileReadStatus InputFile::open(const std::string& path, std::size_t limit) {
    close();
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0)
        return (errno == ENOENT || errno == ENOTDIR) ? FileReadStatus::NotFound : FileReadStatus::CannotOpen;
    struct stat st;
    if (::fstat(fd.get(), &st) != 0) return FileReadStatus::ShortRead;
    if (!S_ISREG(st.st_mode)) return FileReadStatus::CannotOpen;
    if (st.st_size < 0) return FileReadStatus::ShortRead;
    if (static_cast<unsigned long long>(st.st_size) > limit) return FileReadStatus::TooLarge;
    size_ = static_cast<std::size_t>(st.st_size);
    handle_ = fd.release();
    return FileReadStatus::Ok;
}

bool InputFile::readSome(char* out, std::size_t n, std::size_t* got) {
    if (handle_ == kNoHandle) return false;
    for (;;) {
        ssize_t r = ::read(static_cast<int>(handle_), out, n);
        if (r < 0 && errno == EINTR) continue;
        if (r < 0) return false;
        *got = static_cast<std::size_t>(r);
        return true;
    }
}

void InputFile::close() {
    if (handle_ == kNoHandle) return;
    ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
    size_ = 0;
}

bool OutputFile::create(const std::string& path) {
    close();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    handle_ = fd;
    return true;
}

bool OutputFile::openForAppend(const std::string& path, int* lastByte) {
    close();
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    handle_ = fd;
    const off_t end = ::lseek(fd, 0, SEEK_END);
    unsigned char last = 0;
    if (end < 0 || (end > 0 && ::pread(fd, &last, 1, end - 1) != 1)) {
        close();
        return false;
    }
    appendedFrom_ = static_cast<unsigned long long>(end);
    *lastByte = end > 0 ? last : -1;
    return true;
}

bool OutputFile::cutBack() {
    return isOpen() && ::ftruncate(static_cast<int>(handle_), static_cast<off_t>(appendedFrom_)) == 0;
}

bool OutputFile::openShared(const std::string& path, unsigned long long* length) {
    close();
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    handle_ = fd;
    const off_t end = ::lseek(fd, 0, SEEK_END);
    if (end < 0) {
        close();
        return false;
    }
    *length = static_cast<unsigned long long>(end);
    return true;
}

bool OutputFile::cutTo(unsigned long long length) {
    if (!isOpen()) return false;
    const int fd = static_cast<int>(handle_);
    return ::ftruncate(fd, static_cast<off_t>(length)) == 0 &&
           ::lseek(fd, static_cast<off_t>(length), SEEK_SET) == static_cast<off_t>(length);
}

bool OutputFile::flush() {
    return isOpen() && ::fsync(static_cast<int>(handle_)) == 0;
}

bool OutputFile::writeSome(const char* data, std::size_t n) {
    return writeFully(static_cast<int>(handle_), data, n);
}

bool OutputFile::commit() {
    if (!isOpen()) return false;
    int fd = static_cast<int>(handle_);
    handle_ = kNoHandle;
    bool ok = ::fsync(fd) == 0;
    if (::close(fd) != 0) ok = false;
    return ok;
}

void OutputFile::close() {
    if (!isOpen()) return;
    ::close(static_cast<int>(handle_));
    handle_ = kNoHandle;
}

bool moveFileReplacing(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

bool isWritableFile(const std::string& path) {
    return ::access(path.c_str(), W_OK) == 0;
}

bool isReadOnlyFile(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && !(st.st_mode & S_IWUSR);
}

bool removeFile(const std::string& path) {
    return ::unlink(path.c_str()) == 0;
}

bool makeFolder(const std::string& path) {
    struct stat st;
    return ::mkdir(path.c_str(), 0755) == 0 || (::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode));
}

bool pathExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0;
}

}  // namespace twk
