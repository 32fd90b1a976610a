// The journal reader over arbitrary bytes: as they are, and framed into records whose lengths and checksums
// are right (the first byte chooses), so that what the records say is tried too. Whatever it yields is a set
// of sound lists: both orders hold the same rows, the hash order ascends and finds every row.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/entry_list.h"
#include "core/text.h"
#include "recovery/journal_format.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void checkList(const twk::EntryList& list) {
    const twk::PageArray& display = list.displayPages();
    const twk::PageArray& hashes = list.hashPages();
    check(display.size() == list.count() && hashes.size() == list.count());
    for (int p = 0; p < list.count(); ++p) {
        const twk::Entry* e = display.at(p);
        check(e != nullptr && hashes.at(p) != nullptr);
        if (p > 0) check(twk::localeCompare(hashes.at(p - 1)->hash(), hashes.at(p)->hash()) < 0);
        const int at = list.findHash(e->hash());
        check(at >= 0 && hashes.at(at) == e);
    }
}

void put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (size > 0 && (data[0] & 1)) {
        // [length: one byte][body] pieces after the first byte, each made a record.
        std::string framed = twk::journal::header();
        for (size_t at = 1; at < size;) {
            const size_t n = std::min<size_t>(data[at], size - at - 1);
            const std::string body = bytes.substr(at + 1, n);
            at += 1 + n;
            if (body.empty()) continue;
            const size_t start = framed.size();
            put32(framed, static_cast<uint32_t>(body.size()));
            const uint32_t crc =
                twk::journal::crc32(body.data(), body.size(), twk::journal::crc32(&framed[start], 4));
            put32(framed, crc);
            framed += body;
        }
        bytes.swap(framed);
    }
    twk::journal::MemoryBytes source(bytes.data(), bytes.size());
    twk::journal::JournalImage image;
    if (twk::journal::readJournal(source, image) != twk::journal::ReadResult::Ok) {
        check(image.lists.empty());
        return 0;
    }
    check(image.usedBytes <= bytes.size());
    for (const auto& [id, list] : image.lists) {
        check(list.rows != nullptr && list.rows->kind() == list.kind);
        checkList(*list.rows);
    }
    return 0;
}
