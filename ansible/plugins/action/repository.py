# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Runs on the controller and drives zerinctl on the host through
ansible.builtin.command, or ansible.windows.win_command on Windows hosts."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible.plugins.action import ActionBase
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import ensure_repository
from ansible_collections.zerin.admin.plugins.plugin_utils.host import run_on_host

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
# The engine's credentials go to -start; the remote database's password
# goes to -delete only after its user name.
RULES = {
    "required_together": [["port", "connection_file"]],
    "required_if": [["state", "started", ["user", "password"]], ["state", "restarted", ["user", "password"]]],
    "required_by": {"db_password": "db_user"},
}


class ActionModule(ActionBase):
    TRANSFERS_FILES = False
    _VALID_ARGS = frozenset(OPTIONS)

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        result.update(run_on_host(self, task_vars, OPTIONS, ensure_repository, **RULES))
        return result
