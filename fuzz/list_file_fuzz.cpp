// The list-file reader over arbitrary bytes, then every line form of what it read.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/entry_list.h"
#include "formats/list_file.h"
#include "formats/read_ahead.h"
#include "formats/serialize.h"
#include "formats/text_buffer.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

void serializeAll(const twk::EntryList& list, const twk::HashSet& excluded) {
    static const int kForms[] = {twk::ListForm,      twk::NameForm,        twk::HashForm,
                                 twk::DownloadForm,  twk::DownloadBbsForm, twk::IgnoreForm,
                                 twk::IgnoreBbsForm, twk::TripForm,        twk::KeyInfoForm};
    for (int form : kForms) {
        for (int flags : {0, twk::SelectedOnly}) {
            for (const twk::HashSet* ex : {static_cast<const twk::HashSet*>(nullptr), &excluded}) {
                twk::SerializedRows r = twk::serializeRows(list, form | flags, ex);
                check((r.length == 0) == (r.block == nullptr));
                check(r.lines >= 0 && r.lines <= list.count());
                if (r.block) check(r.block[r.length] == 0);
                if (!flags && !ex) check(r.lines == list.count());
            }
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    twk::TextBuffer text;
    if (!text.loadText(reinterpret_cast<const char*>(data), size)) return 0;

    twk::EntryList ignore(twk::ListKind::Ignore);
    twk::EntryList list(twk::ListKind::Normal);
    list.linkFilter(&ignore);
    const char* ignored[8] = {"ignored", "", "", "", "", "", "", "IGNORED"};
    ignore.addTexts(8, ignored, 0);

    int added = twk::addListLines(list, text, twk::kListFileRules);
    check(added == list.count());

    // Every other row selected; the hashes of the first rows excluded.
    twk::HashSet excluded;
    for (int p = 0; p < list.count(); ++p) {
        list.entryAt(p)->selected = p % 2;
        if (p < 4) excluded.add(list.entryAt(p)->hash());
    }
    serializeAll(list, excluded);

    // The list-file text reads back into an empty list without trouble.
    twk::SerializedRows saved = twk::serializeRows(list, twk::ListForm);
    twk::TextBuffer again;
    if (saved.block && again.loadText(saved.block.get(), saved.length)) {
        twk::EntryList back(twk::ListKind::Normal);
        twk::addListLines(back, again, twk::kListFileRules);
    }

    // The same bytes as pasted text, sorted in, and read through the copying line reader.
    text.loadText(reinterpret_cast<const char*>(data), size);
    twk::EntryList pasted(twk::ListKind::Normal);
    twk::addListLines(pasted, text, twk::pastedTextRules(1));
    text.loadText(reinterpret_cast<const char*>(data), size);
    char line[16];
    while (text.readLine(line, sizeof line)) check(std::strlen(line) < sizeof line);

    // The copying reader with room for everything gives the same lines as the in-place one.
    twk::TextBuffer whole, copied;
    whole.loadText(reinterpret_cast<const char*>(data), size);
    copied.loadText(reinterpret_cast<const char*>(data), size);
    std::string out(size + 1, '\0');
    for (;;) {
        char* in = whole.nextLine();
        bool got = copied.readLine(&out[0], out.size());
        check((in != nullptr) == got);
        if (!in) break;
        check(std::strcmp(in, out.c_str()) == 0);
    }

    // The one-pass line splitter gives the fields of nextLine followed by splitFields, for every field limit.
    for (int maxFields : {1, 3, twk::kListFileFields}) {
        twk::TextBuffer lines, fused;
        lines.loadText(reinterpret_cast<const char*>(data), size);
        fused.loadText(reinterpret_cast<const char*>(data), size);
        char* a[twk::kListFileFields + 1];
        char* b[twk::kListFileFields + 1];
        for (;;) {
            std::size_t length = 0;
            char* in = lines.nextLine(&length);
            std::size_t lengths[twk::kListFileFields + 1];
            int nb = fused.nextFields(b, maxFields, lengths);
            check((in != nullptr) == (nb >= 0));
            if (!in) break;
            if (length == 0) {
                check(nb == 0);
                continue;
            }
            int na = twk::splitFields(in, a, maxFields);
            check(na == nb);
            for (int k = 0; k < na; ++k)
                check(std::strcmp(a[k], b[k]) == 0 && lengths[k] == std::strlen(b[k]));
        }
    }

    // The bytes as a file split on a second thread, a few bytes at a time, give the very same lines.
    static const std::string path = "/tmp/twk-list-fuzz-" + std::to_string(::getpid()) + ".txt";
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        const bool written = std::fwrite(data, 1, size, f) == size;
        if (std::fclose(f) == 0 && written) {
            twk::TextBuffer reference;
            reference.loadText(reinterpret_cast<const char*>(data), size);
            twk::ReadAheadLines ahead;
            check(ahead.open(path, twk::kListFileFields, 16) == twk::FileReadStatus::Ok);
            char* a[twk::kListFileFields + 1];
            char* b[twk::kListFileFields + 1];
            std::size_t la[twk::kListFileFields + 1], lb[twk::kListFileFields + 1];
            for (;;) {
                const int na = reference.nextFields(a, twk::kListFileFields, la);
                const int nb = ahead.nextFields(b, twk::kListFileFields, lb);
                check(na == nb);
                if (na < 0) break;
                for (int k = 0; k < na; ++k) check(la[k] == lb[k] && std::memcmp(a[k], b[k], la[k]) == 0);
            }
            check(ahead.readStatus() == twk::FileReadStatus::Ok);
        }
        std::remove(path.c_str());
    }
    return 0;
}
