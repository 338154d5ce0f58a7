"""kodra encode: messages that Python's email package and kodra decode read back."""
import email
import unittest
from email import policy

from cli_support import CliTestCase, run, sample_bytes


def attachments_of(message_bytes):
    """(file name, decoded bytes) of every attachment, as Python's email package sees them."""
    message = email.message_from_bytes(message_bytes, policy=policy.default)
    return [(part.get_filename(), part.get_payload(decode=True)) for part in message.iter_attachments()]


class EncodeTest(CliTestCase):
    def setUp(self):
        super().setUp()
        # Binary data of every byte value, and text whose lines end in CR LF and in blanks.
        self.files = {
            "photo.jpg": sample_bytes(4000, 7),
            "notes.txt": b"First line\r\nSecond line with = sign \r\n\tand a tab\r\n",
        }
        for name, data in self.files.items():
            self.write(name, data)

    def test_python_email_reads_standard_layout(self):
        # Python's email package decodes Base64, quoted-printable and x-uuencode bodies.
        for type_name in ("base64", "qp", "uu"):
            with self.subTest(type_name):
                out = self.dir / f"out-{type_name}.eml"
                result = run("encode", "-t", type_name, "-o", out, "photo.jpg", "notes.txt", cwd=self.dir)
                self.assertExit(result, 0, type_name)
                self.assertEqual(result.stdout.decode().strip(), str(out))
                message = email.message_from_bytes(out.read_bytes(), policy=policy.default)
                self.assertEqual(message.defects, [], "got message defects")
                self.assertTrue(message.is_multipart(), "got a single part, want multipart")
                got = attachments_of(out.read_bytes())
                want = list(self.files.items())
                self.assertEqual([n for n, _ in got], [n for n, _ in want])
                for (name, data), (_, want_data) in zip(got, want):
                    self.assertEqual(data, want_data, f"{type_name} {name}: decoded bytes differ")

    def test_kodra_decode_reads_every_type_and_layout(self):
        for type_name in ("base64", "qp", "uu", "xx", "binhex"):
            for layout in ([], ["--classic"]):
                with self.subTest(type=type_name, layout=layout):
                    name = f"{type_name}{'-classic' if layout else ''}"
                    out = self.dir / f"{name}.eml"
                    result = run("encode", *layout, "-t", type_name, "-o", out, "photo.jpg", "notes.txt",
                                 cwd=self.dir)
                    self.assertExit(result, 0, name)
                    result = run("decode", "-C", self.dir / f"decoded-{name}", out)
                    self.assertExit(result, 0, f"decode {name}")
                    for file_name, data in self.files.items():
                        got = (self.dir / f"decoded-{name}" / file_name).read_bytes()
                        # The classic quoted-printable layout ends the data's last line.
                        ends_open = type_name == "qp" and layout and not data.endswith(b"\r\n")
                        want = data + b"\r\n" if ends_open else data
                        self.assertEqual(got, want, f"{name} {file_name}: round trip differs")

    def test_derived_output_name_is_made_unique(self):
        first = run("encode", "photo.jpg", cwd=self.dir)
        second = run("encode", "-t", "uu", "photo.jpg", cwd=self.dir)
        third = run("encode", "photo.jpg", cwd=self.dir)
        for result in (first, second, third):
            self.assertExit(result, 0, "derived name")
        got = [r.stdout.decode().strip() for r in (first, second, third)]
        want = [str(self.dir / n) for n in ("photo.MIM", "photo.UUE", "photo1.MIM")]
        self.assertEqual(got, want)

    def test_bad_input(self):
        cases = [
            {"name": "unknown type", "args": ["encode", "-t", "rot13", "photo.jpg"],
             "message": 'unknown type "rot13"'},
            {"name": "missing file", "args": ["encode", "photo.jpg", "absent.bin"],
             "message": "absent.bin: No such file or directory"},
            {"name": "output is input", "args": ["encode", "-o", "photo.jpg", "photo.jpg"],
             "message": "both an input and the output"},
            {"name": "output in missing folder", "args": ["encode", "-o", "no/such/out.eml", "photo.jpg"],
             "message": "No such file or directory"},
        ]
        self.assertRefused(cases)
        self.assertEqual((self.dir / "photo.jpg").read_bytes(), self.files["photo.jpg"])


if __name__ == "__main__":
    unittest.main()
