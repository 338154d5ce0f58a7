"""kodra split and kodra join."""
import unittest

from cli_support import CliTestCase, files_under, run, sample_bytes


class SplitJoinTest(CliTestCase):
    def test_round_trip(self):
        cases = [
            {"name": "bytes", "size": "1000", "length": 3500, "pieces": 4},
            {"name": "kibibytes", "size": "1k", "length": 3000, "pieces": 3},
            {"name": "exact multiple", "size": "500", "length": 1000, "pieces": 3},  # last piece empty
            {"name": "one piece", "size": "1M", "length": 10, "pieces": 1},
        ]
        for case in cases:
            with self.subTest(case["name"]):
                folder = self.dir / case["name"]
                data = sample_bytes(case["length"], 8)
                self.write(f"{case['name']}/report.txt", data)
                result = run("split", "-s", case["size"], "report.txt", cwd=folder)
                self.assertExit(result, 0, "split")
                want = [str(folder / f"report{i}.txt") for i in range(1, case["pieces"] + 1)]
                self.assertEqual(result.stdout.decode().splitlines(), want)
                result = run("join", "report1.txt", cwd=folder)
                self.assertExit(result, 0, "join")
                self.assertEqual((folder / "report1.txt").read_bytes(), data)
                self.assertEqual(files_under(folder), ["report.txt", "report1.txt"])

    def test_join_keep_leaves_pieces(self):
        for i, piece in enumerate((b"one-", b"two-", b"three")):
            self.write(f"part{i + 1}.bin", piece)
        result = run("join", "--keep", "part1.bin", cwd=self.dir)
        self.assertExit(result, 0, "join --keep")
        self.assertIn("2 pieces appended", result.stdout.decode())
        self.assertEqual((self.dir / "part1.bin").read_bytes(), b"one-two-three")
        self.assertEqual(files_under(self.dir), ["part1.bin", "part2.bin", "part3.bin"])

    def test_split_refuses_to_replace_unrelated_file(self):
        self.write("data.bin", sample_bytes(100))
        self.write("data2.bin", b"unrelated")
        result = run("split", "-s", "40", "data.bin", cwd=self.dir)
        self.assertExit(result, 2, "split over existing")
        self.assertIn("data2.bin: exists already", result.stderr.decode())
        self.assertEqual((self.dir / "data2.bin").read_bytes(), b"unrelated")
        self.assertFalse((self.dir / "data1.bin").exists())
        forced = run("split", "--force", "-s", "40", "data.bin", cwd=self.dir)
        self.assertExit(forced, 0, "split --force")

    def test_bad_sizes_and_files(self):
        self.write("data.bin", sample_bytes(100))
        cases = [
            {"name": "zero", "args": ["split", "-s", "0", "data.bin"], "message": "0: bad size"},
            {"name": "negative", "args": ["split", "-s", "-5", "data.bin"], "message": ""},
            {"name": "unknown suffix", "args": ["split", "-s", "10x", "data.bin"], "message": "10x: bad size"},
            {"name": "too large", "args": ["split", "-s", "4096M", "data.bin"], "message": "4096M: bad size"},
            {"name": "no size", "args": ["split", "data.bin"], "message": "--size is required"},
            {"name": "too many pieces", "args": ["split", "-s", "1", "big.bin"], "message": "choose a larger size"},
            {"name": "missing split", "args": ["split", "-s", "1k", "gone.bin"], "message": "gone.bin: No such file"},
            {"name": "missing join", "args": ["join", "gone1.bin"], "message": "gone1.bin: No such file"},
        ]
        self.write("big.bin", bytes(100001))
        self.assertRefused(cases)


if __name__ == "__main__":
    unittest.main()
