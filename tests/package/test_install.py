"""`cmake --install` into a fresh prefix: the program, its French manual page as it is kept in
the source tree, the copyright file, and nothing else.

Usage: python3 test_install.py CMAKE BUILD_DIR SOURCE_DIR [unittest options]
"""

import os
import subprocess
import sys
import tempfile
import unittest

CMAKE = BUILD_DIR = SOURCE_DIR = None

EXPECTED_FILES = {
    "bin/kelvor",
    "share/doc/kelvor/copyright",
    "share/man/man1/kelvor.1",
}


class InstallTest(unittest.TestCase):
    def test_install_into_a_prefix(self):
        with tempfile.TemporaryDirectory(prefix="kelvor-install-") as prefix:
            subprocess.run([CMAKE, "--install", BUILD_DIR, "--prefix", prefix], check=True,
                           stdout=subprocess.DEVNULL, timeout=120)
            files = {os.path.relpath(os.path.join(folder, name), prefix)
                     for folder, _, names in os.walk(prefix) for name in names}
            self.assertEqual(files, EXPECTED_FILES)
            with open(os.path.join(prefix, "share/man/man1/kelvor.1"), "rb") as installed, \
                    open(os.path.join(SOURCE_DIR, "doc/kelvor.1"), "rb") as source:
                self.assertEqual(installed.read(), source.read())
            help_screen = subprocess.run([os.path.join(prefix, "bin/kelvor"), "/?"],
                                         capture_output=True, cwd=prefix, timeout=60)
            self.assertEqual(help_screen.returncode, 0)
            self.assertTrue(help_screen.stdout.startswith(b"KELVOR v1.1 "), help_screen.stdout)


if __name__ == "__main__":
    CMAKE, BUILD_DIR, SOURCE_DIR = sys.argv[1:4]
    del sys.argv[1:4]
    unittest.main()
