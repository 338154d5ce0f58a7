"""FIFOs, devices and links given to kodra: a clear error, never a wait or a write through."""
import os
import unittest

from cli_support import CliTestCase, run, uu_section


class SpecialFileTest(CliTestCase):
    def setUp(self):
        super().setUp()
        os.mkfifo(self.dir / "pipe")
        self.write("msg.eml", b"From: a@example.org\r\nSubject: s\r\n\r\n" + uu_section("a.bin", b"abc"))

    def test_fifo_and_device_inputs_are_refused_without_waiting(self):
        cases = [
            {"name": "decode", "args": ["decode", "-y", "pipe"]},
            {"name": "decode -C", "args": ["decode", "-C", "out", "pipe"]},
            {"name": "list", "args": ["list", "pipe"]},
            {"name": "encode", "args": ["encode", "-o", "out.eml", "pipe"]},
            {"name": "headers", "args": ["headers", "pipe"]},
            {"name": "text", "args": ["text", "pipe"]},
            {"name": "split", "args": ["split", "-s", "10", "pipe"]},
            {"name": "join", "args": ["join", "pipe"]},
            {"name": "device", "args": ["decode", "-y", "/dev/zero"]},
        ]
        self.assertRefused([dict(case, message="is not a regular file") for case in cases])

    def test_fifo_and_link_outputs_are_refused(self):
        self.write("elsewhere/target.txt", b"keep")
        os.symlink(self.dir / "elsewhere/target.txt", self.dir / "link.txt")
        cases = [
            {"name": "encode to a FIFO", "args": ["encode", "-o", "pipe", "msg.eml"],
             "message": "is not a regular file"},
            {"name": "text to a FIFO", "args": ["text", "-o", "pipe", "msg.eml"],
             "message": "is not a regular file"},
            {"name": "text to a link", "args": ["text", "-o", "link.txt", "msg.eml"],
             "message": "symbolic link"},
            {"name": "text over the message", "args": ["text", "-o", "msg.eml", "msg.eml"],
             "message": "both an input and the output"},
            {"name": "decode -n to a link", "args": ["decode", "-n", "link.txt", "msg.eml"],
             "message": "symbolic link"},
            {"name": "decode -n over the message", "args": ["decode", "-n", "msg.eml", "msg.eml"],
             "message": "both an input and the output"},
        ]
        message = (self.dir / "msg.eml").read_bytes()
        self.assertRefused(cases)
        self.assertEqual((self.dir / "elsewhere/target.txt").read_bytes(), b"keep")
        self.assertEqual((self.dir / "msg.eml").read_bytes(), message)

    def test_decoding_twice_reports_the_files_again(self):
        # The same bytes written again are still a write: the watcher compares times too.
        result = run("decode", "-y", "msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "first decode")
        os.utime(self.dir / "a.bin", (946684800, 946684800))  # 2000-01-01, long before this run
        result = run("decode", "-y", "msg.eml", cwd=self.dir)
        self.assertExit(result, 0, "second decode")
        self.assertEqual(result.stdout.decode().splitlines(), [str(self.dir / "a.bin")])
        self.assertEqual((self.dir / "a.bin").read_bytes(), b"abc")

if __name__ == "__main__":
    unittest.main()
