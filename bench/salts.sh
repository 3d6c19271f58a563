#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# What the tool adds to a run over many salts, where the scripts do the work:
#
#   import: zerinctl -importsalt -all ARG INDEX   (COUNT salts in the index)
#   export: zerinctl -exportsalt -all ARG FOLDER  (listsalt.sh names COUNT salts)
#
# each against a plain shell loop that runs the same scripts with the same
# arguments through `/bin/sh -c`, one at a time, as the tool does (the export
# loop also reads the list, removes it and writes the index). importsalt.sh
# and exportsalt.sh only exit 0, so what is timed is process starts and the
# tool's own work around them.
#
#   bash bench/salts.sh
#   RUNS=9 COUNT=500 ZERINCTL_BIN=build/x/bin bash bench/salts.sh
#
# Wall time: hyperfine -N, RUNS rounds that each time tool and loop once, in
# an order that alternates; medians. The checks before timing warm both up.
set -euo pipefail
export LC_ALL=C

. "$(dirname "$0")/common.sh"
RUNS=${RUNS:-5}
COUNT=${COUNT:-200}

require hyperfine python3

work=$(mktemp -d "${WORKDIR:-${TMPDIR:-/tmp}}/salts-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
private_binaries "$work" zerinctl

# The installation: the tool, its vexa folder with the three salt scripts,
# and the templates' folder (the templates need not exist).
inst="$work/inst"
mkdir -p "$inst/vexa" "$inst/templates" "$work/in" "$work/out" "$work/loop-out"
cp "$bin/zerinctl" "$inst/zerinctl"
printf '#!/bin/sh\nexit 0\n' >"$inst/vexa/importsalt.sh"
printf '#!/bin/sh\nexit 0\n' >"$inst/vexa/exportsalt.sh"
cat >"$inst/vexa/listsalt.sh" <<EOF
#!/bin/sh
i=1
while [ \$i -le $COUNT ]; do echo "salt\$i"; i=\$((i + 1)); done >"\$4"
EOF
chmod +x "$inst/vexa/"*.sh

index="$work/in/vexaexportSaltIndex.txt"
for ((n = 1; n <= COUNT; ++n)); do echo "salt$n=salt$n.txt"; done >"$index"

v="$inst/vexa"
store="$v $inst/templates/SOPIN.txt $inst/templates/vexa.ini"

# The loops, as the tool runs each script: two blanks after the script, the
# export's empty fourth argument, the salt search path in front of PATH.
cat >"$work/import-loop.sh" <<EOF
#!/bin/sh
PATH="$v:$v/../../../../bin:$v/../../../..:\$PATH"
while IFS='=' read -r name file; do
  /bin/sh -c "$v/importsalt.sh  $store $inst/templates/Valid-SOPIN.txt \$name $work/in/\$file X"
done <"$index"
EOF
cat >"$work/export-loop.sh" <<EOF
#!/bin/sh
PATH="$v:$v/../../../../bin:$v/../../../..:\$PATH"
out="$work/loop-out"
/bin/sh -c "$v/listsalt.sh  $store \$out/saltListFile.txt"
: >"\$out/vexaexportSaltIndex.txt"
while read -r name; do
  /bin/sh -c "$v/exportsalt.sh  $store  \$name \$out/\$name.txt X" &&
    echo "\$name=\$name.txt" >>"\$out/vexaexportSaltIndex.txt"
done <"\$out/saltListFile.txt"
rm -f "\$out/saltListFile.txt"
EOF

# Both sides must have done the whole job before anything is timed.
"$inst/zerinctl" -exportsalt -all X "$work/out" >"$work/export.out"
sh "$work/export-loop.sh"
if ! cmp -s "$work/out/vexaexportSaltIndex.txt" "$work/loop-out/vexaexportSaltIndex.txt" ||
  [[ $(wc -l <"$work/out/vexaexportSaltIndex.txt") -ne $COUNT ]]; then
  echo "salts.sh: the export and its loop disagree" >&2
  exit 1
fi
"$inst/zerinctl" -importsalt -all X "$index" | cmp -s - <(echo "Import salt finished.") ||
  { echo "salts.sh: the import failed" >&2; exit 1; }

# RUNS rounds; each times every command once, the tool first in odd rounds
# and the loop first in even ones, so that a slow spell of a shared machine
# hits both sides alike.
for ((r = 0; r < RUNS; ++r)); do
  for what in import export; do
    if [[ $what == import ]]; then
      tool="$inst/zerinctl -importsalt -all X $index"
    else
      tool="$inst/zerinctl -exportsalt -all X $work/out"
    fi
    pair=(-n tool "$tool" -n loop "sh $work/$what-loop.sh")
    ((r % 2)) && pair=("${pair[@]:2}" "${pair[@]:0:2}")
    hyperfine -N --style none --runs 1 --export-json "$work/$what.$r.json" "${pair[@]}" >/dev/null
  done
done

python3 - "$work" "$COUNT" "$RUNS" <<'EOF'
import json, statistics, sys
work, count, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
print(f"{count} salts, median of {runs} runs")
print(f"{'':<8}{'tool ms':>10}{'loop ms':>10}{'tool/loop':>11}")
for what in ("import", "export"):
    times = {}
    for r in range(runs):
        for result in json.load(open(f"{work}/{what}.{r}.json"))["results"]:
            times.setdefault(result["command"], []).extend(result["times"])
    med = {name: statistics.median(t) * 1e3 for name, t in times.items()}
    print(f"{what:<8}{med['tool']:>10.1f}{med['loop']:>10.1f}{med['tool'] / med['loop']:>10.3f}x")
EOF
