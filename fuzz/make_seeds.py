#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets (fuzz/corpus/TARGET/seed-*): messages like
those of the test suite, built with the library's own encoders through its public
interface. Usage: fuzz/make_seeds.py [path to libkodra32.so] (default: the default build)."""
import ctypes
import os
import sys
import tempfile

here = os.path.dirname(os.path.abspath(__file__))
library = sys.argv[1] if len(sys.argv) > 1 else os.path.join(here, "..", "build", "default", "codec", "libkodra32.so")
kodra = ctypes.CDLL(library)
UU, B64, BINHEX, XX, QP = 1, 2, 3, 4, 5
CRLF = b"\r\n"


def payload(size, seed=1):
    state, out = seed, bytearray()
    for i in range(size):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out.append(i if i < 256 else (state >> 16) & 0xFF)
    return bytes(out)


def encode_lines(data, kind):
    out = ctypes.create_string_buffer(len(data) * 4 + 64)
    n = kodra.EncodeBuffer(data, out, len(data), kind)
    return out.raw[:n]


def encode_part(name, data, kind, flags=0, boundary=b"=_kodra_seed"):
    """One attachment part as EncodeFile(Ex) writes it, preceded by a header and first delimiter."""
    with tempfile.TemporaryDirectory() as folder:
        source = os.path.join(folder, name)
        with open(source, "wb") as f:
            f.write(data)
        output = os.path.join(folder, "out.eml")
        with open(output, "wb") as f:
            f.write(b"From: a@example.org\r\nSubject: seed\r\nMIME-Version: 1.0\r\n"
                    b"Content-Type: multipart/mixed; boundary=\"" + boundary + b"\"\r\n\r\n--" + boundary)
        ok = kodra.EncodeFileEx(source.encode(), output.encode(), boundary, kind, 1, flags)
        assert ok == 1, (name, kind, flags)
        assert kodra.FinishAttachments(output.encode()) == 0
        with open(output, "rb") as f:
            return f.read()


def uu_section(name, data, kind=UU):
    return b"begin 644 " + name + CRLF + encode_lines(data, kind) + (b"`" if kind == UU else b"+") + b"\r\nend\r\n"


def messages():
    small, medium = payload(40), payload(700)
    yield "uu", b"Subject: uu\r\n\r\nText before.\r\n" + uu_section(b"a.bin", medium)
    yield "xx", b"Subject: xx\r\n\r\n" + uu_section(b"x.bin", medium, XX)
    yield "two_uu", uu_section(b"one.bin", small) + b"\r\nbetween\r\n" + uu_section(b"two.bin", medium)
    yield "unnamed_uu", encode_lines(medium, UU)
    yield "bad_name", uu_section(b"../up/..\\evil name.bin", small)
    yield "table", b"table\r\n" + b" !\"#$%&'()*+,-./0123456789:;<=>?\r\n@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_\r\n" + \
        uu_section(b"t.bin", small)
    for kind, label in ((UU, "uu"), (B64, "base64"), (BINHEX, "binhex"), (XX, "xx"), (QP, "qp")):
        yield "mime_" + label, encode_part("part." + label, medium, kind)
        yield "strict_" + label, encode_part("strict." + label, small, kind, 1)
    text = b"Hello =world=\r\n" * 8 + "caf\u00e9 \u00fcber\r\n".encode("latin-1")
    yield "mime_text_qp", encode_part("note.txt", text, QP, 1)
    yield "multipart_alternative", (
        b"From: a@example.org\r\nSubject: =?iso-8859-1?q?Gr=FC=DFe?=\r\nMIME-Version: 1.0\r\n"
        b"Content-Type: multipart/alternative; boundary=\"alt\"\r\n\r\n--alt\r\n"
        b"Content-Type: text/plain; charset=iso-8859-1\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
        b"Soft=\r\n break and =E9.\r\n--alt\r\nContent-Type: text/html\r\n\r\n<p>Hi</p>\r\n--alt--\r\n")
    yield "nested", (
        b"Content-Type: multipart/mixed; boundary=\"outer\"\r\n\r\n--outer\r\n"
        b"Content-Type: multipart/alternative; boundary=\"inner\"\r\n\r\n--inner\r\nContent-Type: text/plain\r\n\r\n"
        b"plain\r\n--inner--\r\n--outer\r\nContent-Type: application/octet-stream; name=\"d.bin\"\r\n"
        b"Content-Transfer-Encoding: base64\r\n\r\n" + encode_lines(small, B64) + b"--outer--\r\n")
    yield "plain_base64_message", b"Subject: b\r\nContent-Transfer-Encoding: base64\r\n\r\n" + encode_lines(medium, B64)
    yield "digest", b"\r\n".join([b"From: x@y\r\nSubject: part %d\r\n\r\n" % i + uu_section(b"d%d.bin" % i, small)
                                  for i in range(3)])


def headers():
    yield "folded", (b"Received: from a by b; Mon, 10 Dec 2001 10:00:00 -0500\r\nFrom: A <a@example.org>\r\n"
                     b"To: b@example.org,\r\n c@example.org\r\nSubject: =?iso-8859-1?b?R3L832U=?= and\r\n"
                     b"\t=?big5?Q?more?=\r\nDate: Mon, 10 Dec 2001 10:00:00 -0500\r\nCC: c@x\r\nReply-to: r@x\r\n"
                     b"Organization: Org\r\n\r\nbody\r\n")
    yield "long_word", b"Subject: =?iso-8859-1?q?" + b"abcdefghij" * 20 + b"\r\n continued?=\r\n\r\n"


def dates():
    for i, text in enumerate([b"Mon, 10 Dec 2001 10:00:00 -0500", b"Monday, 10-Dec-01 10:00:00 GMT",
                              b"Mon Dec 10 10:00:00 2001", b"Tue, 29 Feb 2000 23:59:59 +1400",
                              b"Fri, 31 Dec 1999 23:59:60 EST", b"Sun, 1 Jan 1601 00:00:00 +0000"]):
        yield "date%d" % i, text


def words():
    for i, text in enumerate([b"=?iso-8859-1?q?caf=E9_au_lait?= =?ISO-8859-2?B?xb7x?=",
                              b"Subject: =?big5?b?" + b"QUJD" * 10 + b"\nREVG?= tail",
                              b"=?iso-8859-15?Q?" + b"x" * 40 + b"\n" + b"y" * 10 + b"?=",
                              b"plain text without words"]):
        yield "word%d" % i, bytes([i * 17 % 64]) + text


def header_parameters():
    """The first byte picks the form (even: a field body, odd: a parameter list)."""
    yield "apple", b"\x00multipart/alternative;\tboundary=Apple-Mail-2--284793216;\ttype=\"text/plain\""
    yield "comments", b"\x00multipart/mixed (outer (nested) comment) ; (c) boundary (c2) = (c3) \"b(not a comment)\""
    yield "escapes", b"\x00attachment; filename=\"a \\\"quoted\\\" C:\\Dir\\x.doc\"; size=12"
    yield "sections", (b"\x00application/x-stuff; title*0*=us-ascii'en'This%20is%20even%20more%20; "
                       b"title*1*=%2A%2A%2Afun%2A%2A%2A%20; title*2=\"isn't it!\"")
    yield "extended", b"\x00attachment; filename=\"plain.txt\"; filename*=UTF-8''%E2%82%AC%20rates.txt"
    yield "words", b"\x00application/octet-stream; name==?iso-8859-1?B?Y2Fm6S50eHQ=?=; x=\"=?utf-8?Q?=C3=A9t=C3=A9?=\""
    yield "latin1", b"\x00attachment; filename=\"caf\xe9.txt\" charset=iso-8859-1"
    yield "list", b"\x01\tboundary=Apple-Mail-1--234; type=text/html"


def buffers():
    data = payload(300)
    for selector, kind in ((0, UU), (1, B64), (2, XX), (3, QP)):
        yield "buffer%d" % kind, bytes([selector]) + encode_lines(data, kind)


def six_bit_lines():
    data = payload(300)
    for selector in range(12):
        body = encode_lines(data, UU if selector % 3 == 1 else XX if selector % 3 == 2 else B64)
        first = body.split(b"\r\n")[0]
        if selector % 3 == 1 or selector % 3 == 2:
            first = first[1:]  # the length character is the caller's
        yield "line%d" % selector, bytes([selector, 8]) + first


def binhex_only(message):
    start = message.find(b"(This file")
    return message[start:] if start >= 0 else message


def line_inputs():
    """The first byte picks the cap, the unread and the mark; the rest is the text."""
    texts = [b"", b"one\r\ntwo\nthree", b"a\rb\r\r\n\n\x00c\r", b"x" * 1023 + b"\r\n" + b"y" * 1025 + b"\r",
             b"".join(b"A" * 76 + b"\r\n" for _ in range(20))]
    for i, text in enumerate(texts):
        for choice in (0, 9, 58, 131, 255):
            yield "lines%d-%d" % (i, choice), bytes([choice]) + text


def write(target, items):
    folder = os.path.join(here, "corpus", target)
    os.makedirs(folder, exist_ok=True)
    for name, data in items:
        with open(os.path.join(folder, "seed-" + name), "wb") as f:
            f.write(data)


all_messages = list(messages()) + list(headers())
write("decode_file", all_messages)
write("message_text", all_messages)
write("message_info", list(headers()) + list(messages())[:6])
write("mime_time", dates())
write("encoded_words", words())
write("header_parameters", header_parameters())
write("decode_buffer", buffers())
write("six_bit_lines", six_bit_lines())
write("line_source", line_inputs())
write("binhex", [(n, binhex_only(m)) for n, m in all_messages if b"(This file" in m] +
      [("hexbin", b"(This file must be converted with BinHex 4.0)\r\n#TEXT\r\n***COMPRESSED\r\n***RESOURCE\r\n"
                  b"48656C6C6F\r\n***CRC:01F4\r\n***END\r\n")])
