# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Where a task's logic runs. On a POSIX host, the module itself runs there
once and does all the work (module_utils/local.py): one round trip. A
Windows host runs no Python module, so there the logic runs on the
controller and each operation on the host is one of ansible.windows'
modules (win_command, win_find, ...)."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import base64
import ntpath

from ansible.module_utils.common.parameters import remove_values
from ansible.module_utils.common.text.converters import to_native, to_text
from ansible_collections.zerin.admin.plugins.module_utils.service import WindowsService
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import Failed


# Each module the host is asked through.
MODULES = {
    "command": "ansible.windows.win_command",
    "stat": "ansible.windows.win_stat",
    "find": "ansible.windows.win_find",
    "slurp": "ansible.windows.slurp",
    "file": "ansible.windows.win_file",
    "service": "ansible.windows.win_service",
}


def is_windows(action):
    """A Windows host, reached through the powershell or the cmd shell."""
    return getattr(action._connection._shell, "_IS_WINDOWS", False)


class Host:
    """Runs commands in CHDIR and looks at files on the Windows host of
    ACTION's task; what the host's module cannot do raises Failed with the
    module's msg."""

    windows = True

    def __init__(self, action, task_vars, chdir):
        self.action = action
        self.task_vars = task_vars
        self.chdir = chdir

    def module(self, name, **args):
        return self.action._execute_module(module_name=MODULES[name], module_args=args,
                                           task_vars=self.task_vars)

    def run(self, argv, stdin=None):
        """(rc, stdout) of the command, whatever its exit code."""
        args = {"argv": argv, "chdir": self.chdir}
        if stdin is not None:
            args["stdin"] = stdin
        res = self.module("command", **args)
        if "rc" not in res or (res.get("failed") and res.get("msg") != "non-zero return code"):
            raise Failed("cannot run %s: %s" % (argv[0], to_text(res.get("msg", "no exit code"))))
        return res["rc"], to_text(res.get("stdout", ""))

    def kind(self, path):
        stat = self.module("stat", path=path, get_checksum=False).get("stat", {})
        if not stat.get("exists"):
            return None
        return "folder" if stat.get("isdir") else "file"

    def checksums(self, folder):
        res = self.module("find", paths=[folder], hidden=True, get_checksum=True)
        if res.get("failed"):
            raise Failed("cannot checksum the files in %s: %s" % (folder, to_text(res.get("msg"))))
        return dict((ntpath.basename(f["path"]), f.get("checksum")) for f in res.get("files", []))

    def read(self, path):
        res = self.module("slurp", src=path)
        if res.get("failed"):
            raise Failed("cannot read %s: %s" % (path, to_text(res.get("msg"))))
        return to_text(base64.b64decode(res["content"]))

    def make_folder(self, path):
        res = self.module("file", path=path, state="directory")
        if res.get("failed"):
            raise Failed("cannot create %s: %s" % (path, to_text(res.get("msg"))))

    def service(self, name, state):
        """The service NAME as win_service reports it, brought to STATE first unless None."""
        args = {"name": name} if state is None else {"name": name, "state": state}
        res = self.module("service", **args)
        if res.get("failed"):
            raise Failed("the service %s: %s" % (name, to_text(res.get("msg"))))
        return res

    def manager(self, params, tool):
        return WindowsService(params["name"], self, tool, params)

    def active(self, names):
        # Asking each service would cost a round trip per repository.
        return [None] * len(names)

    def temp_folder(self):
        # The task's own remote folder: Ansible makes it private (umask 77)
        # and every module of the task runs from it anyway.
        return self.action._connection._shell.tmpdir or self.action._make_tmp_path()

    def remove_folder(self, path):
        # Forced: kept remote files must never include exported salts.
        self.action._remove_tmp_path(path, force=True)


def run_on_host(action, task_vars, options, work, **rules):
    """The task's result. On POSIX: the task's own module, run on the host.
    On Windows: its arguments checked against OPTIONS and RULES (as an
    argument_spec takes them), then WORK(params, host, check_mode) on the
    controller, for the tool in tool_folder, with the values of no_log
    options taken out. The logic decides what check mode may do (run -check,
    export into a temporary folder), so the modules it runs through must not
    skip."""
    if not is_windows(action):
        return action._execute_module(module_name=action._task.resolved_action or action._task.action,
                                      module_args=action._task.args, task_vars=task_vars)
    params = action.validate_argument_spec(options, **rules)[1]
    check_mode = action._task.check_mode
    action._task.check_mode = False
    try:
        result = work(params, Host(action, task_vars, params["tool_folder"]), check_mode)
    finally:
        action._task.check_mode = check_mode
    # Every option is a plain string or number: its value is what to hide.
    secrets = set(to_native(params[name]) for name, option in options.items()
                  if option.get("no_log") and params.get(name))
    if not action._task.diff:
        result.pop("diff", None)
    return remove_values(result, secrets)
