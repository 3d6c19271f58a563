"""Copies of the demo installation and ways to run the tool in them, for the
tests: the POSIX build directly, the Windows build under Wine."""

import hashlib
import ntpath
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
# The modules' logic imports itself as part of the collection: the tests use
# the copy scripts/test-ansible.sh installed from the built tarball.
sys.path.insert(0, os.environ["ANSIBLE_COLLECTIONS_PATH"])
from ansible_collections.zerin.admin.plugins.module_utils.zerinctl import Failed  # noqa: E402

# Names that show up in no output unless something leaks them.
PASSWORD = "pw-Vq83kLzT"
PIN = "pin-X4mN2r"
DB_PASSWORD = "dbpw-Hc71sQ"


class ProcessList(threading.Thread):
    """The command lines of the processes on this machine (booted hosts'
    included), sampled from /proc every few ms until stopped; with MARKER
    (NAME=VALUE), only of those whose environment holds it: what one run
    shows, apart from other runs of these tests on the machine."""

    def __init__(self, marker=None):
        super().__init__(daemon=True)
        self.marker = marker and marker.encode() + b"\0"
        self.seen = set()
        self.done = threading.Event()

    def run(self):
        while not self.done.wait(0.002):
            for pid in os.listdir("/proc"):
                try:
                    if self.marker:
                        with open("/proc/%s/environ" % pid, "rb") as f:
                            if self.marker not in f.read():
                                continue
                    with open("/proc/%s/cmdline" % pid, "rb") as f:
                        self.seen.add(f.read().replace(b"\0", b" ").decode("utf-8", "replace"))
                except OSError:
                    pass

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *_):
        self.done.set()
        self.join()


def build_folder(flavour):
    variable = "ZERINCTL_BUILD_" + flavour.upper()
    return os.environ.get(variable, os.path.join(ROOT, "build", flavour))


def free_port():
    """A port nothing listens on now (the descriptor names it minus one)."""
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Installation:
    """A private copy of the demo installation of one build in a temporary
    folder, its repository sales on a port of its own and its store's PIN
    changed to PIN. windows: the Windows build, run under Wine."""

    def __init__(self, flavour):
        self.windows = flavour == "mingw"
        self.temp = tempfile.mkdtemp(prefix="zerin-ansible-")
        prefix = os.path.join(self.temp, "prefix")
        subprocess.run(["cmake", "--install", build_folder(flavour), "--prefix", prefix],
                       check=True, stdout=subprocess.DEVNULL)
        self.root = os.path.join(self.temp, "zerin")
        if self.windows:
            shutil.copytree(prefix, self.root, symlinks=False)
        else:
            shutil.copytree(os.path.join(prefix, "share", "zerinctl", "demo"), self.root, symlinks=False)
            shutil.copy(os.path.join(prefix, "bin", "zerinctl"), self.root)
        shutil.rmtree(prefix)
        os.makedirs(os.path.join(self.root, "quarra"))
        self.host_temp = os.path.join(self.temp, "host-temp")
        os.makedirs(self.host_temp)
        self.port = free_port()
        self.edit("data/vexa_config.xml", 'port="18200"', 'port="%d"' % (self.port - 1))
        with open(self.file("templates/SOPIN.txt")) as f:
            pin = f.readline().strip()
        self.edit("templates/SOPIN.txt", pin, PIN)
        self.folder = self.native(self.root)
        self.env = dict(os.environ, QUARRA_HOME=self.native(os.path.join(self.root, "quarra")))
        for name in ("QUARRANODENAME", "VEXAUSER", "VEXAPASSWD", "ZERINCTL_TRACE", "ZERINCTL_PASSWORD",
                     "ZERINCTL_PASSWORD_FILE"):
            self.env.pop(name, None)
        if self.windows:
            # The prefix of the Windows build's tests, for cmake/wine-run.sh and wineserver.
            prefix = os.environ.get("ZERINCTL_WINEPREFIX") or os.path.join(build_folder("mingw"), "wineprefix")
            self.env.update(ZERINCTL_WINEPREFIX=prefix, WINEPREFIX=prefix)

    def file(self, relative):
        return os.path.join(self.root, *relative.split("/"))

    def edit(self, relative, old, new):
        path = self.file(relative)
        with open(path) as f:
            text = f.read()
        if old not in text:
            raise AssertionError("%s lacks %r" % (path, old))
        with open(path, "w") as f:
            f.write(text.replace(old, new))

    def native(self, path):
        """PATH as the tool names it: Wine's Z: drive for the Windows build."""
        return "Z:" + path.replace("/", "\\") if self.windows else path

    def local(self, path):
        return path[2:].replace("\\", "/") if self.windows else path

    def run(self, argv, stdin=None):
        """(rc, stdout) of one command line, in the tool's folder, as a host
        would run it; Failed when it cannot run. Output goes through a file:
        an engine the tool starts could otherwise hold a pipe open."""
        folder = self.local((ntpath if self.windows else os.path).dirname(argv[0]))
        if self.windows:
            argv = ["sh", os.path.join(ROOT, "cmake", "wine-run.sh")] + argv
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            try:
                # The command module adds a line end to stdin.
                done = subprocess.run(argv, cwd=folder, env=self.env, stdout=out, stderr=err, timeout=120,
                                      input=None if stdin is None else (stdin + "\n").encode())
            except OSError as error:
                raise Failed("cannot run %s: %s" % (argv[0], error))
            out.seek(0)
            err.seek(0)
            text = out.read().decode("utf-8", "replace")
            # The tool itself ends with 0, -1 or -2 and says something; else
            # the program did not run, as a host would report it.
            if not text and done.returncode not in (0, 254, 255):
                raise Failed("cannot run %s: exit code %d: %s" % (
                    argv[0], done.returncode, err.read().decode("utf-8", "replace")))
            return done.returncode, text

    # No service manager keeps these copies' services.
    def manager(self, params, tool):
        return None

    def active(self, names):
        return [None] * len(names)

    # What the salts logic asks of a host, as the modules answer it.
    def kind(self, path):
        path = self.local(path)
        return "folder" if os.path.isdir(path) else "file" if os.path.exists(path) else None

    def checksums(self, folder):
        folder = self.local(folder)
        if not os.path.isdir(folder):
            return {}  # as ansible.builtin.find skips a missing folder
        sums = {}
        for name in os.listdir(folder):
            if os.path.isfile(os.path.join(folder, name)):
                with open(os.path.join(folder, name), "rb") as f:
                    sums[name] = hashlib.sha1(f.read()).hexdigest()
        return sums

    def read(self, path):
        try:
            with open(self.local(path), encoding="utf-8") as f:
                return f.read()
        except OSError as error:
            raise Failed("cannot read %s: %s" % (path, error))

    def make_folder(self, path):
        os.makedirs(self.local(path), mode=0o700)

    def temp_folder(self):
        """A folder in host_temp, which the tests expect empty afterwards."""
        return self.native(tempfile.mkdtemp(dir=self.host_temp))

    def remove_folder(self, path):
        shutil.rmtree(self.local(path))

    def stop_engines(self):
        """Ends what the tests left running: the engine by -stop, then Wine's
        server of this prefix, or engines of this copy by process id."""
        self.run([os.path.join(self.folder, "zerinctl.exe" if self.windows else "zerinctl"),
                  "-stop", "sales", "-", "-"])
        if self.windows:
            subprocess.run(["wineserver", "-k"], env=self.env, check=False)
            subprocess.run(["wineserver", "-w"], env=self.env, check=False)
            return
        engine = self.file("vexa/vexa")
        for pid in os.listdir("/proc"):
            try:
                if pid.isdigit() and os.path.samefile(os.readlink("/proc/%s/exe" % pid), engine):
                    os.kill(int(pid), 15)
            except OSError:
                pass

    def remove(self):
        self.stop_engines()
        shutil.rmtree(self.temp, ignore_errors=True)


def built(flavour):
    exe = "zerinctl.exe" if flavour == "mingw" else "zerinctl"
    return os.path.isfile(os.path.join(build_folder(flavour), "bin", exe))
