"""kodra extract and kodra list --json: mbox, Maildir and standard input, the manifest
parsed with Python's json, resume, by-hash storage and the exit statuses."""
import hashlib
import json
import unittest

from cli_support import CliTestCase, files_under, mime_message, run, sample_bytes, uu_section

PDF = sample_bytes(3000, seed=7)
NOTES = b"notes for the meeting\r\n"


def mbox_of(messages):
    """An mboxrd file of the messages (bytes), "From " lines in their bodies quoted."""
    out = b""
    for i, message in enumerate(messages):
        body = b"\n".join((b">" + line if line.lstrip(b">").startswith(b"From ") else line)
                          for line in message.replace(b"\r\n", b"\n").split(b"\n"))
        out += b"From sender%d@example.org Tue Mar  5 18:30:0%d 2024\n" % (i, i) + body + b"\n"
    return out


def records_of(text):
    return [json.loads(line) for line in text.splitlines() if line.strip()]


KEYS = ["input", "offset", "file", "message_id", "date", "from", "subject", "part", "raw_name", "name",
        "encoding", "type", "size", "sha256", "path", "status", "reason"]


class ExtractTest(CliTestCase):
    def setUp(self):
        super().setUp()
        self.messages = [
            mime_message([("report.pdf", PDF)]),
            b"From: bob@example.org\r\nSubject: uu\r\nMessage-ID: <uu@example.org>\r\n\r\n" +
            uu_section("notes.txt", NOTES),
            b"From: carol@example.org\r\nSubject: nothing\r\n\r\nFrom the start, no parts.\r\n",
        ]
        self.mbox = self.write("in.mbox", mbox_of(self.messages))

    def test_mbox_records_and_files(self):
        result = run("extract", "-o", "out", "--manifest", "m.jsonl", "--jobs", "2", "in.mbox", cwd=self.dir)
        self.assertExit(result, 0, "extract")
        records = records_of((self.dir / "m.jsonl").read_text(encoding="utf-8"))
        for record in records:
            self.assertEqual(list(record), KEYS, f"got keys {list(record)}")
        parts = [(r["name"], r["encoding"], r["status"]) for r in records]
        self.assertEqual(parts, [("report.pdf", "base64", "decoded"), ("notes.txt", "uuencode", "decoded"),
                                 (None, None, "empty")])
        pdf = records[0]
        self.assertEqual(pdf["sha256"], hashlib.sha256(PDF).hexdigest())
        self.assertEqual(pdf["size"], len(PDF))
        self.assertEqual(pdf["offset"], 0)
        self.assertEqual(pdf["date"], "2024-03-05T17:29:41Z")
        self.assertEqual(pdf["type"], "application/octet-stream")
        self.assertEqual((self.dir / "out" / pdf["path"]).read_bytes(), PDF)
        self.assertEqual((self.dir / "out" / records[1]["path"]).read_bytes(), NOTES)
        self.assertEqual(records[1]["sha256"], hashlib.sha256(NOTES).hexdigest())

    def test_resume_adds_nothing(self):
        first = run("extract", "-o", "out", "--manifest", "m.jsonl", "in.mbox", cwd=self.dir)
        self.assertExit(first, 0, "first run")
        before = (self.dir / "m.jsonl").read_bytes()
        second = run("extract", "-o", "out", "--manifest", "m.jsonl", "in.mbox", cwd=self.dir)
        self.assertExit(second, 0, "rerun")
        self.assertEqual((self.dir / "m.jsonl").read_bytes(), before)

    def test_by_hash_stores_duplicates_once(self):
        self.write("dup.mbox", mbox_of([mime_message([("a.bin", PDF)]), mime_message([("b.bin", PDF)])]))
        result = run("extract", "-o", "out", "--by-hash", "--manifest", "m.jsonl", "dup.mbox", cwd=self.dir)
        self.assertExit(result, 0, "extract --by-hash")
        digest = hashlib.sha256(PDF).hexdigest()
        self.assertEqual(files_under(self.dir / "out"), [f"{digest[:2]}/{digest}"])
        paths = [r["path"] for r in records_of((self.dir / "m.jsonl").read_text(encoding="utf-8"))]
        self.assertEqual(paths, [f"{digest[:2]}/{digest}"] * 2)

    def test_standard_input(self):
        result = run("extract", "-o", "out", "--manifest", "m.jsonl", "-", cwd=self.dir,
                     stdin=self.mbox.read_bytes())
        self.assertExit(result, 0, "extract -")
        records = records_of((self.dir / "m.jsonl").read_text(encoding="utf-8"))
        self.assertEqual([r["input"] for r in records], ["-"] * 3)
        self.assertEqual(records[0]["path"].split("/")[0], "stdin")

    def test_maildir(self):
        for sub in ("cur", "new", "tmp"):
            (self.dir / "box" / sub).mkdir(parents=True)
        self.write("box/cur/1.host:2,S", self.messages[0])
        self.write("box/new/2.host", self.messages[1])
        result = run("extract", "-o", "out", "--manifest", "m.jsonl", "box", cwd=self.dir)
        self.assertExit(result, 0, "extract Maildir")
        records = records_of((self.dir / "m.jsonl").read_text(encoding="utf-8"))
        self.assertEqual([(r["file"], r["offset"], r["name"]) for r in records],
                         [("cur/1.host:2,S", None, "report.pdf"), ("new/2.host", None, "notes.txt")])

    def test_list_json_writes_nothing(self):
        result = run("list", "--json", "in.mbox", cwd=self.dir)
        self.assertExit(result, 0, "list --json")
        records = records_of(result.stdout.decode("utf-8"))
        self.assertEqual([r["status"] for r in records], ["decoded", "decoded", "empty"])
        self.assertTrue(all(r["path"] is None for r in records))
        self.assertEqual(sorted(p.name for p in self.dir.iterdir()), ["in.mbox"])

    def test_exit_statuses(self):
        self.write("cut.mbox", b"From x Tue Mar  5 18:30:00 2024\nSubject: cut\n\nbegin 644 cut.bin\n" +
                   b"M86)C9&5F9VAI:FML;6YO<'%R<W1U=G=X>7I!0D-$149'2$E*2TQ-3D]045)3\n")
        cases = [
            ("a truncated part", ["extract", "-o", "out", "cut.mbox"], 1),
            ("a missing input", ["extract", "-o", "out", "missing.mbox"], 1),
            ("no output folder", ["extract", "in.mbox"], 2),
            ("no input", ["extract", "-o", "out"], 2),
            ("bad jobs", ["extract", "-o", "out", "--jobs", "0", "in.mbox"], 2),
        ]
        for name, args, want in cases:
            with self.subTest(name):
                self.assertExit(run(*args, cwd=self.dir), want, name)
        records = records_of(run("list", "--json", "cut.mbox", cwd=self.dir).stdout.decode("utf-8"))
        self.assertEqual(records[0]["status"], "incomplete")
        self.assertTrue(records[0]["reason"])


if __name__ == "__main__":
    unittest.main()
