// One settings file with the program's number syntaxes. An empty path means there is no file: every read then
// reports "not found" and leaves its output alone, every write fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "settings/profile_store.h"

namespace twk {

// The one section of both settings files.
extern const char* const kProfileSection;  // "Tollwick"

// Numbers are read through a buffer of this size: at most 15 characters of a value count.
constexpr std::size_t kNumberBufferSize = 16;
// Paths, window texts and the like: at most 259 bytes.
constexpr std::size_t kTextBufferSize = 260;

class ProfileFile {
  public:
    ProfileFile() : store_(&systemProfileStore()) {}
    explicit ProfileFile(ProfileStore& store, std::string path = std::string())
        : store_(&store), path_(std::move(path)) {}

    void setPath(const std::string& path) { path_ = path; }
    const std::string& path() const { return path_; }

    // A non-empty value is parsed (signed syntax) into `out` and true is returned; an empty or missing value
    // puts `fallback` into `out` and returns false.
    bool readInt(const char* section, const char* key, std::int32_t fallback, std::int32_t& out) const;
    // As readInt, with the unsigned syntax.
    bool readNumber(const char* section, const char* key, std::uint32_t fallback, std::uint32_t& out) const;
    // A non-empty value goes into `buffer` (at most size - 1 bytes) and true is returned; an empty or missing
    // value puts `fallback` into `buffer` (cut to size - 1 bytes) and returns false. So an empty value never
    // overrides a non-empty default.
    bool readText(const char* section, const char* key, const char* fallback, char* buffer,
                  std::size_t size) const;

    // Conveniences over the above for callers that do not care whether the key was found.
    std::int32_t intOr(const char* section, const char* key, std::int32_t fallback) const;
    std::uint32_t numberOr(const char* section, const char* key, std::uint32_t fallback) const;
    std::string textOr(const char* section, const char* key, const char* fallback,
                       std::size_t size = kTextBufferSize) const;

    // Whether the file exists but cannot be read (see ProfileStore::readFailed): its values were defaults.
    bool readFailed() const { return !path_.empty() && store_->readFailed(path_.c_str()); }

    // Writes the value as signed decimal.
    bool writeInt(const char* section, const char* key, std::int32_t value);
    // Writes the text unchanged.
    bool writeText(const char* section, const char* key, const char* text);

    // For the lifetime of a Hold, the file is read once and written once (see ProfileStore::hold). end()
    // writes it now and says whether that worked; otherwise the Hold's end writes it and a failure goes
    // unsaid.
    class Hold {
      public:
        explicit Hold(ProfileFile& file) : store_(file.store_), path_(file.path_) {
            store_->hold(path_.c_str());
        }
        ~Hold() { end(); }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        bool end() {
            if (ended_) return true;
            ended_ = true;
            return store_->release(path_.c_str());
        }

      private:
        ProfileStore* store_;
        std::string path_;
        bool ended_ = false;
    };

  private:
    ProfileStore* store_;
    std::string path_;
};

}  // namespace twk
