"""Runs the built kelvor as a user would: bytes on standard input, then the exact bytes of
standard output, standard error and the log file, and the exit code.

Usage of a test module: python3 test_x.py PATH_TO_KELVOR [unittest options]
KELVOR_RUNNER, when set, is a command put in front of the program (a Windows build runs
under Wine this way).
"""

import os
import shlex
import subprocess
import sys
import tempfile
import unittest
from dataclasses import dataclass

PROGRAM = None
WINDOWS = False  # the program is a Windows build (run under Wine)
RUNNER = shlex.split(os.environ.get("KELVOR_RUNNER", ""))
DEFAULT_LOG = "kelVOR.txt"
# The one failure message of the copy stage, as it reaches a code page 850 console.
FAILURE_MESSAGE = b"kelVOR: Erreur dans la cr\x82ation du fichier de sortie\r\n"


@dataclass
class Result:
    code: int
    out: bytes
    err: bytes
    log: bytes | None  # None: no log file was left


class KelvorTest(unittest.TestCase):
    maxDiff = 4000

    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="kelvor-cli-")
        self.dir = self._tmp.name
        self.env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
        self.env["LANG"] = "C"

    def tearDown(self):
        self._tmp.cleanup()

    def path(self, name):
        return os.path.join(self.dir, name)

    def read_log(self, name=DEFAULT_LOG):
        if name is None:
            return None
        try:
            with open(self.path(name), "rb") as f:
                return f.read()
        except (FileNotFoundError, IsADirectoryError):
            return None

    def run_kelvor(self, args=(), input=b"", *, stdin=None, stdout=subprocess.PIPE,
                   log=DEFAULT_LOG, preexec_fn=None, timeout=120):
        """Runs the program in the test's folder; `stdin` replaces `input` when given."""
        proc = subprocess.run(
            RUNNER + [PROGRAM, *args],
            input=None if stdin is not None else input,
            stdin=stdin,
            stdout=stdout,
            stderr=subprocess.PIPE,
            cwd=self.dir,
            env=self.env,
            preexec_fn=preexec_fn,
            timeout=timeout,
        )
        return Result(proc.returncode, proc.stdout, proc.stderr, self.read_log(log))

    def expect(self, args, input, out, log, code=0, err=b"", log_name=DEFAULT_LOG):
        """One-line case: the exact bytes of every output and the exit code."""
        result = self.run_kelvor(args, input, log=log_name)
        self.assertEqual(result.out, out)
        self.assertEqual(result.log, log)
        self.assertEqual(result.err, err)
        self.assertEqual(result.code, code)
        return result


def main():
    global PROGRAM, WINDOWS
    PROGRAM = os.path.abspath(sys.argv[1])
    WINDOWS = PROGRAM.lower().endswith(".exe")
    unittest.main(argv=[sys.argv[0], *sys.argv[2:]], verbosity=2)
