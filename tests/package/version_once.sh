#!/bin/sh
# The version is typed only in project() of the top CMakeLists.txt; the
# generated files carry it and no placeholder is left unfilled.
# Usage: version_once.sh SOURCE-DIR VERSION GENERATED-DIR
set -eu
src="$1" version="$2" generated="$3"
commas="$(printf '%s' "$version" | tr . ,)"
status=0
if git -C "$src" grep -n -F -e "$version" -e "$commas" -- . ':!CMakeLists.txt'; then
  echo "the version $version is typed above; take it from korvel_version.h or @PROJECT_VERSION@" >&2
  status=1
fi
grep -q "^project(Korvel VERSION $version " "$src/CMakeLists.txt" || {
  echo "project() does not carry $version" >&2; status=1; }
for file in korvel_version.h korvel.manifest Manual.html; do
  grep -qF "$version" "$generated/$file" || { echo "$file lacks $version" >&2; status=1; }
done
if grep -n '@[A-Z_][A-Z_]*@' "$generated"/*; then
  echo "unfilled placeholders above" >&2
  status=1
fi
exit $status
