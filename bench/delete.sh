#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# What `zerinctl -delete` costs on a large descriptor: the LAST of COUNT
# instances (default 10,000) is removed, answering y on standard input, with
# a removevexa.sh that exits 1 (a success to the tool). Compared in the same
# run, on the same file, with
#
#   xmlstarlet ed -L -d '//instance[@name="repoCOUNT"]' FILE   (in place)
#
# and, for reference, with the removal script alone as the tool runs it
# (`/bin/sh -c '.../removevexa.sh "REPOS" repoCOUNT'`), which the delete
# pays and xmlstarlet does not.
#
#   bash bench/delete.sh
#   RUNS=40 COUNT=1000 bash bench/delete.sh
#
# Wall time: a loop of RUNS rounds; each round runs every command once, in an
# order that rotates from round to round, and copies the original descriptor
# back before each command (not timed). Medians are reported. Instructions:
# callgrind, one run each, of the measured process alone (the tool's script
# children run outside valgrind). Before timing, both results are checked to
# hold every instance but the removed one.
set -euo pipefail
export LC_ALL=C

. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/layout.sh"
RUNS=${RUNS:-20}
COUNT=${COUNT:-10000}
CALLGRIND=${CALLGRIND:-1}

require python3 xmlstarlet valgrind

work=$(mktemp -d "${WORKDIR:-${TMPDIR:-/tmp}}/delete-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
private_binaries "$work" zerinctl

install="$work/install"
lay_out_installation "$install" "$bin"
descriptor="$install/data/vexa_config.xml"
original="$work/original.xml"
generate_descriptor "$COUNT" "$original"
victim="repo$COUNT"
printf 'y\n' >"$work/yes"
script_line="$install/templates/removevexa.sh \"$install/data/repositories\" $victim"

# Both must remove exactly the victim.
instance_names "$original" | grep -vx "$victim" >"$work/names.expected"
cp "$original" "$descriptor"
"$install/zerinctl" -delete "$victim" <"$work/yes" >"$work/delete.out" ||
  { echo "delete.sh: -delete failed:" >&2; cat "$work/delete.out" >&2; exit 1; }
instance_names "$descriptor" | cmp -s - "$work/names.expected" ||
  { echo "delete.sh: -delete left the wrong instances" >&2; exit 1; }
cp "$original" "$descriptor"
xmlstarlet ed -L -d "//instance[@name=\"$victim\"]" "$descriptor"
instance_names "$descriptor" | cmp -s - "$work/names.expected" ||
  { echo "delete.sh: xmlstarlet left the wrong instances" >&2; exit 1; }

python3 - "$RUNS" "$original" "$descriptor" "$work/yes" "$work/times.tsv" \
  "$install/zerinctl" "$victim" "$script_line" <<'EOF'
import shutil, subprocess, sys, time
runs, original, descriptor, yes, out, tool, victim, script_line = sys.argv[1:9]
commands = {
    "delete": [tool, "-delete", victim],
    "xmlstarlet": ["xmlstarlet", "ed", "-L", "-d", f'//instance[@name="{victim}"]', descriptor],
    "script": ["/bin/sh", "-c", script_line],
}
names = list(commands)
with open(out, "w") as log:
    for r in range(-2, int(runs)):  # two rounds of warm-up
        for k in range(len(names)):
            name = names[(k + r) % len(names)]
            shutil.copyfile(original, descriptor)
            with open(yes, "rb") as answer:
                start = time.perf_counter()
                done = subprocess.run(commands[name], stdin=answer, stdout=subprocess.DEVNULL,
                                      stderr=subprocess.DEVNULL)
                elapsed = time.perf_counter() - start
            expected = 1 if name == "script" else 0
            if done.returncode != expected:
                sys.exit(f"delete.sh: {name} exited {done.returncode}")
            if r >= 0:
                log.write(f"{name}\t{elapsed}\n")
EOF

ir_tool="-" ir_xml="-"
if [[ "$CALLGRIND" == 1 ]]; then
  # The script children run outside valgrind and leave no file of their own.
  cp "$original" "$descriptor"
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.tool" \
    "$install/zerinctl" -delete "$victim" <"$work/yes" >/dev/null 2>&1 || true
  ir_tool=$(awk '/^summary:/ {print $2}' "$work/cg.tool")
  cp "$original" "$descriptor"
  valgrind --tool=callgrind --callgrind-out-file="$work/cg.xml" \
    xmlstarlet ed -L -d "//instance[@name=\"$victim\"]" "$descriptor" >/dev/null 2>&1 || true
  ir_xml=$(awk '/^summary:/ {print $2}' "$work/cg.xml")
fi

python3 - "$work/times.tsv" "$COUNT" "$(stat -c %s "$original")" "$ir_tool" "$ir_xml" <<'EOF'
import statistics, sys
times = {}
for line in open(sys.argv[1]):
    name, value = line.split("\t")
    times.setdefault(name, []).append(float(value) * 1e3)
count, size, ir_tool, ir_xml = sys.argv[2], int(sys.argv[3]), sys.argv[4], sys.argv[5]
med = {n: statistics.median(t) for n, t in times.items()}
ir = {"delete": ir_tool, "xmlstarlet": ir_xml, "script": "-"}
print(f"descriptor: {int(count):,} instances, {size:,} bytes; the last one removed")
print(f"{'command':<34}{'runs':>5}{'median ms':>11}{'min ms':>9}{'max ms':>9}{'Ir':>16}")
labels = {"delete": "zerinctl -delete (answer y)", "xmlstarlet": "xmlstarlet ed -L -d",
          "script": "removal script alone (ref.)"}
for n in ["delete", "xmlstarlet", "script"]:
    t = times[n]
    i = f"{int(ir[n]):,}" if ir[n].isdigit() else "-"
    print(f"{labels[n]:<34}{len(t):>5}{med[n]:>11.2f}{min(t):>9.2f}{max(t):>9.2f}{i:>16}")
print(f"delete / xmlstarlet: time {med['delete'] / med['xmlstarlet']:.2f}x (aim <= 4)", end="")
if ir_tool.isdigit() and ir_xml.isdigit():
    print(f", Ir {int(ir_tool) / int(ir_xml):.2f}x", end="")
print(f"; without the script's median: {(med['delete'] - med['script']) / med['xmlstarlet']:.2f}x")
EOF
