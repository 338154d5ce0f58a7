"""The GIL is released while the library decodes."""

import base64
import sys
import threading
import time

import kodra


def test_other_threads_run_while_a_large_decode_runs():
    # One large part, declined by select: the library reads through it without calling back.
    # With a long switch interval no thread is forced off the GIL, and the counter gives it
    # up after every step: it can only advance during the decode if the call released it.
    data = bytes(range(256)) * (96 * 1024)  # 24 MiB
    message = (b"Content-Type: application/octet-stream; name=\"big.bin\"\nContent-Transfer-Encoding: base64\n\n"
               + base64.encodebytes(data))
    counter = [0]
    done = threading.Event()
    at_begin = []

    def count():
        while not done.is_set():
            counter[0] += 1
            time.sleep(0)

    def select(_part):
        at_begin.append(counter[0])
        return False

    interval = sys.getswitchinterval()
    thread = threading.Thread(target=count)
    sys.setswitchinterval(60)
    try:
        thread.start()
        parts = kodra.decode(message, select=select)
        after = counter[0]
    finally:
        sys.setswitchinterval(interval)
        done.set()
        thread.join()
    assert [part.status for part in parts] == [kodra.PartStatus.SKIPPED], f"got {parts!r}"
    assert after > at_begin[0], f"got counter {after} after the decode, {at_begin[0]} before: the GIL was held"
