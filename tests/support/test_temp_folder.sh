#!/bin/sh
# test_temp_folder.sh make|remove FOLDER: makes the folder that one build's
# tests keep their temporary folders in, before them, and removes it after
# the check for what they left behind, naming anything else still in it.
# Only a folder that this user made is used or removed: one of that name in
# /tmp that is a link or someone else's stops the run.
folder=$2
ours() { [ -d "$folder" ] && [ ! -L "$folder" ] && [ -O "$folder" ]; }
case $1 in
  make)
    ours || mkdir -m 755 "$folder" || { echo "$folder is not a folder of this user's own"; exit 1; } ;;
  remove)
    if ! ours || rmdir "$folder" 2>/dev/null; then exit 0; fi
    echo "left behind in $folder:"
    ls -A "$folder"
    rm -rf "$folder"
    exit 1 ;;
esac
