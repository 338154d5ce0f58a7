"""Finding and loading libkodra32, and the ctypes prototypes of its reentrant exports.

ctypes releases the GIL around every foreign call into a CDLL, and a callback takes it back
only while it runs: decodes run in parallel with other Python threads.
"""

import ctypes
import ctypes.util
import os
import sys
import threading
from pathlib import Path


class KodraError(Exception):
    """An error reported by libkodra32 or by the binding around it."""


_WINDOWS = sys.platform == "win32"
# 32-bit Windows uses __stdcall for the exports and the callbacks; everything else the C one.
_STDCALL = _WINDOWS and ctypes.sizeof(ctypes.c_void_p) == 4
_LibraryType = ctypes.WinDLL if _STDCALL else ctypes.CDLL  # type: ignore[attr-defined]
_CALLBACK = ctypes.WINFUNCTYPE if _STDCALL else ctypes.CFUNCTYPE  # type: ignore[attr-defined]

_FILE_NAMES = ("KODRA32.dll",) if _WINDOWS else ("libkodra32.so.0", "libkodra32.so")
_SYSTEM_NAMES = ("KODRA32.dll", "KODRA32") if _WINDOWS else ("libkodra32.so.0",)


class KodraPart(ctypes.Structure):
    _fields_ = [
        ("index", ctypes.c_int),
        ("encoding", ctypes.c_int),
        ("name", ctypes.POINTER(ctypes.c_char)),
        ("nameSize", ctypes.c_size_t),
        ("nameUtf8", ctypes.c_char_p),
        ("offset", ctypes.c_longlong),
    ]


SinkBegin = _CALLBACK(ctypes.c_int, ctypes.c_void_p, ctypes.POINTER(KodraPart))
SinkData = _CALLBACK(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p, ctypes.c_size_t)
SinkEnd = _CALLBACK(None, ctypes.c_void_p, ctypes.POINTER(KodraPart), ctypes.c_int)


class KodraSink(ctypes.Structure):
    _fields_ = [
        ("context", ctypes.c_void_p),
        ("begin", SinkBegin),
        ("data", SinkData),
        ("end", SinkEnd),
    ]


class KodraExtractProgress(ctypes.Structure):
    _fields_ = [
        ("messages", ctypes.c_longlong),
        ("bytesDone", ctypes.c_longlong),
        ("bytesTotal", ctypes.c_longlong),
        ("failures", ctypes.c_longlong),
    ]


ExtractRecord = _CALLBACK(None, ctypes.c_void_p, ctypes.POINTER(ctypes.c_char), ctypes.c_size_t)
ExtractProgressCallback = _CALLBACK(ctypes.c_int, ctypes.c_void_p, ctypes.POINTER(KodraExtractProgress))


class KodraExtractOptions(ctypes.Structure):
    _fields_ = [
        ("jobs", ctypes.c_int),
        ("byHash", ctypes.c_int),
        ("manifestPath", ctypes.c_char_p),
        ("resume", ctypes.c_int),
        ("context", ctypes.c_void_p),
        ("record", ExtractRecord),
        ("progress", ExtractProgressCallback),
    ]


ExtractedPart = _CALLBACK(None, ctypes.c_void_p, ctypes.POINTER(ctypes.c_char), ctypes.c_size_t,
                          ctypes.c_void_p, ctypes.c_size_t)
ArchiveMessage = _CALLBACK(ctypes.c_int, ctypes.c_void_p, ctypes.c_char_p, ctypes.c_longlong,
                           ctypes.c_void_p, ctypes.c_size_t)

_c_void_p = ctypes.c_void_p
_c_int = ctypes.c_int
_c_size_t = ctypes.c_size_t
_c_char_p = ctypes.c_char_p

# name: (result type, argument types). The first group is required; the rest may be missing
# from an older library, and only the functions that need them fail then.
_REQUIRED = {
    "KodraOpenContext": (_c_void_p, []),
    "KodraCloseContext": (None, [_c_void_p]),
    "KodraSetContextOption": (_c_int, [_c_void_p, _c_int, _c_int]),
    "KodraDecodeFileToSink": (_c_int, [_c_void_p, _c_char_p, ctypes.POINTER(KodraSink)]),
    "KodraDecodeMemoryToSink": (_c_int, [_c_void_p, _c_void_p, _c_size_t, ctypes.POINTER(KodraSink)]),
    "KodraListFileParts": (_c_int, [_c_void_p, _c_char_p, ctypes.POINTER(KodraSink)]),
    "KodraListMemoryParts": (_c_int, [_c_void_p, _c_void_p, _c_size_t, ctypes.POINTER(KodraSink)]),
}
_OPTIONAL = {
    "KodraExtract": (_c_int, [_c_void_p, ctypes.POINTER(_c_char_p), _c_int, _c_char_p,
                              ctypes.POINTER(KodraExtractOptions)]),
    "KodraExtractMemory": (_c_int, [_c_void_p, _c_void_p, _c_size_t, _c_char_p, ctypes.c_longlong, _c_int,
                                    _c_void_p, ExtractedPart]),
    "KodraReadArchive": (_c_int, [_c_void_p, _c_char_p, _c_void_p, ArchiveMessage]),
    "KodraExtractMemoryByHash": (_c_int, [_c_void_p, _c_void_p, _c_size_t, _c_char_p, ctypes.c_longlong, _c_int,
                                          _c_char_p, _c_void_p, ExtractRecord]),
}


def candidate_paths():
    """The places searched for the library, in order (the system's loader comes last)."""
    paths = []
    explicit = os.environ.get("KODRA_LIBRARY")
    if explicit:
        paths.append(Path(explicit))
    package = Path(__file__).resolve().parent
    paths.extend(package / name for name in _FILE_NAMES)
    # A source checkout: python/kodra/ sits two levels below the project's build trees.
    build = package.parent.parent / "build"
    for preset in ("default", "debug", "run", "windows"):
        paths.extend(build / preset / "codec" / name for name in _FILE_NAMES)
    return paths


def _load():
    tried = []
    explicit = os.environ.get("KODRA_LIBRARY")
    for path in candidate_paths():
        if not path.is_file():
            if explicit and path == Path(explicit):
                raise KodraError(f"KODRA_LIBRARY names no file: {explicit}")
            continue
        try:
            return _LibraryType(str(path))
        except OSError as error:
            if explicit and path == Path(explicit):
                raise KodraError(f"cannot load {explicit}: {error}") from error
            tried.append(f"{path}: {error}")
    for name in _SYSTEM_NAMES + tuple(filter(None, [ctypes.util.find_library("kodra32")])):
        try:
            return _LibraryType(name)
        except OSError as error:
            tried.append(f"{name}: {error}")
    detail = "; ".join(tried) if tried else "no candidate found"
    raise KodraError("libkodra32 not found (set KODRA_LIBRARY to its path): " + detail)


def _bind(library):
    for name, (result, arguments) in _REQUIRED.items():
        function = getattr(library, name, None)
        if function is None:
            raise KodraError(f"{library._name} does not export {name}")
        function.restype = result
        function.argtypes = arguments
    for name, (result, arguments) in _OPTIONAL.items():
        function = getattr(library, name, None)
        if function is not None:
            function.restype = result
            function.argtypes = arguments
    return library


_library = None
_lock = threading.Lock()


def library():
    """The loaded library with its prototypes set (loaded on first use)."""
    global _library
    if _library is None:
        with _lock:
            if _library is None:
                _library = _bind(_load())
    return _library


def library_path():
    """The file the library was loaded from (as the loader was given it)."""
    return library()._name


def has_export(name):
    """Whether the loaded library exports name."""
    return getattr(library(), name, None) is not None


def function(name):
    """The export called name; KodraError when this library lacks it."""
    found = getattr(library(), name, None)
    if found is None:
        raise KodraError(f"{library_path()} does not export {name} (a newer libkodra32 is needed)")
    return found


class Context:
    """One KodraContext, closed on exit; used by one thread at a time."""

    def __init__(self):
        self.handle = library().KodraOpenContext()
        if not self.handle:
            raise KodraError("KodraOpenContext failed: out of memory")

    def close(self):
        if self.handle:
            library().KodraCloseContext(self.handle)
            self.handle = None

    def __enter__(self):
        return self.handle

    def __exit__(self, *exc):
        self.close()


def encode_path(path):
    """A path as the UTF-8 bytes every Kodra* export takes."""
    if isinstance(path, bytes):
        return path
    text = os.fspath(path)
    if isinstance(text, bytes):
        return text
    # Names that are not UTF-8 on POSIX reach Python as surrogate escapes: give back the bytes.
    return text.encode("utf-8", "surrogateescape")


def memory_view(data):
    """(pointer, size, keep-alive) for a bytes-like object, without copying bytes objects."""
    if isinstance(data, bytes):
        return ctypes.cast(ctypes.c_char_p(data), ctypes.c_void_p), len(data), data
    view = memoryview(data).cast("B")
    if view.readonly:
        copy = bytes(view)
        return ctypes.cast(ctypes.c_char_p(copy), ctypes.c_void_p), len(copy), copy
    if not view.nbytes:
        return None, 0, view
    buffer = (ctypes.c_char * view.nbytes).from_buffer(view)
    # The address as a plain value: a cast would tie the buffer into a reference cycle, and the
    # caller's mapping could not be closed until the next garbage collection.
    return ctypes.c_void_p(ctypes.addressof(buffer)), view.nbytes, (view, buffer)
