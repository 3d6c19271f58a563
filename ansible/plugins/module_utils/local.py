# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""The host as a module running on it sees it: the collection's logic runs
there in one module run, with the tool, the files and the service manager
at hand, instead of asking the host one command at a time from the
controller.

``run_module`` is each POSIX module's main(). ``LocalHost`` gives the logic
what it asks of a host (see zerinctl.py, salts.py and repository.py); what
cannot be done raises ``Failed``.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import hashlib
import os
import shutil
import subprocess
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.zerin.admin.plugins.module_utils.service import Systemd, unit_name
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import Failed

# A bound on one run of the tool: a start waits for the database script,
# whose own waits the installation chooses.
TOOL_BOUND = 900


def systemd_is_init():
    """What sd_booted() looks for: systemd makes this folder only as the init."""
    return os.path.isdir("/run/systemd/system")


def run_bounded(argv, cwd=None, stdin=None, timeout=TOOL_BOUND):
    """(rc, stdout, stderr) of one command line; Failed when it cannot run or
    outlives TIMEOUT. Output goes through files, not pipes: an engine that the
    tool leaves running could hold a pipe open and keep us waiting."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        try:
            # As the command module does, a line end follows standard input.
            done = subprocess.run(argv, cwd=cwd, stdout=out, stderr=err, timeout=timeout,
                                  input=None if stdin is None else (stdin + "\n").encode("utf-8"))
        except (OSError, subprocess.SubprocessError) as error:
            raise Failed("cannot run %s: %s" % (argv[0], error))
        out.seek(0)
        err.seek(0)
        return (done.returncode, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace"))


class LocalHost:
    windows = False

    def __init__(self, chdir, timeout=60):
        self.chdir = chdir
        self.timeout = timeout

    def run(self, argv, stdin=None):
        """(rc, stdout) of the tool, run in its folder."""
        return run_bounded(argv, self.chdir, stdin)[:2]

    def manager(self, params, tool):
        if not systemd_is_init():
            return None
        return Systemd(params["name"], lambda argv, bound: run_bounded(argv, timeout=bound), tool.commands,
                       params.get("timeout") or self.timeout)

    def active(self, names):
        """Whether each repository's unit runs now: one systemctl for all."""
        if not names or not systemd_is_init():
            return [None] * len(names)
        rc, out, _ = run_bounded(["systemctl", "is-active", "--"] + [unit_name(n) for n in names], timeout=30)
        states = out.splitlines()
        if len(states) != len(names):
            return [None] * len(names)
        return [state in ("active", "activating", "reloading") for state in states]

    def kind(self, path):
        return "folder" if os.path.isdir(path) else "file" if os.path.lexists(path) else None

    def checksums(self, folder):
        if not os.path.isdir(folder):
            return {}  # as ansible.builtin.find skips a missing folder
        sums = {}
        for name in os.listdir(folder):
            path = os.path.join(folder, name)
            if os.path.isfile(path):
                with open(path, "rb") as f:
                    sums[name] = hashlib.sha1(f.read()).hexdigest()
        return sums

    def read(self, path):
        try:
            with open(path, "rb") as f:
                return f.read().decode("utf-8")
        except (IOError, OSError, ValueError) as error:
            raise Failed("cannot read %s: %s" % (path, error))

    def make_folder(self, path):
        """PATH and each missing parent, private (0700) as the file module makes them."""
        missing = []
        while path and not os.path.isdir(path):
            missing.insert(0, path)
            path = os.path.dirname(path)
        try:
            for folder in missing:
                os.mkdir(folder, 0o700)
                os.chmod(folder, 0o700)
        except OSError as error:
            raise Failed("cannot create %s: %s" % (missing[-1], error))

    def temp_folder(self):
        return tempfile.mkdtemp(prefix="zerin-")

    def remove_folder(self, path):
        shutil.rmtree(path, ignore_errors=True)


def run_module(options, work, **rules):
    """A module's main(): its arguments checked against OPTIONS and RULES,
    then WORK(params, host, check_mode) on this host, its result returned
    (diff only when asked for); AnsibleModule hides no_log values."""
    module = AnsibleModule(argument_spec=options, supports_check_mode=True, **rules)
    result = work(module.params, LocalHost(module.params["tool_folder"]), module.check_mode)
    if not module._diff:
        result.pop("diff", None)
    if result.pop("failed", False):
        module.fail_json(**result)
    module.exit_json(**result)
