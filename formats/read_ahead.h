// The lines of a large list file, split into fields on a second thread a window at a time while the caller
// makes rows of the lines already split. The lines and fields are exactly those TextBuffer::nextFields gives.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "formats/file_io.h"
#include "formats/text_buffer.h"

namespace twk {

class ReadAheadLines {
  public:
    // Files of at most this many windows are read on the caller's thread.
    static constexpr std::size_t kThreadedFromWindows = 4;

    ReadAheadLines() = default;
    ~ReadAheadLines();  // stops the reading and waits for the thread
    ReadAheadLines(const ReadAheadLines&) = delete;
    ReadAheadLines& operator=(const ReadAheadLines&) = delete;

    // Opens the file (at most 64 MiB) and starts splitting its lines into at most maxFields fields. Nothing
    // is started when it cannot be read.
    FileReadStatus open(const std::string& path, int maxFields, std::size_t window = TextBuffer::kWindow);
    std::size_t size() const { return size_; }
    bool threaded() const { return thread_.joinable(); }
    // How many bytes of the file the lines read so far took, to the end of their window (of size()).
    std::size_t position() const;

    // As TextBuffer::nextFields with the maxFields given to open(); the fields stay valid until the next
    // call.
    int nextFields(char** fields, int maxFields, std::size_t* lengths);
    // Why the lines ended early, once nextFields returned -1.
    FileReadStatus readStatus() const;

  private:
    // The lines of one window: per line its field count, then the fields and their lengths.
    struct Chunk {
        TextBuffer::Window window;
        std::vector<int> counts;
        std::vector<char*> fields;
        std::vector<std::size_t> lengths;
        std::size_t end = 0;  // the file's bytes up to the end of the last line
        void clear() {
            counts.clear();
            fields.clear();
            lengths.clear();
        }
    };
    static constexpr int kChunks = 3;

    void produce() noexcept;
    FileReadStatus split();
    Chunk* takeFree();  // nullptr once stopped
    void publish(Chunk* c);

    TextBuffer text_;
    int maxFields_ = 0;
    std::size_t size_ = 0;

    // Shared with the reading thread, under mutex_.
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Chunk*> free_;
    std::vector<Chunk*> full_;  // in the file's order
    bool done_ = false;
    bool stop_ = false;
    FileReadStatus status_ = FileReadStatus::Ok;

    std::unique_ptr<Chunk> chunks_[kChunks];
    Chunk* current_ = nullptr;  // the caller's
    std::size_t line_ = 0, field_ = 0;
    std::thread thread_;
};

}  // namespace twk
