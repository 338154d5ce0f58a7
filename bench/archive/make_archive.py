#!/usr/bin/env python3
"""Seeded generator of a mail archive for the extraction benchmark.

Writes an mbox (mboxrd: body lines that begin with any number of ">" and "From " get one
more ">") and, when asked, the same messages as a Maildir. The mix is what a real archive
holds: text-only messages, multipart messages with Base64 attachments of log-normal sizes
(a few KiB to several MiB), quoted-printable text and HTML alternatives, quoted-printable
text attachments, UU-encoded files inside plain bodies, forwarded messages, encoded-word
subjects, sender names and file names (RFC 2047 and RFC 2231), and attachments that
repeat an earlier one byte for byte. The same seed and sizes give the same bytes.

    bench/archive/make_archive.py --out archive.mbox                    20 000 messages, about 1 GiB
    bench/archive/make_archive.py --messages 200 --size 8 --out a.mbox --maildir a.maildir

A summary (counts, bytes, the parameters) goes to OUT.json beside the mbox.
"""

import argparse
import base64
import binascii
import datetime
import json
import math
import os
import random
import re
import sys

MiB = 1 << 20
KiB = 1 << 10

# Share of each message kind (they add up to 1).
KINDS = (
    ("text", 0.30),          # plain text only, sometimes 8bit UTF-8
    ("alternative", 0.08),   # quoted-printable text/plain and text/html
    ("attachments", 0.42),   # text body and 1-3 Base64 attachments, sometimes a QP text attachment
    ("uu", 0.10),            # UU-encoded files inside a plain body
    ("rich", 0.05),          # alternative body and Base64 attachments
    ("forward", 0.05),       # a forwarded message (message/rfc822) holding an attachment
)

ATTACHMENT_TYPES = (
    ("application/pdf", "report-{n}.pdf"),
    ("image/jpeg", "photo_{n}.jpg"),
    ("image/png", "diagram {n}.png"),
    ("application/zip", "archive-{n}.zip"),
    ("application/octet-stream", "data{n}.bin"),
    ("application/vnd.openxmlformats-officedocument.spreadsheetml.sheet", "budget_{n}.xlsx"),
)
UNICODE_NAMES = ("résumé-{n}.pdf", "Übersicht {n}.xlsx", "设计-{n}.png", "Ørsted_{n}.zip", "пример-{n}.bin",
                 "café menu {n}.jpg")
PEOPLE = ("Alice Martin", "Bob Stone", "Jürgen Müller", "Zoë Durand", "李雷", "Ørjan Håland", "José Núñez",
          "Carol White", "Dmitri Иванов", "Eve Adams")
WORDS = ("the quick brown fox jumps over a lazy dog mail news attachment meeting report budget "
         "please find attached draft review thanks regards tomorrow schedule project update "
         "café naïve résumé Grüße 100% x=y").split(" ")
SUBJECTS = ("Quarterly report", "Re: meeting notes", "Photos from the trip", "Fwd: invoice", "Draft for review",
            "Grüße aus München", "Résumé et lettre", "会议记录", "Budget 2024", "Re: Re: schedule")

POOL_SIZE = 16 * MiB
MAX_ATTACHMENT = 12 * MiB
MIN_ATTACHMENT = 2 * KiB
SIGMA = 1.6
DUPLICATE_SHARE = 0.06


class Generator:
    def __init__(self, seed, messages, size):
        self.rng = random.Random(seed)
        self.seed = seed
        self.messages = messages
        self.size = size
        pool = random.Random(seed ^ 0x5EED).randbytes(POOL_SIZE)
        self.pool = pool + pool  # a slice of up to POOL_SIZE bytes never wraps
        self.contents = []       # (id, size, offset) of every attachment made: duplicates pick from it
        self.stats = {"messages": 0, "attachments": 0, "duplicates": 0, "uu_files": 0, "qp_attachments": 0,
                      "forwarded": 0, "attachment_bytes": 0, "largest_attachment": 0}
        # Attachment bytes per message at the median size: the controller in attachment_size
        # scales it so that the archive comes out near the asked size.
        per_message = max(size / max(messages, 1) - 3 * KiB, KiB)
        self.median = per_message / (1.47 * math.exp(SIGMA * SIGMA / 2))
        self.written = 0

    # ------------------------------------------------------------ pieces

    def content(self, ident, length, offset):
        tag = f"kodra-bench {self.seed} {ident:08d}\n".encode()
        if length <= len(tag):
            return tag[:length]
        return tag + self.pool[offset:offset + length - len(tag)]

    def attachment_size(self, index):
        left_messages = self.messages - index
        left_bytes = self.size - self.written
        scale = min(max(left_bytes / max(left_messages, 1) / (self.size / self.messages), 0.2), 5.0)
        value = self.rng.lognormvariate(math.log(self.median * scale), SIGMA)
        return int(min(max(value, MIN_ATTACHMENT), MAX_ATTACHMENT))

    def attachment_bytes(self, index):
        """Bytes of a new attachment, or of an earlier one (a duplicate)."""
        if self.contents and self.rng.random() < DUPLICATE_SHARE:
            ident, length, offset = self.rng.choice(self.contents)
            self.stats["duplicates"] += 1
        else:
            ident, length, offset = len(self.contents), self.attachment_size(index), self.rng.randrange(POOL_SIZE)
            self.contents.append((ident, length, offset))
        self.stats["attachments"] += 1
        self.stats["attachment_bytes"] += length
        self.stats["largest_attachment"] = max(self.stats["largest_attachment"], length)
        return self.content(ident, length, offset)

    def words(self, count):
        return " ".join(self.rng.choice(WORDS) for _ in range(count))

    def text(self, lines):
        out = []
        for _ in range(lines):
            roll = self.rng.random()
            if roll < 0.03:
                out.append("From the desk of " + self.rng.choice(PEOPLE) + ": " + self.words(4))
            elif roll < 0.04:
                out.append(">From an earlier message: " + self.words(3))
            elif roll < 0.08:
                out.append("")
            else:
                out.append(self.words(self.rng.randint(5, 14)))
        return "\n".join(out) + "\n"

    def encoded_word(self, text):
        if self.rng.random() < 0.5:
            return "=?UTF-8?B?" + base64.b64encode(text.encode()).decode() + "?="
        try:
            raw, charset = text.encode("iso-8859-1"), "ISO-8859-1"
        except UnicodeEncodeError:
            raw, charset = text.encode(), "UTF-8"
        q = "".join(chr(b) if (48 <= b <= 57 or 65 <= b <= 90 or 97 <= b <= 122) else
                    "_" if b == 32 else f"={b:02X}" for b in raw)
        return f"=?{charset}?Q?{q}?="

    def phrase(self, text):
        """A header phrase: as it is when ASCII, else mostly an encoded word, sometimes raw UTF-8."""
        if text.isascii():
            return text
        return self.encoded_word(text) if self.rng.random() < 0.9 else text

    def file_name(self):
        n = self.rng.randint(1, 9999)
        if self.rng.random() < 0.2:
            return self.rng.choice(UNICODE_NAMES).format(n=n), None
        mime, pattern = self.rng.choice(ATTACHMENT_TYPES)
        return pattern.format(n=n), mime

    def name_parameters(self, name):
        """The type's name and the disposition's filename parameters for name."""
        if name.isascii():
            return f'; name="{name}"', f'; filename="{name}"'
        if self.rng.random() < 0.5:
            word = self.encoded_word(name)
            return f'; name="{word}"', f'; filename="{word}"'
        quoted = "".join(chr(b) if chr(b).isalnum() and b < 128 or chr(b) in "-._" else f"%{b:02X}"
                         for b in name.encode())
        return f"; name*=UTF-8''{quoted}", f"; filename*=UTF-8''{quoted}"

    @staticmethod
    def base64_body(data):
        encoded = base64.b64encode(data)
        return b"\n".join(encoded[at:at + 76] for at in range(0, len(encoded), 76)) + b"\n"

    @staticmethod
    def qp(text):
        return binascii.b2a_qp(text.encode(), istext=True)

    def boundary(self, index, depth):
        return f"=_kodra_{self.seed}_{index}_{depth}_{self.rng.randrange(1 << 30):x}"

    # ------------------------------------------------------------ parts

    def base64_part(self, index):
        data = self.attachment_bytes(index)
        name, mime = self.file_name()
        mime = mime or "application/octet-stream"
        type_name, disposition_name = self.name_parameters(name)
        head = (f"Content-Type: {mime}{type_name}\nContent-Transfer-Encoding: base64\n"
                f"Content-Disposition: attachment{disposition_name}\n\n")
        return head.encode() + self.base64_body(data)

    def qp_text_attachment(self):
        self.stats["qp_attachments"] += 1
        self.stats["attachments"] += 1
        name = f"notes-{self.rng.randint(1, 999)}.txt"
        body = self.qp(self.text(self.rng.randint(5, 60)))
        return (f'Content-Type: text/plain; charset="utf-8"; name="{name}"\n'
                f"Content-Transfer-Encoding: quoted-printable\n"
                f'Content-Disposition: attachment; filename="{name}"\n\n').encode() + body

    def text_part(self):
        if self.rng.random() < 0.3:
            return (b'Content-Type: text/plain; charset="utf-8"\nContent-Transfer-Encoding: quoted-printable\n\n'
                    + self.qp(self.text(self.rng.randint(3, 40))))
        return (b'Content-Type: text/plain; charset="utf-8"\nContent-Transfer-Encoding: 8bit\n\n'
                + self.text(self.rng.randint(3, 40)).encode())

    def alternative(self, index, depth):
        body = self.text(self.rng.randint(5, 50))
        html = "<html><body>" + "".join(f"<p>{line}</p>\n" for line in body.splitlines()) + "</body></html>\n"
        return self.multipart("alternative", index, depth, [
            b'Content-Type: text/plain; charset="utf-8"\nContent-Transfer-Encoding: quoted-printable\n\n'
            + self.qp(body),
            b'Content-Type: text/html; charset="utf-8"\nContent-Transfer-Encoding: quoted-printable\n\n'
            + self.qp(html),
        ])

    def multipart(self, subtype, index, depth, parts):
        boundary = self.boundary(index, depth)
        out = [f'Content-Type: multipart/{subtype}; boundary="{boundary}"\n\n'.encode(),
               b"This is a multi-part message in MIME format.\n"]
        for part in parts:
            out += [f"\n--{boundary}\n".encode(), part]
        out.append(f"\n--{boundary}--\n".encode())
        return b"".join(out)

    def uu_body(self, index):
        pieces = [self.text(self.rng.randint(2, 10)).encode()]
        for _ in range(1 if self.rng.random() < 0.8 else 2):
            data = self.attachment_bytes(index)
            self.stats["uu_files"] += 1
            name, _ = self.file_name()
            if not name.isascii():
                name = name.encode("ascii", "replace").decode().replace("?", "_")
            lines = [binascii.b2a_uu(data[at:at + 45], backtick=True) for at in range(0, len(data), 45)]
            pieces += [f"\nbegin 644 {name.replace(' ', '_')}\n".encode(), b"".join(lines), b"`\nend\n\n"]
        pieces.append(self.text(self.rng.randint(1, 5)).encode())
        return b"".join(pieces)

    # ------------------------------------------------------------ messages

    def header(self, index, when, extra):
        sender = self.rng.choice(PEOPLE)
        address = f"user{self.rng.randint(1, 500)}@example.org"
        subject = self.rng.choice(SUBJECTS) + f" #{index}"
        if self.rng.random() < 0.15 and subject.isascii():
            subject = self.encoded_word(subject)
        lines = [f"From: {self.phrase(sender)} <{address}>",
                 f"To: list{self.rng.randint(1, 20)}@example.net",
                 f"Subject: {self.phrase(subject)}",
                 "Date: " + when.strftime("%a, %d %b %Y %H:%M:%S +0000"),
                 f"Message-ID: <{index}.{self.seed}@bench.kodra.example>"]
        return ("\n".join(lines) + "\n" + extra).encode()

    def message(self, index, when):
        """One message (LF line ends, without the mbox "From " line)."""
        kind = self.rng.choices([k for k, _ in KINDS], weights=[w for _, w in KINDS])[0]
        if kind == "text":
            if self.rng.random() < 0.5:
                return self.header(index, when, "\n") + self.text(self.rng.randint(3, 80)).encode()
            return (self.header(index, when, "MIME-Version: 1.0\n") + self.text_part())
        mime = "MIME-Version: 1.0\n"
        if kind == "alternative":
            return self.header(index, when, mime) + self.alternative(index, 1)
        if kind == "uu":
            return self.header(index, when, "\n") + self.uu_body(index)
        if kind == "attachments":
            parts = [self.text_part()] + [self.base64_part(index) for _ in range(self.rng.choice((1, 1, 1, 2, 3)))]
            if self.rng.random() < 0.15:
                parts.append(self.qp_text_attachment())
            return self.header(index, when, mime) + self.multipart("mixed", index, 1, parts)
        if kind == "rich":
            parts = [self.alternative(index, 2)] + [self.base64_part(index) for _ in range(self.rng.randint(1, 2))]
            return self.header(index, when, mime) + self.multipart("mixed", index, 1, parts)
        # A forwarded message: its own headers and one attachment inside a message/rfc822 part.
        self.stats["forwarded"] += 1
        inner = self.header(index, when - datetime.timedelta(days=1), mime) + self.multipart(
            "mixed", index, 3, [self.text_part(), self.base64_part(index)])
        return self.header(index, when, mime) + self.multipart(
            "mixed", index, 1, [self.text_part(), b"Content-Type: message/rfc822\n\n" + inner])


QUOTE = re.compile(rb"^(>*From )", re.M)


def quote_mboxrd(message):
    if message.startswith((b"From ", b">")) or b"\nFrom " in message or b"\n>" in message:
        return QUOTE.sub(rb">\1", message)
    return message


def generate(seed, messages, size, mbox_path, maildir=None):
    gen = Generator(seed, messages, size)
    start = datetime.datetime(2024, 1, 1, 8, 0, 0)
    if maildir:
        for sub in ("cur", "new", "tmp"):
            os.makedirs(os.path.join(maildir, sub), exist_ok=True)
    when = start
    with open(mbox_path, "wb") as mbox:
        for index in range(messages):
            when += datetime.timedelta(seconds=gen.rng.randint(60, 7200))
            message = gen.message(index, when)
            if not message.endswith(b"\n"):
                message += b"\n"
            stamp = when.strftime("%a %b %e %H:%M:%S %Y")
            record = b"From bench@example.org " + stamp.encode() + b"\n" + quote_mboxrd(message) + b"\n"
            mbox.write(record)
            gen.written += len(record)
            if maildir:
                stamp_seconds = int((when - datetime.datetime(1970, 1, 1)).total_seconds())
                # Every fifth message is still unread; the choice leaves the mbox's bytes alone.
                if index % 5:
                    name = os.path.join("cur", f"{stamp_seconds}.M{index:06d}P1.kodra-bench:2,S")
                else:
                    name = os.path.join("new", f"{stamp_seconds}.M{index:06d}P1.kodra-bench")
                with open(os.path.join(maildir, name), "wb") as f:
                    f.write(message)
            gen.stats["messages"] += 1
    summary = dict(gen.stats, seed=seed, asked_messages=messages, asked_bytes=size,
                   mbox_bytes=os.path.getsize(mbox_path), maildir=bool(maildir))
    with open(mbox_path + ".json", "w") as f:
        json.dump(summary, f, indent=1, sort_keys=True)
    return summary


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--out", default="archive.mbox", help="the mbox to write (default archive.mbox)")
    parser.add_argument("--maildir", default=None, help="also write the messages as a Maildir in this folder")
    parser.add_argument("--messages", type=int, default=20000, help="number of messages (default 20000)")
    parser.add_argument("--size", type=float, default=1024, help="about this many MiB in all (default 1024)")
    parser.add_argument("--seed", type=int, default=1)
    args = parser.parse_args()
    if args.messages < 1 or args.size <= 0:
        sys.exit("--messages and --size must be positive")
    summary = generate(args.seed, args.messages, int(args.size * MiB), args.out, args.maildir)
    print(json.dumps(summary, sort_keys=True))
    return 0


if __name__ == "__main__":
    sys.exit(main())
