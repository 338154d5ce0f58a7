"""Names and text from messages reach the terminal with their control characters shown,
never obeyed: ESC sequences, BEL, CR and C1 controls are written as \\xNN. The library
already turns C0 controls in attachment names into "_"; what remains (C1 bytes, folder
names given by the user, header values, message text) is escaped by the command."""
import unittest

from cli_support import CliTestCase, converse, run, sample_bytes, uu_section

HOSTILE = b"a\x1b[2J\x07b\rc.txt"
HOSTILE_SHOWN = b"a\\x1b[2J\\x07b\\x0dc.txt"
HOSTILE_CLEANED = b"a_[2J_b_c.txt"
HOSTILE_FOLDER = "in\x1b[2J\x07"
HOSTILE_FOLDER_SHOWN = b"in\\x1b[2J\\x07"
RAW_CONTROLS = (b"\x1b[", b"\x07", b"b\rc", b"\x9b")


class TerminalTextTest(CliTestCase):
    def assertNothingObeyed(self, shown, context):
        for raw in RAW_CONTROLS:
            self.assertNotIn(raw, shown, f"{context}: got raw {raw!r} in {shown!r}")

    def test_names_in_list_output_are_shown_escaped(self):
        cases = [
            {"name": "escape bell and carriage return", "attachment": HOSTILE, "shown": HOSTILE_CLEANED},
            # A name that is not UTF-8 is read as Latin-1: the stray byte is U+009B, shown escaped.
            {"name": "stray C1 byte", "attachment": b"x\x9b31my.bin", "shown": b"x\\xc2\\x9b31my.bin"},
            {"name": "C1 control as UTF-8", "attachment": b"x\xc2\x9b31my.bin", "shown": b"x\\xc2\\x9b31my.bin"},
            {"name": "delete", "attachment": b"x\x7fy.bin", "shown": b"x_y.bin"},
            {"name": "UTF-8 letters stay", "attachment": "café-ü.bin".encode(), "shown": "café-ü.bin".encode()},
            {"name": "Latin-1 letter", "attachment": b"caf\xe9.bin", "shown": "café.bin".encode()},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                self.write("msg.txt", uu_section(case["attachment"], sample_bytes(60, 1)))
                result = run("list", "msg.txt", cwd=self.dir)
                self.assertExit(result, 0, case["name"])
                shown = case["shown"] if isinstance(case["shown"], tuple) else (case["shown"],)
                wanted = [str(self.dir).encode() + b"/" + name + b"\n" for name in shown]
                self.assertIn(result.stdout, wanted, f"got {result.stdout!r}, want one of {wanted!r}")
                result.stdout.decode("utf-8")  # fails on anything but UTF-8

    def test_decode_output_lines_are_escaped(self):
        data = sample_bytes(90, 2)
        self.write("msg.txt", uu_section(HOSTILE, data))
        result = run("decode", "-y", "msg.txt", cwd=self.dir)
        self.assertExit(result, 0, "decode -y")
        self.assertNothingObeyed(result.stdout, "decode -y")
        self.assertIn(HOSTILE_CLEANED, result.stdout)
        self.assertEqual((self.dir / HOSTILE_CLEANED.decode()).read_bytes(), data)
        result = run("decode", "-C", "out", "msg.txt", cwd=self.dir)
        self.assertExit(result, 0, "decode -C")
        self.assertEqual(result.stdout, str(self.dir / "out/a_[2J_b_c.txt").encode() + b"\n")

    def test_error_messages_are_escaped(self):
        cases = [
            {"name": "missing input", "args": ["decode", "-y", HOSTILE.decode()]},
            {"name": "missing source", "args": ["encode", HOSTILE.decode()]},
            {"name": "bad type", "args": ["buffer", "encode", "-t", HOSTILE.decode()]},
            {"name": "no date", "args": ["date", HOSTILE.decode()]},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                result = run(*case["args"], cwd=self.dir)
                self.assertNotEqual(result.returncode, 0, case["name"])
                self.assertNothingObeyed(result.stderr, case["name"])
                self.assertIn(HOSTILE_SHOWN, result.stderr, f"got {result.stderr!r}")

    def test_header_values_are_escaped(self):
        self.write("msg.eml", b"From: ada@example.org\r\n"
                              b"Subject: =?iso-8859-1?q?hi=1B=5B2J=07there=0Dx?=\r\n\r\nBody\r\n")
        result = run("headers", "msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "headers")
        self.assertNothingObeyed(result.stdout, "headers")
        self.assertIn(b"hi\\x1b[2J\\x07there\\x0dx", result.stdout)

    def test_prompts_show_names_escaped(self):
        # The prompt shows the output's path: the folder's controls are the command's to escape.
        folder = self.dir / HOSTILE_FOLDER
        folder.mkdir()
        (folder / "msg.txt").write_bytes(uu_section(HOSTILE, sample_bytes(90, 3)))
        code, seen = converse(["decode", "msg.txt"], folder, [
            (b"Decode file ", b""),
            (b"(y)es, (n)o, (c)ancel? ", b"c\n"),
        ])
        self.assertEqual(code, 1, f"got exit {code}, want 1 (declined); terminal: {seen!r}")
        self.assertIn(HOSTILE_FOLDER_SHOWN + b"/" + HOSTILE_CLEANED, seen)
        self.assertNothingObeyed(seen, "prompt")

    def test_text_on_a_terminal_is_escaped_and_piped_text_is_not(self):
        body = "Hello\x1b[2J\x07 wörld\r\nline two\tend\rover\r\n".encode()
        self.write("msg.eml", b"From: a@example.org\r\nSubject: s\r\n\r\n" + body)
        code, seen = converse(["text", "msg.eml"], self.dir, [])
        self.assertEqual(code, 0, f"got exit {code}; terminal: {seen!r}")
        self.assertNothingObeyed(seen, "text on a terminal")
        self.assertNotIn(b"end\rover", seen)
        self.assertIn("Hello\\x1b[2J\\x07 wörld".encode(), seen)
        self.assertIn(b"line two\tend\\x0dover", seen)
        piped = run("text", "msg.eml", cwd=self.dir)
        self.assertExit(piped, 0, "text piped")
        self.assertIn(b"Hello\x1b[2J\x07 w", piped.stdout, "got piped text changed")

    def test_text_on_a_terminal_is_utf8(self):
        # A Latin-1 body: the terminal gets its stray bytes escaped, a pipe gets the bytes.
        self.write("msg.eml", b"From: a@example.org\r\nSubject: s\r\n\r\ncaf\xe9 cr\xe8me\r\n")
        code, seen = converse(["text", "msg.eml"], self.dir, [])
        self.assertEqual(code, 0, f"got exit {code}; terminal: {seen!r}")
        self.assertIn(b"caf\\xe9 cr\\xe8me", seen)
        seen.decode("utf-8")  # fails on anything but UTF-8
        piped = run("text", "msg.eml", cwd=self.dir)
        self.assertExit(piped, 0, "text piped")
        self.assertIn(b"caf\xe9 cr\xe8me", piped.stdout, "got piped text changed")


if __name__ == "__main__":
    unittest.main()
