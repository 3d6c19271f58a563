"""The logic of the collection's modules (plugins/module_utils/zerinctl.py)
run against the real POSIX build and the real Windows build under Wine, on
copies of the demo installation."""

import os
import pathlib
import time
import unittest

import support
from ansible_collections.zerin.admin.plugins.module_utils import repository, salts, service, zerinctl
from support import DB_PASSWORD, PASSWORD, PIN


class Row:
    """One salts task of a table: what it is given and what it must report."""

    def __init__(self, direction, path, salt=None, argument=PIN, first=None, check=False, changed=False,
                 salts=(), fails=None, says=None, diff=None, commands=None):
        self.__dict__.update(locals())
        self.salts = list(salts)


class Statuses(unittest.TestCase):
    def test_exit_codes_as_hosts_report_them(self):
        for rc, expected in ((0, 0), (255, -1), (254, -2), (-1, -1), (-2, -2),
                             (4294967295, -1), (4294967294, -2), (1, 1)):
            self.assertEqual(zerinctl.status(rc), expected, rc)


class ServiceSteps(unittest.TestCase):
    def test_what_a_task_asks_of_the_unit(self):
        off, on, up, both = ({"enabled": e, "active": a} for e, a in
                             ((False, False), (True, False), (False, True), (True, True)))
        # want, enabled, the unit, a detached engine answers, settings rewritten: the steps.
        rows = [
            ("started", True, off, True, True, ["enable", "handover", "start"]),
            ("started", True, both, True, False, []),
            ("started", True, both, True, True, ["restart"]),
            ("started", None, on, False, False, ["start"]),
            ("started", None, off, True, False, ["tool"]),  # no unit in play: the tool as before
            ("started", False, on, False, False, ["disable", "tool"]),
            ("started", False, both, True, False, ["disable"]),  # disabled, still running under systemd
            ("restarted", None, both, True, False, ["restart"]),
            ("stopped", True, both, True, True, ["stop"]),
            ("stopped", None, on, True, False, ["tool"]),  # a detached engine beside an enabled unit
            ("stopped", None, on, False, False, []),
            ("absent", None, both, True, False, ["stop", "disable", "forget", "tool"]),
            ("absent", None, off, False, False, ["forget", "tool"]),
        ]
        for want, enabled, unit, engine, rewritten, expected in rows:
            self.assertEqual(service.steps(want, enabled, unit, engine, rewritten), expected,
                             (want, enabled, unit, engine, rewritten))

    def test_unit_names_and_settings_as_systemd_reads_them(self):
        self.assertEqual(service.unit_name("sales"), "zerinctl@sales.service")
        self.assertEqual(service.unit_name(".a b-ü"), "zerinctl@\\x2ea\\x20b\\x2d\\xc3\\xbc.service")
        params = {"name": "s", "tool_folder": "/opt/zerin", "user": "admin",
                  "service_environment": {"QUARRA_HOME": "/opt/q q", "Z": 'a"$b\\'}}
        self.assertEqual(service.settings_text(params).splitlines()[1:],
                         ["ZERINCTL_FOLDER=/opt/zerin", "ZERINCTL_USER=admin", 'QUARRA_HOME="/opt/q q"',
                          'Z="a\\"\\$b\\\\"'])
        for key, value in (("ZERINCTL_PASSWORD", "x"), ("1A", "x"), ("A", "x\ny")):
            with self.assertRaises(zerinctl.Failed):
                service.settings_text(dict(params, service_environment={key: value}))


class Flavour:
    """The tests every build runs; subclasses name the build."""

    flavour = None
    one_run = None  # seconds one run of the tool may take at most

    def setUp(self):
        self.inst = support.Installation(self.flavour)
        self.addCleanup(self.inst.remove)

    def params(self, **changes):
        params = {"name": "sales", "tool_folder": self.inst.folder, "state": "started",
                  "user": "admin", "password": PASSWORD, "debug": False, "wait": True,
                  "timeout": 30, "db_user": None, "db_password": None, "host": "localhost",
                  "port": None, "connection_file": None, "enabled": None, "service_environment": None,
                  "service_start": None}
        params.update(changes)
        return params

    def ensure(self, check_mode=False, **changes):
        return repository.ensure_repository(self.params(**changes), self.inst, check_mode)

    def tool_says(self, *args):
        return self.inst.run([zerinctl.tool_path(self.inst.folder, self.inst.windows)] + list(args))

    def assertOk(self, result, changed, running):
        self.assertFalse(result.get("failed"), result)
        self.assertEqual((result["changed"], result["running"]), (changed, running), result)
        self.assertEqual(result["port"], self.inst.port, result)

    def test_every_state_twice_and_check_mode(self):
        runs = [("started", False, True, True), ("started", False, False, True),
                ("restarted", False, True, True), ("stopped", True, True, True),
                ("stopped", False, True, False), ("stopped", False, False, False),
                ("started", True, True, False), ("restarted", False, True, True),
                ("started", True, False, True)]
        for state, check_mode, changed, running in runs:
            with self.subTest(state=state, check_mode=check_mode):
                result = self.ensure(check_mode, state=state)
                self.assertOk(result, changed, running)
                if check_mode or not changed:
                    self.assertEqual([c.split()[1] for c in result["commands"]], ["-check"])
                self.assertNotIn(PASSWORD, " ".join(result["commands"]))
        # Restarted from running: the old engine went before the new one came.
        words = [c.split()[1] for c in self.ensure(state="restarted")["commands"]]
        self.assertEqual(words[:2], ["-check", "-stop"])
        self.assertIn("-start", words)

    def test_explicit_endpoint(self):
        config = self.inst.native(self.inst.file("data/repositories/sales/vexa.ini"))
        endpoint = {"port": self.inst.port, "connection_file": config}
        result = self.ensure(**endpoint)
        self.assertOk(result, True, True)
        self.assertIn("_VEXADEFAULT_", result["commands"][1])
        # A service elsewhere is not stopped: the tool would refuse or send nothing.
        result = self.ensure(state="stopped", host="127.0.0.1", **endpoint)
        self.assertEqual(result["commands"][1:], [])
        self.assertIn("runs on 127.0.0.1, not on this machine", result["msg"])
        self.assertOk(self.ensure(state="stopped", **endpoint), True, False)
        # The tool's own words for an unreadable connection file.
        result = self.ensure(port=self.inst.port, connection_file=config + ".missing")
        self.assertTrue(result["failed"])
        self.assertIn("Failed to read connection string from file", result["msg"])

    def test_an_unknown_repository_or_tool_or_a_missing_service_manager_fails_saying_so(self):
        nowhere = {"tool_folder": self.inst.native(self.inst.file("nosuch"))}
        unknown, missing = "Cannot find repository details", "cannot run "
        for state, changes, said in (("started", {"name": "nosuch"}, unknown),
                                     ("stopped", {"name": "nosuch"}, unknown),
                                     ("restarted", {"name": "nosuch"}, unknown),
                                     ("started", nowhere, missing), ("absent", nowhere, missing),
                                     ("stopped", {"enabled": False}, "enabled needs a service manager")):
            result = self.ensure(state=state, **changes)
            self.assertTrue(result.get("failed") and not result["changed"], (state, result))
            self.assertIn(said, result["msg"])
        result = self.ensure(name="nosuch", state="absent")
        self.assertFalse(result.get("failed") or result["changed"], result)

    def test_salts_report_only_work_done_and_a_second_run_is_quiet(self):
        store, out = self.inst.file("vexa/store"), self.inst.file("backup/nightly")
        index = os.path.join(out, "vexaexportSaltIndex.txt")
        values = self.snapshot(store)

        def rotate():
            with open(os.path.join(store, "customer.salt"), "a") as f:
                f.write("rotated\n")

        def drop(*names):
            return lambda: [os.remove(os.path.join(store, n + ".salt")) for n in names]

        both, nothing = ["customer", "payroll"], []
        # Each row: what is done to the store first, the task, and what it must report.
        rows = [
            Row("export", out, check=True, changed=True, salts=both),  # the folder is still missing
            Row("export", out, changed=True, salts=both),
            Row("export", out, salts=both),
            Row("import", index),  # the store holds every salt with the same value
            Row("import", index, first=drop("payroll"), check=True, changed=True, salts=["payroll"]),
            Row("import", index, changed=True, salts=["payroll"]),
            Row("import", index, first=rotate, fails="another value for customer"),
            Row("export", out, check=True, changed=True, salts=both, diff="customer (changed)"),
            Row("import", os.path.join(out, "nosuch.txt"), fails="nosuch.txt", commands=[]),
            Row("export", out, first=drop(*both), changed=True, salts=nothing, says="named no salt"),
            Row("import", index, fails="names no salt", commands=[]),
            Row("import", os.path.join(out, "payroll.txt"), salt="payroll", changed=True, salts=["payroll"]),
            Row("import", os.path.join(out, "payroll.txt"), salt="payroll", salts=nothing),
            Row("export", self.inst.file("backup/one/payroll.txt"), salt="payroll", changed=True, salts=["payroll"]),
            Row("export", os.path.join(out, "payroll.txt"), salt="payroll", argument="wrong", fails="payroll"),
        ]
        for n, row in enumerate(rows):
            with self.subTest(row=n, direction=row.direction, check=row.check):
                if row.first:
                    row.first()
                before = self.snapshot(store), self.snapshot(out)
                params = dict(tool_folder=self.inst.folder, argument=row.argument, direction=row.direction,
                              salt=row.salt, path=self.inst.native(row.path))
                result = salts.move_salts(params, self.inst, row.check)
                self.assertEqual((result.get("failed", False), result["changed"]), (bool(row.fails), row.changed),
                                 result)
                self.assertIn(row.fails or row.says or "", result.get("msg", ""))
                if not row.fails:
                    self.assertEqual(result["salts"], row.salts)
                if row.check or row.fails:
                    self.assertEqual((self.snapshot(store), self.snapshot(out)), before)
                if row.commands is not None:
                    self.assertEqual(result["commands"], row.commands)
                self.assertIn(row.diff or "", result.get("diff", {}).get("after", ""))
                self.assertEqual(os.listdir(self.inst.host_temp), [])
                for secret in [PIN] + [v.decode().strip() for v in values.values()]:
                    self.assertNotIn(secret, repr(result))

    def snapshot(self, folder):
        if not os.path.isdir(folder):
            return None
        return dict((name, pathlib.Path(folder, name).read_bytes()) for name in os.listdir(folder))

    def test_absent_stops_removes_and_then_is_unchanged(self):
        self.assertOk(self.ensure(), True, True)
        removed = self.ensure(state="absent", db_user="dba", db_password=DB_PASSWORD)
        self.assertFalse(removed.get("failed"), removed)
        self.assertTrue(removed["changed"])
        self.assertEqual([c.split()[1] for c in removed["commands"]][:2], ["-check", "-stop"])
        self.assertNotIn(DB_PASSWORD, " ".join(removed["commands"]))
        self.assertEqual(self.tool_says("-check", "sales", "-", "-")[0] & 0xFF, 255)
        self.assertFalse(os.path.exists(self.inst.file("data/databases/sales")))
        again = self.ensure(state="absent")
        self.assertEqual((again["changed"], len(again["commands"])), (False, 1))

    # Each test breaks a copy of the installation of its own.
    def test_refused_launch_fails_at_once_with_the_tools_words(self):
        os.rmdir(self.inst.file("data/tmp"))
        began = time.monotonic()
        result = self.ensure(timeout=30)
        self.assertLess(time.monotonic() - began, 30)
        self.assertTrue(result["failed"])
        self.assertIn("[error] ", result["msg"])

    def test_timeout_names_itself_and_carries_the_output(self):
        # The engine listens where the check does not look.
        self.inst.edit("data/vexa_config.xml", 'host=""', 'host="" vexalisteninghost="127.0.0.2"')
        began = time.monotonic()
        result = self.ensure(timeout=2)
        spent = time.monotonic() - began
        self.assertTrue(result["failed"])
        self.assertGreaterEqual(spent, 2)
        # Past the deadline, at most the check under way finishes.
        self.assertLess(spent, 2 + self.one_run)
        self.assertIn("timeout of 2 s", result["msg"])
        self.assertIn("Starting Zerin service...", result["msg"])

    def test_failed_removal_says_the_entry_is_gone(self):
        del self.inst.env["QUARRA_HOME"]
        result = self.ensure(state="absent", name="archive")
        self.assertTrue(result["failed"])
        self.assertIn("no longer names archive", result["msg"])
        self.assertIn("Not Set Quarra home directory", result["msg"])


@unittest.skipUnless(support.built("native"), "no POSIX build in build/native")
class Posix(Flavour, unittest.TestCase):
    flavour = "native"
    one_run = 5


@unittest.skipUnless(support.built("mingw"), "no Windows build in build/mingw")
class WindowsUnderWine(Flavour, unittest.TestCase):
    flavour = "mingw"
    one_run = 15  # Wine starts slowly on a busy machine


if __name__ == "__main__":
    unittest.main()
