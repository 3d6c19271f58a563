# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""One repository brought to a state, with or without the system's service
manager: the task's arguments and the logic that zerin.admin.repository
runs, on the host itself for POSIX hosts (one module run per task) and from
the controller for Windows hosts.

The host (see plugin_utils/host.py, module_utils/local.py and the tests'
Installation) gives ``windows``, ``run(argv, stdin)`` and ``manager(params,
tool)``: the repository's unit or service (module_utils/service.py), or None
where the host has no service manager the collection knows.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import time

from ansible_collections.zerin.admin.plugins.module_utils.service import steps
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import (
    Failed, Tool, check, check_args, converge, outcome, remove, stop, tool_path, unexpected)

OPTIONS = {
    "name": {"type": "str", "required": True},
    "tool_folder": {"type": "str", "required": True},
    "state": {"type": "str", "default": "started", "choices": ["started", "stopped", "restarted", "absent"]},
    "enabled": {"type": "bool"},
    "service_environment": {"type": "dict"},
    "service_start": {"type": "str", "choices": ["auto", "delayed", "demand"]},
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
# The engine's credentials go to -start and to the unit's files; the remote
# database's password goes to -delete only after its user name. A unit runs
# its repository by name, never by an explicit endpoint.
RULES = {
    "required_together": [["port", "connection_file"]],
    "required_if": [["state", "started", ["user", "password"]], ["state", "restarted", ["user", "password"]],
                    ["enabled", True, ["user", "password"]]],
    "required_by": {"db_password": "db_user", "service_environment": "enabled", "service_start": "enabled"},
    "mutually_exclusive": [["enabled", "port"]],
}
NO_MANAGER = ("enabled needs a service manager: systemd as the host's init (this host has no "
              "/run/systemd/system) or Windows' Service Control Manager")


def ensure_repository(params, host, check_mode=False, clock=time.monotonic, sleep=time.sleep):
    """Brings one repository to params['state'] (and params['enabled']) on
    HOST; returns the task's result."""
    tool = Tool(host.run, tool_path(params["tool_folder"], host.windows),
                [params.get("password"), params.get("db_password")])
    # The tool's own lists: they grow as it runs.
    result = {"changed": False, "running": False, "host": None, "port": None, "enabled": None, "active": None,
              "commands": tool.commands, "stdout_lines": tool.lines}

    def work():
        manager = host.manager(params, tool)
        if manager is None:
            if params.get("enabled") is not None:
                raise Failed(NO_MANAGER)
            step = remove if params["state"] == "absent" else converge
            return step(tool, params, result, check_mode, clock, sleep)
        return managed(manager, tool, params, result, check_mode, clock, sleep)

    return outcome(result, work)


def managed(manager, tool, params, result, check_mode, clock, sleep):
    """The state and the registration, where a service manager can keep the service."""
    want, enabled = params["state"], params.get("enabled")
    if want == "absent" and enabled:
        raise Failed("state absent removes the registration of %s; it cannot also be enabled" % params["name"])
    unit = manager.query()
    result.update(unit=manager.unit, enabled=unit["enabled"], active=unit["active"])
    if enabled and not unit["installed"]:
        raise Failed("%s cannot be enabled: the template unit zerinctl@.service is not installed on this host "
                     "(the Debian package and cmake --install put it in lib/systemd/system)" % manager.unit)
    running = False
    if want != "absent":
        # A repository the descriptor lacks gets no unit settings either.
        state, lines = check(tool, check_args(params), result)
        if state in ("unknown", "error"):
            raise Failed(unexpected(tool, lines) if state == "error" else " / ".join(lines))
        running = state == "running"
    rewritten, diffs = manager.write(params, check_mode) if enabled else (False, [])
    todo = steps(want, enabled, unit, running, rewritten)
    result["changed"] = rewritten or any(step not in ("tool", "forget") for step in todo)
    for step in todo:
        if step == "tool":
            (remove if want == "absent" else converge)(tool, params, result, check_mode, clock, sleep)
        elif step == "forget":
            result["changed"] = manager.forget(check_mode) or result["changed"]
        elif not check_mode:
            if step == "handover":
                # The unit's -run refuses a service that already answers.
                stop(tool, params, result, True, clock, sleep)
            else:
                manager.act(step)
    after = unit_after(unit, want, enabled, todo)
    result["diff"] = [{"before_header": manager.unit, "after_header": manager.unit,
                       "before": "enabled: %(enabled)s\nactive: %(active)s\n" % unit,
                       "after": "enabled: %(enabled)s\nactive: %(active)s\n" % after}] + diffs
    if not check_mode:
        result.update(enabled=after["enabled"], active=after["active"])
        if "start" in todo or "restart" in todo:
            check(tool, check_args(params), result)


def unit_after(unit, want, enabled, todo):
    """The unit's enabled and active states once TODO is done."""
    return {"enabled": unit["enabled"] and want != "absent" if enabled is None else enabled,
            "active": "start" in todo if "start" in todo or "stop" in todo else unit["active"]}
