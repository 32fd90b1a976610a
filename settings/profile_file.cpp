#include "settings/profile_file.h"

#include <cstdio>
#include <cstring>

#include "core/text.h"
#include "settings/number_syntax.h"

namespace twk {

const char* const kProfileSection = "Tollwick";

namespace {

// The value of a numeric key as at most 15 characters; empty when the file has none.
bool readNumberText(const ProfileStore& store, const std::string& path, const char* section, const char* key,
                    char (&buffer)[kNumberBufferSize]) {
    std::memset(buffer, 0, sizeof buffer);
    store.readValue(path.c_str(), section, key, buffer, sizeof buffer);
    return buffer[0] != 0;
}

}  // namespace

bool ProfileFile::readInt(const char* section, const char* key, std::int32_t fallback,
                          std::int32_t& out) const {
    if (path_.empty()) return false;
    char buffer[kNumberBufferSize];
    if (!readNumberText(*store_, path_, section, key, buffer)) {
        out = fallback;
        return false;
    }
    out = parseSignedNumber(buffer);
    return true;
}

bool ProfileFile::readNumber(const char* section, const char* key, std::uint32_t fallback,
                             std::uint32_t& out) const {
    if (path_.empty()) return false;
    char buffer[kNumberBufferSize];
    if (!readNumberText(*store_, path_, section, key, buffer)) {
        out = fallback;
        return false;
    }
    out = parseUnsignedNumber(buffer);
    return true;
}

bool ProfileFile::readText(const char* section, const char* key, const char* fallback, char* buffer,
                           std::size_t size) const {
    if (path_.empty() || !buffer || size == 0) return false;
    std::memset(buffer, 0, size);
    store_->readValue(path_.c_str(), section, key, buffer, size);
    if (buffer[0] != 0) return true;
    copyCut(buffer, size, fallback ? fallback : "");
    return false;
}

std::int32_t ProfileFile::intOr(const char* section, const char* key, std::int32_t fallback) const {
    std::int32_t value = fallback;
    readInt(section, key, fallback, value);
    return value;
}

std::uint32_t ProfileFile::numberOr(const char* section, const char* key, std::uint32_t fallback) const {
    std::uint32_t value = fallback;
    readNumber(section, key, fallback, value);
    return value;
}

std::string ProfileFile::textOr(const char* section, const char* key, const char* fallback,
                                std::size_t size) const {
    if (size == 0) return std::string();
    std::string buffer(size, '\0');
    if (path_.empty()) {
        copyCut(&buffer[0], size, fallback ? fallback : "");
    } else {
        readText(section, key, fallback, &buffer[0], size);
    }
    buffer.resize(std::strlen(buffer.c_str()));
    return buffer;
}

bool ProfileFile::writeInt(const char* section, const char* key, std::int32_t value) {
    if (path_.empty()) return false;
    char buffer[kNumberBufferSize];
    std::snprintf(buffer, sizeof buffer, "%ld", static_cast<long>(value));
    return store_->writeValue(path_.c_str(), section, key, buffer);
}

bool ProfileFile::writeText(const char* section, const char* key, const char* text) {
    if (path_.empty()) return false;
    return store_->writeValue(path_.c_str(), section, key, text ? text : "");
}

}  // namespace twk
