#!/usr/bin/env bash
# korvel-sweep.exe end to end under Wine (run by tools/wine-test): a folder
# made here is swept through its Windows path, and the rows, the export file
# and the exit status are compared with what they must be.
# Usage: korvel_sweep_e2e.sh KORVEL_SWEEP_EXE
set -euo pipefail

exe=$1
dir=$(mktemp -d "${TMPDIR:-/tmp}/korvel-sweep-e2e.XXXXXX")
trap 'rm -rf "$dir"' EXIT
mkdir -p "$dir/site/sub"
# CR LF lines, and a Ctrl+Z after which a text-mode read sees nothing more.
printf 'see http://a.example/one\r\n\x1ahttp://hidden.example/\r\n' >"$dir/site/index.htm"
printf '<a href="x.htm">\r\n' >"$dir/site/sub/page.htm"
printf 'mail bob@b.example\r\n' >"$dir/site/notes.txt"
site=$(winepath -w "$dir/site")
failed=0

sweep() { timeout 60 wine "$exe" "$@" 2>"$dir/stderr" | tr -d '\r'; }
expect() { # what got want
  if [ "$2" != "$3" ]; then
    printf 'FAILED: %s\n  got:  %q\n  want: %q\n' "$1" "$2" "$3"
    failed=1
  fi
}
tsv_path() { printf '%s' "$1" | sed 's/\\/\\\\/g'; }  # TSV escapes the backslash

expect "the HTML files of the folder and its subfolder" \
  "$(sweep -e htm "$site")" \
  "$(printf 'http://a.example/one\t%s\nx.htm\t%s\n' "$(tsv_path "$site\\index.htm")" "$(tsv_path "$site\\sub\\page.htm")")"

expect "a local sweep leaves the subfolder out" \
  "$(sweep -l -e htm -f export "$site")" "http://a.example/one"

expect "every thread count gives the same rows" \
  "$(sweep -j 3 "$site"; sweep -j 8 "$site\\sub" "$site")" \
  "$(sweep -j 1 "$site"; sweep -j 1 "$site\\sub" "$site")"

expect "a folder given with a final backslash is swept as without it" \
  "$(sweep -e htm "$site\\"; sweep -e htm "$site\\sub\\")" \
  "$(sweep -e htm "$site"; sweep -e htm "$site\\sub")"

expect "keywords narrow by base name; a file is swept alone" \
  "$(sweep -f export -k note "$site"; sweep -f export "$site\\sub\\page.htm")" \
  "$(printf 'bob@b.example\nx.htm')"

sweep -f export -o "$site\\links.txt" "$site\\notes.txt" "$site\\index.htm" >/dev/null
expect "the export file: one address a line, CR LF" \
  "$(od -An -c "$dir/site/links.txt" | tr -s ' ')" \
  "$(printf 'bob@b.example\r\nhttp://a.example/one\r\n' | od -An -c | tr -s ' ')"

set +e
timeout 60 wine "$exe" "$site\\missing.txt" >/dev/null 2>&1
status=$?
set -e
expect "a missing path gives exit status 2" "$status" "2"

[ "$failed" -eq 0 ] && echo "korvel-sweep.exe: all checks passed"
exit "$failed"
