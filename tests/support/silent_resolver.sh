#!/bin/sh
# Runs a command where the only name server is 127.53.0.1, which the caller
# holds silent on port 53 (time-out 1 s, one attempt), and where every name
# that /etc/hosts lacks goes to it: the files lie in FOLDER and are mounted
# over /etc in a private mount namespace, which nothing else on the machine
# sees. It takes root and unshare.
#   sh silent_resolver.sh FOLDER COMMAND [ARGUMENT...]
set -e
folder=$1
shift
printf 'nameserver 127.53.0.1\noptions timeout:1 attempts:1\n' >"$folder/resolv.conf"
printf 'hosts: files dns\n' >"$folder/nsswitch.conf"
# shellcheck disable=SC2016 # the inner shell expands them
exec unshare --mount --propagation private /bin/sh -c '
  mount --bind "$0/resolv.conf" /etc/resolv.conf &&
  mount --bind "$0/nsswitch.conf" /etc/nsswitch.conf &&
  exec "$@"' "$folder" "$@"
