"""The copy loop: what reaches standard output and the log file, and the exit code."""

import os
import subprocess
import unittest

import kelvor_cli
from kelvor_cli import FAILURE_MESSAGE, KelvorTest


class CopyTest(KelvorTest):
    def test_lines_are_echoed_as_read_and_logged_in_ansi(self):
        # (input, echo, log): the echo keeps every byte, the log is converted from code page 850.
        cases = [
            (b"ab\r\ncd\n", b"ab\r\ncd\r\n", b"ab\r\ncd\r\n"),
            (b"", b"", b""),
            (b"abc", b"abc\r\n", b"abc\r\n"),
            (b"a\nb\n", b"a\r\nb\r\n", b"a\r\nb\r\n"),
            (b"\r\r\rx\r\r\n\r", b"x\r\n\r\n", b"x\r\n\r\n"),
            (b"caf\x82\n", b"caf\x82\r\n", b"caf\xe9\r\n"),
            (b"\xc4\xc4\xb3\xda\n", b"\xc4\xc4\xb3\xda\r\n", b"--\xa6+\r\n"),
            (b"a\x00b\x00\n\x00", b"a\x00b\x00\r\n\x00\r\n", b"a\x00b\x00\r\n\x00\r\n"),
            (b"\x1a", b"", b""),
            (b"ab\r\n\x1acd\r\n", b"ab\r\n", b"ab\r\n"),
            (b"ab\x1acd\r\nef\x1a", b"ab\r\nef\r\n", b"ab\r\nef\r\n"),
            (b"ab\x1acd\x1aef\ngh\n", b"ab\r\n", b"ab\r\n"),
        ]
        for given, echo, log in cases:
            with self.subTest(input=given):
                self.expect([], given, echo, log)

    def test_every_byte_value_survives_the_echo(self):
        data = bytes(b for b in range(256) if b not in (0x0A, 0x0D, 0x1A)) * 40
        result = self.run_kelvor([], data + b"\n")
        self.assertEqual(result.out, data + b"\r\n")
        self.assertEqual(result.code, 0)
        self.assertEqual(len(result.log), len(data) + 2)

    def test_an_existing_log_is_replaced(self):
        with open(self.path("kelVOR.txt"), "wb") as f:
            f.write(b"old content that is much longer than the new one\r\n" * 10)
        self.expect([], b"new\n", b"new\r\n", b"new\r\n")

    def test_a_line_of_100_megabytes_is_delivered_whole(self):
        line = bytes(range(32, 127)) * (100_000_000 // 95)
        result = self.run_kelvor([], line + b"\r\nend")
        self.assertEqual(result.code, 0)
        self.assertTrue(result.out == line + b"\r\nend\r\n", "echo differs")
        self.assertTrue(result.log == line + b"\r\nend\r\n", "log differs")


class FailureTest(KelvorTest):
    """Every failure of the copy stage: the one message on standard output, exit code 1."""

    def test_a_log_that_is_a_directory(self):
        os.mkdir(self.path("kelVOR.txt"))
        self.expect([], b"ab\n", FAILURE_MESSAGE, None, code=1)

    def test_a_log_on_a_full_device_keeps_nothing_back(self):
        os.symlink("/dev/full", self.path("kelVOR.txt"))
        result = self.run_kelvor([], b"ab\ncd\n", log=None)
        # The echo of the first line went out before the log's write failed.
        self.assertEqual(result.out, b"ab\r\n" + FAILURE_MESSAGE)
        self.assertEqual(result.code, 1)

    def test_a_log_in_a_directory_that_cannot_be_written(self):
        if os.geteuid() == 0:
            self.skipTest("root writes everywhere")
        os.chmod(self.dir, 0o555)
        self.expect([], b"ab\n", FAILURE_MESSAGE, None, code=1)

    def test_standard_input_closed(self):
        result = self.run_kelvor([], stdin=subprocess.DEVNULL, preexec_fn=lambda: os.close(0))
        self.assertEqual(result.out, FAILURE_MESSAGE)
        self.assertEqual(result.code, 1)
        # The log was opened before the first read and did not take the place of standard input.
        self.assertEqual(result.log, b"")

    def test_standard_input_is_a_directory(self):
        fd = os.open(self.dir, os.O_RDONLY)
        try:
            result = self.run_kelvor([], stdin=fd)
        finally:
            os.close(fd)
        self.assertEqual(result.out, FAILURE_MESSAGE)
        self.assertEqual(result.log, b"")
        self.assertEqual(result.code, 1)

    def test_standard_output_a_closed_pipe(self):
        read_end, write_end = os.pipe()
        os.close(read_end)
        lines = b"".join(b"line %03d\n" % i for i in range(100))
        try:
            result = self.run_kelvor([], lines, stdout=write_end)
        finally:
            os.close(write_end)
        # No death by signal: the failure path ends the run with exit code 1, and every line
        # read before the failing echo is in the log.
        self.assertEqual(result.code, 1)
        self.assertTrue(result.log.startswith(b"line 000\r\n"))
        self.assertEqual(len(result.log) % len(b"line 000\r\n"), 0)


class BlockTest(KelvorTest):
    """The moments of writing out, seen at the system calls."""

    def write_sizes(self, stdout, lines):
        trace = self.path("trace")
        env = dict(self.env)
        # LeakSanitizer, in a sanitized build, cannot work under a tracer.
        env["ASAN_OPTIONS"] = env.get("ASAN_OPTIONS", "") + ":detect_leaks=0"
        proc = subprocess.run(
            ["strace", "-o", trace, "-e", "trace=write,read,openat", "-e", "signal=none",
             kelvor_cli.PROGRAM], input=lines, stdout=stdout, stderr=subprocess.PIPE,
            cwd=self.dir, env=env)
        self.assertEqual(proc.returncode, 0)
        calls = {"read": [], "write1": [], "writelog": []}
        log_fd = None
        with open(trace) as f:
            for row in f:
                # A sanitized build writes into descriptors of its own: the log's is the one
                # the program opened for it.
                if row.startswith("openat(") and '"kelVOR.txt"' in row:
                    log_fd = row.rsplit("=", 1)[1].strip()
                if not row.startswith(("read(", "write(")):
                    continue
                name, _, rest = row.partition("(")
                fd = rest.split(",")[0]
                size = int(row.rsplit("=", 1)[1])
                if name == "read" and fd == "0":
                    calls["read"].append(size)
                elif name == "write" and fd == "1":
                    calls["write1"].append(size)
                elif name == "write" and fd == log_fd:
                    calls["writelog"].append(size)
        return calls

    def setUp(self):
        super().setUp()
        if kelvor_cli.RUNNER:
            self.skipTest("under a runner the system calls are the runner's, not the program's")
        if subprocess.run(["strace", "-V"], capture_output=True).returncode != 0:
            self.skipTest("strace is not installed")

    def test_a_character_device_gets_a_write_per_line_a_pipe_gets_blocks(self):
        lines = b"".join(b"%02d-3456789\n" % i for i in range(20))  # 220 bytes in 20 lines
        with open("/dev/null", "wb") as null:
            device = self.write_sizes(null, lines)
        self.assertEqual(device["write1"], [12] * 20)
        piped = self.write_sizes(subprocess.PIPE, lines)
        self.assertEqual(piped["write1"], [128, 112])  # a block, and the rest at closing
        for calls in (device, piped):
            self.assertEqual(calls["writelog"], [128, 112])
            self.assertEqual(calls["read"], [128, 92, 0])


if __name__ == "__main__":
    kelvor_cli.main()
