#include "core/row_name.h"

#include <cstring>
#include <limits>
#include <new>
#include <ostream>

namespace twk {

char RowName::empty_[1] = {0};

RowName::RowName(const RowName& other) {
    assign(other.data_, other.size_);
}

RowName& RowName::operator=(const RowName& other) {
    if (this != &other) assign(other.data_, other.size_);
    return *this;
}

RowName::~RowName() {
    if (owned_) delete[] data_;
}

void RowName::setRoom(char* at, std::size_t room) noexcept {
    if (owned_) delete[] data_;
    owned_ = false;
    size_ = 0;
    if (!at || room == 0) {
        data_ = empty_;
        capacity_ = 0;
        return;
    }
    data_ = at;
    data_[0] = 0;
    capacity_ = static_cast<uint32_t>(room - 1);
}

void RowName::assign(const char* text, std::size_t length) {
    if (length > std::numeric_limits<uint32_t>::max() - 1) throw std::bad_alloc();
    if (length > capacity_) {
        char* block = new char[length + 1];
        std::memcpy(block, text, length);
        block[length] = 0;
        if (owned_) delete[] data_;
        data_ = block;
        capacity_ = static_cast<uint32_t>(length);
        owned_ = true;
    } else if (capacity_ > 0) {
        // Within the room; the text may be this name's own bytes.
        std::memmove(data_, text, length);
        data_[length] = 0;
    }
    size_ = static_cast<uint32_t>(length);
}

std::ostream& operator<<(std::ostream& out, const RowName& name) {
    return out.write(name.data(), static_cast<std::streamsize>(name.size()));
}

}  // namespace twk
