// The name of a row. Its bytes live in the room its row was made with (the rest of the row's block, so that
// a row and its name are one allocation), or, when they do not fit there, in a block of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>

namespace twk {

class RowName {
  public:
    RowName() noexcept = default;
    RowName(const RowName& other);
    RowName& operator=(const RowName& other);
    ~RowName();

    // Throw std::bad_alloc when a longer name needs a block and none can be had (the name is then unchanged).
    void assign(const char* text, std::size_t length);
    RowName& operator=(std::string_view text) {
        assign(text.data(), text.size());
        return *this;
    }

    // Always terminated.
    const char* c_str() const noexcept { return data_; }
    const char* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::string str() const { return std::string(data_, size_); }
    operator std::string_view() const noexcept { return {data_, size_}; }

    // Gives an empty name `room` bytes at `at` (its final 0 included) that live as long as the name does.
    void setRoom(char* at, std::size_t room) noexcept;
    // The bytes the name's text takes, in its row's room or in its own block (its final 0 included).
    std::size_t heldBytes() const noexcept { return capacity_ > 0 ? std::size_t{capacity_} + 1 : 0; }
    // For tests: whether the bytes are in a block of their own.
    bool ownsBlock() const noexcept { return owned_; }

  private:
    static char empty_[1];
    char* data_ = empty_;
    uint32_t size_ = 0;
    uint32_t capacity_ = 0;  // the longest name data_ holds
    bool owned_ = false;
};

inline bool operator==(const RowName& a, std::string_view b) {
    return std::string_view(a) == b;
}
inline bool operator==(std::string_view a, const RowName& b) {
    return a == std::string_view(b);
}
inline bool operator==(const RowName& a, const RowName& b) {
    return std::string_view(a) == std::string_view(b);
}
inline bool operator!=(const RowName& a, std::string_view b) {
    return !(a == b);
}
inline bool operator!=(std::string_view a, const RowName& b) {
    return !(a == b);
}
inline bool operator!=(const RowName& a, const RowName& b) {
    return !(a == b);
}
inline std::string operator+(const RowName& a, std::string_view b) {
    std::string s = a.str();
    s.append(b.data(), b.size());
    return s;
}
std::ostream& operator<<(std::ostream& out, const RowName& name);

}  // namespace twk
