#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
# On POSIX hosts this module runs on the host and does all of a task's work
# there; on Windows hosts the action plugin of the same name does it.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
---
module: repository
short_description: Brings one repository of a Zerin installation to a state
description:
  - Starts, stops, restarts or removes one repository through C(zerinctl) in
    I(tool_folder), on POSIX hosts (C(zerinctl)) and Windows hosts
    (C(zerinctl.exe)) alike.
  - The engine starts detached and C(zerinctl -start) returns at once, so the
    module runs C(-check) until the service answers (or, for a stop, no
    longer answers) or I(timeout) passes.
  - The tool runs in I(tool_folder), so a relative data folder in its
    settings file counts from there. Set the database scripts' environment
    (for instance C(QUARRA_HOME)) with the task's C(environment) keyword.
  - A start whose launch the host refuses (the tool's C([error]) line) fails
    at once, without waiting for I(timeout).
  - I(password) and I(db_password) reach the tool on its standard input (the
    tool's password argument C(-)), so no command line on the host shows
    them. The tool reads C(ZERINCTL_PASSWORD_FILE) and C(ZERINCTL_PASSWORD)
    before its standard input, so the task's environment must not set them.
  - With I(enabled), the system's service manager keeps the service. On
    systemd hosts the unit C(zerinctl@NAME) (the template that the package
    installs), on Windows hosts the service C(zerinctl-NAME) that the tool's
    C(-register) makes. Once the unit is enabled or runs, I(state) works
    through it; otherwise through the tool as above.
  - On POSIX hosts the module runs on the host and does all of a task's
    checks and work in one run. On Windows hosts, which run no Python module,
    its action plugin calls M(ansible.windows.win_command) and
    M(ansible.windows.win_service) from the controller.
version_added: 0.1.0
author: zerinctl maintainers
extends_documentation_fragment:
  - ansible.builtin.action_common_attributes
  - zerin.admin.zerinctl
attributes:
  check_mode:
    support: full
    details:
      - Runs C(-check) only and reports whether the task would change anything.
  diff_mode:
    support: full
    details:
      - Shows the unit's enabled and active states before and after, the
        unit's settings file, and for the password file only that it changed.
      - The detached service of a task without a service manager has no diff.
options:
  name:
    description: The repository's name in the installation's descriptor.
    type: str
    required: true
  state:
    description:
      - C(started) starts the service unless C(-check) finds it running.
      - C(stopped) stops it unless C(-check) finds it not running.
      - C(restarted) stops it when it runs, waits until it is gone, then starts it.
      - C(absent) removes the repository from the descriptor, and its database
        through the installation's removal script, answering C(y) to the
        confirmation; a service that runs on this machine is stopped first.
        Unchanged when the descriptor no longer names the repository.
    type: str
    choices: [started, stopped, restarted, absent]
    default: started
  enabled:
    description:
      - Whether the system's service manager keeps the service running, at
        boot and after a crash. Omitted, the registration is left as it is.
      - On systemd hosts C(true) writes C(/etc/zerinctl/NAME.conf) (I(tool_folder),
        I(user) and I(service_environment)) and C(/etc/zerinctl/NAME.password)
        (mode 0600), each only when its content differs, and enables
        C(zerinctl@NAME). With I(state=started) the unit then runs the
        service; a detached engine that answers is stopped through the tool
        first, so that the unit's start does not find it. A changed setting
        or password restarts a running unit. C(false) disables the unit.
      - With the unit enabled or running, I(state=stopped) stops the unit and
        I(state=absent) stops and disables it and removes both files before
        the repository is removed.
      - On Windows hosts C(true) runs C(zerinctl -register NAME USER -) with
        the password on standard input, and C(false) C(zerinctl -unregister NAME).
      - Fails on hosts with neither systemd as the init nor Windows.
      - Needs I(user) and I(password) when C(true); works by name, not with I(port).
    type: bool
    version_added: 1.1.0
  service_environment:
    description:
      - Variables for the installation's scripts when the unit starts the
        service (systemd hands a service a clean environment), for instance
        C(QUARRA_HOME). Written into C(/etc/zerinctl/NAME.conf); needs I(enabled).
      - The task's C(environment) keyword reaches only what the task runs itself.
    type: dict
    version_added: 1.1.0
  service_start:
    description:
      - Windows hosts, with I(enabled); the service's start type (automatic, delayed automatic, manual).
      - Omitted, the tool's default, automatic.
    type: str
    choices: [auto, delayed, demand]
    version_added: 1.1.0
  user:
    description:
      - The engine's user name, which C(-start) hands to the engine.
      - Required for C(started) and C(restarted) (with I(password)); check and stop take none.
    type: str
  password:
    description:
      - The engine's password, which C(-start) hands to the engine.
      - Required for C(started) and C(restarted); shown as C(***) in C(commands).
    type: str
  debug:
    description: Start with C(-startdebug) (on Windows, with the script's and engine's windows shown).
    type: bool
    default: false
  wait:
    description:
      - Wait until the service answers after a start, or no longer answers
        after a stop. Without it the task checks once and reports what it found.
      - A restart always waits for the old service to go before it starts the new one.
    type: bool
    default: true
  timeout:
    description: Seconds to wait for each start or stop; past it the task fails with the tool's output.
    type: int
    default: 60
  db_user:
    description: The remote database's user name, handed to C(-delete) for C(absent).
    type: str
  db_password:
    description: The remote database's password, handed to C(-delete) for C(absent); needs I(db_user).
    type: str
  port:
    description:
      - With I(connection_file), the service's port for the explicit forms of
        check, start and stop, which do not read the descriptor. I(name) still
        names the repository in messages, and C(absent) still works by name.
    type: int
  host:
    description: The service's host for the explicit forms; only C(localhost) can be stopped.
    type: str
    default: localhost
  connection_file:
    description: The repository's engine configuration file for the explicit forms.
    type: str
seealso:
  - module: zerin.admin.repository_info
  - module: zerin.admin.salts
"""

EXAMPLES = r"""
- name: The repository sales runs
  zerin.admin.repository:
    name: sales
    tool_folder: /opt/zerin
    user: admin
    password: "{{ vexa_password }}"
  environment:
    QUARRA_HOME: /opt/quarra

- name: Stopped, waiting at most 30 seconds
  zerin.admin.repository:
    name: sales
    tool_folder: /opt/zerin
    state: stopped
    timeout: 30

- name: A service given by its endpoint, on a Windows host
  zerin.admin.repository:
    name: reports
    tool_folder: C:\Zerin
    host: localhost
    port: 18401
    connection_file: C:\Zerin\data\repositories\reports\vexa.ini
    user: admin
    password: "{{ vexa_password }}"

- name: Kept running by systemd, across crashes and reboots
  zerin.admin.repository:
    name: sales
    tool_folder: /opt/zerin
    user: admin
    password: "{{ vexa_password }}"
    enabled: true
    service_environment:
      QUARRA_HOME: /opt/quarra

- name: Removed, with the remote database's credentials
  zerin.admin.repository:
    name: archive
    tool_folder: /opt/zerin
    state: absent
    db_user: dba
    db_password: "{{ db_password }}"
"""

RETURN = r"""
running:
  description: Whether the service answered the last C(-check) of the task.
  returned: always
  type: bool
  sample: true
host:
  description: The host the service is checked on, as the tool names it; null when no check named one.
  returned: always
  type: str
  sample: localhost
port:
  description: The port the service is checked on; null when no check named one.
  returned: always
  type: int
  sample: 18201
commands:
  description: Each command line the task ran, in order, passwords as C(***).
  returned: always
  type: list
  elements: str
  sample: ["/opt/zerin/zerinctl -check sales admin -", "/opt/zerin/zerinctl -start sales admin ***"]
unit:
  description: The unit (C(zerinctl@NAME.service)) or Windows service (C(zerinctl-NAME)) asked; absent without one.
  returned: where the host has a service manager
  type: str
  sample: zerinctl@sales.service
enabled:
  description:
    - Whether the unit is enabled (the Windows service registered) after the task.
    - Null without a service manager.
  returned: always
  type: bool
  sample: true
active:
  description: Whether the unit (the Windows service) runs the service after the task; null without a service manager.
  returned: always
  type: bool
  sample: true
stdout_lines:
  description: The tool's output lines of all those commands, in order.
  returned: always
  type: list
  elements: str
  sample: ["Zerin service not running on host localhost, port 18201", "Starting Quarra server..."]
"""

from ansible_collections.zerin.admin.plugins.module_utils.local import run_module  # noqa: E402
from ansible_collections.zerin.admin.plugins.module_utils.repository import OPTIONS, RULES, ensure_repository  # noqa: E402


def main():
    run_module(OPTIONS, ensure_repository, **RULES)


if __name__ == "__main__":
    main()
