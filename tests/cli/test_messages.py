"""kodra headers, kodra text and kodra date."""
import os
import unittest

from cli_support import CliTestCase, mime_message, run


class HeadersTest(CliTestCase):
    def test_labels_every_field(self):
        self.write("msg.eml", (
            b"From - Tue Mar  5 18:30:02 2024\r\n"
            b"Received: from relay.example.org; Tue, 5 Mar 2024 18:30:02 +0100\r\n"
            b"From: =?iso-8859-1?q?Ada_L=F6f?= <ada@example.org>\r\n"
            b"To: tom@example.org\r\n"
            b"Subject: Tide report\r\n"
            b"  for March\r\n"
            b"Date: Tue, 5 Mar 2024 18:29:41 +0100\r\n"
            b"Organization: Harbour Office\r\n"
            b"\r\nBody\r\n"))
        result = run("headers", "msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "headers")
        lines = result.stdout.decode("utf-8").splitlines()
        want = [
            "Received:     Tue, 5 Mar 2024 18:30:02 +0100",
            "From:         Ada Löf <ada@example.org>",
            "To:           tom@example.org",
            "Date:         Tue, 5 Mar 2024 18:29:41 +0100",
            "Cc:           ",
            "Organization: Harbour Office",
            "Delivery lines:",
            "  From - Tue Mar  5 18:30:02 2024",
        ]
        for line in want:
            self.assertIn(line, lines, f"got {lines}")
        subject = [line for line in lines if line.startswith("Subject:")]
        self.assertEqual(len(subject), 1)
        self.assertIn("Tide report", subject[0])
        self.assertIn("for March", subject[0])

    def test_values_are_utf8_whatever_their_charset(self):
        cases = [
            {"name": "KOI8-R", "subject": b"=?koi8-r?B?8NLJ18XU?=", "want": "Привет"},
            {"name": "ISO-2022-JP", "subject": b"=?ISO-2022-JP?B?GyRCRnxLXDhsGyhC?=", "want": "日本語"},
            {"name": "Latin-1", "subject": b"=?iso-8859-1?q?Caf=E9?=", "want": "Café"},
            {"name": "character cut between folded words",
             "subject": b"=?utf-8?B?4oI=?=\r\n =?utf-8?B?rA==?= 5", "want": "€ 5"},
            {"name": "unknown charset", "subject": b"=?x-unknown?q?caf=E9?=", "want": "caf\ufffd"},
            {"name": "raw Latin-1 text", "subject": b"caf\xe9", "want": "café"},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                self.write("msg.eml", b"From: a@example.org\r\nSubject: " + case["subject"] + b"\r\n\r\nBody\r\n")
                result = run("headers", "msg.eml", cwd=self.dir)
                self.assertExit(result, 0, case["name"])
                lines = result.stdout.decode("utf-8").splitlines()  # fails on anything but UTF-8
                want = "Subject:      " + case["want"]
                self.assertIn(want, lines, f"got {lines}, want {want!r}")

    def test_delivery_lines_that_are_not_utf8_are_escaped(self):
        self.write("msg.eml", b"Received: from caf\xe9.example.org; Tue, 5 Mar 2024 18:30:02 +0100\r\n"
                              b"From: a@example.org\r\n\r\nBody\r\n")
        result = run("headers", "msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "headers")
        lines = result.stdout.decode("utf-8").splitlines()
        want = "  Received: from caf\\xe9.example.org; Tue, 5 Mar 2024 18:30:02 +0100"
        self.assertIn(want, lines, f"got {lines}, want {want!r}")

    def test_missing_file(self):
        result = run("headers", "absent.eml", cwd=self.dir)
        self.assertExit(result, 2, "headers missing")
        self.assertIn("absent.eml: No such file or directory", result.stderr.decode())


class TextTest(CliTestCase):
    def test_plain_quoted_printable_body_is_decoded(self):
        self.write("msg.eml", (b"From: a@example.org\r\nSubject: s\r\n"
                               b"Content-Transfer-Encoding: quoted-printable\r\n\r\n"
                               b"Caf=C3=A9 at five o'clock=2E\r\n"))
        result = run("text", "msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "text")
        self.assertIn("Café at five o'clock.", result.stdout.decode("utf-8"))
        self.assertEqual(sorted(p.name for p in self.dir.iterdir()), ["msg.eml"])

    def test_first_part_of_multipart_to_file(self):
        self.write("msg.eml", mime_message([("a.bin", b"\x00\x01" * 40)], text="Hello Tom,\nall well.\n"))
        result = run("text", "msg.eml", "-o", "body.txt", cwd=self.dir)
        self.assertExit(result, 0, "text -o")
        body = (self.dir / "body.txt").read_bytes()
        self.assertIn(b"Hello Tom,", body)
        self.assertIn(b"all well.", body)

    def test_bad_input(self):
        self.write("empty.eml", b"")
        cases = [
            {"name": "missing", "args": ["text", "absent.eml"], "exit": 2, "message": "No such file"},
            {"name": "no text", "args": ["text", "empty.eml"], "exit": 1, "message": "no readable text"},
            {"name": "separator in output", "args": ["text", "empty.eml", "-o", "a;b.txt"], "exit": 2,
             "message": "must not contain"},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                result = run(*case["args"], cwd=self.dir)
                self.assertExit(result, case["exit"], case["name"])
                self.assertIn(case["message"], result.stderr.decode())

    def test_temporary_text_is_removed(self):
        self.write("plain.eml", b"From: a@example.org\r\nSubject: s\r\n\r\nHello\r\n")
        self.write("empty.eml", b"")
        temporary = self.dir / "tmp"
        temporary.mkdir()
        env = dict(os.environ, TMPDIR=str(temporary))
        for name, want in (("plain.eml", 0), ("empty.eml", 1)):
            with self.subTest(name):
                result = run("text", name, cwd=self.dir, env=env)
                self.assertExit(result, want, name)
                left = sorted(str(p.relative_to(temporary)) for p in temporary.rglob("*"))
                self.assertEqual(left, [], f"got {left} left in the temporary folder")


class DateTest(CliTestCase):
    def test_examples(self):
        cases = [
            {"name": "RFC 822 with offset", "text": "Tue, 5 Mar 2024 14:07:09 +0100",
             "want": "2024-03-05T13:07:09Z"},
            {"name": "negative offset crossing midnight", "text": "Sun, 31 Dec 2023 21:30:00 -0500",
             "want": "2024-01-01T02:30:00Z"},
            {"name": "named zone", "text": "Mon, 4 Mar 2024 08:00:00 GMT", "want": "2024-03-04T08:00:00Z"},
            {"name": "RFC 850", "text": "Saturday, 02-Mar-24 10:15:30 GMT", "want": "2024-03-02T10:15:30Z"},
            {"name": "asctime", "text": "Wed Mar  6 09:00:01 2024", "want": "2024-03-06T09:00:01Z"},
            # The obsolete forms of RFC 5322, 4.3.
            {"name": "obsolete zone EST", "text": "Mon, 4 Mar 2024 08:00:00 EST", "want": "2024-03-04T13:00:00Z"},
            {"name": "obsolete zone PDT", "text": "Sat, 6 Jul 2024 20:30:00 PDT", "want": "2024-07-07T03:30:00Z"},
            {"name": "military zone", "text": "Mon, 4 Mar 2024 08:00:00 Z", "want": "2024-03-04T08:00:00Z"},
            {"name": "no weekday", "text": "5 Mar 2024 14:07:09 +0100", "want": "2024-03-05T13:07:09Z"},
            {"name": "no seconds", "text": "Tue, 5 Mar 2024 14:07 +0100", "want": "2024-03-05T13:07:00Z"},
            {"name": "two-digit year", "text": "Tue, 5 Mar 24 14:07:09 +0100", "want": "2024-03-05T13:07:09Z"},
            {"name": "two-digit year of the last century", "text": "Fri, 5 Mar 99 14:07:09 +0100",
             "want": "1999-03-05T13:07:09Z"},
            {"name": "three-digit year", "text": "Tue, 5 Mar 124 14:07:09 +0100", "want": "2024-03-05T13:07:09Z"},
            {"name": "comments and folding", "text": "Tue,\r\n\t5 Mar 2024 (x) 14:07:09 +0100 (CET)",
             "want": "2024-03-05T13:07:09Z"},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                result = run("date", case["text"])
                self.assertExit(result, 0, case["name"])
                self.assertEqual(result.stdout.decode().strip(), case["want"])

    def test_local_time_carries_offset(self):
        cases = [
            {"name": "Berlin winter", "zone": "Europe/Berlin", "want": "2024-03-05T14:07:09+01:00"},
            {"name": "New York", "zone": "America/New_York", "want": "2024-03-05T08:07:09-05:00"},
            {"name": "UTC", "zone": "UTC", "want": "2024-03-05T13:07:09Z"},
        ]
        if not os.path.exists("/usr/share/zoneinfo/Europe/Berlin"):
            self.skipTest("no time-zone data")
        for case in cases:
            with self.subTest(case["name"]):
                env = dict(os.environ, TZ=case["zone"])
                result = run("date", "--local", "Tue, 5 Mar 2024 14:07:09 +0100", env=env)
                self.assertExit(result, 0, case["name"])
                self.assertEqual(result.stdout.decode().strip(), case["want"])

    def test_text_without_date(self):
        for text in ("nonsense", "Tue, 31 Feb 2024 10:00:00 +0000", ""):
            with self.subTest(text=text):
                result = run("date", text)
                self.assertExit(result, 1, text)
                self.assertIn("no date found", result.stderr.decode())


if __name__ == "__main__":
    unittest.main()
