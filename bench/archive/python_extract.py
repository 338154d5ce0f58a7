#!/usr/bin/env python3
"""The extraction job done with Python's mailbox and email packages, for comparison.

Reads an mbox or a Maildir, parses every message with email.policy.default, decodes every
part that has a file name or a payload that is not text (get_payload(decode=True)), stores
its bytes once under OUTPUT/<first two hex digits>/<sha256> and writes one JSON record a
line: the message's position ("offset" of its "From " line in an mbox, "file" relative to
the Maildir), "part" (its index in msg.walk()), "name", "type", "size", "sha256" and
"path" (relative to OUTPUT).

    bench/archive/python_extract.py archive.mbox out --records python.jsonl
    bench/archive/python_extract.py archive.maildir out --records python.jsonl --uu-bodies

--uu-bodies also decodes "begin ... end" UU blocks inside text parts without a file name
(binascii.a2b_uu), which the email package leaves as text. mailbox.mbox keeps the quoting
of body lines that begin with ">From "; --mboxrd removes one ">" from them as an mboxrd
reader does, so that quoted text attachments come out as they were written.
"""

import argparse
import binascii
import email
import email.policy
import hashlib
import json
import mailbox
import os
import re
import sys

BEGIN = re.compile(rb"^begin [0-7]{3,4} (.+?)\r?$", re.M)
QUOTED_FROM = re.compile(rb"^>(>*From )", re.M)


def uu_blocks(text):
    """(name, bytes) of every UU block in text."""
    found = []
    for match in BEGIN.finditer(text):
        out = []
        for line in text[match.end():].split(b"\n")[1:]:
            line = line.rstrip(b"\r")
            if line == b"end":
                break
            if not line:
                continue
            try:
                out.append(binascii.a2b_uu(line))
            except binascii.Error:
                # A padded or short last line: decode what its length character announces.
                count = (line[0] - 32) & 63
                out.append(binascii.a2b_uu(line[:1 + (count + 2) // 3 * 4] + b"    ")[:count])
        found.append((match.group(1).decode("latin-1"), b"".join(out)))
    return found


class Store:
    """Writes part bytes by hash, each content once."""

    def __init__(self, folder):
        self.folder = folder
        self.seen = set()

    def put(self, data):
        digest = hashlib.sha256(data).hexdigest()
        relative = f"{digest[:2]}/{digest}"
        if digest not in self.seen:
            self.seen.add(digest)
            path = os.path.join(self.folder, digest[:2])
            os.makedirs(path, exist_ok=True)
            target = os.path.join(path, digest)
            if not os.path.exists(target):
                with open(target, "wb") as f:
                    f.write(data)
        return digest, relative


def parts_of(raw, uu_bodies):
    """(part index, name, type, bytes) of every attachment of one message."""
    msg = email.message_from_bytes(raw, policy=email.policy.default)
    for index, part in enumerate(msg.walk()):
        if part.is_multipart():
            continue
        name = part.get_filename()
        kind = part.get_content_type()
        if name or part.get_content_maintype() != "text":
            data = part.get_payload(decode=True)
            if data is not None:
                yield index, name, kind, data
        elif uu_bodies:
            body = part.get_payload(decode=True) or b""
            if b"begin " in body:
                for uu_name, data in uu_blocks(body):
                    yield index, uu_name, "application/octet-stream", data


def messages(path, mboxrd=False):
    """(offset, file, raw bytes) of every message of an mbox or a Maildir, in file order."""
    if os.path.isdir(path):
        box = mailbox.Maildir(path, factory=None, create=False)
        keyed = sorted((box._lookup(key), key) for key in box.iterkeys())
        for relative, key in keyed:
            yield None, relative.replace(os.sep, "/"), box.get_bytes(key)
    else:
        box = mailbox.mbox(path, factory=None, create=False)
        for key in box.iterkeys():
            raw = box.get_bytes(key)
            if mboxrd and (raw.startswith(b">") or b"\n>" in raw):
                raw = QUOTED_FROM.sub(rb"\1", raw)
            yield box._toc[key][0], None, raw


def extract(path, output, records, uu_bodies=False, mboxrd=False):
    store = Store(output)
    count = 0
    for offset, relative, raw in messages(path, mboxrd):
        count += 1
        for index, name, kind, data in parts_of(raw, uu_bodies):
            digest, stored = store.put(data)
            records.write(json.dumps({"offset": offset, "file": relative, "part": index, "name": name,
                                      "type": kind, "size": len(data), "sha256": digest, "path": stored},
                                     ensure_ascii=False) + "\n")
    return count


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("input", help="an mbox file or a Maildir folder")
    parser.add_argument("output", help="folder for the decoded parts")
    parser.add_argument("--records", default="-", help="JSON Lines file of the records (default: standard output)")
    parser.add_argument("--uu-bodies", action="store_true", help="also decode UU blocks inside text parts")
    parser.add_argument("--mboxrd", action="store_true", help='unquote ">From " lines of an mbox')
    args = parser.parse_args()
    os.makedirs(args.output, exist_ok=True)
    if args.records == "-":
        extract(args.input, args.output, sys.stdout, args.uu_bodies, args.mboxrd)
    else:
        with open(args.records, "w", encoding="utf-8") as records:
            extract(args.input, args.output, records, args.uu_bodies, args.mboxrd)
    return 0


if __name__ == "__main__":
    sys.exit(main())
