// The whole text of a file, or of pasted text, held in one block and read line by line.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "formats/file_io.h"
#include "formats/line_scan.h"

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
    // Opens the file (at most 64 MiB) to be read a window of `window` bytes at a time, so that the whole text
    // is never held at once; the window grows for a longer line. Only nextFields reads such a text. Should a
    // later read fail, the lines end early and readStatus() says why.
    static constexpr std::size_t kWindow = 1 << 20;
    FileReadStatus openFile(const std::string& path, std::size_t window = kWindow);
    FileReadStatus readStatus() const { return readStatus_; }
    // Takes a copy of `size` bytes of text (pasted text). False when memory cannot be had.
    bool loadText(const char* text, std::size_t size);
    // Drops the text.
    void release();

    bool loaded() const { return data_ != nullptr; }
    // The size of the whole text (of the file, for one opened to be read in windows).
    std::size_t size() const { return input_ ? total_ : size_; }
    const std::string& path() const { return path_; }
    // How many bytes of the text the lines read so far took (of size()).
    std::size_t position() const { return input_ ? total_ - remaining_ - (size_ - cursor_) : cursor_; }

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

    // For a file opened in windows whose lines are used after the window moves on (another thread makes rows
    // of them): nextFields within the current window only, kWindowEnd where nextFields would read on.
    static constexpr int kWindowEnd = -2;
    int nextFieldsInWindow(char** fields, int maxFields, std::size_t* lengths);
    // A window's bytes, handed out with its lines intact.
    struct Window {
        std::unique_ptr<char[]> bytes;
        std::size_t capacity = 0;  // bytes + 1 are held
    };
    // Goes on to the next window in a buffer of its own: `spare` when it is large enough, else a new one. The
    // buffer of the window just read comes back in `spare`. False when the read fails or memory runs out
    // (readStatus() says which).
    bool nextWindow(Window& spare);

  private:
    // Scans one line from the cursor: returns the end of its bytes and moves the cursor past its line end.
    // `limit` bounds the bytes taken.
    std::size_t scanLine(std::size_t limit, std::size_t* contentEnd);
    // One line for nextFields, or kNeedMore when the window ends before the line is known.
    static constexpr int kNeedMore = -2;
    int scanFields(char** fields, int maxFields, std::size_t* lengths);
    // Moves the line begun at the cursor to the window's start and reads what follows it.
    bool refill();
    // Reads on after the kept bytes at the window's start.
    bool readOn();

    std::unique_ptr<char[]> data_;  // size_ + 1 bytes, the last one 0
    std::size_t size_ = 0;
    std::size_t cursor_ = 0;
    std::string path_;
    // A file read in windows: data_ holds capacity_ + 1 bytes, remaining_ bytes are still to be read.
    std::unique_ptr<InputFile> input_;
    std::size_t capacity_ = 0;
    std::size_t remaining_ = 0;
    std::size_t total_ = 0;
    FileReadStatus readStatus_ = FileReadStatus::Ok;
    // The block the last line of nextFields ended in, already resolved.
    std::size_t blockStart_ = 0;
    LineBlock block_ = {};
    bool blockValid_ = false;
};

}  // namespace twk
