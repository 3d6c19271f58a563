#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
# The work is done by the action plugin of the same name on the controller;
# this file documents it.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: salts
short_description: Exports or imports the salts of a Zerin installation's secure store
description:
  - Runs C(zerinctl -exportsalt) or C(-importsalt) in I(tool_folder) for one
    salt (I(salt)) or for all of them, on POSIX and Windows hosts alike.
  - An export is changed only when the files it wrote differ from those that
    were there before (compared by checksum on the host).
  - An import is changed whenever it runs, since the secure store cannot be
    asked what it holds and so an import that changed nothing cannot be told.
  - A salt that fails fails the task, which names every salt that failed.
  - Runs as an action plugin that calls M(ansible.builtin.command) on POSIX
    hosts and M(ansible.windows.win_command) on Windows hosts.
version_added: 0.1.0
author: zerinctl maintainers
options:
  tool_folder:
    description: The installation folder that holds C(zerinctl) (C(zerinctl.exe) on Windows).
    type: str
    required: true
  direction:
    description: C(export) writes salts from the store into files, C(import) puts them into the store.
    type: str
    choices: [export, import]
    required: true
  argument:
    description:
      - The argument the installation's salt scripts receive, for instance the store's PIN.
      - Shown as C(***) in C(commands).
    type: str
    default: ""
  salt:
    description: One salt's name; without it, all salts.
    type: str
  path:
    description:
      - With I(salt), the salt's file.
      - Without it, for C(export) the folder that receives a file per salt and
        the index C(vexaexportSaltIndex.txt) (it must exist); for C(import)
        that index file.
      - A relative path counts from I(tool_folder).
    type: str
    required: true
notes:
  - Check mode is not supported; the task is skipped.
seealso:
  - module: zerin.admin.repository
"""

EXAMPLES = r"""
- name: Export every salt
  zerin.admin.salts:
    tool_folder: /opt/zerin
    direction: export
    argument: "{{ store_pin }}"
    path: /var/backups/zerin-salts

- name: Import them on another machine
  zerin.admin.salts:
    tool_folder: C:\Zerin
    direction: import
    argument: "{{ store_pin }}"
    path: C:\Backups\salts\vexaexportSaltIndex.txt

- name: Export one salt
  zerin.admin.salts:
    tool_folder: /opt/zerin
    direction: export
    argument: "{{ store_pin }}"
    salt: payroll
    path: /var/backups/payroll.txt
"""

RETURN = r"""
commands:
  description: The command line the task ran, the argument as C(***).
  returned: always
  type: list
  elements: str
  sample: ["/opt/zerin/zerinctl -exportsalt -all *** /var/backups/zerin-salts"]
stdout_lines:
  description: The tool's output lines.
  returned: always
  type: list
  elements: str
  sample: ["Export salt finished."]
failed_salts:
  description: The salts that failed.
  returned: when a salt failed
  type: list
  elements: str
  sample: ["payroll"]
"""

from ansible.module_utils.basic import AnsibleModule


def main():
    module = AnsibleModule(argument_spec={}, bypass_checks=True)
    module.fail_json(msg="zerin.admin.salts runs as an action plugin; this module is never run itself")


if __name__ == "__main__":
    main()
