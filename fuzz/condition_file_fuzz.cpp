// The conditions-file reader over arbitrary bytes; what it reads writes back and reads again the same.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "formats/text_buffer.h"
#include "match/condition_list.h"
#include "routing/conditions_file.h"

namespace {

void check(bool ok) {
    if (!ok) std::abort();
}

int readText(const std::string& bytes, twk::ConditionList& out) {
    twk::TextBuffer text;
    if (!text.loadText(bytes.data(), bytes.size())) return -1;
    return twk::addConditionLines(out, text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    twk::ConditionList first;
    if (readText(std::string(reinterpret_cast<const char*>(data), size), first) < 0) return 0;
    check(first.count() >= 0);
    for (const twk::Condition& c : first)
        check(c.state == twk::kConditionIgnore || c.state == twk::kConditionInactive);

    const std::string written = twk::conditionFileText(first);
    twk::ConditionList second;
    check(readText(written, second) == first.count());
    check(twk::conditionFileText(second) == written);
    return 0;
}
