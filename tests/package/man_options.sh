#!/bin/sh
# Every option that `korvel-sweep --help` lists is documented in its man page.
# Usage: man_options.sh KORVEL-SWEEP MAN-SOURCE.scd
set -eu
help="$("$1" --help)"
# The option column: lines that start with an option, up to the first gap.
options="$(printf '%s\n' "$help" | sed -n 's/^ *\(-[^ ]*\( [A-Z][A-Z]*\)\{0,1\}\).*/\1/p' |
           tr ',' '\n' | sed -n 's/^\(--*[A-Za-z0-9?][A-Za-z0-9-]*\).*/\1/p' | sort -u)"
[ -n "$options" ] || { echo "no options found in --help" >&2; exit 1; }
missing=0
for option in $options; do
  # scdoc writes an option in bold: *--name*
  if ! grep -qF -- "*$option*" "$2"; then
    echo "not in the man page: $option" >&2
    missing=1
  fi
done
echo "checked:" $options
exit $missing
