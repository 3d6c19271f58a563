#!/bin/sh
# The demo installation's stand-in for the script that starts the database
# server. zerinctl runs it before it starts a repository's engine:
#
#   startvexa.sh REPOSITORIES-FOLDER
#
# The stand-in database keeps a state folder per repository in the data
# folder (the folder above REPOSITORIES-FOLDER): databases/NAME, whose file
# "online" says since when the server serves it.
#
# Exit status, as zerinctl reads it: 104 when QUARRA_HOME, the database's
# home folder, is not set; 0 when the server could not be started; anything
# else (1 here) when it runs.
set -u

if [ -z "${QUARRA_HOME:-}" ]; then
  exit 104
fi
if [ ! -d "$QUARRA_HOME" ]; then
  echo "startvexa: the database home $QUARRA_HOME is not a folder" >&2
  exit 0
fi
repositories=${1:-}
if [ ! -d "$repositories" ]; then
  echo "startvexa: no repositories folder '$repositories'" >&2
  exit 0
fi

databases=$(dirname -- "$repositories")/databases
for folder in "$repositories"/*/; do
  [ -d "$folder" ] || continue
  name=$(basename -- "$folder")
  if ! mkdir -p "$databases/$name" || ! date >"$databases/$name/online"; then
    echo "startvexa: cannot write the state of $name in $databases" >&2
    exit 0
  fi
done
exit 1
