# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Runs on the controller and drives zerinctl on the host through
ansible.builtin.command, or ansible.windows.win_command on Windows hosts."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible.module_utils.common.parameters import remove_values
from ansible.plugins.action import ActionBase
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import ensure_repository
from ansible_collections.zerin.admin.plugins.plugin_utils.host import is_windows, runner

OPTIONS = {
    "name": {"type": "str", "required": True},
    "tool_folder": {"type": "str", "required": True},
    "state": {"type": "str", "default": "started", "choices": ["started", "stopped", "restarted", "absent"]},
    "user": {"type": "str"},
    "password": {"type": "str", "no_log": True},
    "debug": {"type": "bool", "default": False},
    "wait": {"type": "bool", "default": True},
    "timeout": {"type": "int", "default": 60},
    "db_user": {"type": "str"},
    "db_password": {"type": "str", "no_log": True},
    "host": {"type": "str", "default": "localhost"},
    "port": {"type": "int"},
    "connection_file": {"type": "str"},
}


class ActionModule(ActionBase):
    TRANSFERS_FILES = False
    _VALID_ARGS = frozenset(OPTIONS)

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        validation, params = self.validate_argument_spec(
            OPTIONS, required_together=[["port", "connection_file"]])
        check_mode = self._task.check_mode
        # In check mode only -check runs, which changes nothing: the command
        # modules must run it rather than skip it.
        self._task.check_mode = False
        try:
            run = runner(self, task_vars, params["tool_folder"])
            result.update(ensure_repository(params, run, is_windows(self), check_mode))
        finally:
            self._task.check_mode = check_mode
        return remove_values(result, validation._no_log_values)
