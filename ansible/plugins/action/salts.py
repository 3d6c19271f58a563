# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Runs on the controller and drives zerinctl's salt commands on the host."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible.plugins.action import ActionBase
from ansible_collections.zerin.admin.plugins.module_utils.salts import move_salts
from ansible_collections.zerin.admin.plugins.plugin_utils.host import run_on_host

OPTIONS = {
    "tool_folder": {"type": "str", "required": True},
    "direction": {"type": "str", "required": True, "choices": ["export", "import"]},
    "argument": {"type": "str", "default": "", "no_log": True},
    "salt": {"type": "str"},
    "path": {"type": "str", "required": True},
}


class ActionModule(ActionBase):
    TRANSFERS_FILES = False
    _VALID_ARGS = frozenset(OPTIONS)

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        result.update(run_on_host(self, task_vars, OPTIONS, move_salts))
        return result
