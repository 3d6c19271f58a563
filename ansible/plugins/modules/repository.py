#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
# The work is done by the action plugin of the same name on the controller;
# this file documents it.

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
  - Runs as an action plugin that calls M(ansible.builtin.command) on POSIX
    hosts and M(ansible.windows.win_command) on Windows hosts.
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
    support: none
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
stdout_lines:
  description: The tool's output lines of all those commands, in order.
  returned: always
  type: list
  elements: str
  sample: ["Zerin service not running on host localhost, port 18201", "Starting Quarra server..."]
"""
