#!/bin/sh
# The demo installation's stand-in for the script that lists the salts of
# the secure store. zerinctl runs it before it exports all salts:
#
#   listsalt.sh VEXA-FOLDER SOPIN VEXA-INI LIST-FILE
#
# The store is the folder "store" in VEXA-FOLDER, one file NAME.salt per
# salt; LIST-FILE receives one salt name a line, in the order of the names.
# SOPIN and VEXA-INI are the installation's template files.
#
# Exit status: 0 listed; 1 wrong arguments or a template missing; 4
# LIST-FILE not writable.
set -u

if [ "$#" -ne 4 ]; then
  echo "usage: listsalt.sh VEXA-FOLDER SOPIN VEXA-INI LIST-FILE" >&2
  exit 1
fi
vexa=$1 sopin=$2 ini=$3 list=$4
for template in "$sopin" "$ini"; do
  if [ ! -f "$template" ]; then
    echo "listsalt: no template file $template" >&2
    exit 1
  fi
done

# The glob sorts the names; an empty store gives an empty list.
if ! for salt in "$vexa"/store/*.salt; do
       if [ -f "$salt" ]; then basename -- "$salt" .salt; fi
     done >"$list"; then
  echo "listsalt: cannot write $list" >&2
  exit 4
fi
exit 0
