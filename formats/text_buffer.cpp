#include "formats/text_buffer.h"

#include <cstring>
#include <new>

#include "core/text.h"

namespace twk {

FileReadStatus TextBuffer::loadFile(const std::string& path) {
    release();
    FileBytes bytes;
    FileReadStatus status = readWholeFile(path, kMaxTextFileSize, bytes);
    if (status != FileReadStatus::Ok) return status;
    data_ = std::move(bytes.data);
    size_ = bytes.size;
    path_ = path;
    return status;
}

bool TextBuffer::loadText(const char* text, std::size_t size) {
    release();
    std::unique_ptr<char[]> data(new (std::nothrow) char[size + 1]);
    if (!data) return false;
    if (size > 0) std::memcpy(data.get(), text, size);
    data[size] = 0;
    data_ = std::move(data);
    size_ = size;
    return true;
}

void TextBuffer::release() {
    data_.reset();
    size_ = 0;
    cursor_ = 0;
    path_.clear();
}

std::size_t TextBuffer::scanLine(std::size_t limit, std::size_t* contentEnd) {
    const char* text = data_.get();
    std::size_t p = cursor_;
    std::size_t taken = 0;
    while (p < size_ && taken < limit) {
        char c = text[p];
        if (c == '\n' || c == '\0') {
            *contentEnd = p;
            cursor_ = p + 1;
            return p;
        }
        if (c == '\r') {
            *contentEnd = p;
            ++p;
            while (p < size_ && text[p] == '\n') ++p;
            cursor_ = p;
            return *contentEnd;
        }
        // A lead byte takes the byte after it along, whatever that byte is, when both fit.
        if (isLeadByte(c) && p + 1 < size_ && taken + 2 <= limit) {
            p += 2;
            taken += 2;
        } else {
            ++p;
            ++taken;
        }
    }
    *contentEnd = p;
    cursor_ = p;
    return p;
}

bool TextBuffer::readLine(char* out, std::size_t capacity) {
    if (!data_ || size_ == 0 || !out || capacity == 0) return false;
    std::size_t start = cursor_;
    std::size_t end = 0;
    scanLine(capacity - 1, &end);
    if (cursor_ == start) return false;
    std::memcpy(out, data_.get() + start, end - start);
    out[end - start] = 0;
    return true;
}

char* TextBuffer::nextLine(std::size_t* length) {
    if (!data_ || size_ == 0) return nullptr;
    std::size_t start = cursor_;
    std::size_t end = 0;
    scanLine(static_cast<std::size_t>(-1), &end);
    if (cursor_ == start) return nullptr;
    // The byte at `end` is the line end (consumed) or the block's final 0.
    data_[end] = 0;
    if (length) *length = end - start;
    return data_.get() + start;
}

}  // namespace twk
