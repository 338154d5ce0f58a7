"""kodra decode -C: each section under its own name, never two sections in one file, and
every section not written named on standard error with a non-zero exit."""
import os
import unittest

from cli_support import CliTestCase, files_under, run, sample_bytes, uu_section


class FolderDecodeTest(CliTestCase):
    def make_message(self, names):
        """in/msg.txt with one UU section per name; returns [(name, data)] in order."""
        sections = [(name, sample_bytes(150 + 7 * i, 40 + i)) for i, name in enumerate(names)]
        body = b"Subject: many files\r\n\r\n"
        for i, (name, data) in enumerate(sections):
            body += f"Part {i + 1}:\r\n\r\n".encode() + uu_section(name, data) + b"\r\n"
        self.write("in/msg.txt", body)
        return sections

    def beside_input(self):
        """Things beside the input that a decode there refuses to write through."""
        self.write("elsewhere/target.bin", b"link target")
        os.symlink(self.dir / "elsewhere/target.bin", self.dir / "in/link.bin")
        os.mkdir(self.dir / "in/sub.bin")

    def want_outputs(self, sections):
        """The file each section gets in a fresh folder: its own name, numbered on repeats."""
        outputs, taken = [], set()
        for name, data in sections:
            stem, dot, extension = name.rpartition(".")
            candidate, number = name, 0
            while candidate in taken:
                number += 1
                candidate = f"{stem}{number}.{extension}"
            taken.add(candidate)
            outputs.append((candidate, data))
        return outputs

    def assertNoSectionMisnamed(self, sections, out):
        """Every file in out holds exactly the bytes of the section its name belongs to."""
        want = dict(self.want_outputs(sections))
        for name in files_under(out):
            self.assertIn(name, want, f"got unexpected file {name} in the output folder")
            self.assertEqual((out / name).read_bytes(), want[name],
                             f"got {name} holding another section's bytes")

    def assertInputsIntact(self, message):
        self.assertEqual((self.dir / "in/msg.txt").read_bytes(), message)
        self.assertEqual((self.dir / "elsewhere/target.bin").read_bytes(), b"link target")
        self.assertTrue((self.dir / "in/sub.bin").is_dir())

    REFUSED_BESIDE = ["a.bin", "msg.txt", "b.bin", "link.bin", "sub.bin"] + ["msg.txt"] * 9 + ["c.bin"]

    def test_sections_never_land_under_another_sections_name(self):
        # Holds whatever the pre-scan lists: a file is right, or absent and reported.
        sections = self.make_message(self.REFUSED_BESIDE)
        self.beside_input()
        message = (self.dir / "in/msg.txt").read_bytes()
        out = self.dir / "out"
        result = run("decode", "-C", out, self.dir / "in/msg.txt")
        self.assertInputsIntact(message)
        self.assertNoSectionMisnamed(sections, out)
        written = files_under(out)
        if result.returncode == 0:
            self.assertEqual(len(written), len(sections), f"got {written} with exit 0, want every section")
        else:
            self.assertExit(result, 2, "decode -C with unwritten sections")
            self.assertIn("msg.txt", result.stderr.decode(), "got no mention of what was not written")
        self.assertEqual(sorted(p.name for p in out.iterdir()), sorted(written),
                         "got a working folder left behind")

    def test_sections_whose_default_would_be_refused_get_their_own_names(self):
        # Needs the library's pre-scan to list refused defaults too.
        sections = self.make_message(self.REFUSED_BESIDE)
        self.beside_input()
        out = self.dir / "out"
        result = run("decode", "-C", out, self.dir / "in/msg.txt")
        self.assertExit(result, 0, "decode -C")
        want = self.want_outputs(sections)
        self.assertEqual(result.stdout.decode().splitlines(), [str(out / name) for name, _ in want])
        self.assertEqual(files_under(out), sorted(name for name, _ in want))
        for name, data in want:
            self.assertEqual((out / name).read_bytes(), data, f"{name}: got other bytes")

    def test_more_sections_than_given_names_keep_their_own(self):
        sections = self.make_message(["a.bin", "b.bin", "c.bin"])
        out = self.dir / "out"
        result = run("decode", "-C", out, "-n", "first.dat", self.dir / "in/msg.txt")
        self.assertExit(result, 0, "decode -C -n")
        self.assertEqual(files_under(out), ["b.bin", "c.bin", "first.dat"])
        self.assertEqual((out / "first.dat").read_bytes(), sections[0][1])
        self.assertEqual((out / "b.bin").read_bytes(), sections[1][1])
        self.assertEqual((out / "c.bin").read_bytes(), sections[2][1])

    def test_repeated_names_are_numbered_not_overwritten(self):
        sections = self.make_message(["same.bin"] * 12)
        out = self.dir / "out"
        result = run("decode", "-C", out, self.dir / "in/msg.txt")
        self.assertExit(result, 0, "decode -C")
        want = self.want_outputs(sections)
        self.assertEqual(files_under(out), sorted(name for name, _ in want))
        for name, data in want:
            self.assertEqual((out / name).read_bytes(), data, f"{name}: got other bytes")

    def test_pattern_like_output_folder_keeps_existing_files(self):
        data = sample_bytes(200, 4)
        self.write("in/msg.txt", uu_section("data.bin", data))
        out = self.dir / "What? [draft]"
        self.write("What? [draft]/data.bin", b"keep me")
        self.write("Whatx d/data1.bin", b"decoy")
        result = run("decode", "-C", out, self.dir / "in/msg.txt")
        self.assertExit(result, 0, "decode -C")
        self.assertEqual(result.stdout.decode().splitlines(), [str(out / "data1.bin")])
        self.assertEqual((out / "data.bin").read_bytes(), b"keep me")
        self.assertEqual((out / "data1.bin").read_bytes(), data)
        self.assertEqual((self.dir / "Whatx d/data1.bin").read_bytes(), b"decoy")

    def test_output_folder_with_list_separator_is_refused(self):
        self.write("in/msg.txt", uu_section("data.bin", b"abc"))
        result = run("decode", "-C", "a;b", "in/msg.txt", cwd=self.dir)
        self.assertExit(result, 2, "folder with ;")
        self.assertIn('must not contain ";"', result.stderr.decode())
        self.assertFalse((self.dir / "a;b").exists())


if __name__ == "__main__":
    unittest.main()
