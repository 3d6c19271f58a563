# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Runs the module on POSIX hosts; on Windows hosts, which run no Python
module, drives zerinctl.exe from the controller through
ansible.windows.win_command."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible.plugins.action import ActionBase
from ansible_collections.zerin.admin.plugins.module_utils.repository import OPTIONS, RULES, ensure_repository
from ansible_collections.zerin.admin.plugins.plugin_utils.host import run_on_host


class ActionModule(ActionBase):
    TRANSFERS_FILES = False
    _VALID_ARGS = frozenset(OPTIONS)

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        result.update(run_on_host(self, task_vars, OPTIONS, ensure_repository, **RULES))
        return result
