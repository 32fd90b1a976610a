// Where profile files ("key=value" lines under "[section]" headers) are read and written. The program asks
// two things of a store: the text of one key, and replacing (or adding) one key. The program's store reads
// and writes the files itself, by the rules of the system's profile functions, so that the files keep their
// cp932 bytes whatever the system's code page is.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

namespace twk {

class ProfileStore {
  public:
    virtual ~ProfileStore() = default;

    // Copies the value of `key` in `section` of the file at `path` into `buffer` (`size` bytes, size >= 1)
    // and terminates it. A missing file, section or key gives the empty text. A longer value is cut to at
    // most size - 1 bytes, never inside a double-byte character. Surrounding blanks and one pair of matching
    // quotes around the value are not part of it. Returns the length of the text in `buffer`.
    virtual std::size_t readValue(const char* path, const char* section, const char* key, char* buffer,
                                  std::size_t size) const = 0;

    // Sets `key` in `section` to `value`: the key's line is replaced, or added at the end of its section, or
    // the section is added at the end of the file; the file is created when it does not exist. Every other
    // line is kept. Returns false when the file cannot be written.
    virtual bool writeValue(const char* path, const char* section, const char* key, const char* value) = 0;

    // Between hold(path) and the matching release(path) (they nest) the store may read the file once and
    // answer every read from that copy, gathering the writes and writing the file once at the last release.
    // What is read and what ends in the file are the same as without the hold. release returns false when
    // the last release could not write the file (which then keeps its old contents). A store that does not
    // batch ignores both.
    virtual void hold(const char* /*path*/) {}
    virtual bool release(const char* /*path*/) { return true; }

    // Whether the file exists but cannot be read (within a hold: could not be read when the hold began), so
    // that every value read from it was a default. A missing file is not a failure.
    virtual bool readFailed(const char* /*path*/) const { return false; }
};

// The portable store: plain file access, the same rules as the system's profile functions (see the .cpp).
class PortableProfileStore final : public ProfileStore {
  public:
    PortableProfileStore();
    ~PortableProfileStore() override;
    PortableProfileStore(const PortableProfileStore&) = delete;
    PortableProfileStore& operator=(const PortableProfileStore&) = delete;

    std::size_t readValue(const char* path, const char* section, const char* key, char* buffer,
                          std::size_t size) const override;
    bool writeValue(const char* path, const char* section, const char* key, const char* value) override;
    void hold(const char* path) override;
    bool release(const char* path) override;
    bool readFailed(const char* path) const override;

  private:
    struct Held;
    Held* held(const char* path) const;
    std::unique_ptr<Held> held_;  // one file at a time: the program batches one file's reads or writes
};

// The store the program uses: the portable store, on every platform.
ProfileStore& systemProfileStore();

}  // namespace twk
