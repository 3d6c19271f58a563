#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# What the collection's salts module costs and whether a playbook is quiet
# the second time, on a copy of the demo installation (build/native
# installed) with 20 salts in its store and a second local repository:
#
#   idempotence  a playbook that exports every salt, imports them back and
#                brings both repositories to started, run twice; the
#                changed count of each run (the second must be 0)
#   import       RUNS times each, with the store emptied before every run:
#                zerin.admin.salts importing COUNT salts (it compares with
#                the store's own export first) against ansible.builtin.command
#                running `zerinctl -importsalt -all` (the plain import);
#                medians of the task's duration (Ansible's json callback)
#                and of the whole ansible-playbook run, and their ratios;
#                then zerin.admin.salts with every salt held (all skipped)
#
#   bash bench/ansible_salts.sh
#   RUNS=9 COUNT=50 bash bench/ansible_salts.sh
set -euo pipefail
export LC_ALL=C.UTF-8  # ansible refuses any other encoding

. "$(dirname "$0")/common.sh"
RUNS=${RUNS:-5}
COUNT=${COUNT:-20}

require python3 ansible-playbook ansible-galaxy cmake

work=$(mktemp -d)
demo="$work/demo"
# The tool finds the demo's relative data folder from its own folder only.
cleanup() {
  (cd "$demo" && ./zerinctl -stop sales - - && ./zerinctl -stop reports - -) >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
private_binaries "$work" zerinctl vexa >/dev/null

cmake --install "$here/build/native" --prefix "$work/prefix" >/dev/null
cp -RL "$work/prefix/share/zerinctl/demo" "$demo"
cp "$bin/zerinctl" "$demo/zerinctl"
cp "$bin/vexa" "$demo/vexa/vexa"
mkdir -p "$demo/quarra"
sales=$(free_port)
reports=$(free_port)
cp -R "$demo/data/repositories/sales" "$demo/data/repositories/reports"
sed -i -e "s/port=\"18200\"/port=\"$((sales - 1))\"/" \
  -e "s|</repositories>|  <instance name=\"reports\" port=\"$((reports - 1))\" host=\"\"/>\n</repositories>|" \
  "$demo/data/vexa_config.xml"
rm -f "$demo/vexa/store/"*.salt
for ((n = 1; n <= COUNT; ++n)); do
  printf '%032x\n' "$((n * 7919))" >"$demo/vexa/store/salt$n.salt"
done
pin=$(head -n 1 "$demo/templates/SOPIN.txt")

ansible-galaxy collection build "$here/ansible" --output-path "$work" >/dev/null
export ANSIBLE_COLLECTIONS_PATH="$work/collections" QUARRA_HOME="$demo/quarra"
ansible-galaxy collection install --offline --no-deps -p "$work/collections" "$work"/zerin-admin-*.tar.gz >/dev/null

play() {  # NAME TASK-YAML: writes and runs a one-play playbook, json to NAME.json
  printf -- '- name: %s\n  hosts: localhost\n  connection: local\n  gather_facts: false\n  tasks:\n%s\n' \
    "$1" "$2" >"$work/$1.yml"
  local began ended
  began=$(date +%s.%N)
  ANSIBLE_STDOUT_CALLBACK=json ansible-playbook -i localhost, "$work/$1.yml" </dev/null >"$work/$1.json"
  ended=$(date +%s.%N)
  echo "$1 $began $ended" >>"$work/walls.txt"
}

salts="tool_folder: \"$demo\", argument: \"$pin\""
import="zerin.admin.salts: {$salts, direction: import, path: \"$work/out/vexaexportSaltIndex.txt\"}"
tasks="    - {name: export, zerin.admin.salts: {$salts, direction: export, path: \"$work/out\"}}
    - {name: import, $import}
    - name: started
      zerin.admin.repository: {name: \"{{ item }}\", tool_folder: \"$demo\", user: admin, password: secret}
      loop: [sales, reports]"
play idempotence "$tasks"
mv "$work/idempotence.json" "$work/idempotence-1.json"
play idempotence "$tasks"

command="ansible.builtin.command: {argv: [\"$demo/zerinctl\", -importsalt, -all, \"$pin\", \"$work/out/vexaexportSaltIndex.txt\"], chdir: \"$demo\"}"
for ((r = 0; r < RUNS; ++r)); do
  for what in module plain; do
    rm -f "$demo/vexa/store/"*.salt
    if [[ $what == module ]]; then task=$import; else task=$command; fi
    play "$what-$r" "    - {name: import, $task}"
    [[ $(find "$demo/vexa/store" -name '*.salt' | wc -l) -eq $COUNT ]] || { echo "ansible_salts.sh: $what did not import every salt" >&2; exit 1; }
  done
  play "held-$r" "    - {name: import, $import}"
done

python3 - "$work" "$RUNS" "$COUNT" <<'EOF'
import json, statistics, sys
from datetime import datetime
work, runs, count = sys.argv[1], int(sys.argv[2]), sys.argv[3]
walls = dict((n, float(e) - float(b)) for n, b, e in (l.split() for l in open(work + "/walls.txt")))

def tasks(name):
    plays = json.load(open("%s/%s.json" % (work, name)))
    return plays["plays"][0]["tasks"], plays["stats"]["localhost"]

for run, name in ((1, "idempotence-1"), (2, "idempotence")):
    print("idempotence, run %d: changed=%d failed=%d" % (run, tasks(name)[1]["changed"], tasks(name)[1]["failures"]))

def seconds(task):
    d = task["task"]["duration"]
    return (datetime.fromisoformat(d["end"].rstrip("Z")) - datetime.fromisoformat(d["start"].rstrip("Z"))).total_seconds()

med = statistics.median
task_ms = dict((w, med(seconds(tasks("%s-%d" % (w, r))[0][0]) * 1e3 for r in range(runs))) for w in ("module", "plain", "held"))
wall_ms = dict((w, med(walls["%s-%d" % (w, r)] * 1e3 for r in range(runs))) for w in ("module", "plain", "held"))
print("import of %s salts into an empty store, median of %d:" % (count, runs))
print("%-40s %9s %9s" % ("", "task ms", "run ms"))
for w, label in (("module", "zerin.admin.salts (idempotent)"), ("plain", "ansible.builtin.command (plain)"),
                 ("held", "zerin.admin.salts, every salt held")):
    print("%-40s %9.0f %9.0f" % (label, task_ms[w], wall_ms[w]))
print("%-40s %9.2f %9.2f" % ("ratio idempotent / plain", task_ms["module"] / task_ms["plain"],
                              wall_ms["module"] / wall_ms["plain"]))
EOF
