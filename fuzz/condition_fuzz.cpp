// Condition texts and rows from arbitrary bytes: the reader must never fail unsafely, a row must give the
// same answer as an Entry and as a raw record, and the fast substring test must agree with a plain one.
//
// Input: the condition text, then a NUL, then the row's fields (name, trip, size, refAmount, ver, hash)
// separated by TAB.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/entry.h"
#include "core/text.h"
#include "match/condition.h"
#include "match/condition_list.h"

namespace {

bool plainContains(const std::string& field, const std::string& key) {
    std::size_t n = field.find('\0');
    if (n == std::string::npos) n = field.size();
    if (key.empty()) return false;
    auto up = [](unsigned char c) { return static_cast<unsigned char>(c >= 'a' && c <= 'z' ? c - 32 : c); };
    for (std::size_t pos = 0; pos < n;) {
        std::size_t i = 0, f = pos;
        bool ok = true;
        while (i < key.size() && ok) {
            if (f >= n) {
                ok = false;
            } else if (twk::isLeadByte(key[i]) && i + 1 < key.size()) {
                ok = f + 1 < n && field[f] == key[i] && field[f + 1] == key[i + 1];
                i += 2;
                f += 2;
            } else {
                ok = up(static_cast<unsigned char>(field[f])) == static_cast<unsigned char>(key[i]);
                ++i;
                ++f;
            }
        }
        if (ok) return true;
        pos += (twk::isLeadByte(field[pos]) && pos + 1 < n) ? 2 : 1;
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string input(reinterpret_cast<const char*>(data), size);
    std::size_t cut = input.find('\0');
    std::string text = input.substr(0, cut);
    std::string rest = cut == std::string::npos ? std::string() : input.substr(cut + 1);

    std::vector<std::string> fields;
    std::size_t from = 0;
    while (fields.size() < 6) {
        std::size_t tab = rest.find('\t', from);
        fields.push_back(rest.substr(from, tab == std::string::npos ? std::string::npos : tab - from));
        if (tab == std::string::npos) break;
        from = tab + 1;
    }
    fields.resize(6);
    for (std::string& f : fields) f = f.substr(0, f.find('\0'));
    // Both row forms hold the same texts: the name within the raw record's buffer.
    if (fields[0].size() >= static_cast<std::size_t>(twk::kRawNameCap))
        fields[0].resize(twk::kRawNameCap - 1);

    const char* texts[8] = {
        fields[0].c_str(), fields[1].c_str(), fields[2].c_str(), "", fields[3].c_str(), "",
        fields[4].c_str(), fields[5].c_str()};
    twk::EntryPtr entry = twk::makeEntry(texts, 8);
    twk::RawRecord raw;
    std::memset(&raw, 0, sizeof raw);
    for (int i = 0; i < 8; ++i) twk::copyCut(raw.field(i), twk::RawRecord::capacity(i), texts[i]);

    twk::ConditionTerms terms;
    if (!twk::parseConditionText(text.c_str(), terms)) {
        if (!terms.empty()) std::abort();
        return 0;
    }
    if (terms.empty() || terms[0].op != twk::TermOperator::None) std::abort();
    for (const twk::ConditionTerm& t : terms) {
        if (t.text.size() > static_cast<std::size_t>(2 * twk::kMaxTermBytes)) std::abort();
        if (t.test == twk::FieldTest::NameContains) {
            if (t.folded.empty()) std::abort();
            bool fast = twk::fieldContains(entry->name().data(), entry->name().size(), t.folded);
            if (fast != plainContains(entry->name().str(), t.folded)) std::abort();
        }
    }
    if (twk::evaluateTerms(terms, *entry) != twk::evaluateTerms(terms, raw)) std::abort();
    if (twk::TermMatcher(terms).matches(*entry) != twk::evaluateTerms(terms, *entry)) std::abort();

    twk::ConditionList list;
    if (list.add(text.c_str(), "", false) != 0) std::abort();
    int onEntry = twk::findMatchingCondition(list, *entry);
    if (onEntry != twk::findMatchingCondition(list, raw)) std::abort();
    if ((onEntry == 0) != twk::evaluateTerms(terms, *entry)) std::abort();
    return 0;
}
