#!/bin/sh
# korvel-sweep as the map step of GNU parallel and xargs -P: the same rows as
# one process. Usage: map_step_test.sh KORVEL_SWEEP
set -eu
sweep=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
i=0
while [ $i -lt 120 ]; do
  mkdir -p "$work/tree/d$((i % 4))"
  printf 'http://h%d.example/ m%d@x.example\r\n<a href="l%d">\n' $i $i $i > "$work/tree/d$((i % 4))/f$i.txt"
  i=$((i + 1))
done
cd "$work"
find tree -type f -print0 | sort -z > list
xargs -0 "$sweep" --no-progress < list > one
[ -s one ]
# parallel -k keeps the order of the batches: the bytes are those of one process.
parallel -0 -k -X -j 2 "$sweep" --no-progress < list > parallel.out
cmp one parallel.out
# xargs -P does not keep the order of its batches: the same rows, in another order.
xargs -0 -P 2 -n 10 "$sweep" --no-progress < list > xargs.out
sort one > one.sorted
sort xargs.out > xargs.sorted
cmp one.sorted xargs.sorted
echo "map step: $(wc -l < one) rows, identical"
