#!/bin/sh
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes the package's changelog (Debian's format) from CHANGELOG.md: one entry per
# released version, newest first, items wrapped to 78 columns; the Unreleased section
# is left out.
# Usage: changelog.sh CHANGELOG.md MAINTAINER > changelog
set -eu
awk -v who="$2" '
function item() {
    if (text == "") return
    n = split(text, w, " ")
    line = "  *"
    for (i = 1; i <= n; i++) {
        if (length(line) + 1 + length(w[i]) > 78) { items = items line "\n"; line = "   " }
        line = line " " w[i]
    }
    items = items line "\n"
    text = ""
}
function flush() {
    item()
    if (version == "") return
    printf "quorvel (%s) unstable; urgency=medium\n\n%s", version, items
    cmd = "LC_ALL=C date -u -R -d " date
    cmd | getline when
    close(cmd)
    printf "\n -- %s  %s\n\n", who, when
    version = ""; items = ""
}
/^## \[/ {
    flush()
    v = $2; gsub(/[][]/, "", v)
    if (v != "Unreleased") { version = v; date = $4 }
    next
}
version == "" { next }
/^### / { item(); section = substr($0, 5); next }
/^- / { item(); text = section ": " substr($0, 3); next }
/^  [^ ]/ && text != "" { sub(/^ +/, ""); text = text " " $0; next }
{ item() }
END { flush() }
' "$1"
