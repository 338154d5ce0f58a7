"""Extraction on Dask: mbox block boundaries, unit listing, and a run on worker processes."""

import io
import json
import os
from pathlib import Path

import pytest

import kodra
from conftest import build_mbox, payload, mime_message, requires_export
from kodra import dask as kodra_dask


def from_lines(data):
    """Offsets of every "From " line at the file's start or after an empty line."""
    return [at for at in range(len(data)) if data[at:at + 5] == b"From "
            and (at == 0 or data[:at].endswith(b"\n\n") or data[:at].endswith(b"\n\r\n"))]


@pytest.mark.parametrize(
    "name,data",
    [
        ("lf", b"From a\nx\n\nFrom b\nFrom c\n\nFrom d\n"),
        ("crlf", b"From a\r\nx\r\n\r\nFrom b\r\n>From c\r\n\r\nFrom d\r\n"),
        ("no empty line before", b"From a\nx\nFrom b\n\nFrom c\n"),
        ("From inside a line", b"From a\nsay From x\n\nFrom b\n"),
        ("no separator after the start", b"From a\n" + b"x" * 100),
    ],
)
@pytest.mark.parametrize("step", [1, 2, 3, 7, 64])
def test_next_message_finds_the_first_separator_at_or_after_a_position(monkeypatch, name, data, step):
    monkeypatch.setattr(kodra_dask, "_SCAN_STEP", step)
    separators = from_lines(data)
    for position in range(len(data) + 2):
        want = 0 if position == 0 else next((at for at in separators if at >= position), len(data))
        got = kodra_dask._next_message(io.BytesIO(data), position, len(data))
        assert got == want, f"{name}, step {step}, position {position}: got {got}, want {want}"


def test_mbox_blocks_tile_the_file_at_separators(tmp_path):
    messages = [b"Subject: m%d\n\n" % i + b"line\n" * (i * 7 % 23) for i in range(40)]
    mbox = tmp_path / "a.mbox"
    mbox.write_bytes(build_mbox(messages))
    data = mbox.read_bytes()
    for blocksize in (1, 50, 333, 4096, len(data), len(data) * 2):
        units = kodra_dask.archive_units([str(mbox)], blocksize)
        pieces = [kodra_dask.read_unit(unit) for unit in units]
        got = b"".join(block for block, _ in pieces)
        assert got == data, f"blocksize {blocksize}: the blocks do not join to the file"
        starts = [offset for block, offset in pieces if block]
        assert set(starts) <= set(from_lines(data)), f"blocksize {blocksize}: a block starts inside a message"


def test_units_list_maildir_cur_then_new_and_folders_depth_first(tmp_path, maildir_path):
    (maildir_path / "cur" / ".hidden").write_bytes(b"x")
    folder = tmp_path / "folder"
    (folder / "a").mkdir(parents=True)
    (folder / "a" / "x.eml").write_bytes(b"Subject: x\n\nx\n")
    (folder / "a.txt").write_bytes(b"Subject: y\n\ny\n")
    (folder / "b.eml").write_bytes(b"Subject: z\n\nz\n")
    (folder / ".skip").write_bytes(b"Subject: z\n\nz\n")
    single = tmp_path / "one.eml"
    single.write_bytes(b"Subject: one\n\none\n")
    units = kodra_dask.archive_units([str(maildir_path), str(folder), str(single)])
    got = [(unit.kind, unit.file) for unit in units]
    want = [
        ("maildir", "cur/1700000000.1.host:2,S"),
        ("maildir", "cur/1700000001.2.host:2,S"),
        ("maildir", "new/1700000002.3.host"),
        ("maildir", "new/1700000003.4.host"),
        ("folder", "a/x.eml"),
        ("folder", "a.txt"),
        ("folder", "b.eml"),
        ("message", None),
    ]
    assert got == want, f"got {got}, want {want}"


@requires_export("KodraReadArchive")
def test_units_list_messages_as_the_library_reads_them(tmp_path, maildir_path):
    folder = tmp_path / "folder"
    (folder / "a").mkdir(parents=True)
    (folder / "a" / "x.eml").write_bytes(b"Subject: x\n\nx\n")
    (folder / "a.txt").write_bytes(b"Subject: y\n\ny\n")
    for root in (maildir_path, folder):
        got = [unit.file for unit in kodra_dask.archive_units([str(root)])]
        want = [message.file for message in kodra.messages(root)]
        assert got == want, f"{root.name}: got {got}, want {want}"


def stored_files(folder):
    folder = Path(folder)
    return {path.relative_to(folder).as_posix(): path.read_bytes() for path in folder.rglob("*") if path.is_file()}


@requires_export("KodraExtractMemory")
def test_extract_unit_stores_parts_once_and_keeps_what_exists(tmp_path, mbox_path):
    out = tmp_path / "out"
    records = []
    for unit in kodra_dask.archive_units([str(mbox_path)], 500):
        records += kodra_dask.extract_unit(unit, str(out))
    first = stored_files(out)
    assert first and all(Path(name).parent.name == name.split("/")[1][:2] for name in first)
    victim = next(iter(first))
    (out / victim).write_bytes(b"kept")
    for unit in kodra_dask.archive_units([str(mbox_path)], 500):
        kodra_dask.extract_unit(unit, str(out))
    assert (out / victim).read_bytes() == b"kept", "an existing part was replaced"
    assert not [name for name in stored_files(out) if name.endswith(".part")], "a temporary file was left"


@pytest.fixture(scope="module")
def client():
    distributed = pytest.importorskip("distributed")
    with distributed.LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=":0",
                                  silence_logs=40) as cluster, distributed.Client(cluster) as connected:
        yield connected


@requires_export("KodraExtract")
@requires_export("KodraExtractMemory")
def test_dask_run_equals_extract_by_hash(tmp_path, client, sample_messages, maildir_path):
    # An mbox large enough to be cut into several blocks.
    messages = sample_messages + [mime_message(f"extra {i}", [(f"x{i}.bin", payload(100 + i, 900))])
                                  for i in range(12)]
    mbox = tmp_path / "big.mbox"
    mbox.write_bytes(build_mbox(messages))
    inputs = [str(mbox), str(maildir_path)]
    want = kodra.extract(inputs, tmp_path / "reference", by_hash=True)

    manifest = tmp_path / "manifest.jsonl"
    got = kodra_dask.extract(inputs, str(tmp_path / "dask"), manifest_url=str(manifest), client=client,
                             blocksize=4096)
    assert len(kodra_dask.archive_units([str(mbox)], 4096)) > 3, "the mbox was not cut into several blocks"
    assert got == want, "the Dask records differ from extract's"
    assert [json.loads(line) for line in manifest.read_text(encoding="utf-8").splitlines()] == want
    assert stored_files(tmp_path / "dask") == stored_files(tmp_path / "reference")

    bag_records = kodra_dask.extract_bag(inputs, str(tmp_path / "bag"), blocksize=4096).compute()
    assert list(bag_records) == want


def test_units_carry_full_urls_for_workers_elsewhere(tmp_path, monkeypatch, mbox_path):
    monkeypatch.chdir(mbox_path.parent)
    units = kodra_dask.archive_units([mbox_path.name], 1 << 20)
    assert [unit.input for unit in units] == [mbox_path.name], "the input is not kept as given"
    monkeypatch.chdir(tmp_path.parent)
    data, offset = kodra_dask.read_unit(units[0])
    assert (data, offset) == (mbox_path.read_bytes(), 0)


@requires_export("KodraExtract")
@requires_export("KodraExtractMemory")
def test_a_missing_input_is_a_failed_record_as_in_extract(tmp_path):
    missing = str(tmp_path / "missing.mbox")
    want = kodra.extract([missing], tmp_path / "reference", by_hash=True)
    got = [record for unit in kodra_dask.archive_units([missing]) for record in kodra_dask.extract_unit(unit)]
    assert got == want, f"got {got}, want {want}"


@requires_export("KodraExtractMemory")
def test_remote_storage_gives_the_records_and_files_of_local_storage(tmp_path, mbox_path):
    # Local files are mapped and stored through the system; any other fsspec file system goes
    # through fsspec's reads, writes and moves. Both must give the same records and bytes.
    fsspec = pytest.importorskip("fsspec")
    memory = fsspec.filesystem("memory")
    memory.pipe("/inputs/archive.mbox", mbox_path.read_bytes())
    local = [record for unit in kodra_dask.archive_units([str(mbox_path)], 500)
             for record in kodra_dask.extract_unit(unit, str(tmp_path / "out"))]
    remote = [record for unit in kodra_dask.archive_units(["memory://inputs/archive.mbox"], 500)
              for record in kodra_dask.extract_unit(unit, "memory://out")]
    for record in remote:
        record["input"] = str(mbox_path)
    assert remote == local, "the records differ between local and remote storage"
    stored = {path.split("/out/", 1)[1]: memory.cat(path) for path in memory.find("/out")}
    assert stored == stored_files(tmp_path / "out"), "the stored parts differ"
