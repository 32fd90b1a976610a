#include <cstring>
#include <memory>
#include <string>

#include "settings/profile_file_access.h"
#include "settings/profile_store.h"
#include "settings/profile_text.h"

namespace twk {

// A file read once for a run of reads and writes: its text as it stands after the writes so far, and whether
// those must still reach the disk.
struct PortableProfileStore::Held {
    std::string path;
    std::string text;
    ProfileFileRead read = ProfileFileRead::Missing;
    bool dirty = false;
    int depth = 0;
    std::unique_ptr<ProfileIndex> index;  // of text, made by the first read after a change
};

PortableProfileStore::PortableProfileStore() = default;
PortableProfileStore::~PortableProfileStore() {
    // A hold left open still owes the file its writes.
    while (held_) release(held_->path.c_str());
}

PortableProfileStore::Held* PortableProfileStore::held(const char* path) const {
    return held_ && path && held_->path == path ? held_.get() : nullptr;
}

std::size_t PortableProfileStore::readValue(const char* path, const char* section, const char* key,
                                            char* buffer, std::size_t size) const {
    if (!buffer || size == 0) return 0;
    std::memset(buffer, 0, size);
    if (Held* h = held(path)) {
        if (h->read == ProfileFileRead::Failed) return 0;
        if (!h->index) h->index = std::make_unique<ProfileIndex>(h->text);
        return copyProfileValue(h->index->find(section, key), buffer, size);
    }
    std::string file;
    if (!path || readProfileFile(path, file) != ProfileFileRead::Read) return 0;
    return copyProfileValue(findProfileValue(file, section, key), buffer, size);
}

bool PortableProfileStore::writeValue(const char* path, const char* section, const char* key,
                                      const char* value) {
    if (!path || !*path || !section || !key) return false;
    if (Held* h = held(path)) {
        if (h->read == ProfileFileRead::Failed) return false;
        std::string changed = setProfileValue(h->text, section, key, value);
        if (h->read == ProfileFileRead::Read && changed == h->text) return true;
        h->text = std::move(changed);
        h->index.reset();
        h->dirty = true;  // a missing file is created at the release
        return true;
    }
    std::string file;
    const ProfileFileRead read = readProfileFile(path, file);
    // A file that exists but cannot be read is never replaced: its contents would be lost.
    if (read == ProfileFileRead::Failed) return false;
    std::string changed = setProfileValue(file, section, key, value);
    // Saving settings writes every key; most keep their values, and the file need not be written for them.
    if (read == ProfileFileRead::Read && changed == file) return true;
    return replaceProfileFile(path, changed, read == ProfileFileRead::Read);
}

void PortableProfileStore::hold(const char* path) {
    if (!path || !*path) return;
    if (Held* h = held(path)) {
        ++h->depth;
        return;
    }
    // Another file still held is written out first: only one file is held at a time.
    while (held_) release(held_->path.c_str());
    auto h = std::make_unique<Held>();
    h->path = path;
    h->read = readProfileFile(path, h->text);
    h->depth = 1;
    held_ = std::move(h);
}

bool PortableProfileStore::release(const char* path) {
    Held* h = held(path);
    if (!h || --h->depth > 0) return true;
    std::unique_ptr<Held> done = std::move(held_);
    if (!done->dirty) return true;
    return replaceProfileFile(done->path.c_str(), done->text, done->read == ProfileFileRead::Read);
}

bool PortableProfileStore::readFailed(const char* path) const {
    if (!path || !*path) return false;
    if (Held* h = held(path)) return h->read == ProfileFileRead::Failed;
    std::string file;
    return readProfileFile(path, file) == ProfileFileRead::Failed;
}

ProfileStore& systemProfileStore() {
    static PortableProfileStore store;
    return store;
}

}  // namespace twk
