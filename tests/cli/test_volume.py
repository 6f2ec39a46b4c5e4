"""A gigabyte of short lines: every line arrives, and memory stays flat whatever the size."""

import fcntl
import os
import struct
import subprocess
import termios
import time

import kelvor_cli
from kelvor_cli import KelvorTest

GIGABYTE = 1 << 30
LINE = b"short line of text 0123456789\r\n"
BLOCK = LINE * 2048


def unread_bytes(fd):
    return struct.unpack("i", fcntl.ioctl(fd, termios.FIONREAD, b"\0" * 4))[0]


def peak_resident_kib(pid):
    # The high-water mark of the program's own memory, not of the process that started it.
    with open(f"/proc/{pid}/status") as status:
        for row in status:
            if row.startswith("VmHWM:"):
                return int(row.split()[1])
    raise AssertionError("no VmHWM")


class VolumeTest(KelvorTest):
    def test_a_gigabyte_of_short_lines_in_flat_memory(self):
        if kelvor_cli.RUNNER:
            self.skipTest("under a runner the memory measured would be the runner's")
        blocks = GIGABYTE // len(BLOCK)
        read_end, write_end = os.pipe()
        counter = subprocess.Popen(["wc", "-c"], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        kelvor = subprocess.Popen(kelvor_cli.RUNNER + [kelvor_cli.PROGRAM], stdin=read_end,
                                  stdout=counter.stdin, cwd=self.dir)
        counter.stdin.close()
        try:
            for _ in range(blocks):
                os.write(write_end, BLOCK)
            # Everything read, the input still open: the program is at its largest now.
            while unread_bytes(read_end) > 0:
                time.sleep(0.01)
            time.sleep(0.2)
            peak = peak_resident_kib(kelvor.pid)
        finally:
            os.close(write_end)
            os.close(read_end)
        self.assertEqual(kelvor.wait(), 0)
        echoed = int(counter.stdout.read())
        counter.wait()

        self.assertEqual(echoed, blocks * len(BLOCK))
        self.assertEqual(os.path.getsize(self.path("kelVOR.txt")), blocks * len(BLOCK))
        # The sanitizer's own runtime and shadow memory are no part of the program's.
        if not os.environ.get("KELVOR_SANITIZED"):
            self.assertLess(peak, 4 * 1024, "peak resident memory in KiB")


if __name__ == "__main__":
    kelvor_cli.main()
