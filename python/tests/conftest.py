"""Shared fixtures: the package from this checkout, and messages and archives made here."""

import base64
import binascii
import os
import sys
from pathlib import Path

import pytest

# The tests run against the checkout's package unless an installed one is asked for.
if not os.environ.get("KODRA_TEST_INSTALLED"):
    sys.path.insert(0, str(Path(__file__).resolve().parent.parent))

import kodra  # noqa: E402
from kodra import _library  # noqa: E402


def requires_export(name):
    """Skips a test when the loaded library lacks an export (an older libkodra32)."""
    try:
        present = _library.has_export(name)
    except kodra.KodraError:
        present = False
    return pytest.mark.skipif(not present, reason=f"libkodra32 without {name}")


def uuencode(name, data):
    """data as a classic "begin 644 name" ... "end" block."""
    lines = [f"begin 644 {name}\n".encode()]
    lines += [binascii.b2a_uu(data[i:i + 45], backtick=True) for i in range(0, len(data), 45)]
    lines.append(b"`\nend\n")
    return b"".join(lines)


def mime_message(subject, attachments, message_id=None, date="Fri, 1 Mar 2024 11:00:00 +0100"):
    """A multipart message with a text part and one Base64 part per (name, bytes)."""
    boundary = "kodra-test-boundary"
    head = [
        "From: Ada <ada@example.org>",
        "To: Tom <tom@example.org>",
        f"Subject: {subject}",
        f"Date: {date}",
        f"Message-ID: <{message_id or subject.replace(' ', '.')}@example.org>",
        "MIME-Version: 1.0",
        f'Content-Type: multipart/mixed; boundary="{boundary}"',
        "",
        f"--{boundary}",
        "Content-Type: text/plain; charset=us-ascii",
        "",
        "See the attachments.",
        "",
    ]
    text = "\n".join(head) + "\n"
    for name, data in attachments:
        encoded = base64.encodebytes(data).decode()
        text += (f"--{boundary}\nContent-Type: application/octet-stream; name=\"{name}\"\n"
                 f"Content-Transfer-Encoding: base64\n"
                 f"Content-Disposition: attachment; filename=\"{name}\"\n\n{encoded}\n")
    text += f"--{boundary}--\n"
    return text.encode()


def payload(seed, size):
    """Deterministic bytes that differ per seed."""
    import random

    return random.Random(seed).randbytes(size)


def plain_message(subject, body):
    return (f"From: Tom <tom@example.org>\nSubject: {subject}\nDate: Sat, 2 Mar 2024 09:30:00 +0000\n"
            f"Message-ID: <{subject.replace(' ', '.')}@example.org>\n\n{body}\n").encode()


def build_mbox(messages):
    """An mbox (mboxrd) of message texts: each led by a "From " line, body "From " lines quoted."""
    out = b""
    for number, message in enumerate(messages):
        lines = message.split(b"\n")
        quoted = [b">" + line if line.lstrip(b">").startswith(b"From ") else line for line in lines]
        out += b"From sender%d@example.org Fri Mar  1 10:00:00 2024\n" % number
        out += b"\n".join(quoted).rstrip(b"\n") + b"\n\n"
    return out


@pytest.fixture
def sample_messages():
    """Messages with attachments: two share one attachment, one has none, one has a UU part."""
    shared = payload(1, 3000)
    return [
        mime_message("first report", [("chart.png", payload(2, 1200)), ("data.bin", shared)]),
        plain_message("no parts", "Just text.\nFrom the harbour, greetings."),
        mime_message("second report", [("data-copy.bin", shared)]),
        plain_message("uu part", "Here it is:\n\n" + uuencode("notes.txt", b"tide notes\n" * 40).decode()),
    ]


@pytest.fixture
def mbox_path(tmp_path, sample_messages):
    path = tmp_path / "inbox.mbox"
    path.write_bytes(build_mbox(sample_messages))
    return path


@pytest.fixture
def maildir_path(tmp_path, sample_messages):
    root = tmp_path / "Maildir"
    for sub in ("cur", "new", "tmp"):
        (root / sub).mkdir(parents=True)
    (root / "cur" / "1700000000.1.host:2,S").write_bytes(sample_messages[0])
    (root / "cur" / "1700000001.2.host:2,S").write_bytes(sample_messages[1])
    (root / "new" / "1700000002.3.host").write_bytes(sample_messages[2])
    (root / "new" / "1700000003.4.host").write_bytes(sample_messages[3])
    return root
