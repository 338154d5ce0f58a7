"""Kodra: decode mail and news attachments with libkodra32.

    import kodra
    for part in kodra.decode_file("inbox/0042.eml"):
        print(part.name, part.encoding, part.status, part.size)
    records = kodra.extract(["inbox.mbox"], "out", by_hash=True)

The library is found through KODRA_LIBRARY, beside this package, in the project's build trees,
then as the system's libkodra32.so.0 (KODRA32.dll on Windows). Decodes release the GIL.
"""

from ._library import KodraError, library_path
from .archive import ExtractedPart, Message, extract, extract_memory, extract_memory_by_hash, messages
from .decode import ENCODINGS, Part, PartStatus, decode, decode_file, list_parts

__all__ = [
    "ENCODINGS",
    "ExtractedPart",
    "KodraError",
    "Message",
    "Part",
    "PartStatus",
    "decode",
    "decode_file",
    "extract",
    "extract_memory",
    "extract_memory_by_hash",
    "library_path",
    "list_parts",
    "messages",
]
__version__ = "0.1.0"
