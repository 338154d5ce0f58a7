"""kodra decode and kodra list on messages made by peers."""
import os
import unittest
from email.message import EmailMessage

from cli_support import CliTestCase, files_under, mime_message, run, sample_bytes, uu_section


class DecodeTest(CliTestCase):
    def test_writes_attachments_beside_message_and_names_them(self):
        picture, table = sample_bytes(5000, 1), sample_bytes(700, 2)
        message = self.write("mail/msg.eml", mime_message([("photo.jpg", picture), ("table.xls", table)]))
        result = run("decode", "-y", "mail/msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "decode -y")
        self.assertEqual((self.dir / "mail/photo.jpg").read_bytes(), picture)
        self.assertEqual((self.dir / "mail/table.xls").read_bytes(), table)
        listed = result.stdout.decode().splitlines()
        self.assertIn(str(message.parent / "photo.jpg"), listed)
        self.assertIn(str(message.parent / "table.xls"), listed)

    def test_directory_option_writes_only_into_that_folder(self):
        # Hostile names try to climb out of the folder; all must land inside it.
        cases = [
            {"name": "plain", "attachment": "report.pdf", "want": "report.pdf"},
            {"name": "parent folders", "attachment": "../../escape.bin", "want": "escape.bin"},
            {"name": "absolute", "attachment": "/tmp/kodra-absolute.bin", "want": "kodra-absolute.bin"},
            {"name": "list separator", "attachment": "a;b.txt", "want": "a_b.txt"},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                data = sample_bytes(300, 3)
                work = self.dir / case["name"]
                (work / "in").mkdir(parents=True)
                body = b"Subject: x\r\n\r\n" + uu_section(case["attachment"], data)
                (work / "in/msg.txt").write_bytes(body)
                before = files_under(self.dir)
                result = run("decode", "-C", work / "out", work / "in/msg.txt")
                self.assertExit(result, 0, case["name"])
                new = sorted(set(files_under(self.dir)) - set(before))
                want = [os.path.join(case["name"], "out", case["want"])]
                self.assertEqual(new, want, f"got new files {new}, want {want}")
                self.assertEqual((work / "out" / case["want"]).read_bytes(), data)
                self.assertFalse(os.path.exists("/tmp/kodra-absolute.bin"))

    def test_directory_option_keeps_existing_files(self):
        data = sample_bytes(200, 4)
        self.write("in/msg.txt", uu_section("data.bin", data))
        self.write("out/data.bin", b"keep me")
        result = run("decode", "-C", "out", "in/msg.txt", cwd=self.dir)
        self.assertExit(result, 0, "decode -C")
        self.assertEqual((self.dir / "out/data.bin").read_bytes(), b"keep me")
        self.assertEqual((self.dir / "out/data1.bin").read_bytes(), data)

    def test_names_option_sets_output_names_in_order(self):
        first, second = sample_bytes(100, 5), sample_bytes(100, 6)
        self.write("msg.eml", mime_message([("a.bin", first), ("b.bin", second)]))
        result = run("decode", "-n", "one.dat;two.dat", "msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "decode -n")
        self.assertEqual((self.dir / "one.dat").read_bytes(), first)
        self.assertEqual((self.dir / "two.dat").read_bytes(), second)

    def test_exit_codes_and_messages(self):
        self.write("plain.txt", b"Just some words.\r\nNothing encoded here.\r\n")
        self.write("folder/x", b"")
        self.write("afile", b"")
        cases = [
            {"name": "nothing encoded", "args": ["decode", "-y", "plain.txt"], "exit": 1,
             "message": "plain.txt: nothing decoded"},
            {"name": "missing file", "args": ["decode", "-y", "missing.eml"], "exit": 2,
             "message": "missing.eml: No such file or directory"},
            {"name": "folder as input", "args": ["decode", "-y", "folder"], "exit": 2,
             "message": "is a folder"},
            {"name": "output folder under a file", "args": ["decode", "-C", "afile/out", "plain.txt"],
             "exit": 2, "message": "cannot create folder"},
            {"name": "output folder is a file", "args": ["decode", "-C", "afile", "plain.txt"],
             "exit": 2, "message": "is not a folder"},
            {"name": "conflicting options", "args": ["decode", "-y", "--ask-overwrite", "plain.txt"],
             "exit": 2, "message": "excludes"},
            {"name": "no file", "args": ["decode"], "exit": 2, "message": "FILE is required"},
            {"name": "unknown option", "args": ["decode", "--frobnicate", "plain.txt"], "exit": 2,
             "message": "frobnicate"},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                result = run(*case["args"], cwd=self.dir)
                self.assertExit(result, case["exit"], case["name"])
                self.assertIn(case["message"], result.stderr.decode(),
                              f"got stderr {result.stderr!r}, want it to mention {case['message']!r}")

    @unittest.skipIf(os.geteuid() == 0, "permissions do not bind root")
    def test_unwritable_output_folder(self):
        self.write("msg.txt", uu_section("a.bin", b"abc"))
        locked = self.dir / "locked"
        locked.mkdir()
        locked.chmod(0o500)
        try:
            result = run("decode", "-C", locked, self.dir / "msg.txt")
        finally:
            locked.chmod(0o700)
        self.assertExit(result, 2, "unwritable folder")
        self.assertIn("cannot write into folder", result.stderr.decode())

    def test_list_prints_names_and_writes_nothing(self):
        self.write("m/msg.eml", mime_message([("first.png", b"x" * 50), ("second.pdf", b"y" * 50)]))
        before = files_under(self.dir)
        result = run("list", "m/msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "list")
        folder = self.dir / "m"
        self.assertEqual(result.stdout.decode().splitlines(),
                         [str(folder / "first.png"), str(folder / "second.pdf")])
        self.assertEqual(files_under(self.dir), before)

    def test_list_leaves_out_paths_a_decode_refuses(self):
        self.write("elsewhere/target.bin", b"target")
        os.symlink(self.dir / "elsewhere/target.bin", self.dir / "link.bin")
        os.mkdir(self.dir / "sub.bin")
        sections = b"".join(uu_section(name, b"x" * 50) for name in ("msg.txt", "link.bin", "sub.bin", "ok.bin"))
        self.write("msg.txt", sections)
        result = run("list", "msg.txt", cwd=self.dir)
        self.assertExit(result, 0, "list")
        self.assertEqual(result.stdout.decode().splitlines(), [str(self.dir / "ok.bin")])
        self.assertEqual((self.dir / "elsewhere/target.bin").read_bytes(), b"target")

    def test_list_of_plain_text_exits_one(self):
        self.write("plain.txt", b"no attachments\r\n")
        result = run("list", "plain.txt", cwd=self.dir)
        self.assertExit(result, 1, "list plain")
        self.assertIn("nothing encoded found", result.stderr.decode())



def text_parts_message(linesep, binary):
    """A message made by Python's email package with a 7bit and an 8bit text attachment,
    in the given line ends, and a binary part added by hand (the package rewrites line
    ends inside binary bodies)."""
    message = EmailMessage()
    message["From"] = "Ada <ada@example.org>"
    message["Subject"] = "Notes"
    message.set_content("See the notes.\n")
    message.add_attachment("first line\nsecond line\n", filename="notes.txt")
    message.add_attachment("caf\u00e9 \u00e0 8bit\nline two\n", filename="cafe.txt", cte="8bit",
                           charset="iso-8859-1")
    made = message.as_bytes(policy=message.policy.clone(linesep="\r\n"))
    boundary = message.get_boundary().encode()
    end = made.rindex(b"--" + boundary + b"--")
    part = (b"--" + boundary + b"\r\nContent-Type: application/octet-stream\r\n"
            b"Content-Transfer-Encoding: binary\r\nContent-Disposition: attachment; filename=\"raw.bin\"\r\n\r\n"
            + binary.replace(b"\r\n", b"") + b"\r\n")
    made = made[:end] + part + made[end:]
    return made if linesep == b"\r\n" else made.replace(b"\r\n", linesep)


class LineEndsTest(CliTestCase):
    def test_text_keeps_the_messages_line_ends_and_8bit_parts_are_exact(self):
        binary = bytes(range(256)) * 4  # lone CRs and LFs, NULs, every byte
        for name, linesep in (("LF", b"\n"), ("CR LF", b"\r\n"), ("CR", b"\r")):
            with self.subTest(name):
                work = self.dir / name.replace(" ", "")
                work.mkdir()
                (work / "msg.eml").write_bytes(text_parts_message(linesep, binary))
                result = run("decode", "-y", "msg.eml", cwd=work)
                self.assertExit(result, 0, name)
                got = (work / "notes.txt").read_bytes()
                want = b"first line" + linesep + b"second line" + linesep
                self.assertEqual(got, want, f"{name}: got {got!r}, want {want!r}")
                got = (work / "cafe.txt").read_bytes()
                want = b"caf\xe9 \xe0 8bit" + linesep + b"line two" + linesep
                self.assertEqual(got, want, f"{name}: got {got!r}, want {want!r}")
                want = binary.replace(b"\r\n", b"")  # as the message holds it, whatever its line ends
                self.assertEqual((work / "raw.bin").read_bytes(), want, f"{name}: raw.bin differs")

    def test_classic_mac_message_decodes(self):
        picture, table = sample_bytes(5000, 7), sample_bytes(700, 8)
        message = mime_message([("photo.jpg", picture), ("table.xls", table)]).replace(b"\r\n", b"\r")
        self.write("mac.eml", message)
        result = run("decode", "-y", "mac.eml", cwd=self.dir)
        self.assertExit(result, 0, "decode -y")
        self.assertEqual((self.dir / "photo.jpg").read_bytes(), picture)
        self.assertEqual((self.dir / "table.xls").read_bytes(), table)
        self.write("mac.txt", (b"Subject: files\r\n\r\n" + uu_section("u.bin", picture)).replace(b"\r\n", b"\r"))
        result = run("decode", "-C", "uu", "mac.txt", cwd=self.dir)
        self.assertExit(result, 0, "decode UU")
        self.assertEqual((self.dir / "uu/u.bin").read_bytes(), picture)


if __name__ == "__main__":
    unittest.main()
