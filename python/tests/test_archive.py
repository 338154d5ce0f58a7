"""Archives: message by message, whole extraction runs, and blocks in memory."""

import hashlib
import json
import os
import subprocess
from pathlib import Path

import pytest

import kodra
from conftest import build_mbox, requires_export


def stored_files(folder):
    """{relative path: bytes} of every file below folder."""
    folder = Path(folder)
    return {path.relative_to(folder).as_posix(): path.read_bytes() for path in folder.rglob("*") if path.is_file()}


@requires_export("KodraReadArchive")
def test_messages_of_an_mbox_come_in_order_with_offsets(mbox_path, sample_messages):
    got = list(kodra.messages(mbox_path))
    assert [message.file for message in got] == [None] * len(sample_messages)
    text = mbox_path.read_bytes()
    for message in got:
        assert text[message.offset:message.offset + 5] == b"From ", f"offset {message.offset} is no From line"
    offsets = [message.offset for message in got]
    assert offsets == sorted(offsets) and offsets[0] == 0, f"got offsets {offsets}"
    # Quoted body "From " lines come back unquoted.
    assert b"\nFrom the harbour" in got[1].data, f"got {got[1].data!r}"


@requires_export("KodraReadArchive")
def test_messages_of_a_maildir_come_cur_then_new(maildir_path, sample_messages):
    got = [(message.file, message.offset, message.data) for message in kodra.messages(maildir_path)]
    want = [
        ("cur/1700000000.1.host:2,S", 0, sample_messages[0]),
        ("cur/1700000001.2.host:2,S", 0, sample_messages[1]),
        ("new/1700000002.3.host", 0, sample_messages[2]),
        ("new/1700000003.4.host", 0, sample_messages[3]),
    ]
    assert [row[:2] for row in got] == [row[:2] for row in want]
    assert got == want, "message texts differ from the files"


@requires_export("KodraReadArchive")
def test_leaving_the_loop_early_stops_reading(tmp_path):
    mbox = tmp_path / "many.mbox"
    mbox.write_bytes(build_mbox([b"Subject: m%d\n\nbody\n" % i for i in range(200)]))
    seen = []
    for message in kodra.messages(mbox, queue_size=1):
        seen.append(message.offset)
        if len(seen) == 3:
            break
    assert len(seen) == 3
    assert len(list(kodra.messages(mbox))) == 200, "a second full read did not see every message"


@requires_export("KodraReadArchive")
def test_messages_of_a_missing_input_raise(tmp_path):
    with pytest.raises(kodra.KodraError):
        list(kodra.messages(tmp_path / "missing.mbox"))


@requires_export("KodraExtract")
def test_extract_by_hash_stores_each_content_once_and_describes_every_part(tmp_path, mbox_path):
    out = tmp_path / "out"
    manifest = tmp_path / "manifest.jsonl"
    records = kodra.extract([str(mbox_path)], out, by_hash=True, manifest=manifest)
    keys = ["input", "offset", "file", "message_id", "date", "from", "subject", "part", "raw_name", "name",
            "encoding", "type", "size", "sha256", "path", "status", "reason"]
    assert all(list(record) == keys for record in records), f"got keys {list(records[0])}"
    assert [json.loads(line) for line in manifest.read_text(encoding="utf-8").splitlines()] == records
    files = stored_files(out)
    for record in records:
        if record["path"] is None:
            continue
        data = files[record["path"]]
        assert hashlib.sha256(data).hexdigest() == record["sha256"], f"{record['path']}: content and hash differ"
        assert record["path"] == f"{record['sha256'][:2]}/{record['sha256']}"
    hashes = [record["sha256"] for record in records if record["path"]]
    assert len(files) == len(set(hashes)) < len(hashes), "shared content not stored once"
    statuses = {record["subject"]: record["status"] for record in records if record["part"] is None}
    assert statuses == {"no parts": "empty"}, f"got {statuses}"


@requires_export("KodraExtract")
def test_extract_records_do_not_depend_on_jobs(tmp_path, mbox_path, maildir_path):
    inputs = [str(mbox_path), str(maildir_path)]
    one = kodra.extract(inputs, tmp_path / "one", jobs=1, by_hash=True)
    many = kodra.extract(inputs, tmp_path / "many", jobs=4, by_hash=True)
    assert one == many
    assert stored_files(tmp_path / "one") == stored_files(tmp_path / "many")
    assert [record["input"] for record in one][0] == str(mbox_path)
    assert {record["file"] for record in one if record["input"] == str(maildir_path)} >= {"new/1700000003.4.host"}


@requires_export("KodraExtract")
def test_extract_without_output_writes_nothing(tmp_path, mbox_path):
    records = kodra.extract(mbox_path)
    assert records and all(record["path"] is None for record in records)
    assert sorted(os.listdir(tmp_path)) == ["inbox.mbox"]


@requires_export("KodraExtract")
def test_extract_progress_can_stop_the_run(tmp_path):
    mbox = tmp_path / "many.mbox"
    mbox.write_bytes(build_mbox([b"Subject: m%d\n\nbody\n" % i for i in range(50)]))
    reports = []
    records = kodra.extract(mbox, progress=lambda state: reports.append(state) or False)
    assert len(records) <= 50
    for state in reports:
        assert set(state) == {"messages", "bytes_done", "bytes_total", "failures"}


@requires_export("KodraExtract")
def test_extract_of_a_missing_input_is_a_failed_record_or_an_error(tmp_path):
    try:
        records = kodra.extract(str(tmp_path / "missing.mbox"), tmp_path / "out")
    except kodra.KodraError:
        return
    assert records and all(record["status"] != "decoded" for record in records), f"got {records}"


@requires_export("KodraExtractMemory")
def test_extract_memory_equals_extract_by_hash(tmp_path, mbox_path):
    by_run = kodra.extract([str(mbox_path)], tmp_path / "out", by_hash=True)
    parts = kodra.extract_memory(mbox_path.read_bytes(), str(mbox_path), 0, mbox=True)
    assert [part.record for part in parts] == by_run
    files = stored_files(tmp_path / "out")
    for part in parts:
        if part.record["path"]:
            assert files[part.record["path"]] == part.data, f"{part.record['path']}: bytes differ"


@requires_export("KodraExtractMemoryByHash")
def test_extract_memory_by_hash_stores_what_extract_by_hash_stores(tmp_path, mbox_path):
    by_run = kodra.extract([str(mbox_path)], tmp_path / "out", by_hash=True)
    data = bytearray(mbox_path.read_bytes())  # a writable buffer, as a mapped block is
    got = kodra.extract_memory_by_hash(data, str(mbox_path), tmp_path / "direct", 0, mbox=True)
    assert got == by_run
    assert stored_files(tmp_path / "direct") == stored_files(tmp_path / "out")
    streamed = []
    kodra.extract_memory_by_hash(bytes(data), str(mbox_path), tmp_path / "direct", mbox=True, on_record=streamed.append)
    assert streamed == by_run, "a second pass into the same folder gave other records"
    assert stored_files(tmp_path / "direct") == stored_files(tmp_path / "out"), "a second pass changed the folder"


@requires_export("KodraExtractMemory")
def test_extract_memory_streams_to_a_callback():
    seen = []
    message = b"Subject: lone\n\nnothing attached\n"
    assert kodra.extract_memory(message, "lone.eml", mbox=False, on_part=lambda r, b: seen.append((r, b))) == []
    assert [(record["status"], record["input"], data) for record, data in seen] == [("empty", "lone.eml", b"")]


@requires_export("KodraExtract")
def test_pandas_reads_the_manifest(tmp_path, mbox_path):
    pandas = pytest.importorskip("pandas")
    manifest = tmp_path / "manifest.jsonl"
    records = kodra.extract([str(mbox_path)], tmp_path / "out", by_hash=True, manifest=manifest)
    frame = pandas.read_json(manifest, lines=True)
    assert len(frame) == len(records)
    assert list(frame.columns)[:3] == ["input", "offset", "file"]
    assert list(frame["status"]) == [record["status"] for record in records]


def kodra_command():
    command = os.environ.get("KODRA_COMMAND")
    if not command:
        return None
    listing = subprocess.run([command, "--help"], capture_output=True, text=True).stdout
    return command if any(line.split()[:1] == ["extract"] for line in listing.splitlines()) else None


@requires_export("KodraExtract")
@pytest.mark.skipif(kodra_command() is None, reason="no kodra command with extract (KODRA_COMMAND)")
def test_extract_equals_the_command(tmp_path, mbox_path, maildir_path):
    inputs = [str(mbox_path), str(maildir_path)]
    manifest = tmp_path / "command.jsonl"
    subprocess.run([kodra_command(), "extract", "--by-hash", "--manifest", str(manifest), "-o",
                    str(tmp_path / "command"), *inputs], check=False, capture_output=True)
    command_records = [json.loads(line) for line in manifest.read_text(encoding="utf-8").splitlines()]
    assert kodra.extract(inputs, tmp_path / "binding", by_hash=True) == command_records
    assert stored_files(tmp_path / "binding") == stored_files(tmp_path / "command")
