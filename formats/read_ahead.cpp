#include "formats/read_ahead.h"

#include <exception>

namespace twk {

ReadAheadLines::~ReadAheadLines() {
    if (!thread_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    thread_.join();
}

FileReadStatus ReadAheadLines::open(const std::string& path, int maxFields, std::size_t window) {
    const FileReadStatus status = text_.openFile(path, window);
    if (status != FileReadStatus::Ok) return status;
    maxFields_ = maxFields;
    size_ = text_.size();
    if (size_ / (window > 0 ? window : 1) < kThreadedFromWindows) return status;
    try {
        free_.reserve(kChunks);
        full_.reserve(kChunks);
        for (auto& c : chunks_) {
            c = std::make_unique<Chunk>();
            free_.push_back(c.get());
        }
        thread_ = std::thread([this] { produce(); });
    } catch (const std::exception&) {
        // Without a second thread the lines are split on this one.
        free_.clear();
    }
    return status;
}

void ReadAheadLines::produce() noexcept {
    FileReadStatus status = FileReadStatus::NoMemory;
    try {
        status = split();
    } catch (...) {
        // Out of memory for the lines of a window: the load fails as a whole.
    }
    std::lock_guard<std::mutex> lock(mutex_);
    status_ = status;
    done_ = true;
    changed_.notify_all();
}

FileReadStatus ReadAheadLines::split() {
    std::vector<char*> fields(maxFields_ + 1);
    std::vector<std::size_t> lengths(maxFields_ + 1);
    Chunk* c = takeFree();
    while (c) {
        const int n = text_.nextFieldsInWindow(fields.data(), maxFields_, lengths.data());
        if (n == TextBuffer::kWindowEnd) {
            // The chunk takes the window its lines are in; the next window goes into a buffer handed back.
            c->end = text_.position();
            if (!text_.nextWindow(c->window)) return text_.readStatus();
            publish(c);
            c = takeFree();
            continue;
        }
        if (n < 0) {
            // The last lines stay in the text's own window, which this thread no longer touches.
            c->end = size_;
            publish(c);
            return text_.readStatus();
        }
        c->counts.push_back(n);
        c->fields.insert(c->fields.end(), fields.begin(), fields.begin() + n);
        c->lengths.insert(c->lengths.end(), lengths.begin(), lengths.begin() + n);
    }
    return FileReadStatus::Ok;  // stopped
}

ReadAheadLines::Chunk* ReadAheadLines::takeFree() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return stop_ || !free_.empty(); });
    if (stop_) return nullptr;
    Chunk* c = free_.back();
    free_.pop_back();
    lock.unlock();
    c->clear();
    return c;
}

void ReadAheadLines::publish(Chunk* c) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        full_.push_back(c);  // never more than kChunks: the room was reserved
    }
    changed_.notify_all();
}

std::size_t ReadAheadLines::position() const {
    if (!threaded()) return text_.position();
    return current_ ? current_->end : 0;
}

int ReadAheadLines::nextFields(char** fields, int, std::size_t* lengths) {
    if (!threaded()) return text_.nextFields(fields, maxFields_, lengths);
    while (!current_ || line_ == current_->counts.size()) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (current_) {
            free_.push_back(current_);
            current_ = nullptr;
            changed_.notify_all();
        }
        changed_.wait(lock, [this] { return done_ || !full_.empty(); });
        if (full_.empty()) return -1;
        current_ = full_.front();
        full_.erase(full_.begin());
        line_ = field_ = 0;
    }
    const int n = current_->counts[line_++];
    // Through locals: the stores through `fields` could otherwise alias the chunk's members.
    char* const* from = current_->fields.data() + field_;
    for (int k = 0; k < n; ++k) fields[k] = from[k];
    if (lengths) {
        const std::size_t* lengthsFrom = current_->lengths.data() + field_;
        for (int k = 0; k < n; ++k) lengths[k] = lengthsFrom[k];
    }
    field_ += n;
    return n;
}

FileReadStatus ReadAheadLines::readStatus() const {
    if (!threaded()) return text_.readStatus();
    std::lock_guard<std::mutex> lock(mutex_);
    return status_;
}

}  // namespace twk
