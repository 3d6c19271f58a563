#!/usr/bin/env bash
# What the repository descriptor costs as it grows: one lookup of the LAST
# instance (the worst case for a streaming parse) and one removal of it
# (parse into a tree, remove, serialise, rewrite in one step), for 1,000 and
# 10,000 instances. Each is measured as a process of its own with
# descriptor_bench, so the figures include process start and the XML library
# start/stop, as a command would pay them.
#
# Compared in the same run, on the same file, with xmlstarlet:
#   lookup   xmlstarlet sel -t -v '//instance[@name="repoN"]/@port' FILE
#   removal  xmlstarlet ed -d '//instance[@name="repoN"]' FILE   (to stdout)
#            xmlstarlet ed -L -d ...                             (in place, for reference)
# and with xerces_floor (start/stop only), which is subtracted to show how the
# parse itself grows with the file.
#
#   bash bench/descriptor.sh
#   RUNS=20 RSS_RUNS=5 WORKDIR=/dev/shm bash bench/descriptor.sh
#
# Wall time: hyperfine -N, median of RUNS runs, split into rounds that rotate
# the order of the commands. The removal gets a fresh descriptor copied in by
# hyperfine's --prepare, which is not timed. Peak RSS: /usr/bin/time -f %M,
# median of RSS_RUNS runs. Instructions: callgrind, one run each, as a
# noise-free check of how the work grows.
set -euo pipefail

# shellcheck source=common.sh
. "$(dirname "$0")/common.sh"
RUNS=${RUNS:-20}
ROUNDS=${ROUNDS:-2}
RSS_RUNS=${RSS_RUNS:-5}
SIZES=${SIZES:-"1000 10000"}
read -r -a sizes <<<"$SIZES"

require hyperfine python3 xmlstarlet valgrind /usr/bin/time

work=$(mktemp -d "${WORKDIR:-${TMPDIR:-/tmp}}/descriptor-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
private_binaries "$work" descriptor_bench xerces_floor
results="$work/results.tsv"
: >"$results"

# <repositories> with `count` instances, one a line, the way an installation
# that has grown by hand would look.
generate() {
  local count=$1 file=$2
  {
    echo '<?xml version="1.0" encoding="UTF-8"?>'
    echo '<repositories>'
    for ((n = 1; n <= count; ++n)); do
      printf '  <instance name="repo%d" port="%d" host="localhost" vexaport="%d" path=""/>\n' \
        "$n" "$n" $((n + 1))
    done
    echo '</repositories>'
  } >"$file"
}

# Median of several peak-RSS readings (KiB) of one command.
peak_rss() {
  local prepare=$1; shift
  local values=()
  for ((k = 0; k < RSS_RUNS; ++k)); do
    [[ -n "$prepare" ]] && eval "$prepare"
    /usr/bin/time -f %M -o "$work/rss" "$@" >/dev/null 2>&1 || true
    values+=("$(tail -1 "$work/rss")")
  done
  printf '%s\n' "${values[@]}" | sort -n | awk '{v[NR]=$1} END {print v[int((NR+1)/2)]}'
}

instructions() {
  local out="$work/callgrind.out"
  valgrind --tool=callgrind --callgrind-out-file="$out" "$@" >/dev/null 2>&1 || true
  awk '/^summary:/ {print $2}' "$out"
}

# hyperfine in rounds; appends "size<TAB>label<TAB>median_s" lines.
time_group() {
  local size=$1 prepare=$2; shift 2
  local labels=() cmds=()
  while (($#)); do labels+=("$1"); cmds+=("$2"); shift 2; done
  local per_round=$(( (RUNS + ROUNDS - 1) / ROUNDS )) r k
  local jsons=()
  for ((r = 0; r < ROUNDS; ++r)); do
    local args=()
    for ((k = 0; k < ${#labels[@]}; ++k)); do
      local i=$(( (k + r) % ${#labels[@]} ))
      args+=(-n "${labels[$i]}" "${cmds[$i]}")
    done
    local prep=()
    [[ -n "$prepare" ]] && prep=(--prepare "$prepare")
    hyperfine -N --style none --warmup 2 --runs "$per_round" "${prep[@]}" \
      --export-json "$work/h.$size.$r.json" "${args[@]}" >/dev/null 2>&1
    jsons+=("$work/h.$size.$r.json")
  done
  python3 - "$size" "${jsons[@]}" >>"$results" <<'EOF'
import json, statistics, sys
size, files = sys.argv[1], sys.argv[2:]
times = {}
for f in files:
    for r in json.load(open(f))["results"]:
        times.setdefault(r["command"], []).extend(r["times"])
for name, t in times.items():
    print(f"{size}\t{name}\t{statistics.median(t)}\t{len(t)}")
EOF
}

for size in "${sizes[@]}"; do
  base="$work/base$size.xml"
  generate "$size" "$base"
  install="$work/install$size"
  data="$work/data$size"
  mkdir -p "$install" "$data"
  echo "repository_data_directory,$data" >"$install/zerin.cfg"
  file="$data/vexa_config.xml"
  cp "$base" "$file"
  last="repo$size"
  fresh="cp -f $base $file"

  # The driver must find the last instance and, on removal, leave every other.
  port=$("$bin/descriptor_bench" "$install" "$last" lookup) || true
  [[ "$port" == "$size" ]] || { echo "lookup of $last gave '$port'" >&2; exit 1; }
  "$bin/descriptor_bench" "$install" "$last" remove >/dev/null || true
  left=$(xmlstarlet sel -t -v "count(//instance)" "$file")
  gone=$(xmlstarlet sel -t -v "count(//instance[@name=\"$last\"])" "$file")
  [[ "$left" == $((size - 1)) && "$gone" == 0 ]] ||
    { echo "removal of $last left $left instances, $gone of it" >&2; exit 1; }
  $fresh

  sel=(xmlstarlet sel -t -v "//instance[@name=\"$last\"]/@port" "$file")
  ed=(xmlstarlet ed -d "//instance[@name=\"$last\"]" "$file")
  edL=(xmlstarlet ed -L -d "//instance[@name=\"$last\"]" "$file")
  [[ "$("${sel[@]}")" == "$size" ]] || { echo "xmlstarlet did not find $last" >&2; exit 1; }

  q() { printf '%q ' "$@"; }
  time_group "$size" "" \
    floor "$bin/xerces_floor" \
    lookup "$(q "$bin/descriptor_bench" "$install" "$last" lookup)" \
    xml_sel "$(q "${sel[@]}")"
  time_group "$size" "$fresh" \
    copy "$fresh" \
    removal "$(q "$bin/descriptor_bench" "$install" "$last" remove)" \
    xml_ed "$(q "${ed[@]}")" \
    xml_edL "$(q "${edL[@]}")"

  {
    printf '%s\trss_lookup\t%s\n' "$size" "$(peak_rss "" "$bin/descriptor_bench" "$install" "$last" lookup)"
    printf '%s\trss_xml_sel\t%s\n' "$size" "$(peak_rss "" "${sel[@]}")"
    printf '%s\trss_removal\t%s\n' "$size" "$(peak_rss "$fresh" "$bin/descriptor_bench" "$install" "$last" remove)"
    printf '%s\trss_xml_ed\t%s\n' "$size" "$(peak_rss "$fresh" "${ed[@]}")"
    printf '%s\tir_floor\t%s\n' "$size" "$(instructions "$bin/xerces_floor")"
    printf '%s\tir_lookup\t%s\n' "$size" "$(instructions "$bin/descriptor_bench" "$install" "$last" lookup)"
    $fresh
    printf '%s\tir_removal\t%s\n' "$size" "$(instructions "$bin/descriptor_bench" "$install" "$last" remove)"
    $fresh
    printf '%s\tir_xml_sel\t%s\n' "$size" "$(instructions "${sel[@]}")"
    printf '%s\tir_xml_ed\t%s\n' "$size" "$(instructions "${ed[@]}")"
  } >>"$results"
  printf '%s\tbytes\t%s\n' "$size" "$(stat -c %s "$base")" >>"$results"
done

echo "work folder: $(df -T "$work" | awk 'NR==2 {print $2}') ($work)"
python3 - "$results" "${sizes[@]}" <<'EOF'
import sys
rows, sizes = sys.argv[1], sys.argv[2:]
v = {}
for line in open(rows):
    size, label, value, *_ = line.rstrip("\n").split("\t")
    v[(size, label)] = float(value)
ms = lambda s, l: v[(s, l)] * 1e3
print(f"{'instances':>9} {'bytes':>9} | {'median ms':^47} | {'peak RSS KiB':^27}")
print(f"{'':>9} {'':>9} | {'floor':>7}{'lookup':>8}{'xml sel':>8}{'removal':>8}{'xml ed':>8}{'ed -L':>8} |"
      f"{'lookup':>7}{'xsel':>7}{'remove':>7}{'xed':>6}")
for s in sizes:
    print(f"{s:>9} {int(v[(s,'bytes')]):>9} | {ms(s,'floor'):>7.2f}{ms(s,'lookup'):>8.2f}{ms(s,'xml_sel'):>8.2f}"
          f"{ms(s,'removal'):>8.2f}{ms(s,'xml_ed'):>8.2f}{ms(s,'xml_edL'):>8.2f} |"
          f"{int(v[(s,'rss_lookup')]):>7}{int(v[(s,'rss_xml_sel')]):>7}{int(v[(s,'rss_removal')]):>7}{int(v[(s,'rss_xml_ed')]):>6}")
print(f"(copy of a fresh descriptor, done untimed before each removal run: "
      + ", ".join(f"{ms(s,'copy'):.2f} ms at {s}" for s in sizes) + ")")
print()
print(f"{'instances':>9} | {'Ir lookup':>12}{'Ir xml sel':>12}{'Ir removal':>12}{'Ir xml ed':>12}{'Ir floor':>12}")
for s in sizes:
    print(f"{s:>9} | {int(v[(s,'ir_lookup')]):>12,}{int(v[(s,'ir_xml_sel')]):>12,}"
          f"{int(v[(s,'ir_removal')]):>12,}{int(v[(s,'ir_xml_ed')]):>12,}{int(v[(s,'ir_floor')]):>12,}")
print()
print("ratios, same run (aim: lookup/xml sel <= 1, removal/xml ed <= 4)")
for s in sizes:
    print(f"{s:>9} | lookup/xml sel {v[(s,'lookup')]/v[(s,'xml_sel')]:5.2f}x  (Ir {v[(s,'ir_lookup')]/v[(s,'ir_xml_sel')]:5.2f}x)"
          f" | removal/xml ed {v[(s,'removal')]/v[(s,'xml_ed')]:5.2f}x  (Ir {v[(s,'ir_removal')]/v[(s,'ir_xml_ed')]:5.2f}x)"
          f" | removal/ed -L {v[(s,'removal')]/v[(s,'xml_edL')]:5.2f}x")
if len(sizes) >= 2:
    a, b = sizes[0], sizes[-1]
    print()
    print(f"growth {b}/{a} (aim <= {int(b)//int(a) * 12 // 10}x)   whole process     above the floor")
    for label, name in [("lookup", "lookup"), ("removal", "removal"), ("xml sel", "xml_sel"), ("xml ed", "xml_ed")]:
        t = v[(b, name)] / v[(a, name)]
        fa, fb = v[(a, name)] - v[(a, 'floor')], v[(b, name)] - v[(b, 'floor')]
        ir = v[(b, 'ir_' + name)] / v[(a, 'ir_' + name)]
        ira = v[(a, 'ir_' + name)] - v[(a, 'ir_floor')]
        irb = v[(b, 'ir_' + name)] - v[(b, 'ir_floor')]
        extra = f"time {fb/fa:6.2f}x  Ir {irb/ira:6.2f}x" if name in ("lookup", "removal") else "(own start-up not subtracted)"
        print(f"  {label:<8} time {t:6.2f}x  Ir {ir:6.2f}x    {extra}")
EOF
