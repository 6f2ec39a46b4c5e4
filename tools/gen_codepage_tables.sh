#!/usr/bin/env bash
# Regenerates the conversion data of the Linux console code pages from Windows' own
# conversion, run under Wine with a French locale (OEM 850, ANSI 1252):
#   src/platform/posix/codepage_<cp>.inc   single-byte code page <cp> <-> Windows-1252
#   src/platform/posix/codepage_utf8.inc   Windows-1252 <-> Unicode, best fit included
#
# Usage: tools/gen_codepage_tables.sh [all | utf8 | codepage ...]   (default all)
set -euo pipefail

all=(850 437 28591 28605 1252 utf8)
tables=("$@")
if ((${#tables[@]} == 0)) || [[ "${tables[0]}" == all ]]; then
    tables=("${all[@]}")
fi
for table in "${tables[@]}"; do
    if [[ ! "$table" =~ ^([1-9][0-9]*|utf8)$ ]]; then
        echo "gen_codepage_tables.sh: expected a code page number or utf8, got '$table'" >&2
        exit 2
    fi
done

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
src="$root/tools/gen_codepage_tables.cpp"

CXX="${CXX:-x86_64-w64-mingw32-g++}"
WINE="${WINE:-/usr/lib/wine/wine64}"
[[ -x "$WINE" ]] || WINE="$(command -v wine64 || command -v wine || true)"
if [[ -z "$WINE" ]]; then
    echo "gen_codepage_tables.sh: wine not found" >&2
    exit 1
fi

tmp="$(mktemp -d)"
export WINEPREFIX="$tmp/prefix"
cleanup() {
    # Stop only the wineserver that belongs to our throwaway prefix.
    "${WINESERVER:-$(dirname "$WINE")/wineserver}" -k >/dev/null 2>&1 || true
    rm -rf "$tmp"
}
trap cleanup EXIT

"$CXX" -std=c++20 -static -O2 -Wall -Wextra -o "$tmp/gen_codepage_tables.exe" "$src"

# A fresh prefix so no earlier locale or registry tweak leaks into the tables.
mkdir -p "$WINEPREFIX"

# Refuses a truncated or garbled file before it replaces the committed one.
check_output() {
    local table="$1" file="$2"
    [[ "$(tail -n 1 "$file")" == "// End of generated data." ]] || return 1
    if [[ "$table" == utf8 ]]; then
        grep -q 'kAnsiToUnicode\[256\]' "$file" && grep -q 'kUnicodeToAnsi\[[0-9]*\]' "$file"
    else
        local rows
        rows="$(grep -cE '^    (0x[0-9a-f]{2}, ){15}0x[0-9a-f]{2},?$' "$file" || true)"
        [[ "$rows" == 32 ]] && grep -q "kOem${table}ToAnsi\[256\]" "$file" \
            && grep -q "kAnsiToOem${table}\[256\]" "$file"
    fi
}

for table in "${tables[@]}"; do
    out="$root/src/platform/posix/codepage_${table}.inc"
    # Wine's chatter on stderr goes to a log that is shown only on failure.
    if ! LC_ALL=fr_FR WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
        "$WINE" "$tmp/gen_codepage_tables.exe" "$table" >"$tmp/out.raw" 2>"$tmp/err.log"; then
        echo "gen_codepage_tables.sh: generator failed for $table:" >&2
        cat "$tmp/err.log" >&2
        exit 1
    fi
    # Wine's console can turn LF into CRLF; the committed files are LF only.
    tr -d '\r' <"$tmp/out.raw" >"$tmp/out.inc"
    if ! check_output "$table" "$tmp/out.inc"; then
        echo "gen_codepage_tables.sh: unexpected generator output for $table:" >&2
        cat "$tmp/out.inc" "$tmp/err.log" >&2
        exit 1
    fi
    mkdir -p "$(dirname "$out")"
    mv "$tmp/out.inc" "$out"
    echo "wrote ${out#"$root"/}"
done
