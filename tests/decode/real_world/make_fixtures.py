#!/usr/bin/env python3
"""Writes the real-world fixture messages of tests/decode/real_world and the files a
decode of each must write.

Each fixture is a message in a form a mail client of today writes (Apple Mail, Outlook,
Thunderbird, Gmail, phones, signed and forwarded mail, old Mac and legacy encodings),
made here from fixed data: fixed boundaries, dates and Message-IDs, so that running the
script again writes the same bytes. Some are built with Python's email package
(policy email.policy.default), the others are written line by line where a client's own
header layout is the point.

Output, for fixture NAME:
  messages/NAME.eml            the message
  expected/NAME/names.txt      one line per file the decode writes:
                               "<stored file>\t<bytes|text>\t<UTF-8 file name>"
  expected/NAME/<i>.bin        that file's exact bytes
"text" marks a text section, whose line ends are the message's own on POSIX and CR LF on
Windows; "bytes" files are the same everywhere. The repository holds only ASCII file
names: the real names live in names.txt.

Every expectation is checked against Python's email package (msg.walk(),
get_filename(), get_payload(decode=True)) before anything is written; BinHex, which
Python no longer reads, is checked with the peer hexbin when it is installed.

Run from anywhere: python3 tests/decode/real_world/make_fixtures.py
"""
import base64
import binascii
import email
import email.policy
import pathlib
import quopri
import shutil
import subprocess
import sys
import tempfile
import urllib.parse
from email.generator import BytesGenerator
from email.message import EmailMessage
from io import BytesIO

HERE = pathlib.Path(__file__).resolve().parent
CRLF = b"\r\n"
LF = b"\n"
CR = b"\r"


# ---------------------------------------------------------------- data


def payload(size, seed=1):
    """Bytes 0 to 255, then a fixed pseudo-random tail: every byte value, not text."""
    out = bytearray(size)
    state = seed
    for i in range(size):
        state = (state * 1103515245 + 12345) & 0xFFFFFFFF
        out[i] = i if i < 256 else (state >> 16) & 0xFF
    return bytes(out)


def file_like(magic, size, seed):
    """A file that starts like its kind (magic number) and goes on with fixed bytes."""
    return magic + payload(size - len(magic), seed)


PDF = b"%PDF-1.7\n%\xe2\xe3\xcf\xd3\n"
JPEG = b"\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x48\x00\x48\x00\x00"
PNG = b"\x89PNG\r\n\x1a\n\x00\x00\x00\rIHDR"
HEIC = b"\x00\x00\x00\x18ftypheic\x00\x00\x00\x00mif1heic"
ZIP = b"PK\x03\x04\x14\x00\x00\x00\x08\x00"
OOXML = ZIP + b"\x21\x00[Content_Types].xml"
TIFF = b"II*\x00\x08\x00\x00\x00"


# ---------------------------------------------------------------- message text


def lines(items, eol):
    """The items (str or bytes), each ended by eol."""
    return b"".join((item.encode() if isinstance(item, str) else item) + eol for item in items)


def b64(data, eol, width=76, pad=True):
    """Base64 of data in lines of width characters (0: one line), each ended by eol."""
    text = base64.b64encode(data)
    if not pad:
        text = text.rstrip(b"=")
    if width == 0:
        return text + eol
    return b"".join(text[i:i + width] + eol for i in range(0, len(text), width))


def part(headers, body, eol):
    """A body part: its header lines, a blank line, the body as given."""
    return lines(headers, eol) + eol + body


def multipart(boundary, parts, eol, preamble=b""):
    """The body of a multipart: each part after a delimiter line, the line end before a
    delimiter being the delimiter's (RFC 2046, 5.1.1), then the close delimiter."""
    out = preamble
    for body in parts:
        out += b"--" + boundary.encode() + eol + body + eol
    return out + b"--" + boundary.encode() + b"--" + eol


def words_b(text, charset, chars_per_word=None):
    """text as RFC 2047 B encoded words, chars_per_word characters each, joined by a
    folding line end and a tab."""
    chunks = [text] if not chars_per_word else [text[i:i + chars_per_word]
                                                for i in range(0, len(text), chars_per_word)]
    return [f"=?{charset}?B?{base64.b64encode(c.encode(charset)).decode()}?=" for c in chunks]


def folded_name(words):
    """A name= parameter of encoded words, one per folded line."""
    return [(' name="' if i == 0 else " ") + word + ('"' if i == len(words) - 1 else "")
            for i, word in enumerate(words)]


def word_q(raw, charset):
    """raw bytes as one RFC 2047 Q encoded word."""
    out = []
    for byte in raw:
        c = chr(byte)
        if c == " ":
            out.append("_")
        elif byte < 0x80 and (c.isalnum() or c in ".-"):
            out.append(c)
        else:
            out.append(f"={byte:02X}")
    return f"=?{charset}?Q?{''.join(out)}?="


def generated(message, eol=CRLF):
    """The bytes Python's generator writes for message, with the given line end."""
    out = BytesIO()
    BytesGenerator(out, policy=email.policy.default.clone(linesep=eol.decode())).flatten(message)
    return out.getvalue()


def fix_boundaries(message, prefix):
    """Gives every multipart of message a fixed boundary."""
    count = 0
    for item in message.walk():
        if item.is_multipart():
            item.set_boundary(f"{prefix}{count:02d}")
            count += 1


# ---------------------------------------------------------------- fixtures


class Fixture:
    def __init__(self, name, message, files, about, python_names=None):
        self.name = name
        self.message = message
        self.files = files  # [(UTF-8 name, bytes, "bytes" | "text")]
        self.about = about
        # Names Python gives differently, by design: expected name -> Python's.
        self.python_names = python_names or {}


def apple_mail():
    eol = CRLF
    image = file_like(PNG, 3000, 11)
    pdf = file_like(PDF, 7000, 12)
    pages = file_like(ZIP, 2500, 13)
    packing = lines(["Packing list", "", "- tide gauge spare", "- logger cable", "- 2 batteries"], eol)
    related = multipart("Apple-Mail-7D3C5F2B-0A4E-4C9F-B8D2-3E6F9A1C4B05", [
        part(["Content-Transfer-Encoding: quoted-printable",
              "Content-Type: text/html;", "\tcharset=utf-8"],
             lines(['<html><body><div>Here is the chart:</div><img src=3D"cid:4F1E2D3C@apple.example">',
                    "</body></html>"], eol), eol),
        part(["Content-Transfer-Encoding: base64",
              "Content-Disposition: inline;", "\tfilename=Chart.png",
              "Content-Type: image/png;", "\tx-unix-mode=0644;", "\tname=Chart.png",
              "Content-Id: <4F1E2D3C@apple.example>"],
             b64(image, eol), eol),
    ], eol)
    alternative = multipart("Apple-Mail-8E4D6A3C-1B5F-4DA0-C9E3-4F7A0B2D5C16", [
        part(["Content-Transfer-Encoding: 7bit",
              "Content-Type: text/plain;", "\tcharset=us-ascii"],
             lines(["Here is the chart:", "", "[Chart.png]"], eol), eol),
        part(["Content-Type: multipart/related;",
              "\tboundary=Apple-Mail-7D3C5F2B-0A4E-4C9F-B8D2-3E6F9A1C4B05;",
              '\ttype="text/html"'], related, eol),
    ], eol)
    body = multipart("Apple-Mail-6C2B4E1A-9F3D-4B8E-A7C1-2D5E8F0B3A94", [
        part(["Content-Type: multipart/alternative;",
              "\tboundary=Apple-Mail-8E4D6A3C-1B5F-4DA0-C9E3-4F7A0B2D5C16"], alternative, eol),
        part(["Content-Disposition: attachment;", '\tfilename="Quarterly Report.pdf"',
              "Content-Type: application/pdf;", "\tx-unix-mode=0644;", '\tname="Quarterly Report.pdf"',
              "Content-Transfer-Encoding: base64"],
             b64(pdf, eol), eol),
        # A text file goes as 7bit text: its end is found only by the boundary.
        part(["Content-Disposition: attachment;", '\tfilename="Packing list.txt"',
              "Content-Type: text/plain;", '\tname="Packing list.txt"', "\tx-unix-mode=0644",
              "Content-Transfer-Encoding: 7bit"], packing, eol),
        part(["Content-Disposition: attachment;", "\tfilename=Notes.pages.zip",
              "Content-Type: application/zip;", "\tx-unix-mode=0644;", "\tname=Notes.pages.zip",
              "Content-Transfer-Encoding: base64"],
             b64(pages, eol), eol),
    ], eol)
    head = lines(["From: Ada Lindqvist <ada@apple.example>",
                  "Content-Type: multipart/mixed;",
                  "\tboundary=Apple-Mail-6C2B4E1A-9F3D-4B8E-A7C1-2D5E8F0B3A94;",
                  '\ttype="multipart/alternative"',
                  "Mime-Version: 1.0 (Mac OS X Mail 16.0 \\(3774.600.62\\))",
                  "Subject: Quarterly numbers",
                  "Message-Id: <A1B2C3D4-0001@apple.example>",
                  "Date: Tue, 5 Mar 2024 18:29:41 +0100",
                  "To: Tom Berg <tom@example.org>"], eol)
    return Fixture("apple_mail", head + eol + body,
                   [("Chart.png", image, "bytes"), ("Quarterly Report.pdf", pdf, "bytes"),
                    ("Packing list.txt", packing, "text"), ("Notes.pages.zip", pages, "bytes")],
                   "unquoted boundaries ended by ';', related inside alternative inside mixed")


def outlook():
    eol = CRLF
    utf8_name = "Prüfbericht März 2024.pdf"
    latin_name = "Résumé François.docx"
    cp1252_name = "Kosten € – Q3.xlsx"
    long_name = "Protokoll der Sitzung über die Überarbeitung der Außenanlagen – Entwurf ✓.docx"
    files = [(utf8_name, file_like(PDF, 4100, 21)), (latin_name, file_like(OOXML, 2200, 22)),
             (cp1252_name, file_like(OOXML, 1900, 23)), (long_name, file_like(OOXML, 2600, 24))]
    logo = file_like(PNG, 1200, 25)
    plan_name = "Maßnahmenplan Hafen.one"
    plan = file_like(b"\xe4\x52\x5c\x7b\x8c\xd8\xa7\x4d", 1700, 26)

    def attachment(content_type, quoted_name, data):
        folded = ("\r\n\t".join(quoted_name) if isinstance(quoted_name, list) else quoted_name)
        return part([f"Content-Type: {content_type};",
                     f'\tname="{folded}"',
                     "Content-Transfer-Encoding: base64",
                     "Content-Disposition: attachment;",
                     f'\tfilename="{folded}"'],
                    b64(data, eol), eol)

    alternative = multipart("----=_NextPart_002_0012_01D8A1B2.C3D4E5F0", [
        part(['Content-Type: text/plain;', '\tcharset="utf-8"', "Content-Transfer-Encoding: quoted-printable"],
             lines(["Hallo Tom,", "", "anbei die Unterlagen f=C3=BCr Donnerstag.", "", "Gr=C3=BC=C3=9Fe"], eol), eol),
        part(['Content-Type: text/html;', '\tcharset="utf-8"', "Content-Transfer-Encoding: quoted-printable"],
             lines(['<html><body><p>Hallo Tom,</p><img src=3D"cid:image001.png@01D8A1B2.C3D4E5F0"></body></html>'],
                   eol), eol),
    ], eol)
    related = multipart("----=_NextPart_001_0012_01D8A1B2.C3D4E5F0", [
        part(['Content-Type: multipart/alternative;',
              '\tboundary="----=_NextPart_002_0012_01D8A1B2.C3D4E5F0"'], alternative, eol),
        part(['Content-Type: image/png;', '\tname="image001.png"',
              "Content-Transfer-Encoding: base64",
              "Content-ID: <image001.png@01D8A1B2.C3D4E5F0>"], b64(logo, eol), eol),
    ], eol)
    body = multipart("----=_NextPart_000_0012_01D8A1B2.C3D4E5F0", [
        # Outlook writes type= before boundary= on one line.
        part(['Content-Type: multipart/related; type="multipart/alternative"; '
              'boundary="----=_NextPart_001_0012_01D8A1B2.C3D4E5F0"'], related, eol),
        attachment("application/pdf", words_b(utf8_name, "utf-8")[0], files[0][1]),
        attachment("application/vnd.openxmlformats-officedocument.wordprocessingml.document",
                   word_q(latin_name.encode("iso-8859-1"), "iso-8859-1"), files[1][1]),
        attachment("application/octet-stream", word_q(cp1252_name.encode("windows-1252"), "windows-1252"),
                   files[2][1]),
        attachment("application/vnd.openxmlformats-officedocument.wordprocessingml.document",
                   words_b(long_name, "utf-8", 20), files[3][1]),
        # A type Outlook does not know: octet-stream, the name on the type's line.
        part([f'Content-Type: application/octet-stream; name="{words_b(plan_name, "utf-8")[0]}"',
              "Content-Transfer-Encoding: base64",
              f'Content-Disposition: attachment; filename="{words_b(plan_name, "utf-8")[0]}"'],
             b64(plan, eol), eol),
    ], eol, preamble=lines(["This is a multipart message in MIME format.", ""], eol))
    head = lines(["From: \"Berg, Tom\" <tom@outlook.example>",
                  "To: <ada@example.org>",
                  "Subject: Unterlagen",
                  "Date: Wed, 6 Mar 2024 09:12:03 +0100",
                  "Message-ID: <000001d8a1b2$c3d4e5f0$a1b2c3d4@outlook.example>",
                  "MIME-Version: 1.0",
                  "Content-Type: multipart/mixed;",
                  '\tboundary="----=_NextPart_000_0012_01D8A1B2.C3D4E5F0"',
                  "X-Mailer: Microsoft Outlook 16.0",
                  "Content-Language: de"], eol)
    return Fixture("outlook", head + eol + body,
                   [("image001.png", logo, "bytes")] + [(n, d, "bytes") for n, d in files] +
                   [(plan_name, plan, "bytes")],
                   "encoded-word names (UTF-8 B, ISO-8859-1 Q, windows-1252 Q, folded), '=' before boundary=")


def thunderbird():
    eol = CRLF
    report = "Отчёт за квартал.pdf"
    plan = "Plan für die Übergabe – endgültig.txt"
    photo = "Фото с дачи.jpg"
    report_data = file_like(PDF, 3300, 31)
    plan_data = file_like(b"PLAN", 1500, 32)
    photo_data = file_like(JPEG, 2900, 33)
    quoted = urllib.parse.quote(report, safe="")
    plan_bytes = urllib.parse.quote(plan.encode(), safe="")
    # Continuations as Thunderbird cuts them: encoded pieces, then a plain last one.
    cut = plan_bytes.index("%C3%BCr") + len("%C3%BCr")
    plan_1 = plan_bytes[:cut]
    rest = plan[len("Plan für"):]
    plan_2_text, plan_3_text = rest[:-len(".txt")], ".txt"
    plan_2 = urllib.parse.quote(plan_2_text.encode(), safe="")
    body = multipart("------------2Fq7rT1x9ZkLmN3bV5cW8dYh", [
        part(["Content-Type: text/plain; charset=UTF-8; format=flowed", "Content-Transfer-Encoding: 8bit"],
             lines(["Hallo,", "", "anbei die Dateien.", ""], eol), eol),
        part([f'Content-Type: application/pdf; name="{words_b(report, "UTF-8")[0]}"',
              "Content-Disposition: attachment;",
              f" filename*=UTF-8''{quoted}",
              "Content-Transfer-Encoding: base64"], b64(report_data, eol), eol),
        part(["Content-Type: text/plain; charset=UTF-8;",
              *folded_name(words_b(plan, "UTF-8", 16)),
              "Content-Disposition: attachment;",
              f" filename*0*=UTF-8''{plan_1};",
              f" filename*1*={plan_2};",
              f' filename*2="{plan_3_text}"',
              "Content-Transfer-Encoding: base64"], b64(plan_data, eol), eol),
        part(['Content-Type: image/jpeg; name="Foto.jpg"',
              "Content-Disposition: attachment;",
              ' filename="Foto.jpg";',
              f" filename*=UTF-8''{urllib.parse.quote(photo, safe='')}",
              "Content-Transfer-Encoding: base64"], b64(photo_data, eol), eol),
    ], eol, preamble=lines(["This is a multi-part message in MIME format."], eol))
    head = lines(["Message-ID: <5b1e2c3d-0003@thunderbird.example>",
                  "Date: Thu, 7 Mar 2024 11:45:10 +0300",
                  "MIME-Version: 1.0",
                  "User-Agent: Mozilla Thunderbird",
                  "From: Olga <olga@thunderbird.example>",
                  "To: Tom <tom@example.org>",
                  "Subject: Files",
                  "Content-Type: multipart/mixed;",
                  ' boundary="------------2Fq7rT1x9ZkLmN3bV5cW8dYh"'], eol)
    return Fixture("thunderbird", head + eol + body,
                   [(report, report_data, "bytes"), (plan, plan_data, "bytes"), (photo, photo_data, "bytes")],
                   "RFC 2231 names: charset form, continuations mixing encoded and plain, extended preferred",
                   # Python takes the first of filename= and filename*=; the extended form wins here.
                   python_names={photo: "Foto.jpg"})


def gmail():
    message = EmailMessage()
    message["From"] = "Tom Berg <tom.berg@gmail.example>"
    message["To"] = "Ada Lindqvist <ada@example.org>"
    message["Subject"] = "Invitation: Harbour walk @ Sat 9 Mar 2024"
    message["Date"] = "Fri, 8 Mar 2024 07:30:00 +0000"
    message["Message-ID"] = "<CAF=gmail0004@mail.gmail.example>"
    message.set_content("You have been invited to the harbour walk.\n", cte="quoted-printable")
    message.add_alternative("<html><body><p>You have been invited to the harbour walk.</p></body></html>\n",
                            subtype="html", cte="quoted-printable")
    ics_text = ("BEGIN:VCALENDAR\r\nPRODID:-//Example//Calendar 1.0//EN\r\nVERSION:2.0\r\nMETHOD:REQUEST\r\n"
                "BEGIN:VEVENT\r\nDTSTART:20240309T100000Z\r\nDTEND:20240309T120000Z\r\n"
                "UID:0004harbourwalk@gmail.example\r\nSUMMARY:Harbour walk\r\nEND:VEVENT\r\n"
                "END:VCALENDAR\r\n")
    alternative = message.get_payload()
    calendar = EmailMessage()
    calendar.set_content(ics_text, subtype="calendar", charset="utf-8", cte="7bit", params={"method": "REQUEST"})
    message.make_mixed()
    message.get_payload()[0].attach(calendar)
    del alternative
    invite = ics_text.encode()
    pdf = file_like(PDF, 9000, 41)
    message.add_attachment(invite, maintype="application", subtype="ics", filename="invite.ics")
    message.add_attachment(pdf, maintype="application", subtype="pdf", filename="Route map.pdf")
    fix_boundaries(message, "00000000000071c2a0061265a3")
    return Fixture("gmail", generated(message),
                   [("invite.ics", invite, "bytes"), ("Route map.pdf", pdf, "bytes")],
                   "alternative with a text/calendar part, attachments in Base64 lines of 76")


def ios_photos():
    eol = CRLF
    heic = file_like(HEIC, 5000, 51)
    jpeg = file_like(JPEG, 4001, 52)  # 4001 bytes: its Base64 ends in a partial group
    unnamed = file_like(JPEG, 1502, 53)
    body = multipart("Apple-Mail-1A2B3C4D-5E6F-4A7B-8C9D-0E1F2A3B4C5D", [
        part(["Content-Type: text/plain;", "\tcharset=us-ascii", "Content-Transfer-Encoding: 7bit"],
             lines(["Two photos from the pier.", "", "Sent from my iPhone"], eol), eol),
        part(["Content-Type: image/heic;", "\tname=IMG_0042.HEIC", "Content-Disposition: inline;",
              "\tfilename=IMG_0042.HEIC", "Content-Transfer-Encoding: base64"], b64(heic, eol), eol),
        # An unpadded last group: the part ends in a partial group without "=".
        part(["Content-Type: image/jpeg;", "\tname=IMG_0043.JPG", "Content-Disposition: inline;",
              "\tfilename=IMG_0043.JPG", "Content-Transfer-Encoding: base64"], b64(jpeg, eol, pad=False), eol),
        # An inline image with neither name nor filename: "Unknown." and its subtype.
        part(["Content-Type: image/jpeg", "Content-Transfer-Encoding: base64",
              "Content-Id: <0F1E2D3C-4B5A-6978-8796-A5B4C3D2E1F0>"], b64(unnamed, eol, pad=False), eol),
    ], eol)
    head = lines(["From: Tom Berg <tom@icloud.example>",
                  "Content-Type: multipart/mixed; boundary=Apple-Mail-1A2B3C4D-5E6F-4A7B-8C9D-0E1F2A3B4C5D",
                  "Mime-Version: 1.0 (1.0)",
                  "Subject: Pier",
                  "Date: Sat, 9 Mar 2024 12:01:44 +0100",
                  "Message-Id: <1A2B3C4D-0005@icloud.example>",
                  "To: Ada Lindqvist <ada@example.org>",
                  "X-Mailer: iPhone Mail (21D61)"], eol)
    return Fixture("ios_photos", head + eol + body,
                   [("IMG_0042.HEIC", heic, "bytes"), ("IMG_0043.JPG", jpeg, "bytes"),
                    ("Unknown.jpeg", unnamed, "bytes")],
                   "inline HEIC and JPEG, unpadded Base64 at the end of a part, an unnamed inline image")


def android_names():
    eol = CRLF
    names = [("koi8-r", "Договор аренды.pdf"), ("euc-kr", "견적서 최종.xlsx"), ("gb2312", "会议报告.docx"),
             ("gbk", "项目计划_镕.pdf"), ("big5", "報價單.pdf"), ("shift_jis", "見積書_第2版.pdf"),
             ("iso-2022-jp", "議事録.txt")]
    files, parts = [], [
        part(["Content-Type: text/plain; charset=UTF-8", "Content-Transfer-Encoding: base64"],
             b64("Документы во вложении.\r\n".encode(), eol), eol)]
    # A Base64 text body without a name is written as "Unknown.plain", as for any unnamed
    # Base64 part.
    files.append(("Unknown.plain", "Документы во вложении.\r\n".encode(), "bytes"))
    for index, (charset, name) in enumerate(names):
        data = file_like(b"DOC" + bytes([index]), 1000 + 37 * index, 60 + index)
        files.append((name, data, "bytes"))
        word = words_b(name, charset)[0]
        parts.append(part([f'Content-Type: application/octet-stream; name="{word}"',
                           "Content-Transfer-Encoding: base64",
                           f'Content-Disposition: attachment; filename="{word}"'], b64(data, eol), eol))
    body = multipart("--_com.android.email_4512371982345", parts, eol)
    head = lines(["MIME-Version: 1.0",
                  "Subject: Documents",
                  "From: Li <li@android.example>",
                  "To: Tom <tom@example.org>",
                  "Date: Sun, 10 Mar 2024 08:00:00 +0800",
                  "Message-ID: <android0006@android.example>",
                  'Content-Type: multipart/mixed; boundary="--_com.android.email_4512371982345"'], eol)
    return Fixture("android_names", head + eol + body, files,
                   "encoded-word names in KOI8-R, EUC-KR, GB2312, GBK, Big5, Shift_JIS, ISO-2022-JP")


def signed():
    eol = CRLF
    p7s = file_like(b"\x30\x82\x0b\x1a\x06\x09\x2a\x86\x48\x86\xf7\x0d\x01\x07\x02", 3600, 71)
    contract = file_like(PDF, 2400, 72)
    readings = lines(["time,level_cm", "06:00,412", "12:00,398", "18:00,405"], eol)
    inner = multipart("------------7C1B2A3D4E5F60718293A4B5", [
        part(["Content-Type: text/plain; charset=UTF-8; format=flowed", "Content-Transfer-Encoding: 7bit"],
             lines(["Signed contract and readings attached."], eol), eol),
        part(['Content-Type: text/csv; charset=UTF-8; name="readings.csv"',
              'Content-Disposition: attachment; filename="readings.csv"', "Content-Transfer-Encoding: 7bit"],
             readings, eol),
        part(['Content-Type: application/pdf; name="Contract.pdf"',
              'Content-Disposition: attachment; filename="Contract.pdf"', "Content-Transfer-Encoding: base64"],
             b64(contract, eol), eol),
    ], eol)
    smime = multipart("------------ms0102030405060708090A0B0C", [
        part(['Content-Type: multipart/mixed; boundary="------------7C1B2A3D4E5F60718293A4B5"'], inner, eol),
        part(['Content-Type: application/pkcs7-signature; name="smime.p7s"', "Content-Transfer-Encoding: base64",
              'Content-Disposition: attachment; filename="smime.p7s"',
              "Content-Description: S/MIME Cryptographic Signature"], b64(p7s, eol), eol),
    ], eol, preamble=lines(["This is a cryptographically signed message in MIME format.", ""], eol))
    signature = lines(["-----BEGIN PGP SIGNATURE-----", "",
                       "iQEzBAEBCAAdFiEEq8Vr0x1Y2z3A4B5C6D7E8F9G0HIFAmXuAbcACgkQ6D7E8F9G",
                       "0HJ0kAf/dGhpcyBpcyBub3QgYSByZWFsIHNpZ25hdHVyZSBidXQgaXQgbG9va3Mg",
                       "=Xy9Z", "-----END PGP SIGNATURE-----"], eol)
    notes = lines(["Harbour gauge notes", "", "- tide table checked", "- logger battery at 71%"], eol)
    pgp = multipart("y2zFme9qhDTGgF3x", [
        part(["Content-Type: multipart/mixed; boundary=\"------------0a1B2c3D4e5F6g7H8i9J0k1L\""],
             multipart("------------0a1B2c3D4e5F6g7H8i9J0k1L", [
                 part(["Content-Type: text/plain; charset=UTF-8; format=flowed", "Content-Transfer-Encoding: 7bit"],
                      lines(["Notes attached, signed."], eol), eol),
                 part(['Content-Type: text/plain; charset=UTF-8; name="gauge-notes.txt"',
                       'Content-Disposition: attachment; filename="gauge-notes.txt"',
                       "Content-Transfer-Encoding: 7bit"], notes, eol),
             ], eol), eol),
        part(['Content-Type: application/pgp-signature; name="OpenPGP_signature.asc"',
              "Content-Description: OpenPGP digital signature",
              'Content-Disposition: attachment; filename="OpenPGP_signature.asc"'], signature, eol),
    ], eol, preamble=lines(["This is an OpenPGP/MIME signed message (RFC 4880 and 3156)"], eol))
    body = multipart("=_outer_signed_0007", [
        part(["Content-Type: text/plain; charset=us-ascii"], lines(["Two signed messages follow."], eol), eol),
        # Thunderbird writes protocol= and micalg= before boundary= on the same line.
        part(['Content-Type: multipart/signed; protocol="application/pkcs7-signature"; micalg=sha-256; '
              'boundary="------------ms0102030405060708090A0B0C"'], smime, eol),
        # Mutt writes protocol= before boundary= on one line, and a boundary of no dashed shape.
        part(["Content-Type: multipart/signed; micalg=pgp-sha256;",
              '\tprotocol="application/pgp-signature"; boundary="y2zFme9qhDTGgF3x"'], pgp, eol),
    ], eol)
    head = lines(["From: Ada Lindqvist <ada@example.org>", "To: Tom Berg <tom@example.org>",
                  "Subject: Signed", "Date: Mon, 11 Mar 2024 10:00:00 +0100",
                  "Message-ID: <signed0007@example.org>", "MIME-Version: 1.0",
                  'Content-Type: multipart/mixed; boundary="=_outer_signed_0007"'], eol)
    return Fixture("signed", head + eol + body,
                   [("readings.csv", readings, "text"), ("Contract.pdf", contract, "bytes"),
                    ("smime.p7s", p7s, "bytes"),
                    ("gauge-notes.txt", notes, "text"), ("OpenPGP_signature.asc", signature, "text")],
                   "S/MIME and PGP/MIME multipart/signed, protocol= before boundary=, a 7bit signature part")


def forwarded():
    eol = CRLF
    invoice = file_like(PDF, 2800, 81)
    photo = file_like(JPEG, 3100, 82)
    cover = file_like(b"%!PS-Adobe-3.0\n", 900, 83)
    inner = lines(["From: Billing <billing@shop.example>", "To: Tom Berg <tom@example.org>",
                   "Subject: Your invoice", "Date: Tue, 12 Mar 2024 15:00:00 +0000",
                   "Message-ID: <inner0008@shop.example>", "MIME-Version: 1.0",
                   'Content-Type: multipart/mixed; boundary="inner_b_0008"'], eol) + eol + multipart("inner_b_0008", [
        part(["Content-Type: text/plain; charset=utf-8"], lines(["Please find your invoice attached."], eol), eol),
        part(['Content-Type: application/pdf; name="Invoice 2024-0311.pdf"', "Content-Transfer-Encoding: base64",
              'Content-Disposition: attachment; filename="Invoice 2024-0311.pdf"'], b64(invoice, eol), eol),
        part(['Content-Type: image/jpeg; name="package.jpg"', "Content-Transfer-Encoding: base64",
              'Content-Disposition: attachment; filename="package.jpg"'], b64(photo, eol), eol),
    ], eol)
    body = multipart("----=_NextPart_000_0031_01DA7415.8E2B3C40", [
        part(['Content-Type: text/plain; charset="us-ascii"', "Content-Transfer-Encoding: 7bit"],
             lines(["See the forwarded message below."], eol), eol),
        part(['Content-Type: application/postscript; name="cover.ps"', "Content-Transfer-Encoding: base64",
              'Content-Disposition: attachment; filename="cover.ps"'], b64(cover, eol), eol),
        part(["Content-Type: message/rfc822", "Content-Transfer-Encoding: 7bit", "Content-Disposition: attachment"],
             inner, eol),
    ], eol)
    head = lines(["From: Tom Berg <tom@outlook.example>", "To: Ada Lindqvist <ada@example.org>",
                  "Subject: FW: Your invoice", "Date: Tue, 12 Mar 2024 16:00:00 +0100",
                  "Message-ID: <fw0008@outlook.example>", "MIME-Version: 1.0",
                  "Content-Type: multipart/mixed;",
                  '\tboundary="----=_NextPart_000_0031_01DA7415.8E2B3C40"'], eol)
    return Fixture("forwarded", head + eol + body,
                   [("cover.ps", cover, "bytes"), ("Invoice 2024-0311.pdf", invoice, "bytes"),
                    ("package.jpg", photo, "bytes")],
                   "a forwarded message/rfc822 with its own attachments")


def long_lines():
    eol = CRLF
    scan = file_like(TIFF, 6000, 91)
    archive = file_like(ZIP, 48000, 92)
    body = multipart("=_long_lines_0009", [
        part(["Content-Type: text/plain; charset=us-ascii"], lines(["Scans attached."], eol), eol),
        part(['Content-Type: image/tiff; name="scan-001.tif"', "Content-Transfer-Encoding: base64",
              'Content-Disposition: attachment; filename="scan-001.tif"'], b64(scan, eol, width=1024), eol),
        part(['Content-Type: application/zip; name="scans.zip"', "Content-Transfer-Encoding: base64",
              'Content-Disposition: attachment; filename="scans.zip"'], b64(archive, eol, width=0), eol),
    ], eol)
    head = lines(["From: scanner@office.example", "To: tom@example.org", "Subject: Scan",
                  "Date: Wed, 13 Mar 2024 08:15:00 +0100", "Message-ID: <scan0009@office.example>",
                  "MIME-Version: 1.0", 'Content-Type: multipart/mixed; boundary="=_long_lines_0009"'], eol)
    return Fixture("long_lines", head + eol + body,
                   [("scan-001.tif", scan, "bytes"), ("scans.zip", archive, "bytes")],
                   "Base64 in lines of 1024 characters and as one line for the whole body")


def mac_cr():
    eol = CR
    chart = file_like(b"\x00" * 16, 2600, 101)
    body = multipart("=_classic_mac_0010", [
        part(["Content-Type: text/plain; charset=macintosh"], lines(["The chart, from the old Mac."], eol), eol),
        part(['Content-Type: application/octet-stream; name="Chart.pict"', "Content-Transfer-Encoding: base64",
              'Content-Disposition: attachment; filename="Chart.pict"'], b64(chart, eol), eol),
    ], eol)
    head = lines(["From: ada@classic.example", "To: tom@example.org", "Subject: Chart",
                  "Date: Thu, 14 Mar 2024 09:00:00 +0100", "Message-ID: <mac0010@classic.example>",
                  "MIME-Version: 1.0", 'Content-Type: multipart/mixed; boundary="=_classic_mac_0010"'], eol)
    return Fixture("mac_cr", head + eol + body, [("Chart.pict", chart, "bytes")],
                   "a message with classic Mac CR-only line ends")


def eight_bit_binary():
    eol = CRLF
    text = "Grüße aus Kiel\r\nZeile zwei: naïve café\r\n".encode()
    firmware = payload(1800, 111).replace(b"\n--", b"\n-x").replace(b"\r--", b"\r-x")
    if firmware.endswith((b"\r", b"\n")):
        firmware += b"\x00"
    body = multipart("=_eight_bit_0011", [
        part(["Content-Type: text/plain; charset=utf-8", "Content-Transfer-Encoding: 8bit"],
             lines(["Two files: one 8bit, one binary."], eol), eol),
        part(['Content-Type: text/plain; charset=utf-8; name="gruesse.txt"', "Content-Transfer-Encoding: 8bit",
              'Content-Disposition: attachment; filename="gruesse.txt"'], text, eol),
        part(['Content-Type: application/octet-stream; name="firmware.bin"', "Content-Transfer-Encoding: binary",
              'Content-Disposition: attachment; filename="firmware.bin"'], firmware, eol),
    ], eol)
    head = lines(["From: lab@example.org", "To: tom@example.org", "Subject: Firmware",
                  "Date: Fri, 15 Mar 2024 10:00:00 +0100", "Message-ID: <bin0011@example.org>",
                  "MIME-Version: 1.0", 'Content-Type: multipart/mixed; boundary="=_eight_bit_0011"'], eol)
    return Fixture("eight_bit_binary", head + eol + body,
                   [("gruesse.txt", text, "bytes"), ("firmware.bin", firmware, "bytes")],
                   "named 8bit and binary parts, NUL, CR and LF bytes kept")


def text_parts(eol, name):
    notes = lines(["Meeting notes", "", "1. Tide gauge", "2. Logger", "", "Next: Friday"], eol)
    minutes_qp = lines(["Protokoll f=C3=BCr Freitag: Pegel gepr=C3=BCft, Logger get=", "auscht."], eol)
    minutes = lines(["Protokoll für Freitag: Pegel geprüft, Logger getauscht."], eol)
    body = multipart(f"=_text_parts_{name}", [
        part(["Content-Type: text/plain; charset=us-ascii"], lines(["Notes and minutes attached."], eol), eol),
        part(['Content-Type: text/plain; charset=us-ascii; name="notes.txt"', "Content-Transfer-Encoding: 7bit",
              'Content-Disposition: attachment; filename="notes.txt"'], notes, eol),
        part(['Content-Type: text/plain; charset=utf-8; name="minutes.txt"',
              "Content-Transfer-Encoding: quoted-printable",
              'Content-Disposition: attachment; filename="minutes.txt"'], minutes_qp, eol),
    ], eol)
    head = lines(["From: ada@example.org", "To: tom@example.org", "Subject: Notes",
                  "Date: Sat, 16 Mar 2024 10:00:00 +0100", f"Message-ID: <text-{name}@example.org>",
                  "MIME-Version: 1.0", f'Content-Type: multipart/mixed; boundary="=_text_parts_{name}"'], eol)
    return Fixture(f"text_parts_{name}", head + eol + body,
                   [("notes.txt", notes, "text"), ("minutes.txt", minutes, "text")],
                   f"named 7bit and quoted-printable text parts, {name.upper()} line ends kept")


def uu_without_name():
    eol = CRLF
    report = ("Station,Level\r\nKiel,412\r\nLuebeck,398\r\n" * 6).encode()
    uu = [b"begin 644"]
    for i in range(0, len(report), 45):
        uu.append(binascii.b2a_uu(report[i:i + 45], backtick=True).rstrip(b"\n"))
    uu += [b"`", b"end"]
    body = multipart("=_uu_in_mime_0012", [
        part(["Content-Type: text/plain; charset=us-ascii"], lines(["The report, uuencoded by the gateway."], eol), eol),
        part(['Content-Type: text/plain; name="report.txt"', "Content-Transfer-Encoding: x-uuencode",
              'Content-Disposition: attachment; filename="report.txt"'], lines(uu, eol), eol),
    ], eol)
    head = lines(["From: gateway@example.org", "To: tom@example.org", "Subject: Report",
                  "Date: Sun, 17 Mar 2024 06:00:00 +0000", "Message-ID: <uu0012@example.org>",
                  "MIME-Version: 1.0", 'Content-Type: multipart/mixed; boundary="=_uu_in_mime_0012"'], eol)
    return Fixture("uu_without_name", head + eol + body, [("report.txt", report, "bytes")],
                   "a 'begin 644' line without a name in a MIME part named report.txt")


# BinHex 4.0, written here: Python no longer has a BinHex module.
BINHEX_ALPHABET = b"!\"#$%&'()*+,-012345689@ABCDEFGHIJKLMNPQRSTUVXYZ[`abcdefhijklmpqr"


def crc16_xmodem(data, crc=0):
    for byte in data:
        crc ^= byte << 8
        for _ in range(8):
            crc = ((crc << 1) ^ 0x1021 if crc & 0x8000 else crc << 1) & 0xFFFF
    return crc


def binhex_lines(name, data):
    def with_crc(block):
        return block + crc16_xmodem(block).to_bytes(2, "big")

    header = bytes([len(name)]) + name + b"\0" + b"TEXT" + b"ttxt" + b"\0\0" + len(data).to_bytes(4, "big") + \
        (0).to_bytes(4, "big")
    stream = with_crc(header) + with_crc(data) + with_crc(b"")
    stream = stream.replace(b"\x90", b"\x90\x00")  # the run-length marker stands for itself so
    bits = int.from_bytes(stream, "big")
    padded = len(stream) * 8
    padded += (-padded) % 6
    bits <<= padded - len(stream) * 8
    symbols = bytes(BINHEX_ALPHABET[(bits >> (padded - 6 * (i + 1))) & 63] for i in range(padded // 6))
    text = b":" + symbols + b":"
    return [text[i:i + 64] for i in range(0, len(text), 64)]


def binhex_indented():
    eol = CRLF
    data = ("Tide table, March\r" * 20).encode() + payload(700, 121)
    body = lines([b"Here is the file, BinHexed by my old mailer.", b"",
                  b"   (This file must be converted with BinHex 4.0)", b""] + binhex_lines(b"Tides.txt", data) +
                 [b"", b"-- ", b"Ada"], eol)
    head = lines(["From: ada@classic.example", "To: tom@example.org", "Subject: Tides",
                  "Date: Mon, 18 Mar 2024 09:00:00 +0100", "Message-ID: <hqx0013@classic.example>"], eol)
    return Fixture("binhex_indented", head + eol + body, [("Tides.txt", data, "bytes")],
                   "a BinHex banner indented by blanks"), data


# ---------------------------------------------------------------- checks


def reduce_name(name):
    """The name as Kodra keeps it: its last component, ';' and control characters '_'."""
    name = name.replace("\\", "/").rsplit("/", 1)[-1]
    return "".join("_" if c == ";" or ord(c) < 0x20 or ord(c) == 0x7F else c for c in name)


def python_view(message):
    """(name, bytes) of every part Python's email package finds that Kodra writes: each
    named leaf part, and each unnamed Base64 one as "Unknown.<subtype>"."""
    found = []
    parsed = email.message_from_bytes(message, policy=email.policy.default)
    for item in parsed.walk():
        if item.is_multipart() or item.get_content_type() == "message/rfc822":
            continue
        name = item.get_filename()
        cte = item.get("Content-Transfer-Encoding", "7bit").strip().lower()
        if name:
            name = reduce_name(name)
        elif cte == "base64":
            name = "Unknown." + item.get_content_subtype()
        else:
            continue
        found.append((name, item.get_payload(decode=True)))
    return found


def check_binhex(lines_text, name, data):
    """Decodes the BinHex with the peer hexbin, when there is one, and compares."""
    if not shutil.which("hexbin"):
        print("hexbin not found: BinHex fixture checked by construction only", file=sys.stderr)
        return
    with tempfile.TemporaryDirectory() as folder:
        path = pathlib.Path(folder, "in.hqx")
        path.write_bytes(b"(This file must be converted with BinHex 4.0)\n\n" + b"\n".join(lines_text) + b"\n")
        subprocess.run(["hexbin", "-d", "in.hqx"], cwd=folder, check=True, capture_output=True)
        got = pathlib.Path(folder, name + ".data").read_bytes()
        assert got == data, f"hexbin decoded {len(got)} bytes, want {len(data)}"


def verify(fixture):
    want = sorted((fixture.python_names.get(name, name), data) for name, data, _ in fixture.files)
    got = sorted(python_view(fixture.message))
    if got != want:
        raise SystemExit(f"{fixture.name}: Python's email package finds {[(n, len(d)) for n, d in got]}, "
                         f"want {[(n, len(d)) for n, d in want]}")


def write(fixture):
    (HERE / "messages").mkdir(exist_ok=True)
    (HERE / "messages" / f"{fixture.name}.eml").write_bytes(fixture.message)
    folder = HERE / "expected" / fixture.name
    if folder.exists():
        shutil.rmtree(folder)
    folder.mkdir(parents=True)
    listing = []
    for index, (name, data, kind) in enumerate(fixture.files):
        (folder / f"{index}.bin").write_bytes(data)
        listing.append(f"{index}.bin\t{kind}\t{name}\n")
    (folder / "names.txt").write_bytes("".join(listing).encode())


def main():
    hqx, hqx_data = binhex_indented()
    fixtures = [apple_mail(), outlook(), thunderbird(), gmail(), ios_photos(), android_names(), signed(),
                forwarded(), long_lines(), mac_cr(), eight_bit_binary(), text_parts(LF, "lf"),
                text_parts(CRLF, "crlf"), uu_without_name()]
    for fixture in fixtures:
        verify(fixture)
    check_binhex(binhex_lines(b"Tides.txt", hqx_data), "Tides.txt", hqx_data)
    for fixture in fixtures + [hqx]:
        write(fixture)
        print(f"{fixture.name}: {len(fixture.message)} bytes, {len(fixture.files)} files - {fixture.about}")


if __name__ == "__main__":
    main()
