"""The installed collection, as ANSIBLE_COLLECTIONS_PATH has it (installed
there from the built tarball by scripts/test-ansible.sh): its documentation,
and real ansible-playbook runs against localhost on a copy of the POSIX demo
installation."""

import json
import os
import subprocess
import tempfile
import unittest

import support
from ansible_collections.zerin.admin.plugins.module_utils import repository, salts, zerinctl
from support import DB_PASSWORD, PASSWORD, PIN

PLAYBOOKS = os.path.join(support.HERE, "playbooks")
with open(os.path.join(support.ROOT, "demo", "common", "vexa", "store", "payroll.salt")) as f:
    SALT_VALUE = f.read().strip()
DEMO = os.path.join(support.ROOT, "ansible", "demo.yml")
TAKEN = {"repository": repository.OPTIONS, "repository_info": zerinctl.INFO_OPTIONS, "salts": salts.OPTIONS}
MODULES = tuple(TAKEN)


@unittest.skipUnless(support.built("native"), "no POSIX build in build/native")
class Playbooks(unittest.TestCase):
    def setUp(self):
        self.inst = support.Installation("native")
        self.addCleanup(self.inst.remove)
        self.vars = {"tool_folder": self.inst.root, "quarra_home": self.inst.file("quarra"),
                     "salts_folder": self.inst.file("salts"), "password": PASSWORD,
                     "db_password": DB_PASSWORD, "pin": PIN, "demo": self.inst.root}

    def play(self, playbook, *options):
        """Runs PLAYBOOK (from tests/playbooks unless a path) with self.vars."""
        with tempfile.NamedTemporaryFile("w", suffix=".json", delete=False) as f:
            json.dump(self.vars, f)
        self.addCleanup(os.remove, f.name)
        env = dict(os.environ, ANSIBLE_NOCOLOR="1", ANSIBLE_RETRY_FILES_ENABLED="0",
                   ZERIN_TEST_RUN=self.inst.temp)
        return subprocess.run(["ansible-playbook", "-i", "localhost,", "-e", "@" + f.name]
                              + list(options) + [os.path.join(PLAYBOOKS, playbook)],
                              env=env, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                              universal_newlines=True, timeout=600)

    def test_every_state_and_salts_with_no_secret_in_the_verbose_output_or_the_process_list(self):
        with support.ProcessList("ZERIN_TEST_RUN=" + self.inst.temp) as processes:
            done = self.play("states.yml", "-vvv")
        self.assertEqual(done.returncode, 0, done.stdout[-6000:])
        self.assertIn("failed=0", done.stdout)
        for secret in (PASSWORD, DB_PASSWORD, PIN, SALT_VALUE):
            self.assertNotIn(secret, done.stdout)
        # The salts' PIN still stands on the tool's command line; the
        # passwords never do, and the sampling was quick enough to see the
        # tool's starts and deletes, which last a few ms each.
        tool = os.path.join(self.inst.root, "zerinctl")
        self.assertIn(tool + " -start sales admin - ", processes.seen)
        self.assertIn(tool + " -delete sales dba - ", processes.seen)
        for line in processes.seen:
            self.assertNotIn(PASSWORD, line)
            self.assertNotIn(DB_PASSWORD, line)
        # The secrets did reach the tool: the demo's salt scripts check the PIN.
        self.assertIn("-exportsalt -all *** ", done.stdout)

    def test_the_readme_playbook_as_it_stands(self):
        with open(DEMO) as f:
            playbook = f.read()
        with open(os.path.join(support.ROOT, "README.md")) as f:
            self.assertIn(playbook, f.read())
        done = self.play(DEMO)
        self.assertEqual(done.returncode, 0, done.stdout[-3000:])
        self.assertTrue(os.path.isfile(self.inst.file("salts/vexaexportSaltIndex.txt")))
        with open(self.inst.file("data/vexa_config.xml")) as f:
            self.assertNotIn('name="sales"', f.read())


class Documentation(unittest.TestCase):
    def test_documentation_parses_and_names_what_the_action_takes(self):
        done = subprocess.run(["ansible-doc", "--json"] + ["zerin.admin." + m for m in MODULES],
                              stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, universal_newlines=True)
        self.assertEqual(done.returncode, 0)
        docs = json.loads(done.stdout)
        for module in MODULES:
            taken = TAKEN[module]
            options = docs["zerin.admin." + module]["doc"]["options"]
            self.assertEqual(sorted(options), sorted(taken), module)
            for name, option in taken.items():
                documented = options[name]
                self.assertEqual((documented["type"], documented.get("default"), documented.get("required", False)),
                                 (option["type"], option.get("default"), option.get("required", False)), name)


if __name__ == "__main__":
    unittest.main()
