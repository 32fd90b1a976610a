// Whole-file reading and safe file replacement. Paths are cp932 byte strings, as the rest of the program
// keeps them; the platform files open them with the narrow calls (file_io_posix.cpp) or turn them into UTF-16
// for the wide calls (file_io_win32.cpp), whatever the system's code page.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace twk {

// The largest text file the program reads in one piece: 64 MiB.
constexpr std::size_t kMaxTextFileSize = 67108864;

enum class FileReadStatus {
    Ok,
    NotFound,    // no such file (or folder on the way to it)
    CannotOpen,  // it exists but cannot be opened for reading, or is not a regular file
    TooLarge,    // larger than the limit
    NoMemory,
    ShortRead,  // its size could not be found, or fewer bytes were read than its size
};

// The whole file in one block of size + 1 bytes whose last byte is 0.
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

FileReadStatus readWholeFile(const std::string& path, std::size_t limit, FileBytes& out);

// A regular file opened for reading in pieces. Owns its handle; not copyable.
class InputFile {
  public:
    InputFile() = default;
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Opens the file when it is a regular file of at most `limit` bytes; its size is then size().
    FileReadStatus open(const std::string& path, std::size_t limit);
    std::size_t size() const { return size_; }
    // Reads exactly n bytes; false when fewer could be read.
    bool read(char* out, std::size_t n);
    void close();

  private:
    static constexpr std::intptr_t kNoHandle = -1;
    bool readSome(char* out, std::size_t n, std::size_t* got);
    std::intptr_t handle_ = kNoHandle;
    std::size_t size_ = 0;
};

// A file opened for writing. Owns its handle; not copyable.
class OutputFile {
  public:
    OutputFile() = default;
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // Creates the file, or empties an existing one.
    bool create(const std::string& path);
    // Opens the file, creating it when missing, and moves to its end; nothing is truncated. The file's last
    // byte goes to `lastByte` (-1 for an empty file).
    bool openForAppend(const std::string& path, int* lastByte);
    // Cuts a file opened for appending back to the length it had when it was opened.
    bool cutBack();
    // Opens the file for writing at its end, creating it when missing; others may read it meanwhile. Its
    // length goes to `length`.
    bool openShared(const std::string& path, unsigned long long* length);
    // Cuts the file to `length` bytes and writes on from there.
    bool cutTo(unsigned long long length);
    // Flushes what was written to the disk (the file stays open).
    bool flush();
    bool isOpen() const { return handle_ != kNoHandle; }
    // Writes all n bytes, or reports failure.
    bool write(const char* data, std::size_t n);
    // Flushes the data to the disk and closes; false when either fails.
    bool commit();
    void close();

  private:
    static constexpr std::intptr_t kNoHandle = -1;
    bool writeSome(const char* data, std::size_t n);
    std::intptr_t handle_ = kNoHandle;
    unsigned long long appendedFrom_ = 0;
};

// Moves `from` over `to`, replacing `to` when it exists.
bool moveFileReplacing(const std::string& from, const std::string& to);
bool removeFile(const std::string& path);
// Makes a folder (its parent must exist); true also when it exists already.
bool makeFolder(const std::string& path);
// Whether something of that name exists.
bool pathExists(const std::string& path);
// Whether an existing file may be written (false for a read-only one, or when it cannot be found).
bool isWritableFile(const std::string& path);
// Whether the file exists and is marked read-only. The program never writes such a file, even where the
// system would let a privileged user do so.
bool isReadOnlyFile(const std::string& path);

// Gives `path` exactly the given bytes without ever leaving it half written: the bytes go to a temporary file
// beside it (path + kReplaceSuffix), which is flushed and then moved over the old file. On failure the old
// file is left as it was and the temporary file is removed. Zero bytes give an empty file. A read-only file
// is not replaced.
extern const char* const kReplaceSuffix;
bool replaceFileContents(const std::string& path, const char* data, std::size_t size);

// Appends the bytes at the end of the file (created when missing), held without sharing meanwhile. A file
// that does not end with a line end gets CR LF first, so that the first new line never joins its last one.
// When not everything could be written, the file is cut back to what it was. False then, or when it cannot
// be opened or is read-only.
bool appendFileContents(const std::string& path, const char* data, std::size_t size);

// Test hook: the writes of OutputFile fail once `bytes` more bytes have been written (the bytes before that
// point are written). -1 disables.
void injectFileWriteFailure(long long bytes);
// Test hook: reads of InputFile fail once `bytes` more bytes have been read. -1 disables.
void injectFileReadFailure(long long bytes);

}  // namespace twk
