"""The Debian package as a user gets it: made by CPack from the build tree, unpacked with
dpkg -x into a temporary root, and the program found there run on a real pipe.

Usage: python3 test_deb.py CPACK BUILD_DIR SOURCE_DIR [unittest options]
Exits with 77, which the test counts as skipped, where dpkg-deb is missing.
"""

import gzip
import os
import shutil
import subprocess
import sys
import tempfile
import unittest

from package_build import make_package

CPACK = BUILD_DIR = SOURCE_DIR = None

# What the package installs, and nothing else: no test program may slip in.
EXPECTED_FILES = {
    "usr/bin/kelvor",
    "usr/share/doc/kelvor/changelog.Debian.gz",
    "usr/share/doc/kelvor/copyright",
    "usr/share/lintian/overrides/kelvor",
    "usr/share/man/man1/kelvor.1.gz",
}


def run(args, **kwargs):
    return subprocess.run(args, capture_output=True, timeout=120, **kwargs)


class DebianPackageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls._tmp = tempfile.TemporaryDirectory(prefix="kelvor-deb-")
        cls.deb = make_package(CPACK, BUILD_DIR, "DEB", os.path.join(cls._tmp.name, "out"),
                               "kelvor_*.deb")
        cls.root = os.path.join(cls._tmp.name, "root")
        subprocess.run(["dpkg", "-x", cls.deb, cls.root], check=True, timeout=60)

    @classmethod
    def tearDownClass(cls):
        cls._tmp.cleanup()

    def field(self, name):
        return run(["dpkg-deb", "-f", self.deb, name], check=True).stdout.decode().strip()

    def installed(self, path):
        return os.path.join(self.root, path)

    def test_control_fields(self):
        self.assertEqual(self.field("Package"), "kelvor")
        architecture = run(["dpkg", "--print-architecture"], check=True).stdout.decode().strip()
        self.assertEqual(self.field("Architecture"), architecture)
        # Computed by dpkg-shlibdeps from the binary, hence the version bounds.
        self.assertRegex(self.field("Depends"), r"(^|, )libc6 \(>= [0-9.]+\)")
        with gzip.open(self.installed("usr/share/doc/kelvor/changelog.Debian.gz")) as changelog:
            first_line = changelog.readline().decode()
        self.assertEqual(first_line.split()[:2], ["kelvor", "(%s)" % self.field("Version")])

    def test_contents(self):
        listing = run(["dpkg-deb", "--fsys-tarfile", self.deb], check=True).stdout
        names = run(["tar", "-t"], input=listing, check=True).stdout.decode().split()
        files = {name[2:] for name in names if not name.endswith("/")}
        self.assertEqual(files, EXPECTED_FILES)
        self.assertTrue(os.access(self.installed("usr/bin/kelvor"), os.X_OK))

    def run_installed(self, args, given, folder):
        env = {k: v for k, v in os.environ.items() if not k.startswith("LC_")}
        env["LANG"] = "C"
        return run([self.installed("usr/bin/kelvor"), *args], input=given, cwd=folder, env=env)

    def test_the_installed_program_on_a_pipe(self):
        # A code page 850 "é" and box-drawing characters, one CR LF line and one LF line.
        given = b"caf\x82 \xc4\xc4\xb3\r\nfin\n"
        logged = b"caf\xe9 --\xa6\r\nfin\r\n"
        cases = [
            ([], "kelVOR.txt", b"caf\x82 \xc4\xc4\xb3\r\nfin\r\n"),
            (["/S", "journal.txt"], "journal.txt", b""),
        ]
        for args, log_name, echoed in cases:
            with self.subTest(args=args), tempfile.TemporaryDirectory() as folder:
                result = self.run_installed(args, given, folder)
                self.assertEqual((result.returncode, result.stdout, result.stderr),
                                 (0, echoed, b""))
                with open(os.path.join(folder, log_name), "rb") as log:
                    self.assertEqual(log.read(), logged)

    def test_manual_page(self):
        with gzip.open(self.installed("usr/share/man/man1/kelvor.1.gz")) as packaged:
            page = packaged.read()
        with open(os.path.join(SOURCE_DIR, "doc", "kelvor.1"), "rb") as source:
            self.assertEqual(page, source.read())
        page.decode("utf-8")
        # Read as UTF-8 (as man reads it) and as groff's own Latin-1: no warning either way.
        for options in (["-K", "utf8"], []):
            with self.subTest(groff=options):
                result = run(["groff", *options, "-man", "-ww", "-z"], input=page)
                self.assertEqual((result.returncode, result.stderr.decode()), (0, ""))

    def test_manual_page_as_man_shows_it(self):
        if shutil.which("man") is None:
            self.skipTest("man is not installed")
        env = dict(os.environ, LANG="C.UTF-8", MANWIDTH="100")
        env.pop("LC_ALL", None)
        result = run(["man", "-l", self.installed("usr/share/man/man1/kelvor.1.gz")], env=env)
        self.assertEqual((result.returncode, result.stderr.decode()), (0, ""))
        shown = result.stdout.decode()
        for text in ("commande | kelvor [/S] [fichier]",
                     "kelVOR: Erreur dans la création du fichier de sortie",
                     "Exception EInOutError dans le module kelvor dans",
                     "xcopy *.* x:\\backup\\ | kelvor \"backup log.txt\"",
                     "FICHIER PAR DÉFAUT"):
            self.assertIn(text, shown)

    def test_copyright(self):
        with open(self.installed("usr/share/doc/kelvor/copyright"), encoding="utf-8") as f:
            text = f.read()
        self.assertTrue(text.startswith(
            "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/\n"))
        self.assertIn("\nCopyright: 2026 kelVOR developers\nLicense: MIT\n", text)
        self.assertIn(" Permission is hereby granted, free of charge,", text)

    def test_lintian_finds_no_error(self):
        if shutil.which("lintian") is None:
            self.skipTest("lintian is not installed")
        result = run(["lintian", "--tag-display-limit", "0", self.deb])
        report = result.stdout.decode()
        sys.stderr.write(report)
        self.assertEqual([line for line in report.splitlines() if line.startswith("E:")], [])
        self.assertEqual(result.returncode, 0, result.stderr.decode())


if __name__ == "__main__":
    if shutil.which("dpkg-deb") is None:
        print("dpkg-deb is not installed: no Debian package to test")
        sys.exit(77)
    CPACK, BUILD_DIR, SOURCE_DIR = sys.argv[1:4]
    del sys.argv[1:4]
    unittest.main()
