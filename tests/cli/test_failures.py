"""Failures that the copy stage does not catch: the last-resort report on standard error, in
code page 850, after every clean-up; processor faults and exhausted memory, inside and outside
the copy stage. Every failure ends with exit code 1, never by a signal or an abort.

Usage: python3 test_failures.py PATH_TO_KELVOR PATH_TO_FAULT_BUILD [unittest options]
The fault build is the program with a test hook: KELVOR_FAULT="FAULT@POINT" makes it fault.
"""

import os
import re
import resource
import shutil
import signal
import subprocess
import sys
import time

import kelvor_cli
from kelvor_cli import FAILURE_MESSAGE, KelvorTest

FAULT_PROGRAM = None
ADDRESS_SPACE = 64 << 20  # enough to start, far too little for what the tests ask


# AddressSanitizer reserves terabytes of address space for its shadow memory when it starts,
# and ends the process on any request it cannot meet: a sanitized build runs without the limit
# and leaves out the cases of exhausted memory.
SANITIZED = os.environ.get("KELVOR_SANITIZED") is not None


def limit_address_space():
    # Wine needs far more address space than the limit: the Windows build runs unbounded.
    if not kelvor_cli.RUNNER and not SANITIZED:
        resource.setrlimit(resource.RLIMIT_AS, (ADDRESS_SPACE, ADDRESS_SPACE))


def skip_under_wine(test, why):
    if kelvor_cli.RUNNER:
        test.skipTest(why)


def skip_memory_when_sanitized(test, fault="memory"):
    if fault == "memory" and SANITIZED:
        test.skipTest("a sanitized build ends the process itself when memory runs out")


def skip_fault_under_wine(test, fault):
    if fault == "memory":
        skip_under_wine(test, "without the address-space limit memory does not run out")
    if fault == "stack":
        skip_under_wine(test, "Wine ends a program whose stack overflows before its handler runs")


def module_name():
    """The program's file name as a report shows it: the one field where the builds differ."""
    return rb"kelvor\.exe" if kelvor_cli.WINDOWS else rb"kelvor"


def report_pattern(class_name, message):
    """The two report lines and the empty line; group 1 is the offset in the program file."""
    return re.compile(
        rb"\AException " + class_name + rb" dans le module " + module_name()
        + rb" dans ([0-9A-F]{8})\.\r\n"
        + message + rb"\r\n\r\n\Z")


def functions_at(program, offsets):
    """The names of the functions of `program` whose code holds each offset ("" where none
    does), or None without nm."""
    if shutil.which("nm") is None or kelvor_cli.WINDOWS:
        return None
    listing = subprocess.run(["nm", "-C", "-S", "--defined-only", program],
                             capture_output=True, text=True, check=True).stdout
    names = [""] * len(offsets)
    for row in listing.splitlines():
        fields = row.split(None, 3)
        if len(fields) == 4 and fields[2] in "tT":
            start, size = int(fields[0], 16), int(fields[1], 16)
            for index, offset in enumerate(offsets):
                if start <= offset < start + size and not names[index]:
                    names[index] = fields[3]
    return names


class FailureTest(KelvorTest):
    def run_program(self, program, input=b"", *, fault=None, stdout=subprocess.PIPE,
                    preexec_fn=None):
        env = dict(self.env)
        if fault is not None:
            env["KELVOR_FAULT"] = fault
        proc = subprocess.run([*kelvor_cli.RUNNER, program], input=input, stdout=stdout,
                              stderr=subprocess.PIPE, cwd=self.dir, env=env,
                              preexec_fn=preexec_fn, timeout=120)
        return kelvor_cli.Result(proc.returncode, proc.stdout, proc.stderr, self.read_log())

    def assert_report(self, result, class_name, message):
        match = report_pattern(class_name, message).match(result.err)
        self.assertIsNotNone(match, result.err)
        self.assertEqual(result.code, 1)
        return int(match.group(1), 16)

    def assert_located_in(self, program, offset, function):
        # A return address lies one past its call, which can be the last instruction of a
        # function when the call never returns: the byte before it is looked up too.
        names = functions_at(program, [offset, offset - 1])
        if names is not None:
            self.assertTrue(any(function in name for name in names),
                            "offset %X in %s" % (offset, names))


class LastResortTest(FailureTest):
    """The shipped program, failing where only the last resort is left."""

    def test_no_standard_output_reports_the_closing_of_standard_output(self):
        skip_under_wine(self, "Wine gives a closed descriptor a standard handle of its own")
        # Opening fails (105), then the driver's closing of the never-opened stream leaves
        # 103, and that failure replaces the first.
        result = self.run_program(kelvor_cli.PROGRAM, b"ab\n", preexec_fn=lambda: os.close(1))
        offset = self.assert_report(result, rb"EInOutError", rb"Erreur E/S 103\.")
        self.assert_located_in(kelvor_cli.PROGRAM, offset, "RunSequence")
        self.assertIsNone(result.log)

    def test_a_full_standard_output(self):
        cases = [
            # The echo fails in the copy stage, then its handler's message fails too.
            ([], b"ab\n", b""),
            # The help screen fails outside the copy stage; no log is made.
            (["/?"], b"", None),
        ]
        for args, given, log in cases:
            if os.path.exists(self.path(kelvor_cli.DEFAULT_LOG)):
                os.remove(self.path(kelvor_cli.DEFAULT_LOG))
            with self.subTest(args=args), open("/dev/full", "wb") as full:
                proc = subprocess.run([*kelvor_cli.RUNNER, kelvor_cli.PROGRAM, *args],
                                      input=given, stdout=full, stderr=subprocess.PIPE,
                                      cwd=self.dir, env=self.env, timeout=60)
                result = kelvor_cli.Result(proc.returncode, b"", proc.stderr, self.read_log())
                self.assert_report(result, rb"EInOutError", rb"Erreur E/S 112\.")
                self.assertEqual(result.log, log)

    def test_a_closed_pipe_fails_the_echo_and_then_the_closing(self):
        read_end, write_end = os.pipe()
        os.close(read_end)
        lines = b"".join(b"line %03d\n" % i for i in range(40))
        try:
            result = self.run_program(kelvor_cli.PROGRAM, lines, stdout=write_end)
        finally:
            os.close(write_end)
        # The copy stage caught the echo's failure and buffered its message; writing that out
        # when standard output is closed fails again, and this is what the report names.
        # Windows says 232 (ERROR_NO_DATA); Wine says 233 (ERROR_PIPE_NOT_CONNECTED).
        code = rb"23[23]" if kelvor_cli.RUNNER else rb"232"
        self.assert_report(result, rb"EInOutError", rb"Erreur E/S " + code + rb"\.")
        self.assertTrue(result.log.startswith(b"line 000\r\n"))

    def test_an_unusable_standard_error_still_ends_with_exit_code_1(self):
        skip_under_wine(self, "Wine gives a closed descriptor a standard handle of its own")
        read_end, write_end = os.pipe()
        os.close(read_end)

        def no_output_closed_error():
            os.close(1)
            os.dup2(write_end, 2)

        try:
            for closing in (lambda: (os.close(1), os.close(2)), no_output_closed_error):
                result = self.run_program(kelvor_cli.PROGRAM, b"ab\n", preexec_fn=closing)
                self.assertEqual(result.code, 1)
                self.assertEqual(result.err, b"")
        finally:
            os.close(write_end)

    def test_memory_exhausted_by_a_long_line_is_caught_by_the_copy_stage(self):
        skip_under_wine(self, "Wine itself needs more address space than the limit leaves")
        skip_memory_when_sanitized(self)
        given = b"first\n" + b"x" * (3 * ADDRESS_SPACE) + b"\nlast\n"
        result = self.run_program(kelvor_cli.PROGRAM, given, preexec_fn=limit_address_space)
        self.assertEqual(result.out, b"first\r\n" + FAILURE_MESSAGE)
        self.assertEqual(result.log, b"first\r\n")
        self.assertEqual(result.err, b"")
        self.assertEqual(result.code, 1)

    def test_an_interrupt_ends_the_program_at_once(self):
        skip_under_wine(self, "an interrupt is a Linux signal here, a console event on Windows")
        proc = subprocess.Popen([*kelvor_cli.RUNNER, kelvor_cli.PROGRAM], stdin=subprocess.PIPE,
                                stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=self.dir,
                                env=self.env)
        try:
            proc.stdin.write(b"kept in the buffer\n")
            proc.stdin.flush()
            # The log is opened before the first read: once it exists, the program waits.
            deadline = time.monotonic() + 30
            while self.read_log() is None and time.monotonic() < deadline:
                time.sleep(0.01)
            time.sleep(0.1)
            proc.send_signal(signal.SIGINT)
            out, err = proc.communicate(timeout=30)
        finally:
            if proc.poll() is None:
                proc.kill()
        self.assertEqual(proc.returncode, -signal.SIGINT)
        # Nothing is written on the way out: not the echo waiting in its buffer, not a report.
        self.assertEqual(out, b"")
        self.assertEqual(err, b"")
        self.assertEqual(self.read_log(), b"")

    def test_the_shipped_program_has_no_test_hook(self):
        result = self.run_program(kelvor_cli.PROGRAM, b"ab\n", fault="read0@after")
        self.assertEqual((result.code, result.out, result.err), (0, b"ab\r\n", b""))


class FaultTest(FailureTest):
    """The fault build: processor faults and exhausted memory on demand."""

    def setUp(self):
        super().setUp()
        if FAULT_PROGRAM is None:
            self.skipTest("no fault build given")

    def test_an_access_violation_outside_the_copy_stage(self):
        result = self.run_program(FAULT_PROGRAM, b"ab\n", fault="read0@after")
        # The driver's clean-up writes out standard output before the report.
        self.assertEqual(result.out, b"ab\r\n")
        self.assertEqual(result.log, b"ab\r\n")
        pattern = report_pattern(
            rb"EAccessViolation",
            rb"Violation d'acc\x8As \x85 l'adresse ([0-9A-F]{8,16}) dans le module '"
            + module_name() + rb"'\. Lecture de l'adresse 00000000\.")
        match = pattern.match(result.err)
        self.assertIsNotNone(match, result.err)
        self.assertEqual(result.code, 1)
        offset, address = int(match.group(1), 16), int(match.group(2), 16)
        # The message shows the instruction's address itself, the first line its offset in the
        # program file, which is mapped at a page boundary.
        self.assertGreater(address, offset)
        self.assertEqual((address - offset) % 4096, 0)
        self.assert_located_in(FAULT_PROGRAM, offset, "ReadNull")

    def test_faults_outside_the_copy_stage_are_reported_by_class(self):
        cases = [
            ("write0", rb"EAccessViolation",
             rb"Violation d'acc\x8As \x85 l'adresse [0-9A-F]{8,16} dans le module '"
             + module_name() + rb"'\. Ecriture de l'adresse 00000000\.", "WriteNull"),
            ("divide", rb"EDivByZero", rb"Division par z\x82ro\.", "DivideByZero"),
            ("stack", rb"EStackOverflow", rb"D\x82bordement de pile\.", "Recurse"),
            ("illegal", rb"EExternalException", rb"Exception externe C000001D\.",
             "IllegalInstruction"),
            ("memory", rb"EOutOfMemory", rb"M\x82moire insuffisante\.", "operator new"),
        ]
        for fault, class_name, message, function in cases:
            with self.subTest(fault=fault):
                skip_fault_under_wine(self, fault)
                skip_memory_when_sanitized(self, fault)
                result = self.run_program(FAULT_PROGRAM, b"ab\n", fault=fault + "@after",
                                          preexec_fn=limit_address_space)
                self.assertEqual(result.out, b"ab\r\n")
                self.assertEqual(result.log, b"ab\r\n")
                offset = self.assert_report(result, class_name, message)
                self.assert_located_in(FAULT_PROGRAM, offset, function)

    def test_faults_inside_the_copy_stage_end_in_its_message(self):
        for fault in ("divide@line2", "read0@line2", "stack@line2", "illegal@line2",
                      "memory@line2"):
            with self.subTest(fault=fault):
                skip_fault_under_wine(self, fault.split("@")[0])
                skip_memory_when_sanitized(self, fault.split("@")[0])
                result = self.run_program(FAULT_PROGRAM, b"a\nb\nc\n", fault=fault,
                                          preexec_fn=limit_address_space)
                self.assertEqual(result.out, b"a\r\nb\r\n" + FAILURE_MESSAGE)
                # The log, closed on the way out of the loop, keeps the lines before.
                self.assertEqual(result.log, b"a\r\nb\r\n")
                self.assertEqual(result.err, b"")
                self.assertEqual(result.code, 1)


if __name__ == "__main__":
    if len(sys.argv) > 2 and not sys.argv[2].startswith("-"):
        FAULT_PROGRAM = os.path.abspath(sys.argv.pop(2))
    kelvor_cli.main()
