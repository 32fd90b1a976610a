#!/usr/bin/env bash
# Source this file (./run.sh does). twk_demo_host DEMO [SIMULATOR] gives the demo folder its host's own files, as
# a user's Vobra folder has them: DEMO/vobra_sim/ holds the simulator (copied there when given), its download list
# Download.txt and its ignore file Ignore.txt. The two files are made empty when absent and never touched when
# present: Tollwick's exports only add to these files of the host and never make them. Unless DEMO/TWK.ini already
# names a download list ("DownList" in [Tollwick] with a value), it is set to this Download.txt; the ignore
# export takes Ignore.txt from the same folder. Needs the Wine environment (tools/wine-env.sh) for the Windows
# path. Returns non-zero, saying why, when something could not be set up.
twk_demo_host() {
    local demo=$1 sim=${2:-}
    local host=$demo/vobra_sim ini=$demo/TWK.ini path f
    mkdir -p "$host" || return 1
    if [ -n "$sim" ]; then cp "$sim" "$host/" || return 1; fi
    for f in Download.txt Ignore.txt; do
        [ -e "$host/$f" ] || : >"$host/$f" || return 1
    done
    # The settings file holds Shift_JIS text.
    path=$("$TWK_WINE" winepath -w "$host/Download.txt" 2>/dev/null </dev/null | tr -d '\r\n' |
        iconv -f UTF-8 -t CP932 2>/dev/null)
    if [ -z "$path" ]; then
        echo "The demo's download list could not be set: no Shift_JIS Windows path for $host/Download.txt"
        return 1
    fi
    if [ -f "$ini" ] && head -c 2 "$ini" | LC_ALL=C grep -q $'^\xff\xfe\|^\xfe\xff'; then
        echo "$ini is UTF-16 text: its download list is left as it is"
        return 0
    fi
    # Only the first [Tollwick] section counts, and in it the first DownList line; names match in any case and
    # blanks around them do not count. An empty value is replaced, a missing line added at the section's end,
    # a missing section appended. Every other byte stays; new lines end with CR LF.
    [ -f "$ini" ] || : >"$ini" || return 1
    # (The line goes through the environment: awk -v would take its backslashes for escapes.)
    TWK_DOWNLIST_LINE="DownList=$path" LC_ALL=C awk '
        BEGIN { entry = ENVIRON["TWK_DOWNLIST_LINE"] }
        function blank(s) { gsub(/^[ \t\v\f\032]+|[ \t\v\f\032]+$/, "", s); return s }
        function add() { if (!done) { print entry "\r"; done = 1 } }
        { line = $0; sub(/\r$/, "", line) }
        line ~ /^[ \t\v\f\032]*\[.*\]/ {
            if (inside) add()
            name = line; sub(/^[ \t\v\f\032]*\[/, "", name); sub(/\][^\]]*$/, "", name)
            inside = !seen && tolower(blank(name)) == "tollwick"
            if (inside) seen = 1
            print; next
        }
        inside && !done && index(line, "=") && tolower(blank(substr(line, 1, index(line, "=") - 1))) == "downlist" {
            if (blank(substr(line, index(line, "=") + 1)) == "") { add(); next }
            done = 1
        }
        { print }
        END { if (!done) { if (!seen) print "[Tollwick]\r"; add() } }
    ' "$ini" >"$ini.new" || { rm -f "$ini.new"; return 1; }
    if cmp -s "$ini" "$ini.new"; then rm -f "$ini.new"; else mv "$ini.new" "$ini"; fi
}
