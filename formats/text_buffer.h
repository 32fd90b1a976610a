// The whole text of a file, or of pasted text, held in one block and read line by line.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "formats/file_io.h"

namespace twk {

class TextBuffer {
  public:
    TextBuffer() = default;
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    // Reads the whole file (at most 64 MiB). On failure the buffer is left empty. A file of 0 bytes loads and
    // yields no lines.
    FileReadStatus loadFile(const std::string& path);
    bool loadFileOk(const std::string& path) { return loadFile(path) == FileReadStatus::Ok; }
    // Takes a copy of `size` bytes of text (pasted text). False when memory cannot be had.
    bool loadText(const char* text, std::size_t size);
    // Drops the text.
    void release();

    bool loaded() const { return data_ != nullptr; }
    std::size_t size() const { return size_; }
    const std::string& path() const { return path_; }

    // Copies the next line into `out` without its line end and terminates it; false at the end of the text
    // (or with no `out` or a capacity of 0). At most capacity - 1 bytes are taken: a longer line is cut there
    // and its remainder comes back as the next line (a double-byte character may be split at that point).
    bool readLine(char* out, std::size_t capacity);

    // The next line, however long, in place: its line end is overwritten with a NUL. nullptr at the end of
    // the text. `length` receives the line's length in bytes. The line stays valid until the buffer is
    // released or loaded again, and may be changed in place (fields split, for one).
    char* nextLine(std::size_t* length = nullptr);

    // The next line as nextLine reads it, split in place at its tabs as splitFields splits it: fields[0..n)
    // with n <= maxFields, each terminated. Returns n, 0 for an empty line, or -1 at the end of the text. One
    // pass over the bytes does both. lengths, when given, receives each field's strlen.
    int nextFields(char** fields, int maxFields, std::size_t* lengths = nullptr);

  private:
    // Scans one line from the cursor: returns the end of its bytes and moves the cursor past its line end.
    // `limit` bounds the bytes taken.
    std::size_t scanLine(std::size_t limit, std::size_t* contentEnd);

    std::unique_ptr<char[]> data_;  // size_ + 1 bytes, the last one 0
    std::size_t size_ = 0;
    std::size_t cursor_ = 0;
    std::string path_;
};

}  // namespace twk
