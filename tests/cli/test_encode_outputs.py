"""kodra encode: the output is never a source however it is spelled, and a derived name
never opens anything that exists."""
import os
import unittest

from cli_support import CliTestCase, files_under, run, sample_bytes


class EncodeOutputTest(CliTestCase):
    def setUp(self):
        super().setUp()
        self.first = sample_bytes(3000, 21)
        self.second = sample_bytes(500, 22)
        self.write("src/first.bin", self.first)
        self.write("src/second.bin", self.second)
        self.write("elsewhere/other.txt", b"unrelated")

    def assertSourcesIntact(self, context):
        for name, data in (("src/first.bin", self.first), ("src/second.bin", self.second),
                           ("elsewhere/other.txt", b"unrelated")):
            path = self.dir / name
            self.assertTrue(path.is_file(), f"{context}: got {name} removed, want it kept")
            self.assertEqual(path.read_bytes(), data, f"{context}: got {name} changed")

    def test_output_that_is_a_source_or_a_link_is_refused(self):
        os.link(self.dir / "src/first.bin", self.dir / "hard-first.bin")
        os.symlink(self.dir / "src/second.bin", self.dir / "link-second.bin")
        os.symlink(self.dir / "src", self.dir / "linked-src")
        os.symlink(self.dir / "elsewhere/other.txt", self.dir / "link-other.txt")
        os.symlink(self.dir / "missing-target.eml", self.dir / "dangling.eml")
        sources = ["src/first.bin", "src/second.bin"]
        cases = [
            {"name": "the source itself", "output": "src/first.bin", "message": "both an input and the output"},
            {"name": "hard link to the first source", "output": "hard-first.bin",
             "message": "both an input and the output"},
            {"name": "symbolic link to the second source", "output": "link-second.bin",
             "message": "symbolic link"},
            {"name": "through a linked folder", "output": "linked-src/second.bin",
             "message": "both an input and the output"},
            {"name": "other spelling", "output": "src/../src/./first.bin",
             "message": "both an input and the output"},
            {"name": "symbolic link to an unrelated file", "output": "link-other.txt",
             "message": "symbolic link"},
            {"name": "dangling symbolic link", "output": "dangling.eml", "message": "symbolic link"},
            {"name": "a folder", "output": "elsewhere", "message": "is a folder"},
        ]
        for type_name in ("base64", "uu"):
            for case in cases:
                with self.subTest(type=type_name, case=case["name"]):
                    before = files_under(self.dir)
                    result = run("encode", "-t", type_name, "-o", case["output"], *sources, cwd=self.dir)
                    self.assertExit(result, 2, case["name"])
                    self.assertIn(case["message"], result.stderr.decode(),
                                  f"got stderr {result.stderr!r}, want {case['message']!r}")
                    self.assertSourcesIntact(case["name"])
                    self.assertEqual(files_under(self.dir), before, "got files made or removed")
                    self.assertFalse((self.dir / "missing-target.eml").exists(),
                                     "got a file made through a dangling link")

    def test_bad_source_leaves_an_existing_output_whole(self):
        # A missing second source is refused before the output is opened: the old one stays whole.
        self.write("old.eml", b"old message")
        result = run("encode", "-o", "old.eml", "src/first.bin", "src/absent.bin", cwd=self.dir)
        self.assertExit(result, 2, "absent source")
        self.assertEqual((self.dir / "old.eml").read_bytes(), b"old message")

    def test_derived_name_skips_whatever_exists_in_a_pattern_like_folder(self):
        # "?" and "[draft]" would match other names as a pattern; existence is literal.
        folder = self.dir / "What? [draft]"
        self.write("What? [draft]/data.bin", self.first)
        self.write("What? [draft]/data.MIM", b"existing message")
        os.symlink(self.dir / "elsewhere/other.txt", folder / "data1.MIM")
        os.mkdir(folder / "data2.MIM")
        self.write("Whatx d/data.MIM", b"decoy")
        result = run("encode", "data.bin", cwd=folder)
        self.assertExit(result, 0, "derived name")
        self.assertEqual(result.stdout.decode().strip(), str(folder / "data3.MIM"))
        self.assertEqual((folder / "data.MIM").read_bytes(), b"existing message")
        self.assertTrue((folder / "data1.MIM").is_symlink(), "got the link at data1.MIM replaced")
        self.assertEqual((self.dir / "elsewhere/other.txt").read_bytes(), b"unrelated")
        self.assertTrue((folder / "data2.MIM").is_dir())
        self.assertEqual((self.dir / "Whatx d/data.MIM").read_bytes(), b"decoy")
        self.assertEqual((folder / "data.bin").read_bytes(), self.first)
        self.assertIn(b"data.bin", (folder / "data3.MIM").read_bytes())

    def test_given_output_in_a_pattern_like_folder_is_replaced_in_place(self):
        folder = self.dir / "What? [draft]"
        self.write("What? [draft]/data.bin", self.first)
        self.write("What? [draft]/mail.eml", b"old")
        self.write("Whatx d/mail.eml", b"decoy")
        result = run("encode", "-o", "mail.eml", "data.bin", cwd=folder)
        self.assertExit(result, 0, "given name")
        self.assertIn(b"Content-Type: multipart/mixed", (folder / "mail.eml").read_bytes())
        self.assertEqual((self.dir / "Whatx d/mail.eml").read_bytes(), b"decoy")


if __name__ == "__main__":
    unittest.main()
