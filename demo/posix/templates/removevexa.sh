#!/bin/sh
# The demo installation's stand-in for the script that removes a
# repository's database. zerinctl runs it when a delete is confirmed:
#
#   removevexa.sh REPOSITORIES-FOLDER NAME [USER PASSWORD]
#
# USER and PASSWORD come only when QUARRANODENAME is set (a database on a
# remote node). The stand-in removes the state folder databases/NAME from the
# data folder (the folder above REPOSITORIES-FOLDER); a repository without
# one has nothing to remove, which is no error.
#
# Exit status, as zerinctl reads it: 104 when QUARRA_HOME, the database's
# home folder, is not set; 0 when the database could not be removed;
# anything else (1 here) when it is gone.
set -u

if [ -z "${QUARRA_HOME:-}" ]; then
  exit 104
fi
repositories=${1:-}
name=${2:-}
case "$name" in
  "" | . | .. | */*)
    echo "removevexa: '$name' is no repository name" >&2
    exit 0 ;;
esac
if [ -n "${QUARRANODENAME:-}" ] && [ -z "${3:-}" ]; then
  echo "removevexa: node $QUARRANODENAME needs a user name and a password" >&2
  exit 0
fi

state=$(dirname -- "$repositories")/databases/$name
if ! rm -rf -- "$state"; then
  echo "removevexa: cannot remove $state" >&2
  exit 0
fi
exit 1
