#include <windows.h>

#include "core/text.h"

namespace twk {

namespace {
class JapaneseLocaleComparer final : public TextComparer {
public:
    int compare(const char* a, const char* b) const override {
        // CompareStringA with the Japanese locale reads the bytes as cp932 whatever the ANSI code page is.
        int r = CompareStringA(MAKELCID(MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), SORT_DEFAULT), 0, a, -1, b, -1);
        if (r == 0) return lstrcmpA(a, b);  // not expected: the locale is always there
        return r - CSTR_EQUAL;
    }
};
}  // namespace

const TextComparer& systemTextComparer() {
    static const JapaneseLocaleComparer c;
    return c;
}

}  // namespace twk
