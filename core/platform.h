// The few services the engine asks of its platform: the local clock and the reporting surface.
#pragma once

namespace twk {

struct LocalTime {
    int year = 2000;
    int month = 1;  // 1..12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
};

// The system clock of the build (std::chrono natively, GetLocalTime on Windows).
const Clock& systemClock();
// The clock in force; tests install a fixed one. nullptr restores the system clock. Returns the previous one.
const Clock& clock();
const Clock* setClock(const Clock* c);

}  // namespace twk
