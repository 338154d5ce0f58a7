"""kodra decode and kodra list on postings split over several files."""
import random
import zlib
import unittest

from cli_support import CliTestCase, run, sample_bytes


def yenc_data(data):
    out, line = bytearray(), bytearray()
    for byte in data:
        c = (byte + 42) & 0xFF
        if c in (0, 10, 13, 61):
            line += bytes([61, (c + 64) & 0xFF])
        else:
            line.append(c)
        if len(line) >= 128:
            out += line + b"\n"
            line = bytearray()
    if line:
        out += line + b"\n"
    return bytes(out)


def yenc_articles(name, data, parts):
    """One news article per part of a yEnc posting of data."""
    step, crc = len(data) // parts, zlib.crc32(data)
    articles = []
    for part in range(1, parts + 1):
        begin = step * (part - 1)
        end = len(data) if part == parts else begin + step
        piece = data[begin:end]
        head = (f"From: poster@example.org\nNewsgroups: alt.binaries.test\n"
                f"Subject: \"{name}\" yEnc ({part}/{parts})\n\n"
                f"=ybegin part={part} total={parts} line=128 size={len(data)} name={name}\n"
                f"=ypart begin={begin + 1} end={end}\n").encode()
        tail = f"=yend size={len(piece)} part={part} pcrc32={zlib.crc32(piece):08x} crc32={crc:08x}\n".encode()
        articles.append(head + yenc_data(piece) + tail)
    return articles


class JoinedPostingsTest(CliTestCase):
    def write_parts(self, articles, order):
        paths = []
        for number in order:
            paths.append(str(self.write(f"in/part{number}.txt", articles[number])))
        return paths

    def test_decode_joins_parts_given_in_any_order(self):
        data = sample_bytes(20000, 3)
        articles = yenc_articles("movie.bin", data, 4)
        cases = [
            {"name": "in order", "order": [0, 1, 2, 3]},
            {"name": "reversed", "order": [3, 2, 1, 0]},
            {"name": "shuffled", "order": random.Random(4).sample(range(4), 4)},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                out = self.dir / ("out-" + case["name"].replace(" ", "-"))
                paths = self.write_parts(articles, case["order"])
                result = run("decode", "-C", out, *paths)
                self.assertExit(result, 0, case["name"])
                self.assertEqual((out / "movie.bin").read_bytes(), data)
                self.assertIn(str(out / "movie.bin"), result.stdout.decode().splitlines())

    def test_decode_without_directory_writes_beside_the_first_file(self):
        data = sample_bytes(9000, 5)
        paths = self.write_parts(yenc_articles("beside.bin", data, 3), [2, 0, 1])
        result = run("decode", "-y", *paths)
        self.assertExit(result, 0, "decode -y")
        self.assertEqual((self.dir / "in/beside.bin").read_bytes(), data)

    def test_incomplete_posting_exits_non_zero_and_keeps_no_final_name(self):
        data = sample_bytes(12000, 6)
        paths = self.write_parts(yenc_articles("gap.bin", data, 4), [3, 0, 2])
        out = self.dir / "out"
        result = run("decode", "-C", out, *paths)
        self.assertExit(result, 2, "an incomplete posting")
        stderr = result.stderr.decode()
        self.assertIn("gap.bin", stderr)
        self.assertIn("missing part 2", stderr)
        self.assertFalse((out / "gap.bin").exists(), "the final name was written")
        self.assertTrue((out / "gap.bin.incomplete").exists())

    def test_list_shows_parts_found_and_missing(self):
        data = sample_bytes(12000, 7)
        articles = yenc_articles("list.bin", data, 4)
        cases = [
            {"name": "complete", "order": [1, 3, 0, 2], "exit": 0, "want": "yEnc posting list.bin: 4 of 4 parts"},
            {"name": "missing", "order": [1, 3], "exit": 2,
             "want": "yEnc posting list.bin: 2 of 4 parts, missing 1,3"},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                for old in (self.dir / "in").glob("*"):
                    old.unlink()
                paths = self.write_parts(articles, case["order"])
                result = run("list", *paths)
                self.assertExit(result, case["exit"], case["name"])
                self.assertIn(case["want"], result.stdout.decode().splitlines())


if __name__ == "__main__":
    unittest.main()
