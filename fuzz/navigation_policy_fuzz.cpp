// The navigation decision over arbitrary setting and address text: no crash, and nothing that is not a plain
// http or https address on the setting's own server ever stays.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "host/navigation_policy.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = text.find('\n');
    const std::string localHost = cut == std::string::npos ? "http://127.0.0.1:7744/" : text.substr(0, cut);
    const std::string address = cut == std::string::npos ? text : text.substr(cut + 1);
    const twk::Navigation decision = twk::navigationFor(localHost, address);
    if (decision == twk::Navigation::Refuse) return 0;
    // Whatever is not refused is printable ASCII with an http or https scheme.
    for (char c : address) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F || c == '\\') std::abort();
    }
    const std::string scheme = address.substr(0, address.find(':'));
    std::string lowered;
    for (char c : scheme) lowered += static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (lowered != "http" && lowered != "https") std::abort();
    if (address.compare(scheme.size(), 3, "://") != 0) std::abort();
    // What stays names no user in its authority (which ends at the path, the query or the fragment).
    const std::size_t authorityEnd = address.find_first_of("/?#", scheme.size() + 3);
    if (decision == twk::Navigation::Stay && address.find('@') < authorityEnd) std::abort();
    return 0;
}
