"""Decoding messages to parts: bytes, files, selection, listing and errors."""

import os
import subprocess
import sys
from pathlib import Path

import pytest

import kodra
from conftest import mime_message, payload, plain_message, uuencode


def test_decode_bytes_gives_every_part_with_its_bytes():
    chart, table = payload(10, 5000), payload(11, 700)
    message = mime_message("two files", [("chart.png", chart), ("table.csv", table)])
    parts = kodra.decode(message)
    attachments = [part for part in parts if part.encoding == "base64"]
    got = [(part.name, part.data, part.status) for part in attachments]
    want = [("chart.png", chart, kodra.PartStatus.DECODED), ("table.csv", table, kodra.PartStatus.DECODED)]
    assert got == want, f"got {got!r}, want {want!r}"
    assert [part.index for part in parts] == list(range(len(parts))), "indices are not 0, 1, 2, ..."
    assert all(part.offset >= 0 for part in parts)


@pytest.mark.parametrize(
    "name,message,want_name,want_encoding,want_data",
    [
        ("uuencode", plain_message("uu", uuencode("notes.txt", b"low tide\n" * 30).decode()),
         "notes.txt", "uuencode", b"low tide\n" * 30),
        ("base64", mime_message("b64", [("a.bin", b"\x00\x01\x02\xff")]), "a.bin", "base64", b"\x00\x01\x02\xff"),
        ("encoded-word name", mime_message("utf8", [("=?UTF-8?B?w6TDtsO8LnR4dA==?=", b"umlauts")]),
         "\u00e4\u00f6\u00fc.txt", "base64", b"umlauts"),
    ],
)
def test_decode_reports_name_encoding_and_bytes(name, message, want_name, want_encoding, want_data):
    parts = [part for part in kodra.decode(message) if part.encoding != "text"]
    got = [(part.name, part.encoding, part.data) for part in parts]
    want = [(want_name, want_encoding, want_data)]
    assert got == want, f"{name}: got {got!r}, want {want!r}"


def test_decode_accepts_bytearray_and_memoryview():
    message = mime_message("views", [("v.bin", b"view bytes")])
    for name, data in (("bytearray", bytearray(message)), ("memoryview", memoryview(message))):
        got = [part.data for part in kodra.decode(data) if part.name == "v.bin"]
        assert got == [b"view bytes"], f"{name}: got {got!r}, want [b'view bytes']"


def test_decode_of_text_without_parts_is_empty():
    got = kodra.decode(b"Subject: nothing\n\njust words\n")
    assert [part for part in got if part.encoding != "text"] == [], f"got {got!r}, want no encoded parts"
    assert kodra.decode(b"") == [], "an empty input has no parts"


def test_select_skips_the_parts_it_declines():
    message = mime_message("choose", [("keep.bin", b"kept"), ("drop.bin", b"dropped")])
    parts = kodra.decode(message, select=lambda part: part.name == "keep.bin")
    got = {part.name: (part.status, part.data) for part in parts if part.encoding == "base64"}
    want = {"keep.bin": (kodra.PartStatus.DECODED, b"kept"), "drop.bin": (kodra.PartStatus.SKIPPED, None)}
    assert got == want, f"got {got!r}, want {want!r}"


def test_status_is_a_string():
    assert kodra.PartStatus.DECODED == "decoded"
    assert str(kodra.PartStatus.FAILED) == "failed"
    assert kodra.PartStatus("skipped") is kodra.PartStatus.SKIPPED


def test_truncated_base64_part_is_not_reported_decoded():
    message = mime_message("cut", [("cut.bin", payload(3, 4000))])
    cut = message[: len(message) // 2]
    parts = [part for part in kodra.decode(cut) if part.name == "cut.bin"]
    assert parts, "the cut part was not found"
    # A part cut before its boundary may still decode whole groups; what matters is that
    # its bytes are a prefix of the original and never more.
    assert payload(3, 4000).startswith(parts[0].data or b""), "the cut part's bytes are no prefix of the file"


def test_decode_file_without_folder_gives_bytes(tmp_path):
    message = tmp_path / "m.eml"
    message.write_bytes(mime_message("file", [("f.bin", b"file bytes")]))
    got = [(part.name, part.data, part.path) for part in kodra.decode_file(message) if part.name == "f.bin"]
    assert got == [("f.bin", b"file bytes", None)], f"got {got!r}"


def test_decode_file_into_folder_writes_new_files_and_never_replaces(tmp_path):
    message = tmp_path / "m.eml"
    message.write_bytes(mime_message("folder", [("f.bin", b"first"), ("g.txt", b"second")]))
    out = tmp_path / "out"
    out.mkdir()
    (out / "f.bin").write_bytes(b"already here")
    parts = [part for part in kodra.decode_file(message, out) if part.encoding == "base64"]
    got = [(Path(part.path).name, Path(part.path).read_bytes(), part.data) for part in parts]
    want = [("f1.bin", b"first", None), ("g.txt", b"second", None)]
    assert got == want, f"got {got!r}, want {want!r}"
    assert (out / "f.bin").read_bytes() == b"already here", "an existing file was replaced"


@pytest.mark.skipif(not hasattr(os, "symlink"), reason="needs symbolic links")
def test_decode_file_never_writes_through_a_link(tmp_path):
    message = tmp_path / "m.eml"
    message.write_bytes(mime_message("link", [("victim.txt", b"payload")]))
    out = tmp_path / "out"
    out.mkdir()
    target = tmp_path / "outside.txt"
    target.write_bytes(b"untouched")
    os.symlink(target, out / "victim.txt")
    parts = [part for part in kodra.decode_file(message, out) if part.name == "victim.txt"]
    assert target.read_bytes() == b"untouched", "the decode wrote through a link"
    assert Path(parts[0].path).parent == out and Path(parts[0].path).name != "victim.txt"


def test_decode_file_keeps_names_inside_the_folder(tmp_path):
    message = tmp_path / "m.eml"
    message.write_bytes(mime_message("escape", [("../../escape.txt", b"x"), ("..", b"y")]))
    out = tmp_path / "out"
    out.mkdir()
    for part in kodra.decode_file(message, out):
        if part.path is not None:
            assert Path(part.path).resolve().parent == out.resolve(), f"got {part.path}, want a file in {out}"


@pytest.mark.parametrize(
    "name,call",
    [
        ("missing file", lambda tmp: kodra.decode_file(tmp / "missing.eml")),
        ("folder as input", lambda tmp: kodra.decode_file(tmp)),
        ("missing output folder", lambda tmp: kodra.decode_file(tmp / "m.eml", tmp / "nowhere")),
        ("listing a missing file", lambda tmp: kodra.list_parts(tmp / "missing.eml")),
    ],
)
def test_errors_raise_kodra_error(tmp_path, name, call):
    (tmp_path / "m.eml").write_bytes(b"Subject: x\n\nx\n")
    with pytest.raises(kodra.KodraError):
        call(tmp_path)


def test_list_parts_of_file_and_bytes_agree_and_decode_nothing(tmp_path):
    message = mime_message("list", [("a.bin", b"aaaa"), ("b.bin", b"bbbb")])
    path = tmp_path / "m.eml"
    path.write_bytes(message)
    from_file = kodra.list_parts(path)
    from_bytes = kodra.list_parts(message)
    got = [(part.name, part.encoding, part.offset, part.status, part.data) for part in from_file]
    want = [(part.name, part.encoding, part.offset, None, None) for part in from_bytes]
    assert got == want, f"got {got!r}, want {want!r}"
    assert {"a.bin", "b.bin"} <= {part.name for part in from_file}


def test_an_exception_in_select_reaches_the_caller():
    def refuse(_part):
        raise ValueError("no thanks")

    with pytest.raises(ValueError, match="no thanks"):
        kodra.decode(mime_message("raise", [("r.bin", b"r")]), select=refuse)


def test_kodra_library_naming_no_file_is_an_error(tmp_path):
    code = "import kodra\ntry:\n    kodra.decode(b'')\nexcept kodra.KodraError as e:\n    print('KodraError', e)\n"
    env = dict(os.environ, KODRA_LIBRARY=str(tmp_path / "no-such-library.so"))
    env["PYTHONPATH"] = str(Path(__file__).resolve().parent.parent)
    done = subprocess.run([sys.executable, "-c", code], env=env, capture_output=True, text=True, check=True)
    assert done.stdout.startswith("KodraError"), f"got {done.stdout!r} {done.stderr!r}, want a KodraError"
