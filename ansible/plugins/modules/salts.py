#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
# On POSIX hosts this module runs on the host and does all of a task's work
# there; on Windows hosts the action plugin of the same name does it.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: salts
short_description: Exports or imports the salts of a Zerin installation's secure store
description:
  - Runs C(zerinctl -exportsalt) or C(-importsalt) in I(tool_folder) for one
    salt (I(salt)) or for all of them, on POSIX and Windows hosts alike, and
    reports only what happened.
  - An export creates a missing folder first (with its parents; mode C(0700)
    on POSIX hosts, since exported salts are secrets). It is changed only when
    the folder was created or the files it wrote differ from those there
    before (compared by checksum on the host). After an export of all salts,
    I(salts) holds the names the index names; when the store's listing gave
    none, the task still succeeds with I(salts) empty and says so in I(msg).
  - An import first reads the index (or the salt file) and checks every salt
    file it names; a missing or unreadable one, or an index that names no
    salt, fails the task before the tool runs. It then exports the store's
    salts into a private temporary folder on the host and compares them, by
    checksum, with the files to import. A salt the store holds with the same
    value is skipped; one it lacks is imported; one it holds with another
    value fails the task, naming it, and nothing is imported (the store never
    overwrites a salt). The task is unchanged when every salt was skipped.
  - The temporary folder is private to the user the task runs as and is
    removed whatever happens. No salt value reaches the task's result, since
    only names and checksums are compared.
  - A salt the tool reports as failed fails the task, which names every salt
    that failed.
  - On POSIX hosts the module runs on the host and does all the work in one
    run. On Windows hosts, which run no Python module, its action plugin
    calls M(ansible.windows.win_command), M(ansible.windows.win_find),
    M(ansible.windows.win_stat), M(ansible.windows.slurp) and
    M(ansible.windows.win_file) from the controller.
version_added: 0.1.0
author: zerinctl maintainers
extends_documentation_fragment:
  - ansible.builtin.action_common_attributes
  - zerin.admin.zerinctl
attributes:
  check_mode:
    support: full
    details:
      - An export writes into a temporary folder instead and compares; an
        import compares and stops before importing. The temporary folder is
        the only thing written, and it is removed.
  diff_mode:
    support: full
    details:
      - Names only, one a line; a salt whose value changes shows as C(NAME (changed)). Never a value.
options:
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
        the index C(vexaexportSaltIndex.txt); for C(import) that index file,
        whose lines C(NAME=FILE) name each salt's file relative to the
        index's folder.
      - A relative path counts from I(tool_folder).
    type: str
    required: true
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

- name: Import them on another machine; the salts it holds already are skipped
  zerin.admin.salts:
    tool_folder: C:\Zerin
    direction: import
    argument: "{{ store_pin }}"
    path: C:\Backups\salts\vexaexportSaltIndex.txt

- name: A nightly backup that exported nothing fails the play
  zerin.admin.salts:
    tool_folder: /opt/zerin
    direction: export
    argument: "{{ store_pin }}"
    path: /var/backups/zerin-salts
  register: backup
  failed_when: backup.failed or backup.salts | length == 0

- name: Export one salt
  zerin.admin.salts:
    tool_folder: /opt/zerin
    direction: export
    argument: "{{ store_pin }}"
    salt: payroll
    path: /var/backups/payroll.txt
"""

RETURN = r"""
salts:
  description:
    - After an export, the salts exported (for all salts, the names the index now holds).
    - After an import, the salts imported; in check mode, those that would be.
  returned: success
  type: list
  elements: str
  sample: ["customer", "payroll"]
created:
  description: The folder the export created (in check mode, would create).
  returned: when a folder was missing
  type: str
  sample: /var/backups/zerin-salts
commands:
  description: Each command line the task ran, the argument as C(***).
  returned: always
  type: list
  elements: str
  sample: ["/opt/zerin/zerinctl -exportsalt -all *** /var/backups/zerin-salts"]
stdout_lines:
  description: The tool's output lines of all those commands, in order.
  returned: always
  type: list
  elements: str
  sample: ["Export salt finished."]
failed_salts:
  description: The salts the tool reported as failed.
  returned: when a salt failed
  type: list
  elements: str
  sample: ["payroll"]
"""

from ansible_collections.zerin.admin.plugins.module_utils.local import run_module  # noqa: E402
from ansible_collections.zerin.admin.plugins.module_utils.salts import OPTIONS, move_salts  # noqa: E402


def main():
    run_module(OPTIONS, move_salts)


if __name__ == "__main__":
    main()
