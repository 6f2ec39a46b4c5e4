"""Seeded random inputs, every byte value among them, written into the program's standard input
in pieces of random size with pauses in between: the echo and the log are exactly what a plain
model of the line rules and of the code page 850 to Windows-1252 table make of them.

Usage: python3 test_properties.py PATH_TO_KELVOR [unittest options]
KELVOR_PROPERTY_RUNS sets the number of seeded runs (40 by default).
"""

import os
import random
import re
import subprocess
import threading
import time

import kelvor_cli
from kelvor_cli import KelvorTest

TABLE_FILE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "src",
                          "platform", "posix", "codepage_850.inc")
RUNS = int(os.environ.get("KELVOR_PROPERTY_RUNS", "40"))


def oem_850_to_ansi():
    """The committed conversion table, as the program uses it."""
    with open(TABLE_FILE) as f:
        text = f.read()
    body = re.search(r"kOem850ToAnsi\[256\] = \{(.*?)\};", text, re.S).group(1)
    table = bytes(int(value, 16) for value in re.findall(r"0x([0-9a-fA-F]{2})", body))
    assert len(table) == 256
    return table


def model_lines(data):
    """The line rules, byte by byte: LF or CR LF ends a line, other CRs are dropped, 0x1A ends
    the input where a line would begin and cuts a line short inside one."""
    lines, i = [], 0
    while i < len(data) and data[i] != 0x1A:
        line = bytearray()
        while i < len(data):
            byte = data[i]
            i += 1
            if byte == 0x0A:
                break
            if byte == 0x0D:
                continue
            if byte == 0x1A:
                # The rest of the line is skipped through its LF; another 0x1A ends the input.
                while i < len(data) and data[i] not in (0x0A, 0x1A):
                    i += 1
                if i < len(data) and data[i] == 0x1A:
                    lines.append(bytes(line))
                    return lines
                i += 1
                break
            line.append(byte)
        lines.append(bytes(line))
    return lines


def random_input(rng):
    """Line ends, lone CRs and the end-of-text byte more often than chance alone would give,
    and now and then a line longer than the buffer and the line pieces."""
    data = bytearray()
    for _ in range(rng.randrange(0, 60)):
        kind = rng.random()
        if kind < 0.1:
            data += bytes(rng.randrange(256) for _ in range(rng.randrange(200, 700)))
        else:
            data += bytes(rng.randrange(256) for _ in range(rng.randrange(0, 40)))
        data += rng.choice([b"\n", b"\r\n", b"\r", b"\r\r\n", b"\n\r", b""])
        if rng.random() < 0.02:
            data += b"\x1a"
    return bytes(data)


class PropertyTest(KelvorTest):
    TABLE = oem_850_to_ansi()

    def feed(self, args, data, rng):
        """Runs the program while writing `data` in random pieces with random pauses."""
        proc = subprocess.Popen([*kelvor_cli.RUNNER, kelvor_cli.PROGRAM, *args],
                                stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                stderr=subprocess.PIPE, cwd=self.dir, env=self.env)
        outputs = {}
        readers = [threading.Thread(target=lambda n=n, s=s: outputs.update({n: s.read()}))
                   for n, s in (("out", proc.stdout), ("err", proc.stderr))]
        for reader in readers:
            reader.start()
        try:
            at = 0
            while at < len(data):
                piece = rng.randrange(1, 300)
                proc.stdin.write(data[at:at + piece])
                proc.stdin.flush()
                at += piece
                time.sleep(rng.choice([0, 0, 0.0005, 0.002]))
        except BrokenPipeError:
            pass  # the program stops reading at the end-of-text byte, and may have ended
        finally:
            try:
                proc.stdin.close()
            except BrokenPipeError:
                pass
            code = proc.wait(timeout=60)
            for reader in readers:
                reader.join()
            proc.stdout.close()
            proc.stderr.close()
        return kelvor_cli.Result(code, outputs["out"], outputs["err"], self.read_log())

    def test_echo_and_log_follow_the_model(self):
        for seed in range(RUNS):
            rng = random.Random(seed)
            data = random_input(rng)
            args = ["/S"] if seed % 4 == 3 else []
            with self.subTest(seed=seed, size=len(data), args=args):
                lines = model_lines(data)
                result = self.feed(args, data, rng)
                echo = b"".join(line + b"\r\n" for line in lines)
                log = b"".join(line.translate(self.TABLE) + b"\r\n" for line in lines)
                self.assertEqual((result.code, result.err), (0, b""))
                self.assertTrue(result.out == (b"" if args else echo), "echo differs")
                self.assertTrue(result.log == log, "log differs")

    def test_the_model_agrees_with_the_worked_examples(self):
        # The model is checked on its own, so that a fault in it cannot hide one in the program.
        cases = [
            (b"ab\r\ncd\r\n", [b"ab", b"cd"]), (b"ab\r\ncd", [b"ab", b"cd"]), (b"", []),
            (b"\r\n", [b""]), (b"\n\n", [b"", b""]), (b"a\rb\r\n", [b"ab"]),
            (b"ab\r", [b"ab"]), (b"ab\n\r", [b"ab", b""]), (b"ab\r\n\x1acd\r\n", [b"ab"]),
            (b"ab\x1acd\r\nef\r\n", [b"ab", b"ef"]), (b"ab\x1acd\x1aef\ngh\n", [b"ab"]),
            (b"ab\x1a", [b"ab"]), (b"\x1aab\r\n", []), (b"a\x00b\n", [b"a\x00b"]),
        ]
        for given, lines in cases:
            with self.subTest(input=given):
                self.assertEqual(model_lines(given), lines)
        self.assertEqual(b"caf\x82 \xc4\xb3".translate(self.TABLE), b"caf\xe9 -\xa6")


if __name__ == "__main__":
    kelvor_cli.main()
