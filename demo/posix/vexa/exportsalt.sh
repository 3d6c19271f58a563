#!/bin/sh
# The demo installation's stand-in for the script that exports a salt from
# the secure store. zerinctl runs it once for each salt it exports:
#
#   exportsalt.sh VEXA-FOLDER SOPIN VEXA-INI NAME FILE PIN
#
# (zerinctl passes an empty argument after VEXA-INI, which the shell drops.)
# The store is the folder "store" in VEXA-FOLDER, one file NAME.salt per
# salt; the export writes the salt's value to FILE, replacing it. SOPIN and
# VEXA-INI are the installation's template files; PIN, the script argument
# given to zerinctl, must equal the first line of SOPIN.
#
# Exit status: 0 exported; 1 wrong arguments or a template missing; 2 wrong
# PIN; 3 no salt of that name in the store; 4 FILE not writable.
set -u

if [ "$#" -ne 6 ]; then
  echo "usage: exportsalt.sh VEXA-FOLDER SOPIN VEXA-INI NAME FILE PIN" >&2
  exit 1
fi
vexa=$1 sopin=$2 ini=$3 name=$4 file=$5 pin=$6
for template in "$sopin" "$ini"; do
  if [ ! -f "$template" ]; then
    echo "exportsalt: no template file $template" >&2
    exit 1
  fi
done
expected=""
IFS= read -r expected <"$sopin" || true
if [ "$pin" != "$expected" ]; then
  echo "exportsalt: wrong PIN for the secure store" >&2
  exit 2
fi

salt=$vexa/store/$name.salt
case "$name" in
  "" | .* | */*) salt="" ;;
esac
if [ -z "$salt" ] || [ ! -f "$salt" ]; then
  echo "exportsalt: the secure store holds no salt named '$name'" >&2
  exit 3
fi
if ! cat -- "$salt" >"$file"; then
  echo "exportsalt: cannot write $file" >&2
  exit 4
fi
exit 0
