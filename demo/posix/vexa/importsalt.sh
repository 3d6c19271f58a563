#!/bin/sh
# The demo installation's stand-in for the script that imports a salt into
# the secure store. zerinctl runs it once for each salt it imports:
#
#   importsalt.sh VEXA-FOLDER SOPIN VEXA-INI VALID-SOPIN NAME FILE PIN
#
# The store is the folder "store" in VEXA-FOLDER, one file NAME.salt per
# salt, holding the salt's value: FILE's content. SOPIN, VEXA-INI and
# VALID-SOPIN are the installation's template files; PIN, the script
# argument given to zerinctl, must equal the first line of SOPIN. A salt that
# the store holds already is never replaced.
#
# Exit status: 0 imported; 1 wrong arguments or a template missing; 2 wrong
# PIN; 3 the store holds a salt of that name; 4 FILE unreadable or the store
# not writable.
set -u

if [ "$#" -ne 7 ]; then
  echo "usage: importsalt.sh VEXA-FOLDER SOPIN VEXA-INI VALID-SOPIN NAME FILE PIN" >&2
  exit 1
fi
vexa=$1 sopin=$2 ini=$3 valid=$4 name=$5 file=$6 pin=$7
for template in "$sopin" "$ini" "$valid"; do
  if [ ! -f "$template" ]; then
    echo "importsalt: no template file $template" >&2
    exit 1
  fi
done
case "$name" in
  "" | .* | */*)
    echo "importsalt: '$name' is no salt name" >&2
    exit 1 ;;
esac
expected=""
IFS= read -r expected <"$sopin" || true
if [ "$pin" != "$expected" ]; then
  echo "importsalt: wrong PIN for the secure store" >&2
  exit 2
fi

salt=$vexa/store/$name.salt
if [ -e "$salt" ]; then
  echo "importsalt: the secure store holds a salt named $name already" >&2
  exit 3
fi
if [ ! -f "$file" ] || [ ! -r "$file" ]; then
  echo "importsalt: cannot read $file" >&2
  exit 4
fi
# No clobbering: an import that races another one for the same name fails.
if ! mkdir -p "$vexa/store" || ! (set -C && cat -- "$file" >"$salt"); then
  echo "importsalt: cannot write $salt" >&2
  exit 4
fi
exit 0
