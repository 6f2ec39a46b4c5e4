"""The console's character set on Linux follows the locale: a UTF-8 terminal, or one of the
Western code pages, for the lines logged and for the program's own texts."""

import fcntl
import os
import unittest

import kelvor_cli
from kelvor_cli import KelvorTest

UTF8 = {"LC_ALL": "C.UTF-8"}
FAILURE_TEXT = "kelVOR: Erreur dans la création du fichier de sortie\r\n"


class LocaleTest(KelvorTest):
    def setUp(self):
        super().setUp()
        if kelvor_cli.RUNNER:
            self.skipTest("the console of a Windows build speaks Windows' own OEM code page")

    def run_in(self, locale, args=(), input=b"", **options):
        """Runs with the locale variables of `locale` in place of the harness's LANG=C."""
        for name in ("LC_ALL", "LC_CTYPE", "LANG"):
            self.env.pop(name, None)
        self.env.update(locale)
        return self.run_kelvor(args, input, **options)

    def failure_message_in(self, locale):
        """The message of a log file that cannot be created: kelVOR.txt is a directory."""
        log = self.path(kelvor_cli.DEFAULT_LOG)
        if os.path.isfile(log):
            os.remove(log)
        os.mkdir(log)
        try:
            result = self.run_in(locale, [], b"x\n", log=None)
        finally:
            os.rmdir(log)
        self.assertEqual(result.code, 1)
        return result.out


class Utf8ConsoleTest(LocaleTest):
    def test_lines_are_echoed_as_read_and_logged_in_windows_1252(self):
        cases = [
            (b"caf\xc3\xa9 \xe2\x82\xac \xe2\x94\x80 \xf0\x9f\x98\x80 \xff\n",
             b"caf\xe9 \x80 - ? ?\r\n"),
            (b"\xc5\x92uvre \xe2\x80\x9cok\xe2\x80\x9d\n", b"\x8cuvre \x93ok\x94\r\n"),
            # A broken sequence takes nothing from the line end or from the next line.
            (b"ab\xc3\r\n\xe2\x82\ncd\xf0\x9f\x98", b"ab?\r\n?\r\ncd?\r\n"),
            (b"\xed\xa0\x80|\xc0\xaf|\xf4\x90\x80\x80\n", b"???|??|????\r\n"),
        ]
        for given, log in cases:
            with self.subTest(input=given):
                result = self.run_in(UTF8, [], given)
                echo = given.replace(b"\r\n", b"\n").replace(b"\n", b"\r\n")
                if not echo.endswith(b"\r\n"):
                    echo += b"\r\n"
                self.assertEqual(result.out, echo)
                self.assertEqual(result.log, log)
                self.assertEqual(result.err, b"")
                self.assertEqual(result.code, 0)

    def test_a_character_split_between_two_reads_converts_whole(self):
        # Standard input is read 128 bytes at a time: these characters straddle the boundary.
        for offset, char in [(127, "é"), (127, "€"), (126, "€"), (127, "😀"), (125, "😀")]:
            with self.subTest(offset=offset, char=char):
                line = b"a" * offset + char.encode() + b"z" * 200
                result = self.run_in(UTF8, [], line + b"\n")
                self.assertEqual(result.out, line + b"\r\n")
                expected = char.encode("cp1252", errors="replace")
                self.assertEqual(result.log, b"a" * offset + expected + b"z" * 200 + b"\r\n")

    def test_every_character_of_the_basic_plane_is_one_byte_in_the_log(self):
        chars = [chr(c) for c in range(0x20, 0x10000) if not 0xD800 <= c <= 0xDFFF]
        result = self.run_in(UTF8, [], "".join(chars).encode() + b"\n")
        self.assertEqual(result.code, 0)
        log = result.log[:-2]
        self.assertEqual(len(log), len(chars))
        for char, byte in zip(chars, log):
            try:
                exact = char.encode("cp1252")
            except UnicodeEncodeError:
                continue  # best fit or '?', as Windows decides
            self.assertEqual(bytes([byte]), exact, f"U+{ord(char):04X}")

    def test_the_failure_message_is_utf8(self):
        self.assertEqual(self.failure_message_in(UTF8), FAILURE_TEXT.encode())

    def test_the_help_screen_is_utf8_with_its_accents(self):
        plain = self.run_kelvor(["/?"])
        if plain.code != 0 or not plain.out:
            self.skipTest("no help screen in this build yet")
        result = self.run_in(UTF8, ["/?"])
        text = result.out.decode("utf-8")  # strict: fails on anything ill-formed
        self.assertEqual(text, plain.out.decode("cp850"))
        for words in ("Crée un fichier", "à exécuter", "paramètres", "défaut"):
            self.assertIn(words, text)
        self.assertEqual(result.code, 0)

    def test_a_last_resort_report_is_utf8(self):
        # The help screen into a file that refuses writes: a failure outside the copy stage,
        # with an accented message ("Accès au fichier refusé").
        plain = self.run_help_into_a_sealed_file({})
        if plain.code != 1 or not plain.err:
            self.skipTest("no last-resort report on standard error in this build yet")
        result = self.run_help_into_a_sealed_file(UTF8)
        text = result.err.decode("utf-8")
        self.assertEqual(text, plain.err.decode("cp850"))
        self.assertIn("Accès au fichier refusé.", text)
        self.assertEqual(result.code, 1)

    def run_help_into_a_sealed_file(self, locale):
        fd = os.memfd_create("sealed", os.MFD_ALLOW_SEALING)
        try:
            fcntl.fcntl(fd, fcntl.F_ADD_SEALS, fcntl.F_SEAL_WRITE)
            return self.run_in(locale, ["/?"], stdout=fd)
        finally:
            os.close(fd)


class CodePageTest(LocaleTest):
    # Bytes that each code page converts in its own way.
    INPUT = b"\x80\xa4\xd5\xbd\xa6\x82\xc3\xa9\n"
    CP850 = (b"\xc7\xf1i\xa2\xaa\xe9+\xae\r\n", b"\x82")

    def test_each_locale_gives_its_code_page(self):
        # (locale variables, log of INPUT, the "é" of the failure message on the console)
        cases = [
            ({"LANG": "fr_FR.IBM850"}, *self.CP850),
            ({"LC_CTYPE": "en_US.CP437"}, b"\xc7\xf1++\xaa\xe9+\xac\r\n", b"\x82"),
            ({"LC_ALL": "fr_FR.ISO-8859-1"}, b"?\xa4\xd5\xbd\xa6?\xc3\xa9\r\n", b"\xe9"),
            ({"LANG": "fr_FR.ISO-8859-15@euro"}, b"?\x80\xd5\x9c\x8a?\xc3\xa9\r\n", b"\xe9"),
            ({"LANG": "fr_FR.CP1252"}, b"\x80\xa4\xd5\xbd\xa6\x82\xc3\xa9\r\n", b"\xe9"),
            ({"LANG": "fr_FR.utf8"}, b"?????\xe9\r\n", b"\xc3\xa9"),  # D5 BD is one character
            # The first variable set and not empty decides.
            ({"LC_ALL": "", "LC_CTYPE": "fr_FR.ISO-8859-1", "LANG": "fr_FR.UTF-8"},
             b"?\xa4\xd5\xbd\xa6?\xc3\xa9\r\n", b"\xe9"),
            ({"LC_ALL": "C", "LANG": "fr_FR.UTF-8"}, *self.CP850),
            # No character set, or one we do not know: code page 850.
            ({}, *self.CP850),
            ({"LANG": "fr_FR@euro"}, *self.CP850),
            ({"LANG": "ru_RU.KOI8-R"}, *self.CP850),
        ]
        for locale, log, e_acute in cases:
            with self.subTest(locale=locale):
                result = self.run_in(locale, [], self.INPUT)
                self.assertEqual(result.out, self.INPUT[:-1] + b"\r\n")
                self.assertEqual(result.log, log)
                message = FAILURE_TEXT.encode("cp1252").replace(b"\xe9", e_acute)
                self.assertEqual(self.failure_message_in(locale), message)

    def test_exact_characters_agree_with_each_code_page(self):
        data = bytes(b for b in range(256) if b not in b"\n\r\x1a")
        for locale, codec in [("fr_FR.IBM850", "cp850"), ("en_US.IBM437", "cp437"),
                              ("fr_FR.ISO-8859-1", "latin-1"), ("fr_FR.ISO-8859-15", "iso8859-15"),
                              ("fr_FR.CP1252", "cp1252")]:
            with self.subTest(locale=locale):
                log = self.run_in({"LC_ALL": locale}, [], data + b"\n").log
                self.assertEqual(len(log), len(data) + 2)
                for given, byte in zip(data, log):
                    try:
                        exact = bytes([given]).decode(codec).encode("cp1252")
                    except UnicodeError:
                        continue  # best fit or '?', as Windows decides
                    self.assertEqual(bytes([byte]), exact, f"byte {given:#04x}")


if __name__ == "__main__":
    kelvor_cli.main()
