"""kodra buffer: standard input to standard output, checked against Python's codecs."""
import base64
import binascii
import quopri
import unittest

from cli_support import CliTestCase, run, sample_bytes


class BufferTest(CliTestCase):
    def test_round_trip(self):
        data = sample_bytes(1000, 9)
        for type_name in ("base64", "uu", "xx", "qp"):
            with self.subTest(type_name):
                encoded = run("buffer", "encode", "-t", type_name, stdin=data)
                self.assertExit(encoded, 0, f"encode {type_name}")
                decoded = run("buffer", "decode", "-t", type_name, stdin=encoded.stdout)
                self.assertExit(decoded, 0, f"decode {type_name}")
                # Quoted-printable buffer text always ends in a line end of its own.
                want = data + b"\r\n" if type_name == "qp" else data
                self.assertEqual(decoded.stdout, want, f"{type_name}: round trip differs")

    def test_matches_python_codecs(self):
        data = sample_bytes(200, 10)
        encoded = run("buffer", "encode", "-t", "base64", stdin=data).stdout
        self.assertEqual(base64.b64decode(encoded), data)
        uu = run("buffer", "encode", "-t", "uu", stdin=data[:45]).stdout
        self.assertEqual(binascii.a2b_uu(uu.split(b"\r\n")[0]), data[:45])
        text = "Grüße = greetings".encode()
        qp = run("buffer", "encode", "-t", "qp", stdin=text).stdout
        self.assertEqual(quopri.decodestring(qp), text + b"\r\n")

    def test_bad_types(self):
        cases = [
            {"name": "binhex", "args": ["buffer", "encode", "-t", "binhex"], "message": "files only"},
            {"name": "unknown", "args": ["buffer", "decode", "-t", "ync"], "message": 'unknown type "ync"'},
            {"name": "bad direction", "args": ["buffer", "recode", "-t", "uu"], "message": "recode"},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                result = run(*case["args"], stdin=b"abc")
                self.assertExit(result, 2, case["name"])
                self.assertIn(case["message"], result.stderr.decode())
                self.assertEqual(result.stdout, b"")


if __name__ == "__main__":
    unittest.main()
