#!/usr/bin/env bash
# Regenerates src/platform/posix/codepage_<cp>.inc from Windows' own
# conversion, run under Wine with a French locale (OEM 850, ANSI 1252).
#
# Usage: tools/gen_codepage_tables.sh [codepage]   (default 850)
set -euo pipefail

cp="${1:-850}"
if [[ ! "$cp" =~ ^[1-9][0-9]*$ ]]; then
    echo "gen_codepage_tables.sh: code page must be a positive number, got '$cp'" >&2
    exit 2
fi

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
src="$root/tools/gen_codepage_tables.cpp"
out="$root/src/platform/posix/codepage_${cp}.inc"

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

mkdir -p "$WINEPREFIX"
# A fresh prefix so no earlier locale or registry tweak leaks into the tables.
# Wine's chatter on stderr goes to a log that is shown only on failure.
if ! LC_ALL=fr_FR WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    "$WINE" "$tmp/gen_codepage_tables.exe" "$cp" >"$tmp/out.raw" 2>"$tmp/err.log"; then
    echo "gen_codepage_tables.sh: generator failed:" >&2
    cat "$tmp/err.log" >&2
    exit 1
fi

# Wine's console can turn LF into CRLF; the committed file is LF only.
tr -d '\r' <"$tmp/out.raw" >"$tmp/out.inc"

# Refuse to write a truncated or garbled file: both arrays, 32 rows in total.
rows="$(grep -cE '^    (0x[0-9a-f]{2}, ){15}0x[0-9a-f]{2},?$' "$tmp/out.inc" || true)"
if [[ "$rows" != 32 ]] \
    || ! grep -q "kOem${cp}ToAnsi\[256\]" "$tmp/out.inc" \
    || ! grep -q "kAnsiToOem${cp}\[256\]" "$tmp/out.inc"; then
    echo "gen_codepage_tables.sh: unexpected generator output:" >&2
    cat "$tmp/out.inc" >&2
    cat "$tmp/err.log" >&2
    exit 1
fi

mkdir -p "$(dirname "$out")"
mv "$tmp/out.inc" "$out"
echo "wrote ${out#"$root"/}"
