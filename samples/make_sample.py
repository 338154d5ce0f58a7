#!/usr/bin/env python3
"""Writes samples/field-report.eml: a small, realistic multipart message with a text
part, a Base64 PNG picture and a UU-encoded CSV file, all made here.

Run from anywhere: python3 samples/make_sample.py
"""
import binascii
import math
import pathlib
import struct
import zlib

HERE = pathlib.Path(__file__).resolve().parent
BOUNDARY = "----=_Part_7301_20240305"


def png_chart(width=96, height=48):
    """A PNG of a tide curve: blue water under a sine line on a light sky."""
    rows = []
    for y in range(height):
        row = bytearray([0])  # filter type None
        for x in range(width):
            level = height / 2 + (height / 3) * math.sin(x / width * 2 * math.pi * 1.5)
            if abs(y - level) < 1.2:
                pixel = (20, 40, 90)
            elif y > level:
                pixel = (70, 130, 200)
            else:
                pixel = (225, 238, 250)
            row += bytes(pixel)
        rows.append(bytes(row))

    def chunk(kind, data):
        return (struct.pack(">I", len(data)) + kind + data +
                struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF))

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(b"".join(rows), 9)) + chunk(b"IEND", b""))


def readings_csv():
    lines = ["time,level_cm,water_temp_c"]
    for step in range(24):
        level = 180 + 120 * math.sin(step / 24 * 2 * math.pi * 2)
        lines.append(f"2024-03-05T{step:02d}:00Z,{level:.1f},{7.5 + step * 0.05:.2f}")
    return ("\n".join(lines) + "\n").encode()


def base64_lines(data):
    text = binascii.b2a_base64(data, newline=False).decode()
    return [text[i:i + 76] for i in range(0, len(text), 76)]


def uu_lines(name, data):
    lines = [f"begin 644 {name}"]
    for i in range(0, len(data), 45):
        lines.append(binascii.b2a_uu(data[i:i + 45], backtick=True).decode().rstrip("\n"))
    lines += ["`", "end"]
    return lines


def message():
    text = [
        "Hi Tom,",
        "",
        "here is Tuesday's report from the harbour gauge. The chart shows the two",
        "tides of the day; the raw readings are attached as CSV (uuencoded, since",
        "the logger's mail gateway still speaks nothing else).",
        "",
        "Best,",
        "Ada",
    ]
    lines = [
        "Received: from gauge.harbour.example.org by mail.example.org;",
        " Tue, 5 Mar 2024 18:30:02 +0100",
        "From: Ada Lindqvist <ada@harbour.example.org>",
        "To: Tom Berg <tom@example.org>",
        "Subject: Field report: tide gauge, 5 March",
        "Date: Tue, 5 Mar 2024 18:29:41 +0100",
        "Message-ID: <20240305182941.7301@harbour.example.org>",
        "MIME-Version: 1.0",
        f'Content-Type: multipart/mixed; boundary="{BOUNDARY}"',
        "",
        "This is a multi-part message in MIME format.",
        "",
        f"--{BOUNDARY}",
        "Content-Type: text/plain; charset=us-ascii",
        "Content-Transfer-Encoding: 7bit",
        "",
        *text,
        "",
        f"--{BOUNDARY}",
        'Content-Type: image/png; name="tide-chart.png"',
        "Content-Transfer-Encoding: base64",
        'Content-Disposition: attachment; filename="tide-chart.png"',
        "",
        *base64_lines(png_chart()),
        "",
        f"--{BOUNDARY}",
        'Content-Type: text/csv; name="readings.csv"',
        "Content-Transfer-Encoding: x-uuencode",
        'Content-Disposition: attachment; filename="readings.csv"',
        "",
        *uu_lines("readings.csv", readings_csv()),
        "",
        f"--{BOUNDARY}--",
        "",
    ]
    return "\r\n".join(lines).encode("ascii")


if __name__ == "__main__":
    target = HERE / "field-report.eml"
    target.write_bytes(message())
    print(target)
