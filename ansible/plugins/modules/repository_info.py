#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
# The work is done by the action plugin of the same name on the controller;
# this file documents it.

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
  - Runs as an action plugin that calls M(ansible.builtin.command) on POSIX
    hosts and M(ansible.windows.win_command) on Windows hosts.
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
  sample: [{"name": "sales", "host": "localhost", "port": 18201, "database": "local", "running": false}]
commands:
  description: The command line the task ran.
  returned: always
  type: list
  elements: str
  sample: ["/opt/zerin/zerinctl -list -json"]
"""
