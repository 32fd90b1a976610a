// The name of a row: a view of the bytes its row holds, always followed by a 0. Valid while the row lives and
// keeps that name.
#pragma once

#include <cstddef>
#include <iosfwd>
#include <string>
#include <string_view>

namespace twk {

class RowName {
  public:
    constexpr RowName(const char* text, std::size_t size) noexcept : data_(text), size_(size) {}

    const char* c_str() const noexcept { return data_; }
    const char* data() const noexcept { return data_; }
    std::size_t size() const noexcept { return size_; }
    bool empty() const noexcept { return size_ == 0; }
    std::string str() const { return std::string(data_, size_); }
    operator std::string_view() const noexcept { return {data_, size_}; }

  private:
    const char* data_;
    std::size_t size_;
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
