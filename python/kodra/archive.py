"""Archives: reading mbox files and Maildir folders message by message, and extracting them."""

import ctypes
import json
import os
import queue
import threading
from dataclasses import dataclass
from typing import Callable, Iterator, List, Optional

from . import _library
from ._library import KodraError


@dataclass
class Message:
    """One message of an archive.

    file: Maildir and folders: the message file's path relative to the input ("/"
    separators), None for an mbox; offset: an mbox message's "From " line byte offset (0
    otherwise); data: the message text (for an mbox without its "From " line, quoted "From "
    lines unquoted).
    """

    file: Optional[str]
    offset: int
    data: bytes


@dataclass
class ExtractedPart:
    """A part decoded from memory: its manifest record and its decoded bytes."""

    record: dict
    data: bytes


_END = object()


def messages(path, queue_size: int = 16) -> Iterator[Message]:
    """Iterates over the messages of an archive input (an mbox file, a Maildir, a folder of
    message files or one message), in order.

    The library reads on a thread of its own while the caller takes messages, at most
    queue_size ahead; leaving the loop early stops the reading.
    """
    read = _library.function("KodraReadArchive")
    encoded = _library.encode_path(path)
    handoff: "queue.Queue" = queue.Queue(maxsize=max(1, queue_size))
    stop = threading.Event()
    outcome = {}

    def on_message(_context, file, offset, data, size):
        if stop.is_set():
            return 0
        name = file.decode("utf-8", "surrogateescape") if file else None
        item = Message(name or None, offset, ctypes.string_at(data, size) if size else b"")
        # Waits for room without holding the library up forever once the reader has gone.
        while not stop.is_set():
            try:
                handoff.put(item, timeout=0.2)
                return 1
            except queue.Full:
                continue
        return 0

    callback = _library.ArchiveMessage(on_message)

    def reader():
        try:
            with _library.Context() as context:
                outcome["result"] = read(context, encoded, None, callback)
        except BaseException as error:  # noqa: B902 - handed to the consumer
            outcome["error"] = error
        finally:
            while True:
                try:
                    handoff.put(_END, timeout=0.2)
                    break
                except queue.Full:
                    if stop.is_set():
                        break

    thread = threading.Thread(target=reader, name="kodra-archive-reader", daemon=True)
    thread.start()
    try:
        while True:
            item = handoff.get()
            if item is _END:
                break
            yield item
    finally:
        stop.set()
        while thread.is_alive():
            try:
                handoff.get(timeout=0.2)
            except queue.Empty:
                pass
        thread.join()
    if "error" in outcome:
        raise outcome["error"]
    if outcome.get("result", -1) < 0:
        raise KodraError(f"cannot read archive {os.fspath(path)}")


def _record(json_pointer, size) -> dict:
    return json.loads(ctypes.string_at(json_pointer, size).decode("utf-8"))


def extract(inputs, output=None, jobs: int = 0, by_hash: bool = False, manifest=None,
            resume: bool = False, progress: Optional[Callable[[dict], bool]] = None) -> List[dict]:
    """Extracts archive inputs as `kodra extract` does and returns the manifest records.

    inputs: one path or a list (mbox files, Maildir folders, folders of messages, single
    messages). output: the folder the parts are written into (None: decode and describe
    only). by_hash: one file per distinct content, "ab/<sha256>". manifest: a JSON Lines file
    the records are appended to; resume skips the messages it records already. jobs: worker
    threads (0: one per core); the records do not depend on it. progress, when given, gets
    {"messages", "bytes_done", "bytes_total", "failures"} now and then and stops the run
    cleanly by returning False. Records come in input order, as dicts in the manifest's key
    order; failures are records, not exceptions.
    """
    run = _library.function("KodraExtract")
    if isinstance(inputs, (str, bytes, os.PathLike)):
        inputs = [inputs]
    encoded = [_library.encode_path(item) for item in inputs]
    if not encoded:
        raise KodraError("no inputs")
    records: List[dict] = []
    errors: List[BaseException] = []

    def on_record(_context, json_pointer, size):
        try:
            records.append(_record(json_pointer, size))
        except BaseException as error:  # noqa: B902
            errors.append(error)

    def on_progress(_context, state):
        if progress is None:
            return 1
        try:
            state = state.contents
            keep_going = progress({"messages": state.messages, "bytes_done": state.bytesDone,
                                   "bytes_total": state.bytesTotal, "failures": state.failures})
            return 0 if keep_going is False else 1
        except BaseException as error:  # noqa: B902
            errors.append(error)
            return 0

    record_callback = _library.ExtractRecord(on_record)
    progress_callback = _library.ExtractProgressCallback(on_progress)
    options = _library.KodraExtractOptions(
        jobs=int(jobs), byHash=1 if by_hash else 0,
        manifestPath=_library.encode_path(manifest) if manifest is not None else None,
        resume=1 if resume else 0, context=None, record=record_callback, progress=progress_callback)
    array = (ctypes.c_char_p * len(encoded))(*encoded)
    folder = _library.encode_path(output) if output is not None else None
    with _library.Context() as context:
        result = run(context, array, len(encoded), folder, ctypes.byref(options))
    if errors:
        raise errors[0]
    if result < 0:
        raise KodraError("cannot extract: an input, the output folder or the manifest cannot be used")
    return records


def extract_memory(data, input_name: str, base_offset: int = 0, mbox: bool = True,
                   on_part: Optional[Callable[[dict, bytes], None]] = None) -> List[ExtractedPart]:
    """Decodes one block of an archive held in memory: an mbox range beginning at a "From "
    line (mbox True) or one message, sitting at byte base_offset of the input input_name.

    Each part's manifest record ("path" the by-hash path, "ab/<sha256>") and decoded bytes go
    to on_part(record, bytes) when given (nothing is kept: large blocks stay cheap), else
    come back as a list. Nothing is written. The records equal extract(by_hash=True)'s.
    """
    run = _library.function("KodraExtractMemory")
    pointer, size, keep = _library.memory_view(data)
    collected: List[ExtractedPart] = []
    errors: List[BaseException] = []

    def on_extracted(_context, json_pointer, json_size, bytes_pointer, bytes_size):
        if errors:
            return
        try:
            record = _record(json_pointer, json_size)
            payload = ctypes.string_at(bytes_pointer, bytes_size) if bytes_size else b""
            if on_part is not None:
                on_part(record, payload)
            else:
                collected.append(ExtractedPart(record, payload))
        except BaseException as error:  # noqa: B902
            errors.append(error)

    callback = _library.ExtractedPart(on_extracted)
    with _library.Context() as context:
        result = run(context, pointer, size, _library.encode_path(input_name), int(base_offset),
                     1 if mbox else 0, None, callback)
    del keep
    if errors:
        raise errors[0]
    if result < 0:
        raise KodraError("cannot extract the block")
    return collected


def extract_memory_by_hash(data, input_name: str, output, base_offset: int = 0, mbox: bool = True,
                           on_record: Optional[Callable[[dict], None]] = None) -> List[dict]:
    """Decodes one block as extract_memory() does and stores each part once under the local
    folder output as "ab/<sha256>" (a copy already there is kept, so processes may share the
    folder). The records go to on_record(record) when given, else come back as a list; they
    equal extract(by_hash=True)'s. No part's bytes pass through Python.
    """
    run = _library.function("KodraExtractMemoryByHash")
    pointer, size, keep = _library.memory_view(data)
    collected: List[dict] = []
    errors: List[BaseException] = []

    def on_extracted(_context, json_pointer, json_size):
        if errors:
            return
        try:
            record = _record(json_pointer, json_size)
            if on_record is not None:
                on_record(record)
            else:
                collected.append(record)
        except BaseException as error:  # noqa: B902
            errors.append(error)

    callback = _library.ExtractRecord(on_extracted)
    with _library.Context() as context:
        result = run(context, pointer, size, _library.encode_path(input_name), int(base_offset),
                     1 if mbox else 0, _library.encode_path(output), None, callback)
    del keep
    if errors:
        raise errors[0]
    if result < 0:
        raise KodraError(f"cannot extract the block into {os.fspath(output)}")
    return collected
