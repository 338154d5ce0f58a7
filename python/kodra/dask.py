"""Extracting many archives on a Dask cluster.

The inputs (fsspec URLs: local paths, s3://, gcs://, ...) are cut into units of work: mbox
files into byte ranges that begin at "From " lines, Maildir folders and folders of messages
into one unit per message file, single messages into one unit. Workers decode the units with
KodraExtractMemory and store each part's bytes once, under OUTPUT_URL/ab/<sha256>; the manifest
records (the same as `kodra extract --by-hash` writes) come back in input order.

    import kodra.dask
    from distributed import Client
    client = Client("tcp://scheduler:8786")
    records = kodra.dask.extract(["s3://mail/2023.mbox"], "s3://mail-parts",
                                 manifest_url="s3://mail-parts/manifest.jsonl", client=client)

archive_units() and extract_unit() are plain functions: any engine that maps a function over a
list (PySpark's mapPartitions, multiprocessing) can run the same job.
"""

import contextlib
import json
import mmap
import os
import uuid
from dataclasses import dataclass
from typing import Iterable, List, Optional

from . import _library
from .archive import extract_memory, extract_memory_by_hash

DEFAULT_BLOCKSIZE = 64 << 20
_SCAN_STEP = 1 << 16
_FROM = b"From "


@dataclass(frozen=True)
class ArchiveUnit:
    """One unit of work.

    input: the input as given; url: the file to read; kind: "mbox" (bytes start to end,
    widened to the "From " lines at or after each end when decoded), "maildir", "folder" or
    "message"; file: Maildir and folders: the file's path relative to the input ("/"
    separators).
    """

    input: str
    url: str
    kind: str
    start: int = 0
    end: int = 0
    file: Optional[str] = None
    reason: Optional[str] = None  # kind "error": why the input or file cannot be read


_RECORD_KEYS = ("input", "offset", "file", "message_id", "date", "from", "subject", "part", "raw_name", "name",
                "encoding", "type", "size", "sha256", "path", "status", "reason")


def _failed_record(unit: ArchiveUnit, reason: str) -> dict:
    """The one record of an input or message file that cannot be read."""
    record = dict.fromkeys(_RECORD_KEYS)
    record.update(input=unit.input, file=unit.file, status="failed", reason=reason)
    return record


def _filesystem(url, storage_options):
    import fsspec

    return fsspec.core.url_to_fs(url, **(storage_options or {}))


def _join(fs, folder, relative):
    return folder.rstrip(fs.sep) + fs.sep + relative


def _is_real_folder(fs, path) -> bool:
    """Whether path is a folder itself, not a link to one."""
    try:
        info = fs.info(path)
    except (FileNotFoundError, OSError):
        return False
    return info.get("type") == "directory" and not info.get("islink")


def _children(fs, folder):
    """(name, path, is_folder) of folder's entries, names in byte order."""
    entries = []
    for info in fs.ls(folder, detail=True):
        path = info["name"]
        name = path.rstrip("/").rsplit("/", 1)[-1]
        # Hidden names are not messages, and a link is never followed (as the library lists them).
        if not name or name.startswith(".") or info.get("islink"):
            continue
        entries.append((name.encode("utf-8", "surrogateescape"), name, path, info.get("type") == "directory"))
    entries.sort()
    return [(name, path, is_folder) for _key, name, path, is_folder in entries]


def _folder_files(fs, folder, prefix=""):
    """Every file below folder, depth first, names in byte order, as (relative path, path)."""
    found = []
    for name, path, is_folder in _children(fs, folder):
        relative = f"{prefix}{name}"
        if is_folder:
            found.extend(_folder_files(fs, path, relative + "/"))
        else:
            found.append((relative, path))
    return found


def archive_units(urls: Iterable[str], blocksize: int = DEFAULT_BLOCKSIZE,
                  storage_options: Optional[dict] = None) -> List[ArchiveUnit]:
    """Lists the units of work of urls, in input order, as the library lists them: a file
    whose first line begins "From " is an mbox, cut into blocks of about blocksize bytes;
    another file is one message; a folder with cur/ or new/ is a Maildir (cur/ then new/),
    any other folder is searched recursively; names in byte order, hidden names and links
    left out."""
    if isinstance(urls, str):
        urls = [urls]
    blocksize = max(int(blocksize), 1)
    units: List[ArchiveUnit] = []
    for url in urls:
        fs, path = _filesystem(url, storage_options)
        if not fs.exists(path):
            units.append(ArchiveUnit(url, url, "error", reason="no such file or folder"))
            continue
        if fs.isdir(path):
            if _is_real_folder(fs, _join(fs, path, "cur")) or _is_real_folder(fs, _join(fs, path, "new")):
                for sub in ("cur", "new"):
                    if not _is_real_folder(fs, _join(fs, path, sub)):
                        continue
                    for name, file_path, is_folder in _children(fs, _join(fs, path, sub)):
                        if not is_folder:
                            units.append(ArchiveUnit(url, fs.unstrip_protocol(file_path), "maildir",
                                                     file=f"{sub}/{name}"))
            else:
                for relative, file_path in _folder_files(fs, path):
                    units.append(ArchiveUnit(url, fs.unstrip_protocol(file_path), "folder", file=relative))
            continue
        size = fs.size(path)
        with fs.open(path, "rb") as handle:
            head = handle.read(len(_FROM))
        # Workers may run elsewhere or in another folder: they get the full URL.
        full = fs.unstrip_protocol(path)
        if head != _FROM:
            units.append(ArchiveUnit(url, full, "message", 0, size))
            continue
        for start in range(0, max(size, 1), blocksize):
            units.append(ArchiveUnit(url, full, "mbox", start, min(start + blocksize, size)))
    return units


def _is_separator(data: bytes, at: int, base: int) -> bool:
    """Whether the "From " at data[at] begins a message: at the start of the file, or after an empty line."""
    if base + at == 0:
        return True
    before = data[max(at - 3, 0):at]
    return before.endswith(b"\n\n") or before.endswith(b"\n\r\n")


def _next_message(handle, position: int, size: int) -> int:
    """The offset of the first "From " line after an empty line at or after position (size when none).

    Both neighbours of a block boundary compute the same offset, so the ranges tile the file.
    """
    if position <= 0:
        return 0
    if position >= size:
        return size
    keep = len(_FROM) + 3  # a "From " cut by the window's end and the three bytes before it
    base = max(position - 3, 0)
    handle.seek(base)
    data = b""
    search = position - base
    while True:
        chunk = handle.read(_SCAN_STEP)
        if not chunk:
            return size
        data += chunk
        at = data.find(_FROM, search)
        while at != -1:
            if _is_separator(data, at, base):
                return base + at
            at = data.find(_FROM, at + 1)
        if len(data) > keep:
            # Every "From " that fits in the window was judged; only one cut by its end is left.
            base += len(data) - keep
            data = data[-keep:]
            search = max(position - base, keep - len(_FROM) + 1)


def _is_local(fs) -> bool:
    protocol = fs.protocol if isinstance(fs.protocol, (tuple, list)) else (fs.protocol,)
    return "file" in protocol or "local" in protocol


def _unit_range(handle, unit: ArchiveUnit, size: int):
    """The unit's byte range in its file: (start, end), widened to "From " lines for mbox."""
    if unit.kind != "mbox":
        return 0, size
    start = _next_message(handle, unit.start, size)
    end = _next_message(handle, unit.end, size) if unit.end < size else size
    return start, max(start, end)


def read_unit(unit: ArchiveUnit, storage_options: Optional[dict] = None):
    """The unit's bytes and their offset in the input: (data, offset)."""
    fs, path = _filesystem(unit.url, storage_options)
    with fs.open(path, "rb") as handle:
        start, end = _unit_range(handle, unit, fs.size(path))
        if end <= start:
            return b"", start
        handle.seek(start)
        return handle.read(end - start), start


@contextlib.contextmanager
def _unit_bytes(unit: ArchiveUnit, storage_options: Optional[dict]):
    """Yields (data, offset) like read_unit; a local file is mapped instead of read, so a block of
    an mbox costs no copy (the library reads it in place)."""
    fs, path = _filesystem(unit.url, storage_options)
    if not _is_local(fs):
        yield read_unit(unit, storage_options)
        return
    with open(path, "rb") as handle:
        size = os.fstat(handle.fileno()).st_size
        start, end = _unit_range(handle, unit, size)
        if end <= start:
            yield b"", start
            return
        # A private, copy-on-write mapping: writable for ctypes, never written back.
        mapping = mmap.mmap(handle.fileno(), 0, access=mmap.ACCESS_COPY)
        view = memoryview(mapping)[start:end]
        try:
            yield view, start
        finally:
            view.release()
            mapping.close()


class _PartStore:
    """Writes each part's bytes once under the output URL; a part already there is kept."""

    def __init__(self, output_url, storage_options):
        self.fs, self.root = _filesystem(output_url, storage_options) if output_url else (None, None)
        self.local = self.fs is not None and _is_local(self.fs)
        self.seen = set()

    def put(self, relative: str, data: bytes):
        if self.fs is None or relative in self.seen:
            return
        if self.local:
            self._put_local(relative, data)
        else:
            self._put_remote(relative, data)
        self.seen.add(relative)

    def _put_local(self, relative: str, data: bytes):
        # Straight to the system: fsspec's local layer costs more than the decoding. The part is
        # written under a temporary name and linked into place, which never replaces a file.
        target = os.path.join(self.root, *relative.split("/"))
        if os.path.lexists(target):
            return
        folder = os.path.dirname(target)
        os.makedirs(folder, exist_ok=True)
        temporary = f"{target}.{uuid.uuid4().hex}.part"
        descriptor = os.open(temporary, os.O_WRONLY | os.O_CREAT | os.O_EXCL | getattr(os, "O_NOFOLLOW", 0), 0o644)
        try:
            with os.fdopen(descriptor, "wb") as handle:
                handle.write(data)
            try:
                os.link(temporary, target)
            except FileExistsError:
                pass
        finally:
            os.unlink(temporary)

    def _put_remote(self, relative: str, data: bytes):
        target = _join(self.fs, self.root, relative)
        if self.fs.exists(target):
            return
        folder = target.rsplit(self.fs.sep, 1)[0]
        self.fs.makedirs(folder, exist_ok=True)
        # Written under a temporary name and moved into place: a reader never sees half a file
        # under the final name, and two workers storing the same content agree on its bytes.
        temporary = f"{target}.{uuid.uuid4().hex}.part"
        try:
            with self.fs.open(temporary, "wb") as handle:
                handle.write(data)
            if self.fs.exists(target):
                self.fs.rm(temporary)
            else:
                self.fs.mv(temporary, target)
        except BaseException:
            if self.fs.exists(temporary):
                self.fs.rm(temporary)
            raise


def extract_unit(unit: ArchiveUnit, output_url: Optional[str] = None,
                 storage_options: Optional[dict] = None) -> List[dict]:
    """Decodes one unit and returns its manifest records, storing each part's bytes under
    output_url as "ab/<sha256>" (None: stores nothing, the records' paths stay as computed)."""
    if unit.kind == "error":
        return [_failed_record(unit, unit.reason or "cannot be read")]
    store = _PartStore(output_url, storage_options)
    records: List[dict] = []

    def on_part(record, payload):
        if unit.kind != "mbox":
            record["offset"] = None
            record["file"] = unit.file
        record["input"] = unit.input
        if record.get("path") is not None and payload is not None and record.get("part") is not None:
            store.put(record["path"], payload)
        records.append(record)

    # A local output folder is written by the library itself: no part's bytes pass through Python.
    direct = store.local and _library.has_export("KodraExtractMemoryByHash")

    def on_record(record):
        on_part(record, None)

    try:
        with _unit_bytes(unit, storage_options) as (data, offset):
            if unit.kind == "mbox" and not len(data):
                return []
            if direct:
                extract_memory_by_hash(data, unit.input, store.root, offset, unit.kind == "mbox", on_record=on_record)
            else:
                extract_memory(data, unit.input, offset, unit.kind == "mbox", on_part=on_part)
    except OSError:
        if unit.kind == "mbox":
            raise
        return [_failed_record(unit, "cannot open the file")]
    return records


def _full_url(url, storage_options):
    """url with its protocol, as workers elsewhere or in another folder need it (None stays None)."""
    if url is None:
        return None
    fs, path = _filesystem(url, storage_options)
    return fs.unstrip_protocol(path)


def extract_bag(urls: Iterable[str], output_url: Optional[str], blocksize: int = DEFAULT_BLOCKSIZE,
                storage_options: Optional[dict] = None):
    """A Dask bag of the manifest records of urls, one partition per unit, in input order.

    Computing it decodes on the workers and stores the parts under output_url.
    """
    import dask.bag

    units = archive_units(urls, blocksize, storage_options)
    output_url = _full_url(output_url, storage_options)
    if not units:
        return dask.bag.from_sequence([], npartitions=1)
    bag = dask.bag.from_sequence(units, npartitions=len(units))
    return bag.map_partitions(_extract_partition, output_url, storage_options)


def _extract_partition(units, output_url, storage_options):
    records = []
    for unit in units:
        records.extend(extract_unit(unit, output_url, storage_options))
    return records


def to_json_line(record: dict) -> str:
    """A record as one manifest line (without its line end)."""
    return json.dumps(record, ensure_ascii=False, separators=(",", ":"))


def extract(urls: Iterable[str], output_url: Optional[str], manifest_url: Optional[str] = None,
            client=None, blocksize: int = DEFAULT_BLOCKSIZE, storage_options: Optional[dict] = None) -> List[dict]:
    """Extracts urls on a Dask cluster (client, or the current scheduler when None) and returns
    the manifest records in input order; with manifest_url they are also written there as
    JSON Lines."""
    if client is not None:
        # One task per unit, gathered straight to the caller: a bag's compute would first
        # concatenate every partition on one worker and send the whole list on from there.
        units = archive_units(urls, blocksize, storage_options)
        futures = client.map(extract_unit, units, output_url=_full_url(output_url, storage_options),
                             storage_options=storage_options, pure=False)
        records = [record for unit_records in client.gather(futures) for record in unit_records]
    else:
        records = list(extract_bag(urls, output_url, blocksize, storage_options).compute())
    if manifest_url is not None:
        fs, path = _filesystem(manifest_url, storage_options)
        with fs.open(path, "w", encoding="utf-8", newline="\n") as handle:
            for record in records:
                handle.write(to_json_line(record) + "\n")
    return records
