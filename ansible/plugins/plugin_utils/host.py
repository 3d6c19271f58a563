# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""What the action plugins need from the managed host: whether it is a
Windows host, and modules that run the tool and checksum files there."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible.module_utils.common.text.converters import to_text


def is_windows(action):
    """A Windows host, reached through the powershell or the cmd shell."""
    return getattr(action._connection._shell, "_IS_WINDOWS", False)


def runner(action, task_vars, chdir):
    """run(argv, stdin) -> (rc, stdout) or (None, reason), in CHDIR on the host."""
    windows = is_windows(action)
    module = "ansible.windows.win_command" if windows else "ansible.builtin.command"

    def run(argv, stdin):
        args = {"argv": argv, "chdir": chdir}
        if stdin is not None:
            args["stdin"] = stdin
        res = action._execute_module(module_name=module, module_args=args, task_vars=task_vars)
        if "rc" not in res or (res.get("failed") and res.get("msg") != "non-zero return code"):
            return None, to_text(res.get("msg", "no exit code"))
        return res["rc"], to_text(res.get("stdout", ""))

    return run


def fingerprinter(action, task_vars):
    """fingerprint(path, folder) -> {path: sha1} of the file PATH, or of the
    files directly in the folder PATH, on the host."""
    windows = is_windows(action)

    def fingerprint(path, folder):
        if folder:
            module = "ansible.windows.win_find" if windows else "ansible.builtin.find"
            res = action._execute_module(module_name=module, task_vars=task_vars,
                                         module_args={"paths": [path], "get_checksum": True})
            return dict((f["path"], f.get("checksum")) for f in res.get("files", []))
        module = "ansible.windows.win_stat" if windows else "ansible.builtin.stat"
        res = action._execute_module(module_name=module, task_vars=task_vars,
                                     module_args={"path": path, "get_checksum": True})
        stat = res.get("stat", {})
        return {path: stat.get("checksum")} if stat.get("exists") else {}

    return fingerprint
