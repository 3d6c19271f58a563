# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Drives zerinctl towards a state and reads what it prints.

The action plugins and the tests share this module. Whoever calls it hands
over a host whose ``windows`` says which build runs there and whose
``run(argv, stdin)`` runs one command line in the tool's folder on it and
returns ``(rc, stdout)``, or raises ``Failed`` saying why the command could
not be run at all. So the same code serves POSIX hosts, Windows hosts and
the Windows build under Wine.

A failure anywhere raises ``Failed``; the functions that return a task's
result (``list_repositories``; ``ensure_repository`` in repository.py,
``move_salts`` in salts.py) turn it into ``failed`` and ``msg``, the way a
module's ``fail_json`` does, beside what the task had done until then.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import ntpath
import posixpath
import re

# The word that makes a command take its endpoint from the command line.
EXPLICIT = "_VEXADEFAULT_"
# Check and stop read neither user nor password, but count them.
UNUSED = "-"
# In a password's place: the tool reads it from standard input, so that no
# command line on the host shows it.
FROM_STDIN = "-"
MASK = "***"
# Pause between two checks while waiting. On a POSIX host a check is a run
# of the tool beside the module (a few ms), and the engine answers within a
# few ms of -start; from the controller (Windows hosts) each check costs a
# module round trip anyway, which this pause hardly lengthens.
POLL_INTERVAL = 0.02

RUNNING = re.compile(r"^Zerin service is running on host (.*), port (\d+)$")
NOT_RUNNING = re.compile(r"^Zerin service not running on host (.*), port (\d+)$")
NOT_FOUND = "Cannot find repository details"


def status(rc):
    """The tool's own status (0, -1, -2) from the exit code a host reports.

    POSIX and Wine report -1 as 255; a Windows host reports -1 or 4294967295.
    """
    rc = int(rc)
    if rc >= 0x80000000:
        return rc - 0x100000000
    if rc in (255, 254):
        return rc - 256
    return rc


def tool_path(tool_folder, windows):
    if windows:
        return ntpath.join(tool_folder, "zerinctl.exe")
    return posixpath.join(tool_folder, "zerinctl")


def endpoint_args(params, user, password):
    """The arguments after the command word: by name, or explicit when a port is given."""
    if params.get("port") is None:
        return [params["name"], user, password]
    return [EXPLICIT, user, password, "-", params.get("host") or "localhost",
            str(params["port"]), params["connection_file"]]


def check_args(params):
    return ["-check"] + endpoint_args(params, params.get("user") or UNUSED, UNUSED)


def stop_args(params):
    return ["-stop"] + endpoint_args(params, params.get("user") or UNUSED, UNUSED)


def start_args(params):
    word = "-startdebug" if params.get("debug") else "-start"
    return [word] + endpoint_args(params, params["user"], FROM_STDIN)


def delete_args(params):
    """The command line and its standard input: the password line, when
    there are credentials, then the answer to the confirmation."""
    if params.get("db_user") is None:
        return ["-delete", params["name"]], "y"
    return ["-delete", params["name"], params["db_user"], FROM_STDIN], (params.get("db_password") or "") + "\ny"


def read_check(lines):
    """('running' | 'stopped' | 'unknown' | 'error', host, port) from -check's output."""
    for line in lines:
        for state, pattern in (("running", RUNNING), ("stopped", NOT_RUNNING)):
            found = pattern.match(line)
            if found:
                return state, found.group(1), int(found.group(2))
        if line == NOT_FOUND:
            return "unknown", None, None
    return "error", None, None


class Failed(Exception):
    """Ends a task; its text is the task's msg."""


def masked(argv, secrets):
    return " ".join(MASK if arg in secrets else arg for arg in argv)


class Tool:
    """Runs the tool and keeps what a task reports: the command lines, with
    secrets masked, and the output lines."""

    def __init__(self, run, tool, secrets):
        self.run = run
        self.tool = tool
        self.secrets = [s for s in secrets if s]
        self.commands = []
        self.lines = []
        self.status = None

    def __call__(self, args, stdin=None):
        """(status, lines) of one run."""
        argv = [self.tool] + args
        self.commands.append(masked(argv, self.secrets))
        rc, out = self.run(argv, stdin)
        lines = out.splitlines()
        self.lines.extend(lines)
        self.status = status(rc)
        return self.status, lines


def said(lines):
    return " / ".join(lines) or "(nothing)"


def unexpected(tool, lines):
    """What to say about output that none of the expected lines is in."""
    return "zerinctl printed %s, exit status %s" % (said(lines), tool.status)


def check(tool, args, result):
    """Runs a check; ('running' | 'stopped' | 'unknown' | 'error', lines)."""
    lines = tool(args)[1]
    state, host, port = read_check(lines)
    if host is not None:
        result.update(running=state == "running", host=host, port=port)
    return state, lines


def wait(tool, params, result, want, clock, sleep):
    """Checks until the service is WANT ('running' after -start or
    'stopped' after -stop); Failed when a check fails or the timeout passes."""
    word, verb = ("-start", "answered") if want == "running" else ("-stop", "stopped answering")
    deadline = clock() + params["timeout"]
    while True:
        state, lines = check(tool, check_args(params), result)
        if state == want:
            return
        if state in ("error", "unknown"):
            raise Failed("checking %s after %s failed: %s" % (params["name"], word, unexpected(tool, lines)))
        if clock() >= deadline:
            raise Failed("the service of %s has not %s within the timeout of %s s after %s; the tool said: %s" % (
                params["name"], verb, params["timeout"], word, said(tool.lines)))
        sleep(POLL_INTERVAL)


def stop(tool, params, result, wait_for_it, clock, sleep):
    code, lines = tool(stop_args(params))
    if code != 0:
        raise Failed("%s could not be stopped: %s" % (params["name"], said(lines)))
    if wait_for_it:
        wait(tool, params, result, "stopped", clock, sleep)
    else:
        check(tool, check_args(params), result)


def start(tool, params, result, clock, sleep):
    code, lines = tool(start_args(params), stdin=params["password"])
    # A refused launch still ends with 0: its "[error]" line is all there is.
    if code != 0 or any(line.startswith("[error] ") for line in lines):
        raise Failed("%s could not be started: %s" % (params["name"], said(lines)))
    if params["wait"]:
        wait(tool, params, result, "running", clock, sleep)
    else:
        check(tool, check_args(params), result)


def converge(tool, params, result, check_mode, clock, sleep):
    """Brings the service to started, stopped or restarted."""
    want = params["state"]
    state, lines = check(tool, check_args(params), result)
    if state == "unknown":
        raise Failed(said(lines))
    if state == "error":
        raise Failed(unexpected(tool, lines))
    running = state == "running"
    if (want == "started" and running) or (want == "stopped" and not running):
        return
    result["changed"] = True
    if check_mode:
        return
    if running and result["host"] != "localhost":
        # The tool sends a stop to this machine only, and for some
        # repositories silently sends none.
        raise Failed("the service of %s runs on %s, not on this machine: it cannot be stopped from here" % (
            params["name"], result["host"]))
    if running:
        # Before a restart the old engine must be gone, whatever wait says.
        stop(tool, params, result, params["wait"] or want == "restarted", clock, sleep)
        if want == "stopped":
            return
    start(tool, params, result, clock, sleep)


def remove(tool, params, result, check_mode, clock, sleep):
    """Stops a repository's local service and deletes the repository."""
    by_name = dict(params, port=None)
    state, lines = check(tool, check_args(by_name), result)
    if state == "unknown":
        return
    if state == "error":
        raise Failed(unexpected(tool, lines))
    result["changed"] = True
    if check_mode:
        return
    # Only a service on this machine can be stopped; one elsewhere stays.
    if state == "running" and result["host"] == "localhost":
        stop(tool, by_name, result, True, clock, sleep)
    args, stdin = delete_args(params)
    code, lines = tool(args, stdin=stdin)
    if code == 0:
        return
    # Whether the entry left the descriptor decides what is left to mend.
    if check(tool, check_args(by_name), result)[0] == "unknown":
        raise Failed("the descriptor no longer names %s, but removing its database failed: %s" % (
            params["name"], said(lines)))
    raise Failed("%s could not be removed: %s" % (params["name"], said(lines)))


def outcome(result, work):
    """RESULT once WORK() has run, with failed and msg when it raised Failed."""
    try:
        work()
    except Failed as failure:
        result.update(failed=True, msg=str(failure))
    return result


INFO_OPTIONS = {
    "tool_folder": {"type": "str", "required": True},
}


def list_repositories(params, host):
    """The repositories of the installation as -list -json reports them,
    each with whether the service manager runs its service now (``active``:
    HOST.active(names), None for a name it cannot say); returns the task's
    result."""
    tool = Tool(host.run, tool_path(params["tool_folder"], host.windows), [])
    result = {"changed": False, "repositories": [], "commands": tool.commands}

    def read():
        code, lines = tool(["-list", "-json"])
        try:
            repositories = json.loads("\n".join(lines)) if code == 0 else None
        except ValueError:
            repositories = None
        if not isinstance(repositories, list):
            raise Failed(unexpected(tool, lines))
        active = host.active([entry.get("name", "") for entry in repositories])
        for entry, running in zip(repositories, active):
            entry.setdefault("enabled", None)
            entry["active"] = running
        result["repositories"] = repositories

    return outcome(result, read)
