#include "host/navigation_policy.h"

#include <cstdint>
#include <string>

namespace twk {

namespace {

// An absolute http or https address taken apart. Only what the decision compares is kept.
struct WebAddress {
    bool secure = false;
    std::string host;  // lower case
    std::uint32_t port = 0;
    std::string_view path;   // from the first "/" after the authority up to "?" or "#"; "/" when none
    bool pathClean = false;  // no "%" escape and no "." or ".." segment in the path
    bool hasRest = false;    // a query or a fragment follows the path
};

constexpr std::uint32_t kPortMax = 65535;

char lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isAlpha(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Printable ASCII without the backslash: anything else (spaces, controls, bytes of other characters) can be
// read differently by the browser and by this check.
bool plainText(std::string_view text) {
    for (char c : text) {
        const auto b = static_cast<unsigned char>(c);
        if (b <= 0x20 || b >= 0x7F || c == '\\') return false;
    }
    return true;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (lower(a[i]) != lower(b[i])) return false;
    return true;
}

// A host name or IPv4 address (letters, digits, "-", "_", "."), or an IPv6 address in brackets.
bool validHost(std::string_view host) {
    if (host.empty()) return false;
    if (host.front() == '[') {
        if (host.size() < 3 || host.back() != ']') return false;
        for (char c : host.substr(1, host.size() - 2))
            if (!isDigit(c) && !(lower(c) >= 'a' && lower(c) <= 'f') && c != ':' && c != '.') return false;
        return true;
    }
    for (char c : host)
        if (!isAlpha(c) && !isDigit(c) && c != '-' && c != '_' && c != '.') return false;
    return true;
}

// The path's segments hold no escape and none is "." or "..".
bool cleanPath(std::string_view path) {
    if (path.find('%') != std::string_view::npos) return false;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string_view::npos) end = path.size();
        const std::string_view segment = path.substr(start, end - start);
        if (segment == "." || segment == "..") return false;
        start = end + 1;
    }
    return true;
}

// False for anything but a plain absolute http or https address with a host; `out` then says nothing.
bool parseWebAddress(std::string_view text, WebAddress& out) {
    if (!plainText(text)) return false;
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) return false;
    const std::string_view scheme = text.substr(0, colon);
    if (equalsNoCase(scheme, "https"))
        out.secure = true;
    else if (!equalsNoCase(scheme, "http"))
        return false;
    std::string_view rest = text.substr(colon + 1);
    if (rest.substr(0, 2) != "//") return false;
    rest.remove_prefix(2);

    const std::size_t authorityEnd = rest.find_first_of("/?#");
    const std::string_view authority = rest.substr(0, authorityEnd);
    // User names and escapes in the authority only serve to make an address look like another one.
    if (authority.find_first_of("@%") != std::string_view::npos) return false;
    std::string_view host = authority;
    std::string_view port;
    const std::size_t portColon = authority.rfind(':');
    const std::size_t bracket = authority.rfind(']');
    if (portColon != std::string_view::npos && (bracket == std::string_view::npos || portColon > bracket)) {
        host = authority.substr(0, portColon);
        port = authority.substr(portColon + 1);
        if (port.empty()) return false;
    }
    if (!validHost(host)) return false;
    out.host.clear();
    for (char c : host) out.host += lower(c);
    out.port = out.secure ? 443 : 80;
    if (!port.empty()) {
        if (port.size() > 5) return false;
        std::uint32_t value = 0;
        for (char c : port) {
            if (!isDigit(c)) return false;
            value = value * 10 + static_cast<std::uint32_t>(c - '0');
        }
        if (value == 0 || value > kPortMax) return false;
        out.port = value;
    }

    rest = authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
    const std::size_t pathEnd = rest.find_first_of("?#");
    out.path = rest.substr(0, pathEnd);
    out.hasRest = pathEnd != std::string_view::npos;
    if (out.path.empty()) out.path = "/";
    out.pathClean = cleanPath(out.path);
    return true;
}

}  // namespace

Navigation navigationFor(std::string_view localHost, std::string_view address) {
    WebAddress target;
    if (!parseWebAddress(address, target)) return Navigation::Refuse;

    WebAddress home;
    if (!parseWebAddress(localHost, home) || !home.pathClean || home.hasRest) return Navigation::HandToSystem;
    if (home.secure != target.secure || home.host != target.host || home.port != target.port)
        return Navigation::HandToSystem;
    // The host's own server: only a path that can be read one way only.
    if (!target.pathClean) return Navigation::Refuse;
    std::string prefix(home.path);
    if (prefix.back() != '/') prefix += '/';
    return target.path.substr(0, prefix.size()) == prefix ? Navigation::Stay : Navigation::HandToSystem;
}

}  // namespace twk
