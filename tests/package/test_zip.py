"""The Windows archive: made by CPack from the Windows build, it holds the program and its
French readme side by side, the readme in Windows-1252 with CR LF line ends.

Usage: python3 test_zip.py CPACK BUILD_DIR SOURCE_DIR [unittest options]
"""

import os
import posixpath
import sys
import tempfile
import unittest
import zipfile

from package_build import make_package

CPACK = BUILD_DIR = SOURCE_DIR = None


class WindowsArchiveTest(unittest.TestCase):
    def test_archive_contents(self):
        with tempfile.TemporaryDirectory(prefix="kelvor-zip-") as out:
            path = make_package(CPACK, BUILD_DIR, "ZIP", out, "kelvor-*.zip")
            with zipfile.ZipFile(path) as archive:
                names = [name for name in archive.namelist() if not name.endswith("/")]
                top = posixpath.dirname(names[0])
                self.assertEqual(sorted(names), [top + "/LISEZMOI.txt", top + "/kelvor.exe"])
                program = archive.read(top + "/kelvor.exe")
                readme = archive.read(top + "/LISEZMOI.txt")
        self.assertEqual(program[:2], b"MZ")
        # Stripping keeps the version resource that Windows shows in the file's properties.
        for text in ("Fichier log de la sortie standard (console)", "1.1.0.0"):
            self.assertIn(text.encode("utf-16-le"), program)
        with open(os.path.join(SOURCE_DIR, "packaging", "LISEZMOI.txt"), "rb") as source:
            self.assertEqual(readme, source.read())
        # Every line ends in CR LF, and the accents are Windows-1252 bytes, not UTF-8.
        self.assertTrue(readme.endswith(b"\r\n"))
        self.assertEqual(readme.count(b"\n"), readme.count(b"\r\n"))
        self.assertEqual(readme.count(b"\r"), readme.count(b"\r\n"))
        self.assertIn("création".encode("cp1252"), readme)
        with self.assertRaises(UnicodeDecodeError):
            readme.decode("utf-8")


if __name__ == "__main__":
    CPACK, BUILD_DIR, SOURCE_DIR = sys.argv[1:4]
    del sys.argv[1:4]
    unittest.main()
