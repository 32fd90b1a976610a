#include <windows.h>

#include "core/platform.h"

namespace twk {

namespace {
class SystemTimeClock final : public Clock {
public:
    LocalTime now() const override {
        SYSTEMTIME st;
        GetLocalTime(&st);
        LocalTime lt;
        lt.year = st.wYear;
        lt.month = st.wMonth;
        lt.day = st.wDay;
        lt.hour = st.wHour;
        lt.minute = st.wMinute;
        lt.second = st.wSecond;
        return lt;
    }
};
}  // namespace

const Clock& systemClock() {
    static const SystemTimeClock c;
    return c;
}

}  // namespace twk
