// What this process holds of the system: kernel handles, GDI and USER objects, private memory. Each count is
// taken with the documented call where the system answers it, and otherwise by counting the live objects one
// by one (Wine answers GetProcessHandleCount and PrivateUsage with 0 and GetGuiResources not at all). Which
// way each count was taken is reported, and a way that does not follow the objects is never used: calibrate()
// makes one object of each kind and checks that its count rises by one and falls back.
#pragma once

#include <cstdint>
#include <string>

namespace winbench {

struct ProcessCounts {
    long handles = 0;
    long gdi = 0;
    long user = 0;
    std::int64_t privateBytes = 0;
};

class ProcessCounter {
  public:
    // Chooses, for each count, the first way that follows the objects. False (with the reason) when a count
    // has no way that does.
    bool calibrate(std::string* error);
    ProcessCounts take() const;
    // How each count is taken, for example "handles=probe gdi=table user=probe private=pagefile".
    std::string methods() const;

    enum class Way { Api, Probe };

  private:
    Way handles_ = Way::Api;
    Way gdi_ = Way::Api;
    Way user_ = Way::Api;
    Way memory_ = Way::Api;
};

}  // namespace winbench
