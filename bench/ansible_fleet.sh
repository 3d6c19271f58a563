#!/usr/bin/env bash
# shellcheck source-path=SCRIPTDIR
# What the collection zerin.admin costs across a fleet, against the same
# playbook written with ansible.builtin.command tasks running the tool.
#
# HOSTS hosts (connection: local, each with an installation of its own laid
# out as bench/layout.sh does, one local repository r1 on a port of its
# own), FORKS forks, five tasks each:
#
#   collection                          commands
#   repository started (from stopped)   zerinctl -start r1 u -   (password on stdin)
#   repository_info                     zerinctl -list -json
#   repository started (unchanged)      zerinctl -check r1 u p
#   repository stopped                  zerinctl -stop r1 u p
#   repository stopped (unchanged)      zerinctl -check r1 u p
#
# RUNS runs of each playbook, alternating, so that both meet the same load;
# prints each run's wall time, the medians and their ratio.
#
#   bash bench/ansible_fleet.sh
#   HOSTS=10 FORKS=5 RUNS=3 bash bench/ansible_fleet.sh
set -euo pipefail
export LC_ALL=C.UTF-8  # ansible refuses any other encoding

. "$(dirname "$0")/common.sh"
. "$(dirname "$0")/layout.sh"
HOSTS=${HOSTS:-40}
FORKS=${FORKS:-20}
RUNS=${RUNS:-3}

require python3 ansible-playbook ansible-galaxy

work=$(mktemp -d)
cleanup() {
  local dir
  for dir in "$work"/hosts/*/; do
    [[ -x "$dir/zerinctl" ]] && "$dir/zerinctl" -stop r1 u p >/dev/null 2>&1
  done
  rm -rf "$work"
}
trap cleanup EXIT

private_binaries "$work" zerinctl vexa >/dev/null
: >"$work/inventory"
for ((n = 1; n <= HOSTS; ++n)); do
  dir="$work/hosts/h$n"
  lay_out_installation "$dir" "$bin"
  lay_out_r1 "$dir" "$(free_port)"
  echo "h$n ansible_connection=local ansible_python_interpreter=$(command -v python3) folder=$dir" >>"$work/inventory"
done

ansible-galaxy collection build "$here/ansible" --output-path "$work" >/dev/null
export ANSIBLE_COLLECTIONS_PATH="$work/collections"
ansible-galaxy collection install --offline --no-deps -p "$work/collections" "$work"/zerin-admin-*.tar.gz >/dev/null

cat >"$work/collection.yml" <<'EOT'
- hosts: all
  gather_facts: false
  module_defaults:
    zerin.admin.repository: {name: r1, tool_folder: "{{ folder }}", user: u, password: p}
  tasks:
    - zerin.admin.repository: {}
    - zerin.admin.repository_info: {tool_folder: "{{ folder }}"}
    - zerin.admin.repository: {}
    - zerin.admin.repository: {state: stopped}
    - zerin.admin.repository: {state: stopped}
EOT
cat >"$work/commands.yml" <<'EOT'
- hosts: all
  gather_facts: false
  tasks:
    - ansible.builtin.command: {argv: ["{{ folder }}/zerinctl", -start, r1, u, "-"], chdir: "{{ folder }}", stdin: p}
    - ansible.builtin.command: {argv: ["{{ folder }}/zerinctl", -list, -json], chdir: "{{ folder }}"}
    - ansible.builtin.command: {argv: ["{{ folder }}/zerinctl", -check, r1, u, p], chdir: "{{ folder }}"}
    - ansible.builtin.command: {argv: ["{{ folder }}/zerinctl", -stop, r1, u, p], chdir: "{{ folder }}"}
    - ansible.builtin.command: {argv: ["{{ folder }}/zerinctl", -check, r1, u, p], chdir: "{{ folder }}"}
      failed_when: false
EOT

# The wall time of one run, in seconds; a failed task fails the measurement.
timed() {
  local start end
  start=$(date +%s%N)
  ansible-playbook -i "$work/inventory" -f "$FORKS" "$work/$1.yml" </dev/null >"$work/$1.out" ||
    { tail -30 "$work/$1.out" >&2; exit 1; }
  end=$(date +%s%N)
  [[ -z "${PROFILE:-}" ]] || tail -8 "$work/$1.out" >&2
  awk -v ns=$((end - start)) 'BEGIN { printf "%.2f", ns / 1e9 }'
}

echo "$HOSTS hosts, $FORKS forks, 5 tasks each, $RUNS runs of each playbook"
for ((r = 1; r <= RUNS; ++r)); do
  echo "collection $(timed collection) commands $(timed commands)"
done | tee "$work/times"
python3 - "$work/times" <<'EOT'
import statistics, sys
rows = [line.split() for line in open(sys.argv[1])]
collection = statistics.median(float(r[1]) for r in rows)
commands = statistics.median(float(r[3]) for r in rows)
print("median: collection %.1f s, commands %.1f s, ratio %.2f" % (collection, commands, collection / commands))
EOT
