#include <windows.h>

#include <cstring>

#include "settings/profile_store.h"

namespace twk {

namespace {

// The system's profile functions. The buffer is zero-filled first: when a value is cut inside a double-byte
// character the system leaves the byte before the terminator unwritten.
class SystemProfileStore final : public ProfileStore {
  public:
    std::size_t readValue(const char* path, const char* section, const char* key, char* buffer,
                          std::size_t size) const override {
        if (!buffer || size == 0) return 0;
        std::memset(buffer, 0, size);
        GetPrivateProfileStringA(section, key, "", buffer, static_cast<DWORD>(size), path);
        buffer[size - 1] = 0;
        return std::strlen(buffer);
    }

    bool writeValue(const char* path, const char* section, const char* key, const char* value) override {
        return WritePrivateProfileStringA(section, key, value, path) != FALSE;
    }
};

}  // namespace

ProfileStore& systemProfileStore() {
    static SystemProfileStore store;
    return store;
}

}  // namespace twk
