// Owner of one kernel handle (file, process, token): closed once, on every way out; never copied. Both
// "no handle" values the system uses, null and INVALID_HANDLE_VALUE, count as none.
#pragma once

#include <windows.h>

namespace twk {

class ScopedHandle {
  public:
    explicit ScopedHandle(HANDLE h = nullptr) : h_(h) {}
    ~ScopedHandle() {
        if (valid()) CloseHandle(h_);
    }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    bool valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return h_; }
    HANDLE release() {
        HANDLE h = h_;
        h_ = nullptr;
        return h;
    }

  private:
    HANDLE h_;
};

}  // namespace twk
