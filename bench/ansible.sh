#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# What the Ansible collection zerin.admin costs, on an installation laid out
# like bench/start_check.sh's (bench/layout.sh, one local repository r1), in
# ansible-playbook runs against localhost (connection: local):
#
#   overhead  TASKS tasks `zerin.admin.repository` with state started on the
#             running repository against TASKS `ansible.builtin.command`
#             tasks running `zerinctl -check r1 u p`, alternating in one
#             playbook; median duration per task of each and their ratio
#   start     RUNS times: a task with state stopped, then one with state
#             started, whose duration (from the stopped repository until
#             the task returns, the engine answering) is measured; compare
#             with bench/start_check.sh
#
# Durations are those of Ansible's json callback (task start to end).
#
#   bash bench/ansible.sh
#   TASKS=40 RUNS=20 bash bench/ansible.sh
set -euo pipefail
export LC_ALL=C.UTF-8  # ansible refuses any other encoding

. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/layout.sh"
TASKS=${TASKS:-20}
RUNS=${RUNS:-10}

require python3 ansible-playbook ansible-galaxy

work=$(mktemp -d)
cleanup() {
  "$work/install/zerinctl" -stop r1 u p >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
lay_out_r1_installation "$work"

ansible-galaxy collection build "$here/ansible" --output-path "$work" >/dev/null
export ANSIBLE_COLLECTIONS_PATH="$work/collections"
ansible-galaxy collection install --offline --no-deps -p "$work/collections" "$work"/zerin-admin-*.tar.gz >/dev/null

# One playbook: the repository started, then the overhead tasks, then the
# stop-and-start pairs.
{
  cat <<EOT
- hosts: localhost
  connection: local
  gather_facts: false
  module_defaults:
    zerin.admin.repository: {name: r1, tool_folder: "$install", user: u, password: p}
  tasks:
    - name: setup
      zerin.admin.repository: {}
EOT
  for ((n = 0; n < TASKS; ++n)); do
    cat <<EOT
    - name: module
      zerin.admin.repository: {}
    - name: command
      ansible.builtin.command: {argv: ["$install/zerinctl", -check, r1, u, p], chdir: "$install"}
      changed_when: false
EOT
  done
  for ((n = 0; n < RUNS; ++n)); do
    cat <<EOT
    - name: stop
      zerin.admin.repository: {state: stopped}
    - name: start
      zerin.admin.repository: {}
EOT
  done
} >"$work/bench.yml"

ANSIBLE_STDOUT_CALLBACK=json ansible-playbook -i localhost, "$work/bench.yml" </dev/null >"$work/out.json"

python3 - "$work/out.json" "$TASKS" "$RUNS" <<'EOT'
import json, statistics, sys
from datetime import datetime
plays = json.load(open(sys.argv[1]))["plays"]
spent = {}
checks = []
for task in plays[0]["tasks"]:
    d = task["task"]["duration"]
    seconds = (datetime.fromisoformat(d["end"].rstrip("Z")) - datetime.fromisoformat(d["start"].rstrip("Z"))).total_seconds()
    result = task["hosts"]["localhost"]
    if result.get("failed"):
        sys.exit("bench: task %s failed: %s" % (task["task"]["name"], result.get("msg")))
    spent.setdefault(task["task"]["name"], []).append(seconds * 1000)
    if task["task"]["name"] == "start":
        checks.append(sum(" -check " in c for c in result["commands"]))
med = statistics.median
module, command, start = spent["module"], spent["command"], spent["start"]
print(f"overhead, {sys.argv[2]} tasks each, running repository:")
print(f"  zerin.admin.repository started   median {med(module):7.1f} ms (min {min(module):.1f}, max {max(module):.1f})")
print(f"  ansible.builtin.command -check   median {med(command):7.1f} ms (min {min(command):.1f}, max {max(command):.1f})")
print(f"  ratio                            {med(module) / med(command):.2f}")
print(f"start from stopped to task return, {sys.argv[3]} runs:")
print(f"  zerin.admin.repository started   median {med(start):7.1f} ms (min {min(start):.1f}, max {max(start):.1f})")
print(f"  -check runs per task             median {med(checks):g} (min {min(checks)}, max {max(checks)}), the first before -start")
EOT
