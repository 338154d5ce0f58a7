"""Decoding one message (bytes or a file) to its parts through a KodraSink."""

import ctypes
import enum
import errno
import os
from dataclasses import dataclass
from typing import Callable, List, Optional

from . import _library
from ._library import KodraError

# The sink's encoding numbers, named as the manifest names them.
ENCODINGS = {
    1: "uuencode",
    2: "base64",
    3: "binhex",
    4: "xxencode",
    5: "text",
    6: "quoted-printable",
    7: "uuencode-table",
    8: "yenc",
}


class PartStatus(str, enum.Enum):
    """How a part ended."""

    DECODED = "decoded"  # every byte delivered, all checks passed
    FAILED = "failed"    # a check failed, the data ended early or it could not be stored
    SKIPPED = "skipped"  # not selected: read through, nothing delivered

    def __str__(self):
        return self.value


_STATUSES = {0: PartStatus.DECODED, 1: PartStatus.FAILED, 2: PartStatus.SKIPPED}


@dataclass
class Part:
    """One part found in a message.

    index: 0 for the first part of the input; name: the file name as UTF-8 (None when the
    content names none); raw_name: the same name as the message's bytes; encoding: "base64",
    "uuencode", ... ; offset: byte offset of the line that opened the part; status: how it
    ended (None for listings); data: its decoded bytes (None when written to a file, skipped
    or listed); path: the file written (None unless decoded into a folder).
    """

    index: int
    name: Optional[str]
    raw_name: bytes
    encoding: str
    offset: int
    status: Optional[PartStatus] = None
    data: Optional[bytes] = None
    path: Optional[str] = None

    @property
    def size(self) -> Optional[int]:
        """Decoded bytes held in data, or None."""
        return None if self.data is None else len(self.data)


def _describe(part) -> Part:
    raw = ctypes.string_at(part.name, part.nameSize) if part.name and part.nameSize else b""
    utf8 = part.nameUtf8.decode("utf-8", "replace") if part.nameUtf8 else ""
    return Part(
        index=part.index,
        name=utf8 or None,
        raw_name=raw,
        encoding=ENCODINGS.get(part.encoding, f"encoding-{part.encoding}"),
        offset=part.offset,
    )


def _bare_name(part: Part) -> str:
    """A file name for part that stays inside its folder."""
    name = (part.name or "").replace("/", "_").replace("\\", "_").replace("\0", "_")
    if name in ("", ".", ".."):
        name = f"part{part.index}.dat"
    return name


def _create_new(folder: str, name: str):
    """Opens a new file called name in folder, numbering the name (report1.txt) while it is taken."""
    stem, dot, extension = name.rpartition(".")
    if not dot or not stem:
        stem, extension = name, ""
    else:
        extension = "." + extension
    flags = os.O_WRONLY | os.O_CREAT | os.O_EXCL | getattr(os, "O_BINARY", 0) | getattr(os, "O_NOFOLLOW", 0)
    number = 0
    while True:
        candidate = name if number == 0 else f"{stem}{number}{extension}"
        path = os.path.join(folder, candidate)
        try:
            return path, os.fdopen(os.open(path, flags, 0o666), "wb")
        except FileExistsError:
            number += 1
        except OSError as error:
            if error.errno == errno.ENAMETOOLONG and len(stem) > 1:
                stem = stem[: len(stem) // 2]
                continue
            raise


class _Collector:
    """The Python side of a KodraSink: keeps each part's bytes, or streams them to a file."""

    def __init__(self, select, folder):
        self.select = select
        self.folder = folder
        self.parts: List[Part] = []
        self.chunks: List[bytes] = []
        self.file = None
        self.error: Optional[BaseException] = None
        self.sink = _library.KodraSink(
            None, _library.SinkBegin(self._begin), _library.SinkData(self._data), _library.SinkEnd(self._end))

    def _begin(self, _context, part):
        try:
            described = _describe(part.contents)
            self.parts.append(described)
            self.chunks = []
            if self.select is not None and not self.select(described):
                return 0
            if self.folder is not None:
                described.path, self.file = _create_new(self.folder, _bare_name(described))
            return 1
        except BaseException as error:  # noqa: B902 - a callback must not unwind into C
            self.error = self.error or error
            return 0

    def _data(self, _context, data, size):
        try:
            chunk = ctypes.string_at(data, size)
            if self.file is not None:
                self.file.write(chunk)
            else:
                self.chunks.append(chunk)
            return 1
        except BaseException as error:  # noqa: B902
            self.error = self.error or error
            return 0

    def _end(self, _context, _part, status):
        try:
            described = self.parts[-1]
            described.status = _STATUSES.get(status, PartStatus.FAILED)
            if self.file is not None:
                self.file.close()
                self.file = None
            elif described.status is not PartStatus.SKIPPED:
                described.data = b"".join(self.chunks)
            self.chunks = []
        except BaseException as error:  # noqa: B902
            self.error = self.error or error
            if self.parts:
                self.parts[-1].status = PartStatus.FAILED

    def finish(self, result, what):
        if self.file is not None:
            self.file.close()
            self.file = None
        if self.error is not None:
            raise self.error
        if result < 0:
            raise KodraError(f"cannot decode {what}")
        return self.parts


def _is_path(source) -> bool:
    return isinstance(source, (str, os.PathLike))


def decode(data, select: Optional[Callable[[Part], bool]] = None) -> List[Part]:
    """Decodes a message held in memory (bytes-like) and returns its parts with their bytes.

    select, when given, is asked for each part (its data not yet known) and parts it
    declines come back SKIPPED, their bytes read through but never delivered.
    """
    pointer, size, keep = _library.memory_view(data)
    collector = _Collector(select, None)
    with _library.Context() as context:
        result = _library.library().KodraDecodeMemoryToSink(context, pointer, size, ctypes.byref(collector.sink))
    del keep
    return collector.finish(result, "the data")


def decode_file(path, folder=None, select: Optional[Callable[[Part], bool]] = None) -> List[Part]:
    """Decodes the message file at path.

    Without folder every part comes back with its bytes (Part.data). With folder (which must
    exist) each part is written to a new file there, named from the content and numbered
    while the name is taken (report1.txt), never replacing a file nor following a link, and
    Part.path names it; a part that FAILED keeps what was decoded of it.
    """
    if folder is not None:
        folder = os.fspath(folder)
        if not os.path.isdir(folder):
            raise KodraError(f"not a folder: {folder}")
    collector = _Collector(select, folder)
    with _library.Context() as context:
        result = _library.library().KodraDecodeFileToSink(
            context, _library.encode_path(path), ctypes.byref(collector.sink))
    return collector.finish(result, os.fspath(path))


def list_parts(source) -> List[Part]:
    """Lists the parts of a message (a path, or the bytes of one) without decoding them."""
    collector = _Collector(None, None)
    library = _library.library()
    with _library.Context() as context:
        if _is_path(source):
            result = library.KodraListFileParts(context, _library.encode_path(source), ctypes.byref(collector.sink))
            what = os.fspath(source)
        else:
            pointer, size, keep = _library.memory_view(source)
            result = library.KodraListMemoryParts(context, pointer, size, ctypes.byref(collector.sink))
            del keep
            what = "the data"
    return collector.finish(result, what)
