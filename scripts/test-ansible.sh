#!/usr/bin/env bash
# Builds the Ansible collection zerin.admin (ansible/) into build/ansible as
# the tarball ansible-galaxy makes, installs it from that file into a
# temporary collections path without network, runs ansible-lint with the
# production profile on ansible/ and the ansible-test sanity tests that need
# no download on the installed copy, and runs its tests there: the
# modules' logic against the POSIX build and, when build/mingw has one, the
# Windows build under Wine; then real ansible-playbook runs on localhost
# against a copy of the demo installation, and one against two Debian roots
# booted with systemd (tests/support/systemd-boot.sh, or the one SYSTEMD_BOOT names), which unittest
# reports as skipped, saying why, where such hosts cannot be made (not root,
# no systemd-nspawn, no access to Debian's archive). Builds the POSIX tool
# first when build/native lacks it.
set -euo pipefail

here=$(cd "$(dirname "$0")/.." && pwd)
out="$here/build/ansible"
# Ansible refuses to run in any other encoding.
export LC_ALL=C.UTF-8
# The project's own copy of the tool that boots the systemd hosts.
export SYSTEMD_BOOT=${SYSTEMD_BOOT:-$here/tests/support/systemd-boot.sh}

if [ ! -x "$here/build/native/bin/zerinctl" ] || [ ! -x "$here/build/native/bin/vexa" ]; then
  "$here/scripts/build.sh" native zerinctl vexa
fi
rm -rf "$out"
mkdir -p "$out"
ansible-galaxy collection build "$here/ansible" --output-path "$out"

collections=$(mktemp -d)
trap 'rm -rf "$collections"' EXIT
# Ansible still finds the collections Debian's package ships (ansible.windows),
# but ansible-galaxy does not count them as installed: --no-deps, or it asks
# for the declared dependency again.
export ANSIBLE_COLLECTIONS_PATH="$collections"
ansible-galaxy collection install --offline --no-deps -p "$collections" "$out"/zerin-admin-*.tar.gz

# The collection and its playbooks against the production profile, offline
# (no galaxy downloads); it finds zerin.admin where it was just installed.
# A finding fails the stage before the tests run. Its cache goes with the
# temporary folder.
(cd "$here" && XDG_CACHE_HOME="$collections/cache" ansible-lint --offline --profile production --nocolor ansible)

# ansible-test's sanity tests, on the copy just installed, which lies where
# it wants a collection (ansible_collections/zerin/admin). These need
# nothing beyond ansible-core and Debian's packages; every other one first
# installs pinned requirements from PyPI into a virtual environment of its
# own (ansible-doc, import, pep8, pylint, runtime-metadata, validate-modules,
# yamllint; changelog and pslint too, which find nothing to check here yet), which
# this stage, without network, cannot. The virtual environment these share
# goes to the temporary HOME. Without --python, ansible-test would look for
# every Python it supports: ansible's own is the one it runs on.
sanity=(action-plugin-docs compile empty-init future-import-boilerplate ignores line-endings
        metaclass-boilerplate no-assert no-basestring no-dict-iteritems no-dict-iterkeys
        no-dict-itervalues no-get-exception no-illegal-filenames no-main-display no-smart-quotes
        no-unicode-literals replace-urlopen shebang shellcheck symlinks use-argspec-type-path
        use-compat-six)
python=$(ansible --version | sed -n 's/^ *python version = \([0-9]*\.[0-9]*\).*/\1/p')
(cd "$collections/ansible_collections/zerin/admin" &&
  HOME="$collections/home" ansible-test sanity --color no --python "$python" "${sanity[@]/#/--test=}")

cd "$here/ansible/tests"
python3 -m unittest discover -v -s . -p 'test_*.py' </dev/null
