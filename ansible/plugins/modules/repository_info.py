#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
# On POSIX hosts this module runs on the host and does all of a task's work
# there; on Windows hosts the action plugin of the same name does it.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: repository_info
short_description: Lists the repositories of a Zerin installation and whether their services run
description:
  - Runs C(zerinctl -list -json) in I(tool_folder) and returns each
    repository the installation's descriptor names, with the endpoint of its
    service and whether that service answered, on POSIX and Windows hosts
    alike. Changes nothing.
  - Fails with the tool's output when the tool cannot read its settings or
    the descriptor.
  - Says for each repository whether the system's service manager keeps its
    service (I(enabled), from C(-list -json)) and, on systemd hosts, whether
    its unit C(zerinctl@NAME) runs now (I(active)), asked of systemd once for
    all of them.
  - On POSIX hosts the module runs on the host, one run per task. On Windows
    hosts, which run no Python module, its action plugin calls
    M(ansible.windows.win_command) from the controller.
version_added: 1.0.0
author: zerinctl maintainers
extends_documentation_fragment:
  - ansible.builtin.action_common_attributes
  - zerin.admin.zerinctl
attributes:
  check_mode:
    support: full
    details:
      - Reads only, so it runs in check mode as without it.
  diff_mode:
    support: N/A
    details:
      - Reads only.
options: {}
seealso:
  - module: zerin.admin.repository
"""

EXAMPLES = r"""
- name: The repositories and their services
  zerin.admin.repository_info:
    tool_folder: /opt/zerin
  register: info

- name: Every local repository runs
  zerin.admin.repository:
    name: "{{ item.name }}"
    tool_folder: /opt/zerin
    user: admin
    password: "{{ vexa_password }}"
  loop: "{{ info.repositories | selectattr('database', 'equalto', 'local') }}"
  loop_control:
    label: "{{ item.name }}"
"""

RETURN = r"""
repositories:
  description: One entry for each repository of the descriptor, in its order.
  returned: success
  type: list
  elements: dict
  contains:
    name:
      description: The repository's name.
      type: str
    host:
      description: The host of its service.
      type: str
    port:
      description: The port of its service.
      type: int
    database:
      description: C(local), or the host of its database.
      type: str
    running:
      description: Whether the service answered a PING.
      type: bool
    enabled:
      description:
        - Whether a registration keeps the service. On systemd hosts, the unit
          C(zerinctl@NAME) is enabled; on Windows hosts, the service C(zerinctl-NAME)
          is registered. Null where the host has no service manager the tool knows.
      type: bool
    start:
      description: The Windows service's start type (C(auto), C(delayed), C(demand), C(disabled)); null elsewhere.
      type: str
    active:
      description:
        - Whether the unit C(zerinctl@NAME) runs the service now (it is active,
          or restarting it); null where systemd is not the init, and on Windows hosts.
      type: bool
  sample: [{"name": "sales", "host": "localhost", "port": 18201, "database": "local", "running": true,
            "enabled": true, "start": null, "active": true}]
commands:
  description: The command line the task ran.
  returned: always
  type: list
  elements: str
  sample: ["/opt/zerin/zerinctl -list -json"]
"""

from ansible_collections.zerin.admin.plugins.module_utils.local import run_module  # noqa: E402
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import INFO_OPTIONS, list_repositories  # noqa: E402


def main():
    run_module(INFO_OPTIONS, lambda params, host, check_mode: list_repositories(params, host))


if __name__ == "__main__":
    main()
