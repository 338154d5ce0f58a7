"""kodra decode asking on a terminal: answers typed into a pseudo-terminal."""
import unittest

from cli_support import CliTestCase, converse, run, sample_bytes, uu_section

DECODE_QUESTION = b"(y)es, (n)o, (c)ancel? "
YES_NO_QUESTION = b"(y)es, (n)o? "


class PromptTest(CliTestCase):
    def setUp(self):
        super().setUp()
        self.first, self.second = sample_bytes(300, 11), sample_bytes(200, 12)
        self.write("msg.txt", b"Two files follow.\r\n\r\n" + uu_section("first.bin", self.first) +
                   b"\r\nAnd the second:\r\n\r\n" + uu_section("second.bin", self.second))

    def test_yes_then_cancel(self):
        code, seen = converse(["decode", "msg.txt"], self.dir, [
            (b"Decode file " + str(self.dir / "first.bin").encode(), b""),
            (DECODE_QUESTION, b"y\n"),
            (b"Decode file " + str(self.dir / "second.bin").encode(), b""),
            (DECODE_QUESTION, b"c\n"),
        ])
        self.assertEqual(code, 0, f"got exit {code}, want 0; terminal: {seen!r}")
        self.assertEqual((self.dir / "first.bin").read_bytes(), self.first)
        self.assertFalse((self.dir / "second.bin").exists(), "got second.bin written after Cancel")
        self.assertIn(str(self.dir / "first.bin").encode() + b"\r\n", seen)

    def test_keep_existing_then_yes(self):
        self.write("first.bin", b"older")
        code, seen = converse(["decode", "msg.txt"], self.dir, [
            (DECODE_QUESTION, b"y\n"),
            (b"exists.", b""),
            (YES_NO_QUESTION, b"n\n"),
            (DECODE_QUESTION, b"y\n"),
        ])
        self.assertEqual(code, 0, f"got exit {code}, want 0; terminal: {seen!r}")
        self.assertEqual((self.dir / "first.bin").read_bytes(), b"older")
        self.assertEqual((self.dir / "second.bin").read_bytes(), self.second)

    def test_no_chooses_another_name(self):
        other = self.dir / "renamed.bin"
        code, seen = converse(["decode", "msg.txt"], self.dir, [
            (DECODE_QUESTION, b"n\n"),
            (b"Save as", str(other).encode() + b"\n"),
            (DECODE_QUESTION, b"c\n"),
        ])
        self.assertEqual(code, 0, f"got exit {code}, want 0; terminal: {seen!r}")
        self.assertEqual(other.read_bytes(), self.first)
        self.assertFalse((self.dir / "first.bin").exists())

    def test_ask_overwrite_asks_only_before_replacing(self):
        self.write("second.bin", b"older")
        code, seen = converse(["decode", "--ask-overwrite", "msg.txt"], self.dir, [
            (YES_NO_QUESTION, b"y\n"),
        ])
        self.assertEqual(code, 0, f"got exit {code}, want 0; terminal: {seen!r}")
        self.assertNotIn(DECODE_QUESTION, seen)
        self.assertEqual((self.dir / "first.bin").read_bytes(), self.first)
        self.assertEqual((self.dir / "second.bin").read_bytes(), self.second)


if __name__ == "__main__":
    unittest.main()


class ProgressTest(CliTestCase):
    def test_progress_line_on_terminal_only(self):
        self.write("big.bin", bytes(12 << 20))
        code, seen = converse(["encode", "-o", "on-terminal.eml", "big.bin"], self.dir, [])
        self.assertEqual(code, 0, f"got exit {code}; terminal: {seen[-300:]!r}")
        self.assertIn(b"encoding big.bin: 12.0 MiB of 12.0 MiB (100%)", seen)
        self.assertIn(b"MiB/s\r\x1b[K", seen, "got the progress line left standing")
        piped = run("encode", "-o", "piped.eml", "big.bin", cwd=self.dir)
        self.assertEqual(piped.returncode, 0)
        self.assertEqual(piped.stderr, b"", "got progress output on a pipe")
