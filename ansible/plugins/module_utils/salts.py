# -*- coding: utf-8 -*-
# Copyright: zerinctl maintainers
"""Moves salts through zerinctl and finds out what a move changed, or would
change, before the tool is trusted with it.

The tool's salt commands report a failed listing as nothing to export and a
missing index as nothing to import, and the store refuses to import a salt
it holds already. So an export reads back the index it wrote, an import
reads its index and files first and compares them with what the store
holds, exported into a private temporary folder that is removed whatever
happens. Only names and checksums travel back; no salt value does.

The caller hands over a host (see ``Host`` in plugin_utils/host.py and the
tests' ``Installation``) with ``windows`` and these operations, each on the
managed host; one that cannot be done raises ``Failed`` saying what and why:

- ``run(argv, stdin)``: ``(rc, stdout)``;
- ``kind(path)``: ``"folder"``, ``"file"`` or None when nothing is there;
- ``checksums(folder)``: ``{file name: sha1}`` for the files directly in
  FOLDER;
- ``read(path)``: the file's text;
- ``make_folder(path)``: creates it with its parents, private to the user
  on POSIX (0700);
- ``temp_folder()``: a new private folder; ``remove_folder(path)`` removes it.
"""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import ntpath
import posixpath
import re

from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import (
    Failed, Tool, outcome, said, tool_path, unexpected)

INDEX = "vexaexportSaltIndex.txt"
SALT_FAILED = re.compile(r"^(?:Export salt (.*) failed\.|Import salt (.*) failed, you can check .*)$")

OPTIONS = {
    "tool_folder": {"type": "str", "required": True},
    "direction": {"type": "str", "required": True, "choices": ["export", "import"]},
    "argument": {"type": "str", "default": "", "no_log": True},
    "salt": {"type": "str"},
    "path": {"type": "str", "required": True},
}


def failed_salts(lines):
    names = []
    for line in lines:
        found = SALT_FAILED.match(line)
        if found:
            names.append(found.group(1) or found.group(2))
    return names


def read_index(text, path, sep):
    """(name, file) of each line of an index at PATH, as the tool reads it:
    the name before the first "=", the file after it, relative to the
    index's folder; lines without "=" do not count."""
    cut = path.rfind(sep)
    if cut < 0:
        return []
    entries = []
    for line in text.splitlines():
        if "=" in line:
            name, file = line.split("=", 1)
            entries.append((name, path[:cut + 1] + file))
    return entries


def salt_diff(before, after, where):
    """Names only: a salt whose value changes shows as NAME (changed)."""
    def lines(names, mark):
        return "".join(name + (" (changed)" if mark(name) else "") + "\n" for name in sorted(names))

    changed = set(n for n in after if n in before and before[n] != after[n])
    return {"before_header": where, "after_header": where,
            "before": lines(before, lambda n: False), "after": lines(after, changed.__contains__)}


class Salts:
    """One salts task: the tool, the host and what the task reports."""

    def __init__(self, params, host, check_mode):
        self.host = host
        self.path = ntpath if host.windows else posixpath
        self.sep = "\\" if host.windows else "/"
        self.tool = Tool(host.run, tool_path(params["tool_folder"], host.windows), [params.get("argument")])
        self.argument = params.get("argument") or ""
        self.salt = params.get("salt")
        self.check_mode = check_mode
        # The tool's own lists: they grow as it runs.
        self.result = {"changed": False, "salts": [], "commands": self.tool.commands,
                       "stdout_lines": self.tool.lines}
        # The tool runs in tool_folder; the paths it receives are made whole
        # here so that the folder the index names its files from is known.
        target = self.path.join(params["tool_folder"], params["path"])
        self.target = ntpath.normpath(target) if host.windows else target

    def command(self, args, verb):
        """Runs one salt command; Failed unless every salt moved."""
        code, lines = self.tool(args)
        failed = failed_salts(lines)
        if failed:
            self.result["failed_salts"] = failed
            raise Failed("salts that failed to %s: %s" % (verb, ", ".join(failed)))
        if code != 0:
            raise Failed(unexpected(self.tool, lines))

    def exported(self, folder):
        """Exports into FOLDER (all salts, or the one salt under its file's
        name); the names exported and the checksums of FOLDER's files."""
        if self.salt:
            args = ["-exportsalt", self.argument, self.salt, self.path.join(folder, self.path.basename(self.target))]
        else:
            args = ["-exportsalt", "-all", self.argument, folder]
        self.command(args, "export")
        if self.salt:
            return [self.salt], self.host.checksums(folder)
        index = self.path.join(folder, INDEX)
        names = [name for name, _ in read_index(self.host.read(index), index, self.sep)]
        return names, self.host.checksums(folder)

    def in_temp_folder(self, work):
        """WORK(folder)'s result, in a private temporary folder on the host
        that is removed whatever happens."""
        temp = self.host.temp_folder()
        try:
            return work(temp.rstrip(self.sep) or temp)
        finally:
            self.host.remove_folder(temp)

    def export(self):
        folder = self.path.dirname(self.target) if self.salt else self.target
        kind = self.host.kind(folder)
        if kind == "file":
            raise Failed("%s is a file, not a folder" % folder)
        before = self.host.checksums(folder) if kind else {}
        if not kind:
            self.result.update(changed=True, created=folder)
            if not self.check_mode:
                self.host.make_folder(folder)
        names, after = self.in_temp_folder(self.exported) if self.check_mode else self.exported(folder)
        files = dict((name, self.path.basename(self.target) if self.salt else name + ".txt") for name in names)
        old = dict((name, before[f]) for name, f in files.items() if f in before)
        new = dict((name, after.get(f)) for name, f in files.items())
        self.result["changed"] |= old != new or (not self.salt and before.get(INDEX) != after.get(INDEX))
        self.result.update(salts=names, diff=salt_diff(old, new, folder))
        if not names:
            self.result["msg"] = "the store's listing named no salt: nothing was exported"

    def store_holds(self, names):
        """{name: sha1} of the salts among NAMES that the store holds,
        exported into a temporary folder that is removed at once."""
        def held(temp):
            lines = self.tool(["-exportsalt", "-all", self.argument, temp])[1]
            unread = sorted(set(failed_salts(lines)) & set(names))
            if unread:
                raise Failed("the store holds %s but could not export it for comparison: %s" % (
                    ", ".join(unread), said(lines)))
            sums = self.host.checksums(temp)
            return dict((n, sums[n + ".txt"]) for n in names if n + ".txt" in sums)
        return self.in_temp_folder(held)

    def entries(self):
        """The salts to import, as (name, file), each file checked on the host."""
        if self.salt:
            entries = [(self.salt, self.target)]
        else:
            entries = read_index(self.host.read(self.target), self.target, self.sep)
            if not entries:
                raise Failed("the index %s names no salt: the tool would import nothing" % self.target)
        sums = {}
        for folder in sorted(set(self.path.dirname(f) for _, f in entries)):
            for name, digest in self.host.checksums(folder).items():
                sums[self.path.join(folder, name)] = digest
        unread = [f for _, f in entries if not sums.get(f)]
        if unread:
            raise Failed("cannot read the salt file(s) %s" % ", ".join(unread))
        return [(name, file, sums[file]) for name, file in entries]

    def import_(self):
        entries = self.entries()
        held = self.store_holds([name for name, _, _ in entries])
        clash = sorted(set(name for name, _, digest in entries if held.get(name, digest) != digest))
        if clash:
            raise Failed("the store holds another value for %s and never overwrites a salt: remove it from "
                         "the store first to replace it, or import from another index" % ", ".join(clash))
        new = [(name, file) for name, file, _ in entries if name not in held]
        after = dict(held)
        after.update((name, None) for name, _ in new)
        self.result["diff"] = salt_diff(held, after, "secure store")
        self.result.update(changed=bool(new), salts=[name for name, _ in new])
        if not new or self.check_mode:
            return
        if len(new) == len(entries):
            runs = [["-importsalt", self.argument, self.salt, self.target] if self.salt
                    else ["-importsalt", "-all", self.argument, self.target]]
        else:
            runs = [["-importsalt", self.argument, name, file] for name, file in new]
        for args in runs:
            self.command(args, "import")


def move_salts(params, host, check_mode=False):
    """Exports or imports salts; returns the task's result."""
    task = Salts(params, host, check_mode)
    return outcome(task.result, task.export if params["direction"] == "export" else task.import_)
