# Sourced by the sweep benchmarks (not run by itself): builds bench/corpus/docs,
# a text corpus from the Debian documentation installed on this machine.
#
#   corpus_ensure ROOT    builds ROOT/bench/corpus/docs unless it is complete
#
# Every regular file under /usr/share/doc is copied; compressed files (.gz) are
# stored uncompressed, so changelogs and NEWS files are plain text. When the
# documentation alone is smaller than CORPUS_MIN_BYTES or holds fewer than
# CORPUS_MIN_FILES files, copies of it are added under replica-N/ (distinct
# names) until both are reached, and the corpus says so in its README.

CORPUS_MIN_BYTES=${CORPUS_MIN_BYTES:-300000000}
CORPUS_MIN_FILES=${CORPUS_MIN_FILES:-25000}
CORPUS_SOURCE=${CORPUS_SOURCE:-/usr/share/doc}

corpus_stats() {  # prints "files bytes" of a folder
  find "$1" -type f -printf '%s\n' | awk '{ n++; s += $1 } END { printf "%d %d\n", n, s }'
}

corpus_ensure() {
  local root=$1
  local corpus=$root/bench/corpus/docs
  local stamp=$root/bench/corpus/docs.complete
  if [ -f "$stamp" ]; then return 0; fi
  echo "Building the corpus in $corpus from $CORPUS_SOURCE ..." >&2
  rm -rf "$corpus"
  mkdir -p "$corpus/original"
  cp -R -P -- "$CORPUS_SOURCE/." "$corpus/original/"
  # Regular files only, compressed ones as the text they hold.
  find "$corpus/original" -type l -delete
  find "$corpus/original" -type f -name '*.gz' -exec gzip -d -f -q -- {} + 2>/dev/null || true
  read -r files bytes < <(corpus_stats "$corpus/original")
  local base_files=$files base_bytes=$bytes replicas=0
  while [ "$files" -lt "$CORPUS_MIN_FILES" ] || [ "$bytes" -lt "$CORPUS_MIN_BYTES" ]; do
    replicas=$((replicas + 1))
    cp -r "$corpus/original" "$corpus/replica-$replicas"
    files=$((files + base_files))
    bytes=$((bytes + base_bytes))
  done
  {
    echo "Corpus built from $CORPUS_SOURCE: $base_files files, $base_bytes bytes."
    if [ "$replicas" -gt 0 ]; then
      echo "The documentation was too small: $replicas cop$([ "$replicas" -eq 1 ] && echo y || echo ies) added as replica-N/."
    fi
    echo "Total: $files files, $bytes bytes."
  } > "$root/bench/corpus/docs.README"
  touch "$stamp"
  cat "$root/bench/corpus/docs.README" >&2
}
