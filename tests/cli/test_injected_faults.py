"""Faults injected by strace into the system calls of the real program: interrupted calls,
would-block answers and short writes are retried without a trace in the output; an I/O error
in the middle of the stream ends the copy stage with its message and exit code 1, and what
reached the log before the fault stays there intact.

Standard input and output are regular files, so every run makes the same calls; address-space
randomisation is turned off so that the start-up's own calls do too. A call is chosen by its
number among the calls of its kind (`when=`), found by tracing a clean run first.

Usage: python3 test_injected_faults.py PATH_TO_KELVOR [unittest options]
"""

import os
import platform
import re
import shutil
import subprocess
import unittest

import kelvor_cli
from kelvor_cli import FAILURE_MESSAGE, KelvorTest

LINES = [b"line %03d abcdefghij" % i for i in range(60)]
INPUT = b"".join(line + b"\n" for line in LINES)
EXPECTED = b"".join(line + b"\r\n" for line in LINES)  # echo and log alike: plain ASCII
BLOCK = 128
CALL = re.compile(r"^(read|write)\((\d+),.*\)\s+= (-?\d+)( .*)?$")
LOG_OPENED = re.compile(r'^openat\(.*"kelVOR\.txt".*\)\s+= (\d+)$')


def lines_through(offset):
    """How many whole echo or log lines lie within the first `offset` bytes."""
    return sum(1 for i in range(len(LINES)) if len(EXPECTED) // len(LINES) * (i + 1) <= offset)


class InjectedFaultTest(KelvorTest):
    def setUp(self):
        super().setUp()
        if shutil.which("strace") is None:
            self.skipTest("strace is not installed")
        if subprocess.run(["strace", "-o", "/dev/null", "true"]).returncode != 0:
            self.skipTest("strace cannot trace here")
        with open(self.path("in"), "wb") as f:
            f.write(INPUT)

    def traced(self, *inject):
        """Runs the program under strace; the result and its read and write calls, in order,
        as (name, fd, result, injected)."""
        trace = self.path("trace")
        options = [o for rule in inject for o in ("-e", "inject=" + rule)]
        env = dict(self.env)
        # LeakSanitizer, in a sanitized build, cannot work under a tracer.
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
        with open(self.path("in"), "rb") as given, open(self.path("out"), "wb") as out:
            proc = subprocess.run(
                ["setarch", platform.machine(), "-R", "strace", "-o", trace, "-e",
                 "trace=read,write,openat", "-e", "signal=none", *options,
                 *kelvor_cli.RUNNER, kelvor_cli.PROGRAM],
                stdin=given, stdout=out, stderr=subprocess.PIPE, cwd=self.dir, env=env,
                timeout=120)
        with open(self.path("out"), "rb") as f:
            result = kelvor_cli.Result(proc.returncode, f.read(), proc.stderr, self.read_log())
        calls = []
        with open(trace) as f:
            for row in f:
                opened = LOG_OPENED.match(row.strip())
                if opened:
                    self.log = int(opened[1])
                match = CALL.match(row.strip())
                if match:
                    calls.append((match[1], int(match[2]), int(match[3]),
                                  "(INJECTED)" in (match[4] or "")))
        return result, calls

    def inject(self, name, fd, nth, action, count=1):
        """Injects `action` into the `nth` (from 1) `name` call on `fd` and the count - 1 calls
        of that kind after it; the result, and the calls that were injected."""
        _, calls = self.traced()
        same_kind = [(n, f) for n, f, _, _ in calls if n == name]
        chosen = [i for i, call in enumerate(same_kind, 1) if call == (name, fd)]
        self.assertGreaterEqual(len(chosen), nth, "too few %s calls on %d" % (name, fd))
        when = chosen[nth - 1]
        rule = "%s:%s:when=%d..%d" % (name, action, when, when + count - 1)
        result, calls = self.traced(rule)
        injected = [(n, f) for n, f, _, hit in calls if hit]
        self.assertEqual(injected[:1], [(name, fd)], "the fault missed its call")
        return result, calls

    def log_fd(self):
        """The log's descriptor: a sanitized build writes into descriptors of its own too."""
        self.traced()
        return self.log

    def test_interrupted_and_refused_calls_are_retried_unseen(self):
        log = self.log_fd()
        for name, fd in (("read", 0), ("write", 1), ("write", log)):
            for action in ("error=EINTR", "error=EAGAIN"):
                with self.subTest(call=name, fd=fd, action=action):
                    result, calls = self.inject(name, fd, 3, action, count=2)
                    self.assertEqual((result.code, result.err), (0, b""))
                    self.assertEqual(result.out, EXPECTED)
                    self.assertEqual(result.log, EXPECTED)
                    # Both failures fell on the same call, asked again with the same size.
                    on_fd = [c for c in calls if c[:2] == (name, fd)]
                    first = next(i for i, c in enumerate(on_fd) if c[3])
                    self.assertEqual([c[3] for c in on_fd[first:first + 3]], [True, True, False])

    def test_a_short_write_goes_on_with_the_rest(self):
        # strace makes a call return a count without running it, so the bytes it claims never
        # arrive: what arrives shows that each further call started right after them.
        log = self.log_fd()
        for fd in (1, log):
            with self.subTest(fd=fd):
                result, calls = self.inject("write", fd, 2, "retval=1", count=4)
                self.assertEqual((result.code, result.err), (0, b""))
                on_fd = [c for c in calls if c[:2] == ("write", fd)]
                self.assertEqual([size for _, _, size, _ in on_fd[1:6]], [1, 1, 1, 1, BLOCK - 4])
                cut = EXPECTED[:BLOCK] + EXPECTED[BLOCK + 4:]
                self.assertEqual(result.out, cut if fd == 1 else EXPECTED)
                self.assertEqual(result.log, cut if fd == log else EXPECTED)

    def test_an_input_error_mid_stream(self):
        result, _ = self.inject("read", 0, 4, "error=EIO")
        # Three reads went well: the lines they held whole were copied, the one cut by the
        # failing read was not.
        whole = INPUT[:3 * BLOCK].count(b"\n")
        kept = b"".join(line + b"\r\n" for line in LINES[:whole])
        self.assertEqual(result.out, kept + FAILURE_MESSAGE)
        self.assertEqual(result.log, kept)
        self.assertEqual((result.code, result.err), (1, b""))

    def test_an_output_error_mid_stream(self):
        # The second block of the echo fails: its bytes are lost, and the line whose echo filled
        # it is the last one read; every line before it reached the log.
        result, _ = self.inject("write", 1, 2, "error=EIO")
        failing = lines_through(2 * BLOCK)
        self.assertTrue(result.out.startswith(EXPECTED[:BLOCK]))
        self.assertTrue(result.out.endswith(FAILURE_MESSAGE))
        self.assertLessEqual(len(result.out), BLOCK + 2 + len(FAILURE_MESSAGE))
        self.assertEqual(result.log, EXPECTED[:failing * len(EXPECTED) // len(LINES)])
        self.assertEqual((result.code, result.err), (1, b""))

    def test_a_log_error_mid_stream(self):
        # The log's second block fails: its bytes are lost, the first block stays intact, and
        # the echo went as far as the line whose log entry failed.
        result, _ = self.inject("write", self.log_fd(), 2, "error=EIO")
        failing = lines_through(2 * BLOCK)
        self.assertTrue(result.log.startswith(EXPECTED[:BLOCK]))
        self.assertLessEqual(len(result.log), BLOCK + 2)
        echoed = EXPECTED[:(failing + 1) * len(EXPECTED) // len(LINES)]
        self.assertEqual(result.out, echoed + FAILURE_MESSAGE)
        self.assertEqual((result.code, result.err), (1, b""))


if __name__ == "__main__":
    kelvor_cli.main()
