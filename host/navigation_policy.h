// Where an address asked of the BBS browser pane may go: the pane shows pages of the host's own web server
// only. Anything else is either handed to the user's web browser (plain http and https addresses) or goes
// nowhere.
#pragma once

#include <string_view>

namespace twk {

enum class Navigation {
    Stay,          // an address under the host's server: the pane loads it
    HandToSystem,  // an http or https address elsewhere: the user's web browser opens it, not the pane
    Refuse,        // any other scheme, or an address that could be read in more than one way: nothing opens
};

// The decision for `address` (as the browser reports it; UTF-8) in a pane whose pages come from `localHost`
// (the LocalHost setting: an http or https address, a "/" added when it does not end with one).
//
// The address stays only when its scheme, host and port are those of `localHost` (scheme and host without
// regard to case, the port by number with the scheme's default when none is written) and its path begins with
// the setting's path. Nothing is normalised: an address with a byte outside printable ASCII, a backslash, an
// "@" or a "%" in the authority, or a "%" escape or a "." or ".." segment in a path on the host's own server
// is refused. A `localHost` that is not such an address keeps every page out of the pane.
Navigation navigationFor(std::string_view localHost, std::string_view address);

}  // namespace twk
