"""Shared helpers of the kodra command tests: running the binary, temporary folders,
and messages made by Python's email package (a peer, not our own encoder)."""
import base64
import binascii
import os
import pathlib
import pty
import select
import subprocess
import tempfile
import time
import unittest
from email.message import EmailMessage

BINARY = os.environ.get("KODRA_BINARY", "kodra")
SOURCE_DIR = pathlib.Path(os.environ.get("KODRA_SOURCE_DIR", pathlib.Path(__file__).resolve().parents[2]))


def run(*args, cwd=None, stdin=b"", env=None):
    """Runs kodra with args; returns the CompletedProcess (stdout/stderr as bytes)."""
    return subprocess.run([BINARY, *map(str, args)], cwd=cwd, input=stdin, capture_output=True,
                          env=env, timeout=60)


def converse(args, cwd, script, timeout=30.0):
    """Runs kodra on a new pseudo-terminal; for each (expected text, reply) waits for the
    text to appear after the previous match and types the reply. Returns (exit code,
    everything the terminal showed)."""
    pid, fd = pty.fork()
    if pid == 0:
        try:
            os.chdir(cwd)
            os.execv(BINARY, [BINARY, *map(str, args)])
        finally:
            os._exit(127)
    seen = b""
    position = 0
    deadline = time.monotonic() + timeout
    steps = list(script)
    try:
        while True:
            if steps and steps[0][0] in seen[position:]:
                expected, reply = steps.pop(0)
                position = seen.index(expected, position) + len(expected)
                os.write(fd, reply)
                continue
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                os.kill(pid, 9)
                raise AssertionError(f"timed out waiting for {steps[:1]}; terminal showed {seen!r}")
            ready, _, _ = select.select([fd], [], [], remaining)
            if not ready:
                continue
            try:
                chunk = os.read(fd, 4096)
            except OSError:  # the child closed the terminal
                chunk = b""
            if not chunk:
                break
            seen += chunk
    finally:
        os.close(fd)
    _, status = os.waitpid(pid, 0)
    if steps:
        raise AssertionError(f"never asked {steps[0][0]!r}; terminal showed {seen!r}")
    return os.waitstatus_to_exitcode(status), seen


def files_under(folder):
    """Every file below folder, relative, as a sorted list of strings."""
    root = pathlib.Path(folder)
    return sorted(str(p.relative_to(root)) for p in root.rglob("*") if p.is_file())


def mime_message(attachments, text="See the attached files.\n"):
    """Bytes of a multipart message with a text part and one Base64 attachment per
    (name, data) pair, with CR LF line ends as stored mail has them."""
    message = EmailMessage()
    message["From"] = "Ada <ada@example.org>"
    message["To"] = "Tom <tom@example.org>"
    message["Subject"] = "Files"
    message["Date"] = "Tue, 5 Mar 2024 18:29:41 +0100"
    message.set_content(text)
    for name, data in attachments:
        message.add_attachment(data, maintype="application", subtype="octet-stream", filename=name)
    return message.as_bytes().replace(b"\n", b"\r\n")


def uu_section(name, data):
    """A UUencoded section as the classic uuencode tool writes it; name is text or bytes."""
    lines = [b"begin 644 " + (name if isinstance(name, bytes) else name.encode())]
    for i in range(0, len(data), 45):
        lines.append(binascii.b2a_uu(data[i:i + 45], backtick=True).rstrip(b"\n"))
    lines += [b"`", b"end"]
    return b"\r\n".join(lines) + b"\r\n"


def sample_bytes(size, seed=1):
    """Deterministic bytes of every value."""
    state = seed
    out = bytearray()
    for _ in range(size):
        state = (state * 1103515245 + 12345) & 0x7FFFFFFF
        out.append(state >> 16 & 0xFF)
    return bytes(out)


class CliTestCase(unittest.TestCase):
    """A test with its own temporary folder, self.dir."""

    def setUp(self):
        self._tmp = tempfile.TemporaryDirectory(prefix="kodra-cli-")
        self.dir = pathlib.Path(self._tmp.name)

    def tearDown(self):
        self._tmp.cleanup()

    def write(self, name, data):
        path = self.dir / name
        path.parent.mkdir(parents=True, exist_ok=True)
        path.write_bytes(data)
        return path

    def assertExit(self, result, want, context=""):
        self.assertEqual(result.returncode, want,
                         f"{context}: got exit {result.returncode}, want {want}; "
                         f"stderr: {result.stderr.decode(errors='replace')}")

    def assertRefused(self, cases):
        """Each case (name, args, message) exits 2 naming the cause and writes nothing."""
        for case in cases:
            with self.subTest(case["name"]):
                before = files_under(self.dir)
                result = run(*case["args"], cwd=self.dir)
                self.assertExit(result, 2, case["name"])
                self.assertIn(case["message"], result.stderr.decode())
                self.assertEqual(files_under(self.dir), before, "got files written on bad input")


__all__ = ["run", "converse", "files_under", "mime_message", "uu_section", "sample_bytes", "CliTestCase",
           "SOURCE_DIR", "base64"]
