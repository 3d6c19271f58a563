# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Whether the system's service manager keeps a repository running, and what
a task does to it: systemd's unit zerinctl@NAME on POSIX hosts, the service
zerinctl-NAME (the tool's -register) on Windows hosts.

``steps`` decides; a manager (``Systemd`` here, ``WindowsService`` for the
controller's Windows branch) acts. Managers raise ``Failed`` saying why.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import os
import re

from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import FROM_STDIN, Failed, said

SETTINGS_FOLDER = "/etc/zerinctl"
# Variables the unit sets itself, or that would put the password in the
# service's environment.
RESERVED = ("ZERINCTL_FOLDER", "ZERINCTL_USER", "ZERINCTL_PASSWORD", "ZERINCTL_PASSWORD_FILE")
VARIABLE = re.compile(r"^[A-Za-z_][A-Za-z0-9_]*$")
PLAIN_VALUE = re.compile(r"^[A-Za-z0-9_./:@%+,=-]*$")
# A bound for systemctl: a start waits for the engine's first answer.
MANAGER_SLACK = 30


def steps(want, enabled, unit, engine_running, settings_changed):
    """What to do, in order, to bring a repository whose unit is UNIT
    ({'enabled', 'active'}) to WANT (a state) and ENABLED (True, False or
    None: left as it is): 'enable', 'disable', 'start', 'stop', 'restart',
    'handover' (stop the detached engine through the tool first), 'forget'
    (remove the unit's settings) and 'tool' (the state through the tool
    alone, as on a host without a service manager)."""
    if want == "absent":
        return (["stop"] if unit["active"] else []) + (["disable"] if unit["enabled"] else []) + ["forget", "tool"]
    done = []
    if enabled is True and not unit["enabled"]:
        done.append("enable")
    if enabled is False and unit["enabled"]:
        done.append("disable")
    # The unit keeps the service when it will start it at boot, or runs it now.
    if not ((unit["enabled"] if enabled is None else enabled) or unit["active"]):
        return done + ["tool"]
    handover = ["handover"] if engine_running else []
    if want == "stopped":
        return done + (["stop"] if unit["active"] else ["tool"] if engine_running else [])
    if unit["active"]:
        return done + (["restart"] if want == "restarted" or settings_changed else [])
    return done + handover + ["start"]


def unit_name(name):
    """zerinctl@NAME.service, NAME escaped as systemd-escape does, so that
    the unit's %i gives NAME back."""
    escaped = ""
    for i, byte in enumerate(bytearray(name.encode("utf-8"))):
        char = chr(byte)
        if char == "/":
            escaped += "-"
        elif (char.isalnum() and byte < 128) or char in ":_" or (char == "." and i > 0):
            escaped += char
        else:
            escaped += "\\x%02x" % byte
    return "zerinctl@%s.service" % escaped


def settings_text(params):
    """The unit's environment file: the tool's folder, the engine's user and
    service_environment, each value quoted where systemd would split it."""
    lines = ["# zerin.admin.repository: the settings of zerinctl@%s" % params["name"]]
    pairs = [("ZERINCTL_FOLDER", params["tool_folder"]), ("ZERINCTL_USER", params["user"])]
    extra = params.get("service_environment") or {}
    for key in sorted(extra):
        if not VARIABLE.match(key) or key in RESERVED:
            raise Failed("service_environment cannot set %s: %s" % (
                key, "the unit sets it" if key in RESERVED else "not a variable name"))
        pairs.append((key, "" if extra[key] is None else str(extra[key])))
    for key, value in pairs:
        if "\n" in value or "\r" in value:
            raise Failed("the value of %s holds a line end, which the unit's settings file cannot carry" % key)
        if not PLAIN_VALUE.match(value):
            value = '"%s"' % re.sub(r'(["\\$`])', r"\\\1", value)
        lines.append("%s=%s" % (key, value))
    return "\n".join(lines) + "\n"


class Systemd:
    """The unit of one repository on this host, with its files under
    /etc/zerinctl; RUN(argv) is (rc, stdout, stderr) of a command and is
    bounded in time."""

    def __init__(self, name, run, commands, timeout):
        self.name = name
        self.unit = unit_name(name)
        self.run = run
        self.commands = commands
        self.timeout = timeout
        self.failed = False
        self.conf = os.path.join(SETTINGS_FOLDER, name + ".conf")
        self.password = os.path.join(SETTINGS_FOLDER, name + ".password")

    def systemctl(self, *args):
        argv = ["systemctl"] + list(args) + ["--", self.unit]
        self.commands.append(" ".join(argv))
        rc, out, err = self.run(argv, self.timeout + MANAGER_SLACK)
        return rc, out, err

    def query(self):
        """{'enabled', 'active', 'installed'} as systemd has it now."""
        rc, out, err = self.systemctl("show", "--property=LoadState,UnitFileState,ActiveState")
        if rc != 0:
            raise Failed("systemd did not say how %s stands: %s" % (self.unit, err.strip() or out.strip()))
        props = dict(line.split("=", 1) for line in out.splitlines() if "=" in line)
        self.failed = props.get("ActiveState") == "failed"
        return {"enabled": props.get("UnitFileState") in ("enabled", "enabled-runtime"),
                "active": props.get("ActiveState") in ("active", "activating", "reloading"),
                "installed": props.get("LoadState") not in (None, "not-found")}

    def act(self, verb):
        """Runs systemctl VERB; a failure says why, with the unit's last journal lines."""
        if verb == "start" and self.failed:
            # A unit that failed must be cleared, or its start limit refuses the start.
            self.systemctl("reset-failed")
        rc, out, err = self.systemctl(verb)
        if rc == 0:
            return
        journal = self.run(["journalctl", "--no-pager", "-o", "cat", "-n", "5", "-u", self.unit], 30)[1]
        raise Failed("systemctl %s %s failed: %s; its journal ends: %s" % (
            verb, self.unit, (err or out).strip() or "exit code %d" % rc, said(journal.splitlines())))

    def write(self, params, check_mode):
        """Writes the settings and password files where their content
        differs; (changed, diffs). The password's diff says only that it changed."""
        if "/" in self.name or self.name.startswith("."):
            raise Failed("the repository name %s cannot name files in %s" % (self.name, SETTINGS_FOLDER))
        text = settings_text(params)
        old = read_file(self.conf)
        diffs = []
        if old != text:
            diffs.append({"before_header": self.conf, "after_header": self.conf, "before": old or "", "after": text})
            if not check_mode:
                write_file(self.conf, text, 0o644)
        secret = params["password"] + "\n"
        held = read_file(self.password)
        if held != secret or file_mode(self.password) != 0o600:
            diffs.append({"before_header": self.password, "after_header": self.password,
                          "before": "(no password)\n" if held is None else "(a password)\n",
                          "after": "(the password, changed)\n"})
            if not check_mode:
                write_file(self.password, secret, 0o600)
        return bool(diffs), diffs

    def forget(self, check_mode):
        """Removes both files; whether any was there."""
        there = [path for path in (self.conf, self.password) if os.path.lexists(path)]
        if not check_mode:
            for path in there:
                os.remove(path)
        return bool(there)


def read_file(path):
    try:
        with open(path, "rb") as f:
            return f.read().decode("utf-8", "replace")
    except (IOError, OSError):
        return None


def file_mode(path):
    try:
        return os.stat(path).st_mode & 0o7777
    except OSError:
        return None


def write_file(path, text, mode):
    """Replaces PATH at once, never readable by others on the way when MODE is private."""
    folder = os.path.dirname(path)
    if not os.path.isdir(folder):
        os.makedirs(folder, 0o755)
    temp = path + ".new"
    if os.path.lexists(temp):
        os.remove(temp)
    fd = os.open(temp, os.O_WRONLY | os.O_CREAT | os.O_EXCL, mode)
    try:
        os.write(fd, text.encode("utf-8"))
        os.fchmod(fd, mode)
        os.fsync(fd)
    finally:
        os.close(fd)
    os.rename(temp, path)


class WindowsService:
    """The service zerinctl-NAME through the tool's -register and -unregister,
    and the host's service module (HOST.service(name, state)) for its state."""

    def __init__(self, name, host, tool, params):
        self.unit = "zerinctl-" + name
        self.host = host
        self.tool = tool
        self.params = params
        self.registered = None

    def query(self):
        found = self.host.service(self.unit, None)
        self.registered = found.get("exists", False)
        return {"enabled": self.registered, "active": found.get("state") == "running", "installed": True}

    def write(self, params, check_mode):
        """-register, which keeps the settings and the password itself and
        says when they were unchanged; in check mode, a missing registration."""
        if params.get("service_environment"):
            raise Failed("service_environment is for systemd's unit; a Windows service runs with the "
                         "system's environment")
        if check_mode:
            return not self.registered, []
        args = ["-register", params["name"], params["user"], FROM_STDIN] + (
            [params["service_start"]] if params.get("service_start") else [])
        code, lines = self.tool(args, stdin=params["password"])
        if code != 0:
            if "Incorrect usage" in lines:
                raise Failed("this zerinctl cannot register a Windows service (-register is not one of its "
                             "commands): it needs the release with the Windows service")
            raise Failed("%s could not be registered: %s" % (self.unit, said(lines)))
        changed = not any("unchanged" in line for line in lines)
        return changed, []

    def act(self, verb):
        if verb == "disable":
            code, lines = self.tool(["-unregister", self.params["name"]])
            if code != 0:
                raise Failed("%s could not be unregistered: %s" % (self.unit, said(lines)))
        elif verb != "enable":
            self.host.service(self.unit, {"start": "started", "stop": "stopped", "restart": "restarted"}[verb])

    def forget(self, check_mode):
        return False
