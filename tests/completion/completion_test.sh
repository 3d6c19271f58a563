#!/usr/bin/env bash
# Completes command lines as bash does, with the completion file sourced,
# against the built tool in an installation of its own.
#   completion_test.sh COMPLETION-FILE ZERINCTL
set -u
completion=$1
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/tool" "$root/data"
cp "$2" "$root/tool/zerinctl"
printf 'repository_data_directory,%s\n' "$root/data" >"$root/tool/zerin.cfg"
cat >"$root/data/vexa_config.xml" <<'XML'
<config>
  <instance name="sales" port="1"/>
  <instance name="two words" port="2"/>
  <instance name="salt&apos;s" port="3"/>
  <instance name="portless"/>
</config>
XML
# shellcheck source=/dev/null
source "$completion"

failures=0
# EXPECTED WORD...: the replies, joined by "|", when the last word is completed.
completes() {
  local expected=$1 got
  shift
  COMP_WORDS=("$@")
  COMP_CWORD=$(($# - 1))
  _zerinctl
  got=$(IFS='|'; echo "${COMPREPLY[*]}")
  if [ "$got" != "$expected" ]; then
    echo "FAILED: $*: got '$got', expected '$expected'"
    failures=$((failures + 1))
  fi
}

tool=$root/tool/zerinctl
completes "-check|-stop|-start|-startdebug|-run|-delete|-importsalt|-exportsalt|-list" "$tool" -
completes "-start|-startdebug" "$tool" -sta
completes "sales|two\\ words|salt\\'s" "$tool" -check ""
completes "sales|salt\\'s" "$tool" -run sa
completes "sales|salt\\'s" "$tool" -delete sa
completes "-all" "$tool" -exportsalt ""
completes "-json|-names" "$tool" -list -
completes "" "$tool" -check sales ""
completes "" "$root/none/zerinctl" -stop ""
[ "$failures" -eq 0 ] && echo "completion: every case passed"
exit "$failures"
