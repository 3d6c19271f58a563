#!/usr/bin/env bash
# systemd-boot.sh: boot a Debian 12 root with systemd as its PID 1 in a
# container (systemd-nspawn -b), run commands inside it while it runs, and
# shut it down; the root stays, so a second boot sees what the first left.
#
# usage: systemd-boot.sh make ROOT            debootstrap ROOT with systemd (cached base)
#        systemd-boot.sh boot ROOT            boot it in the background; waits for the boot
#        systemd-boot.sh exec ROOT CMD...     run CMD inside the running container
#        systemd-boot.sh pid ROOT             the container's PID 1 as the host sees it
#        systemd-boot.sh halt ROOT            power it off and wait for the container's end
#
# Needs: root, debootstrap, systemd-container (systemd-nspawn), nsenter. The
# first make runs debootstrap (a few minutes) and caches the base in $BASE
# (SYSTEMD_BOOT_BASE, else /tmp/systemd-boot-base.tar).
# Ansible reaches a booted root through the community.docker.nsenter
# connection, with ansible_nsenter_pid set to what `pid ROOT` prints.
# The host needs no systemd: the container runs with --register=no --keep-unit;
# it has a network of its own (loopback alone), so its ports never meet the host's.
set -euo pipefail

BASE=${SYSTEMD_BOOT_BASE:-/tmp/systemd-boot-base.tar}
# The Debian mirror: MIRROR, else the first URIs line of the host's apt sources.
MIRROR=${MIRROR:-$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null)}
die() { echo "systemd-boot: $*" >&2; exit 2; }
[ "$#" -ge 2 ] || die "usage: $0 make|boot|exec|pid|halt ROOT [CMD...]"
verb=$1 root=$(realpath -m "$2"); shift 2
state="$root.boot"

leader() {
  # The container's PID 1 is the one child of the nspawn process.
  local nspawn; nspawn=$(cat "$state/pid" 2>/dev/null) || return 1
  pgrep -P "$nspawn" | head -1
}

case "$verb" in
  make)
    [ -e "$root" ] && die "$root exists"
    [ -n "$MIRROR" ] || die "no mirror: set MIRROR or add a deb822 source file"
    if [ ! -f "$BASE" ]; then
      tmp=$(mktemp -d)
      debootstrap --variant=minbase --include=systemd,systemd-sysv,dbus,ca-certificates,procps,python3 \
        bookworm "$tmp/r" "$MIRROR" >"$tmp/log" 2>&1 || { tail -20 "$tmp/log"; rm -rf "$tmp"; die "debootstrap failed"; }
      echo zerin-host >"$tmp/r/etc/hostname"
      printf '127.0.0.1\tlocalhost\n127.0.1.1\tzerin-host\n::1\tlocalhost ip6-localhost ip6-loopback\n' >"$tmp/r/etc/hosts"
      tar -C "$tmp/r" -cf "$BASE" . && rm -rf "$tmp"
    fi
    mkdir -p "$root" && tar -C "$root" -xf "$BASE"
    ;;
  boot)
    [ -d "$root/etc/systemd" ] || die "$root is not a root made by make"
    mkdir -p "$state"; : >"$state/console"
    setsid systemd-nspawn -D "$root" --register=no --keep-unit --private-network -q -b \
      </dev/null >"$state/console" 2>&1 & echo $! >"$state/pid"
    for _ in $(seq 300); do
      l=$(leader || true)
      if [ -n "$l" ]; then
        s=$(nsenter -t "$l" -a systemctl is-system-running 2>/dev/null || true)
        case "$s" in running|degraded) echo "booted ($s), PID 1 of the container is $l on the host"; exit 0 ;; esac
      fi
      sleep 0.2
    done
    die "no boot within 60 s; console: $(tail -5 "$state/console")"
    ;;
  pid)
    l=$(leader || true); [ -n "$l" ] || die "not running"; echo "$l"
    ;;
  exec)
    l=$(leader) || die "not running"
    [ -n "$l" ] || die "not running"
    exec nsenter -t "$l" -a "$@"
    ;;
  halt)
    l=$(leader || true); pid=$(cat "$state/pid" 2>/dev/null || true)
    if [ -n "$l" ]; then nsenter -t "$l" -a systemctl poweroff >/dev/null 2>&1 || true; fi
    for _ in $(seq 150); do
      if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then rm -f "$state/pid"; echo halted; exit 0; fi
      sleep 0.2
    done
    kill "$pid" 2>/dev/null || true
    die "no halt within 30 s; sent SIGTERM to nspawn $pid"
    ;;
  *) die "unknown verb $verb" ;;
esac
