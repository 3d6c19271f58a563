"""zerin.admin.repository with enabled, against two Debian 12 roots booted
with systemd as their PID 1 (tests/support/systemd-boot.sh), reached through
the community.docker.nsenter connection, with the POSIX build and its demo
installation copied in."""

import json
import os
import re
import shutil
import subprocess
import tempfile
import time
import unittest

import support
from support import PASSWORD

# scripts/test-ansible.sh names the project's own copy.
SYSTEMD_BOOT = os.environ.get("SYSTEMD_BOOT", "systemd-boot")
PLAYBOOK = os.path.join(support.HERE, "playbooks", "service.yml")
NEW_PASSWORD = "pw-Rt62nVxQ"
ENVIRONMENT = {"QUARRA_HOME": "/opt/quarra"}
HOSTS = ("host1", "host2")


def unavailable():
    """Why no host can be made here, or None."""
    if os.geteuid() != 0:
        return "not root"
    for program in ("systemd-nspawn", "nsenter", "debootstrap"):
        if not shutil.which(program):
            return "no %s" % program
    if not shutil.which(SYSTEMD_BOOT):
        return "no systemd-boot at %s (set SYSTEMD_BOOT)" % SYSTEMD_BOOT
    if not support.built("native"):
        return "no POSIX build in build/native"
    return None


class SystemdHosts(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        reason = unavailable()
        if reason:
            raise unittest.SkipTest("no booted hosts: " + reason)
        cls.temp = tempfile.mkdtemp(prefix="zerin-hosts-")
        cls.roots = dict((name, os.path.join(cls.temp, name)) for name in HOSTS)
        cls.processes = support.ProcessList()
        try:
            cls.lay_out()
        except BaseException:
            cls.tearDownClass()
            raise
        cls.processes.start()

    @classmethod
    def lay_out(cls):
        prefix = os.path.join(cls.temp, "prefix")
        subprocess.run(["cmake", "--install", support.build_folder("native"), "--prefix", prefix],
                       check=True, stdout=subprocess.DEVNULL)
        for name, root in cls.roots.items():
            made = subprocess.run([SYSTEMD_BOOT, "make", root], stdout=subprocess.PIPE,
                                  stderr=subprocess.STDOUT, universal_newlines=True)
            if made.returncode != 0:
                raise unittest.SkipTest("no booted hosts: cannot make a root (no access to Debian's "
                                        "archive?): " + made.stdout.strip()[-300:])
            folder = os.path.join(root, "opt", "zerin")
            shutil.copytree(os.path.join(prefix, "share", "zerinctl", "demo"), folder, symlinks=False)
            shutil.copy(os.path.join(prefix, "bin", "zerinctl"), folder)
            os.makedirs(os.path.join(root, "opt", "quarra"))
            # The unit starts the tool in /, where a relative data folder would not be found.
            cfg = os.path.join(folder, "zerin.cfg")
            with open(cfg) as f:
                text = f.read().replace("repository_data_directory, data", "repository_data_directory, "
                                        "/opt/zerin/data")
            with open(cfg, "w") as f:
                f.write(text)
            shutil.copy(os.path.join(prefix, "lib", "systemd", "system", "zerinctl@.service"),
                        os.path.join(root, "etc", "systemd", "system"))
            cls.boot(name)

    @classmethod
    def tearDownClass(cls):
        cls.processes.done.set()
        for root in cls.roots.values():
            subprocess.run([SYSTEMD_BOOT, "halt", root], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        shutil.rmtree(cls.temp, ignore_errors=True)

    @classmethod
    def boot(cls, name):
        subprocess.run([SYSTEMD_BOOT, "boot", cls.roots[name]], check=True, stdout=subprocess.DEVNULL)

    def on(self, name, *argv):
        """What ARGV prints, run inside host NAME."""
        return subprocess.run([SYSTEMD_BOOT, "exec", self.roots[name]] + list(argv), stdout=subprocess.PIPE,
                              stderr=subprocess.STDOUT, universal_newlines=True, timeout=60).stdout

    def unit(self, name):
        shown = self.on(name, "systemctl", "show", "--property=UnitFileState,ActiveState,MainPID",
                        "zerinctl@sales.service")
        unit = dict(line.split("=", 1) for line in shown.splitlines() if "=" in line)
        unit["answers"] = "is running" in self.on(name, "/opt/zerin/zerinctl", "-check", "sales", "-", "-")
        unit["engines"] = len(self.on(name, "pgrep", "-x", "vexa").split())
        return unit

    def assertUnit(self, enabled, active, answers, hosts=HOSTS):
        for name in hosts:
            unit = self.unit(name)
            self.assertEqual((unit["UnitFileState"], unit["ActiveState"], unit["answers"], unit["engines"]),
                             (enabled, active, answers, int(answers)), name)

    def play(self, changed, *options, **variables):
        """Runs the playbook on both hosts with VARIABLES; each host must
        report CHANGED tasks; returns the output."""
        inventory = os.path.join(self.temp, "inventory")
        with open(inventory, "w") as f:
            for name in HOSTS:
                pid = subprocess.run([SYSTEMD_BOOT, "pid", self.roots[name]], check=True, stdout=subprocess.PIPE,
                                     universal_newlines=True).stdout.strip()
                f.write("%s ansible_connection=community.docker.nsenter ansible_nsenter_pid=%s "
                        "ansible_python_interpreter=/usr/bin/python3\n" % (name, pid))
        variables = dict({"password": PASSWORD, "expect_enabled": None, "expect_active": None}, **variables)
        extra = os.path.join(self.temp, "vars.json")
        with open(extra, "w") as f:
            json.dump(variables, f)
        env = dict(os.environ, ANSIBLE_NOCOLOR="1", ANSIBLE_RETRY_FILES_ENABLED="0", ANSIBLE_HOST_KEY_CHECKING="0")
        done = subprocess.run(["ansible-playbook", "-i", inventory, "-e", "@" + extra] + list(options) + [PLAYBOOK],
                              env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              universal_newlines=True, timeout=600)
        for name in HOSTS:
            recap = re.search(r"^%s\s+: ok=\d+\s+changed=(\d+)\s+unreachable=0\s+failed=0 " % name,
                              done.stdout, re.M)
            self.assertTrue(recap and int(recap.group(1)) == changed, done.stdout[-6000:])
        for secret in (PASSWORD, NEW_PASSWORD):
            self.assertNotIn(secret, done.stdout)
        return done.stdout

    def test_a_fleet_kept_running_by_systemd_from_a_detached_engine_to_removal(self):
        enabled = dict(repo_state="started", repo_enabled=True, repo_environment=ENVIRONMENT)
        kept = dict(expect_enabled=True, expect_active=True)
        self.play(1, repo_state="started", expect_enabled=False, expect_active=False)
        self.assertUnit("disabled", "inactive", True)
        # The detached engine is handed over to the unit, which runs the only engine.
        out = self.play(1, "-vvv", "--diff", **dict(enabled, **kept))
        self.assertUnit("enabled", "active", True)
        self.assertIn("+QUARRA_HOME=/opt/quarra", out)
        self.assertIn("+(the password, changed)", out)
        self.play(0, **dict(enabled, **kept))
        pid = self.unit("host1")["MainPID"]
        self.play(1, "--check", repo_state="stopped", **kept)
        self.assertUnit("enabled", "active", True)
        # A new password: written, shown as changed only, and the unit restarted.
        out = self.play(1, "--diff", password=NEW_PASSWORD, **dict(enabled, **kept))
        self.assertIn("+(the password, changed)", out)
        self.assertNotEqual(self.unit("host1")["MainPID"], pid)
        with open(os.path.join(self.roots["host1"], "etc", "zerinctl", "sales.password")) as f:
            self.assertEqual(f.read(), NEW_PASSWORD + "\n")
        self.assertEqual(os.stat(f.name).st_mode & 0o777, 0o600)
        # A crash, then a reboot, on host1.
        pid = self.unit("host1")["MainPID"]
        self.on("host1", "pkill", "-KILL", "-x", "vexa")
        deadline = time.monotonic() + 30
        while time.monotonic() < deadline and not (self.unit("host1")["answers"]
                                                   and self.unit("host1")["MainPID"] != pid):
            time.sleep(0.5)
        self.assertUnit("enabled", "active", True, hosts=["host1"])
        subprocess.run([SYSTEMD_BOOT, "halt", self.roots["host1"]], check=True, stdout=subprocess.DEVNULL)
        self.boot("host1")
        self.assertUnit("enabled", "active", True, hosts=["host1"])
        self.play(0, **dict(enabled, password=NEW_PASSWORD, **kept))
        # Each later state leaves the hosts as it says.
        self.play(1, repo_state="stopped", expect_enabled=True, expect_active=False)
        self.assertUnit("enabled", "inactive", False)
        self.play(1, repo_state="stopped", repo_enabled=False, expect_enabled=False, expect_active=False)
        self.assertUnit("disabled", "inactive", False)
        self.play(1, repo_state="started", repo_enabled=True, repo_environment=ENVIRONMENT, **kept)
        self.play(1, "-vvv", repo_state="absent")
        self.assertUnit("disabled", "inactive", False)
        for name in HOSTS:
            self.assertEqual(os.listdir(os.path.join(self.roots[name], "etc", "zerinctl")), [])
            with open(os.path.join(self.roots[name], "opt", "zerin", "data", "vexa_config.xml")) as f:
                self.assertNotIn('name="sales"', f.read())
        # The passwords stood on no command line, here or in the hosts.
        self.processes.done.set()
        self.processes.join()
        self.assertTrue(any("zerinctl -run sales admin -" in line for line in self.processes.seen))
        for line in self.processes.seen:
            self.assertNotIn(PASSWORD, line)
            self.assertNotIn(NEW_PASSWORD, line)


if __name__ == "__main__":
    unittest.main()
