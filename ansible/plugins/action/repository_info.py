# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Runs the module on POSIX hosts; on Windows hosts reads the installation's
repositories from the controller through zerinctl.exe -list -json."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

from ansible.plugins.action import ActionBase
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import INFO_OPTIONS as OPTIONS
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import list_repositories
from ansible_collections.zerin.admin.plugins.plugin_utils.host import run_on_host


class ActionModule(ActionBase):
    TRANSFERS_FILES = False
    _VALID_ARGS = frozenset(OPTIONS)

    def run(self, tmp=None, task_vars=None):
        result = super(ActionModule, self).run(tmp, task_vars)
        result.update(run_on_host(self, task_vars, OPTIONS,
                                  lambda params, host, check_mode: list_repositories(params, host)))
        return result
