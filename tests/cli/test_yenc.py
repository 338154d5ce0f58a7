"""kodra encode -t yenc and kodra buffer -t yenc: postings and data lines read back here."""
import binascii
import unittest

from cli_support import CliTestCase, run, sample_bytes


def yenc_decode(lines):
    """The bytes of yEnc data lines."""
    out = bytearray()
    escaped = False
    for c in lines:
        if c in (0x0D, 0x0A):
            continue
        if c == 0x3D and not escaped:
            escaped = True
            continue
        if escaped:
            c = (c - 64) & 0xFF
            escaped = False
        out.append((c - 42) & 0xFF)
    return bytes(out)


def fields(line):
    """The key=value fields of a control line (name= takes the rest of the line)."""
    text = line.decode("latin-1")
    result = {}
    head, _, name = text.partition(" name=")
    if _:
        result["name"] = name
    for item in head.split()[1:]:
        key, _, value = item.partition("=")
        result[key] = value
    return result


def read_posting(data):
    """(=ybegin fields, =ypart fields or None, =yend fields, decoded bytes) of one yEnc file."""
    lines = data.split(b"\r\n")
    if lines[-1] != b"":
        raise AssertionError("the file does not end in CR LF")
    lines = lines[:-1]
    begin = fields(lines[0])
    part = fields(lines[1]) if lines[1].startswith(b"=ypart ") else None
    end = fields(lines[-1])
    body = lines[2 if part else 1:-1]
    for line in body:
        if line.startswith(b"=y"):
            raise AssertionError(f"stray control line {line!r}")
    return begin, part, end, yenc_decode(b"".join(body))


class YencTest(CliTestCase):
    def test_single_posting(self):
        data = sample_bytes(5000, 3)
        self.write("photo.jpg", data)
        result = run("encode", "-t", "yenc", "photo.jpg", cwd=self.dir)
        self.assertExit(result, 0, "encode")
        out = self.dir / "photo.YNC"
        self.assertEqual(result.stdout.decode().strip(), str(out))
        begin, part, end, decoded = read_posting(out.read_bytes())
        self.assertIsNone(part)
        self.assertEqual(begin, {"line": "128", "size": "5000", "name": "photo.jpg"})
        self.assertEqual(end, {"size": "5000", "crc32": f"{binascii.crc32(data):08x}"})
        self.assertEqual(decoded, data)

    def test_parts(self):
        data = sample_bytes(2500, 4)
        self.write("photo.jpg", data)
        result = run("encode", "-t", "yenc", "--part-size", "1k", "-o", "post.ync", "photo.jpg", cwd=self.dir)
        self.assertExit(result, 0, "encode")
        names = ["post.ync", "post1.ync", "post2.ync"]
        self.assertEqual(result.stdout.decode().split(), [str(self.dir / n) for n in names])
        joined = b""
        for k, name in enumerate(names, 1):
            with self.subTest(name):
                begin, part, end, decoded = read_posting((self.dir / name).read_bytes())
                start = (k - 1) * 1024
                piece = data[start:start + 1024]
                self.assertEqual(begin, {"part": str(k), "total": "3", "line": "128", "size": "2500",
                                         "name": "photo.jpg"})
                self.assertEqual(part, {"begin": str(start + 1), "end": str(start + len(piece))})
                want_end = {"size": str(len(piece)), "part": str(k), "pcrc32": f"{binascii.crc32(piece):08x}"}
                if k == 3:
                    want_end["crc32"] = f"{binascii.crc32(data):08x}"
                self.assertEqual(end, want_end)
                self.assertEqual(decoded, piece)
                joined += decoded
        self.assertEqual(joined, data)
        self.assertFalse((self.dir / "post3.ync").exists(), "got a part too many")

    def test_decode_and_list_read_our_postings_back(self):
        # A single part and a split posting, each decoded by the command into a folder of its
        # own and listed beside the file.
        data = sample_bytes(3000, 6)
        self.write("photo.jpg", data)
        for label, extra, files in (("single", [], ["one.ync"]),
                                    ("parts", ["--part-size", "1k"], ["one.ync", "one1.ync", "one2.ync"])):
            with self.subTest(label):
                for name in files:
                    (self.dir / name).unlink(missing_ok=True)
                self.assertExit(run("encode", "-t", "yenc", *extra, "-o", "one.ync", "photo.jpg", cwd=self.dir), 0)
                out = self.dir / ("out-" + label)
                out.mkdir()
                result = run("decode", "-C", str(out), *reversed(files), cwd=self.dir)
                self.assertExit(result, 0, "decode")
                self.assertEqual((out / "photo.jpg").read_bytes(), data, "decoded bytes differ")
                listed = run("list", *files, cwd=self.dir)
                self.assertExit(listed, 0, "list")
                self.assertIn("photo.jpg", listed.stdout.decode())

    def test_derived_name_skips_taken_part_names(self):
        self.write("photo.jpg", sample_bytes(300, 5))
        self.write("photo1.YNC", b"taken")
        result = run("encode", "-t", "yenc", "--part-size", "200", "photo.jpg", cwd=self.dir)
        self.assertExit(result, 0, "encode")
        # photo.YNC would take photo1.YNC for its second part: the family moves on.
        self.assertEqual(result.stdout.decode().split(), [str(self.dir / "photo2.YNC"), str(self.dir / "photo3.YNC")])
        self.assertEqual((self.dir / "photo1.YNC").read_bytes(), b"taken")

    def test_refusals(self):
        self.write("a.bin", b"abc")
        self.write("b.bin", b"def")
        self.assertRefused([
            {"name": "two files", "args": ["encode", "-t", "yenc", "a.bin", "b.bin"], "message": "one FILE"},
            {"name": "part size without yenc", "args": ["encode", "--part-size", "10", "a.bin"],
             "message": "--part-size needs -t yenc"},
            {"name": "bad part size", "args": ["encode", "-t", "yenc", "--part-size", "0", "a.bin"],
             "message": "bad --part-size"},
            {"name": "output is the source", "args": ["encode", "-t", "yenc", "-o", "a.bin", "a.bin"],
             "message": "could not be encoded"},
        ])

    def test_buffer_round_trip(self):
        for size in (0, 1, 127, 128, 129, 10000):
            with self.subTest(size=size):
                data = sample_bytes(size, size + 1)
                encoded = run("buffer", "encode", "-t", "yenc", stdin=data)
                self.assertExit(encoded, 0, "encode")
                self.assertNotIn(b"=ybegin", encoded.stdout)
                for line in encoded.stdout.split(b"\r\n")[:-1]:
                    self.assertLessEqual(len(line), 129, "got a line longer than 128 characters and an escape")
                self.assertEqual(yenc_decode(encoded.stdout), data, "Python reads other bytes")
                decoded = run("buffer", "decode", "-t", "yenc", stdin=encoded.stdout)
                self.assertExit(decoded, 0, "decode")
                self.assertEqual(decoded.stdout, data, "round trip differs")


if __name__ == "__main__":
    unittest.main()
