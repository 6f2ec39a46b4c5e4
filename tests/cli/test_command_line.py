"""The command line: the log file's name, the silent switch, and the help screen."""

import os
import subprocess
import unittest

import kelvor_cli
from kelvor_cli import FAILURE_MESSAGE, KelvorTest

# The help screen as a code page 850 console receives it.
HELP = b"".join(line + b"\r\n" for line in [
    b"KELVOR v1.1 - logiciel libre, fourni tel quel",
    b"Cr\x82e un fichier (log) ANSI de la sortie standard",
    b" ",
    b"Syntaxe    : cmd [params] | kelvor [/S] [filename]",
    b" ",
    b"  cmd      : commande \x85 ex\x82cuter",
    b"  params   : param\x8atres classiques de la commande",
    b"  /S       : ignore l'affichage \x82cran (= redirection ANSI)",
    b"  filename : nom du fichier \x85 cr\x82er (d\x82faut : kelVOR.txt)",
    b" ",
    b"  Exemples : dir | kelvor",
    b"             xcopy *.* x:\\backup\\ | kelvor \"backup log.txt\"",
])


class HelpTest(KelvorTest):
    def test_help_is_written_once_and_nothing_else_happens(self):
        for args in (["?"], ["/?"], ["/?", "/S", "x.txt"], ["x.txt", "/?", "?"], ["/s", "?"]):
            with self.subTest(args=args):
                self.expect(args, b"line\n", HELP, None)
                self.assertEqual(os.listdir(self.dir), [])

    def test_help_leaves_standard_input_unread(self):
        read_end, write_end = os.pipe()
        try:
            os.write(write_end, b"still here\n")
            os.close(write_end)
            result = self.run_kelvor(["?"], stdin=read_end, log=None)
            self.assertEqual(result.out, HELP)
            self.assertEqual(result.code, 0)
            self.assertEqual(os.read(read_end, 100), b"still here\n")
        finally:
            os.close(read_end)

    def test_a_help_screen_that_cannot_be_written_fails(self):
        # What standard error says is the failure report's business; the exit code must be 1.
        with open("/dev/full", "wb") as full:
            result = self.run_kelvor(["/?"], stdout=full, log=None)
        self.assertEqual(result.code, 1)
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            result = self.run_kelvor(["?"], stdout=write_end, log=None)
        finally:
            os.close(write_end)
        self.assertEqual(result.code, 1)
        self.assertEqual(os.listdir(self.dir), [])


class ArgumentsTest(KelvorTest):
    def run_and_take_files(self, args, input):
        """Runs the program, then takes away every file it left: {name: content}."""
        result = self.run_kelvor(args, input, log=None)
        folder = os.fsencode(self.dir)
        files = {}
        for name in os.listdir(folder):
            with open(os.path.join(folder, name), "rb") as f:
                files[name] = f.read()
            os.remove(os.path.join(folder, name))
        return result, files

    def expect_log(self, args, input, out, name, log):
        result, files = self.run_and_take_files(args, input)
        self.assertEqual(result.out, out)
        self.assertEqual(files, {name: log})
        self.assertEqual(result.err, b"")
        self.assertEqual(result.code, 0)

    def test_the_first_other_argument_names_the_log_with_its_case(self):
        # (arguments, the one file left): switches never become the name, nothing is refused.
        cases = [
            ([], b"kelVOR.txt"),
            (["Log.TXT"], b"Log.TXT"),
            (["backup log.txt"], b"backup log.txt"),
            (["a.txt", "b.txt"], b"a.txt"),
            (["", "x.txt"], b"x.txt"),
            (["-S"], b"-S"),
            (["/", "/x", "/SS", "/silent", "/help", "/?x"], b"kelVOR.txt"),
        ]
        if not kelvor_cli.WINDOWS:
            # Neither a switch nor help: a name, which only Windows refuses for its "?".
            cases += [(["??"], b"??"), (["?x"], b"?x")]
        if not kelvor_cli.RUNNER:
            # Linux passes the bytes of a name through as they are, whatever they encode.
            cases.append(([b"caf\xc3\xa9 \x82.TXT"], b"caf\xc3\xa9 \x82.TXT"))
        for args, name in cases:
            with self.subTest(args=args):
                self.expect_log(args, b"ab\x82\n", b"ab\x82\r\n", name, b"ab\xe9\r\n")

    def test_a_name_that_windows_refuses(self):
        if not kelvor_cli.WINDOWS:
            self.skipTest("only Windows refuses a \"?\" in a file name")
        for args in (["??"], ["?x"]):
            with self.subTest(args=args):
                result, files = self.run_and_take_files(args, b"ab\n")
                self.assertEqual((result.out, files, result.code), (FAILURE_MESSAGE, {}, 1))

    def test_the_silent_switch_in_any_place_and_case(self):
        for args, name in ((["/S"], b"kelVOR.txt"), (["/s"], b"kelVOR.txt"),
                           (["/S", "a.txt"], b"a.txt"), (["a.txt", "/s"], b"a.txt"),
                           (["/S", "/S"], b"kelVOR.txt")):
            with self.subTest(args=args):
                self.expect_log(args, b"ab\x82\ncd", b"", name, b"ab\xe9\r\ncd\r\n")

    def test_a_log_in_a_missing_directory(self):
        for args in (["missing/x.txt"], ["/S", "missing/x.txt"]):
            with self.subTest(args=args):
                self.expect(args, b"ab\n", FAILURE_MESSAGE, None, code=1,
                            log_name="missing/x.txt")
                self.assertEqual(os.listdir(self.dir), [])


if __name__ == "__main__":
    kelvor_cli.main()
