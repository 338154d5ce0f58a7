#!/usr/bin/env python3
"""Whole-process comparison of Kodra with the usual Debian decoders and encoders.

Makes its inputs from a seeded payload in a temporary folder, checks that every tool's
output is bit-exact before timing it, then prints MiB/s (median of several runs), the
ratio to Kodra and the peak RSS of each tool, and a scaling series for Kodra.

    bench/compare.py                 64 MiB payload, scaling series 1, 16, 256 MiB
    bench/compare.py --size 8 --runs 3 --scaling 1,16
    bench/compare.py --setup-only    install the peers and stop

The decode rows include long-line inputs: MIME messages whose Base64 lines have 1400,
1500 and 4000 characters (beyond the 1023 characters of a classic line buffer), and a UU
file of the longest lines UU can express. A UU line announces its byte count in one
symbol of value 63 at most, so it never carries more than 63 bytes (85 characters with
the count): no valid UU line is longer than 1023 characters. The 1500-character stress
is therefore run as Base64, and the UU row uses 63-byte lines.

The yEnc row decodes a multi-part post made by uuenview (-y, 5000 lines a part) with the
kodra command (decode -C DIR PARTS..., which joins the parts) and with uudeview.

The temporary folder is removed at the end (--keep leaves it).
"""

import argparse
import base64
import binascii
import email
import email.policy
import os
import quopri
import random
import re
import shutil
import signal
import statistics
import subprocess
import sys
import tempfile
import time
from email.message import EmailMessage

MiB = 1 << 20
ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
DEFAULT_TOOL = os.path.join(ROOT, "build", "default", "bench", "kodra_bench_tool")
DEFAULT_COMMAND = os.path.join(ROOT, "build", "default", "cli", "kodra")
# Lines per part of the multi-part yEnc post (about 650 KB a part, as news posts are cut).
YENC_PART_LINES = 5000

# Debian package of each peer command.
PEERS = {
    "ripmime": "ripmime", "uudeview": "uudeview", "uuenview": "uudeview", "munpack": "mpack", "mpack": "mpack",
    "uuencode": "sharutils", "uudecode": "sharutils", "binhex": "macutils", "hexbin": "macutils",
    "base64": "coreutils", "python3": "python3", "/usr/bin/time": "time",
}


def setup():
    missing = sorted({pkg for cmd, pkg in PEERS.items() if shutil.which(cmd) is None})
    if not missing:
        return
    print("installing:", " ".join(missing), flush=True)
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(["apt-get", "update", "-qq"], check=True, env=env)
    subprocess.run(["apt-get", "install", "-y", "-qq", *missing], check=True, env=env)


# ---------------------------------------------------------------- inputs

def binary_payload(size, seed):
    return random.Random(seed).randbytes(size)


def text_payload(size, seed):
    """Readable text with CR LF line ends, some Latin-1 and "=" to escape."""
    rng = random.Random(seed + 1)
    words = [w.encode() for w in "the quick brown fox jumps over a lazy dog mail news attachment "
             "encoding decoder line text caf\xe9 na\xefve r\xe9sum\xe9 x=y 100% tab\there".split(" ")]
    words = [w.decode().encode("latin-1") for w in words]
    out, length = [], 0
    while length < size:
        line = b" ".join(rng.choice(words) for _ in range(rng.randint(3, 16))) + b"\r\n"
        out.append(line)
        length += len(line)
    return b"".join(out)[:size - 2] + b"\r\n"


# Characters per line of the long-line Base64 messages (multiples of four).
LONG_BASE64_LINES = (1400, 1500, 4000)
# Bytes per line of the long-line UU file: the largest count one UU symbol can give.
LONG_UU_BYTES = 63

UU_FROM_BASE64 = bytes.maketrans(
    b"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/=",
    b"`!\"#$%&'()*+,-./0123456789:;<=>?@ABCDEFGHIJKLMNOPQRSTUVWXYZ[\\]^_`")


def long_line_base64_message(data, width):
    """A single-part MIME message whose Base64 body has lines of `width` characters."""
    body = base64.b64encode(data)
    lines = b"\r\n".join(body[at:at + width] for at in range(0, len(body), width))
    return (b"From: a@example.org\r\nTo: b@example.org\r\nSubject: payload\r\nMIME-Version: 1.0\r\n"
            b"Content-Type: application/octet-stream; name=\"payload.bin\"\r\n"
            b"Content-Transfer-Encoding: base64\r\n"
            b"Content-Disposition: attachment; filename=\"payload.bin\"\r\n\r\n" + lines + b"\r\n")


def long_line_uu(data, per_line):
    """A UU file of `per_line`-byte lines (per_line a multiple of three, at most 63). UU
    and Base64 cut the same 6-bit groups, so the symbols are Base64's, translated; the
    zero bits of a short last group become the zero symbol."""
    out = [b"begin 644 payload.bin\n"]
    for at in range(0, len(data), per_line):
        chunk = data[at:at + per_line]
        out.append(bytes([32 + len(chunk)]) + base64.b64encode(chunk).translate(UU_FROM_BASE64) + b"\n")
    out.append(b"`\nend\n")
    return b"".join(out)


def make_inputs(folder, size, seed):
    data = binary_payload(size, seed)
    text = text_payload(size, seed)
    paths = {}

    def put(name, content):
        path = os.path.join(folder, name)
        with open(path, "wb") as f:
            f.write(content)
        return path

    paths["payload"] = put("payload.bin", data)
    paths["text"] = put("text.txt", text)

    msg = EmailMessage()
    msg["From"], msg["To"], msg["Subject"] = "a@example.org", "b@example.org", "payload"
    msg.set_content("See the attachment.\n")
    msg.add_attachment(data, maintype="application", subtype="octet-stream", filename="payload.bin")
    paths["b64"] = put("message-b64.eml", msg.as_bytes(policy=email.policy.SMTP))
    del msg

    paths["b64body"] = put("body.b64", base64.encodebytes(data))

    qp = EmailMessage()
    qp["From"], qp["To"], qp["Subject"] = "a@example.org", "b@example.org", "text"
    qp.set_content("See the attachment.\n")
    body = quopri.encodestring(text).replace(b"\n", b"\r\n").replace(b"\r\r\n", b"\r\n")
    qp.add_attachment(b"", maintype="text", subtype="plain", filename="text.txt")
    part = list(qp.iter_attachments())[0]
    del part["Content-Transfer-Encoding"]
    part["Content-Transfer-Encoding"] = "quoted-printable"
    head = qp.as_bytes(policy=email.policy.SMTP)
    # Put the encoded body in place of the empty one, before the closing delimiter.
    boundary = qp.get_boundary().encode()
    cut = head.rindex(b"--" + boundary + b"--")
    paths["qp"] = put("message-qp.eml", head[:cut].rstrip(b"\r\n") + b"\r\n\r\n" + body +
                      b"\r\n--" + boundary + b"--\r\n")
    del head, body

    for width in LONG_BASE64_LINES:
        message = long_line_base64_message(data, width)
        paths[f"b64-{width}"] = put(f"message-b64-{width}.eml", message)
        # The bare body with LF line ends, as base64 -d wants them (a CR is not Base64).
        body = message[message.index(b"\r\n\r\n") + 4:].replace(b"\r\n", b"\n")
        paths[f"b64body-{width}"] = put(f"body-{width}.b64", body)
        del message, body
    paths["uu-long"] = put("payload-long.uue", long_line_uu(data, LONG_UU_BYTES))

    with open(os.path.join(folder, "payload.uue"), "wb") as f:
        subprocess.run(["uuencode", "payload.bin", "payload.bin"], cwd=folder, stdout=f, check=True)
    paths["uu"] = os.path.join(folder, "payload.uue")
    with open(os.path.join(folder, "payload.hqx"), "wb") as f:
        subprocess.run(["binhex", "-d", "payload.bin"], cwd=folder, stdout=f, check=True)
    paths["hqx"] = os.path.join(folder, "payload.hqx")
    paths["yenc"] = yenc_parts(folder)
    return paths


def yenc_parts(folder):
    """The payload as a multi-part yEnc post made by uuenview: the part files in order."""
    parts = os.path.join(folder, "yenc-parts")
    os.makedirs(parts)
    subprocess.run(["uuenview", "-y", f"-{YENC_PART_LINES}", "-od", parts, "payload.bin"], cwd=folder,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, check=True)
    return [os.path.join(parts, name) for name in sorted(os.listdir(parts))]


# ---------------------------------------------------------------- running

CLOCK = "wall"


def run_timed(command, cwd, stdout=None):
    """Runs command under /usr/bin/time -v; returns (seconds, peak RSS in KiB, exit code),
    the seconds of the wall clock or, with --clock cpu, of user and system time."""
    report = os.path.join(cwd, ".time")
    with open(stdout, "wb") if stdout else open(os.devnull, "wb") as out:
        start = time.perf_counter()
        done = subprocess.run(["/usr/bin/time", "-v", "-o", report, *command], cwd=cwd,
                              stdout=out, stderr=subprocess.DEVNULL)
        elapsed = time.perf_counter() - start
    rss, cpu = 0, 0.0
    with open(report) as f:
        for line in f:
            if "Maximum resident set size" in line:
                rss = int(line.split(":")[1])
            elif line.strip().startswith(("User time", "System time")):
                cpu += float(line.split(":")[1])
    os.remove(report)
    # /usr/bin/time counts CPU time in hundredths: a floor keeps tiny runs finite.
    return (max(cpu, 0.005) if CLOCK == "cpu" else elapsed), rss, done.returncode


def fresh(folder, name):
    path = os.path.join(folder, name)
    shutil.rmtree(path, ignore_errors=True)
    os.makedirs(path)
    return path


def link_input(work, source):
    if isinstance(source, list):
        return [link_input(work, part) for part in source]
    target = os.path.join(work, os.path.basename(source))
    os.link(source, target) if os.stat(source).st_dev == os.stat(work).st_dev else shutil.copy(source, target)
    return target


def same_text(got, want):
    """Text outputs may keep CR LF or use the local LF line ends."""
    return got == want or got == want.replace(b"\r\n", b"\n")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def found(work, name):
    for root, _, files in os.walk(work):
        if name in files:
            return os.path.join(root, name)
    return None


def email_attachment(path):
    with open(path, "rb") as f:
        msg = email.message_from_binary_file(f, policy=email.policy.default)
    for part in msg.walk():
        if part.get_filename():
            return part.get_payload(decode=True)
    return None


# Decoders: (tool, format, input key, command builder, result reader); the first word of
# the format names the wanted output.
def decoders(kodra, command):
    py_email = ("import email,email.policy,sys\n"
                "m=email.message_from_binary_file(open(sys.argv[1],'rb'),policy=email.policy.default)\n"
                "for p in m.walk():\n"
                " n=p.get_filename()\n"
                " if n: open(n,'wb').write(p.get_payload(decode=True))\n")
    return [
        ("kodra", "base64", "b64", lambda i: [kodra, "decode", i], lambda w: found(w, "payload.bin")),
        ("ripmime", "base64", "b64", lambda i: ["ripmime", "-i", i, "-d", "out"], lambda w: found(w, "payload.bin")),
        ("munpack", "base64", "b64", lambda i: ["munpack", "-q", "-C", "out", i], lambda w: found(w, "payload.bin")),
        ("uudeview", "base64", "b64", lambda i: ["uudeview", "-i", "-o", "-q", "-p", "out/", i],
         lambda w: found(w, "payload.bin")),
        ("python email", "base64", "b64", lambda i: ["python3", "-c", py_email, i], lambda w: found(w, "payload.bin")),
        ("base64 -d (bare body)", "base64", "b64body", lambda i: ["sh", "-c", 'base64 -d "$0" > out/payload.bin', i],
         lambda w: found(w, "payload.bin")),
        ("kodra", "uu", "uu", lambda i: [kodra, "decode", i], lambda w: found(w, "payload.bin")),
        ("uudecode", "uu", "uu", lambda i: ["uudecode", "-o", "out/payload.bin", i], lambda w: found(w, "payload.bin")),
        ("uudeview", "uu", "uu", lambda i: ["uudeview", "-i", "-o", "-q", "-p", "out/", i],
         lambda w: found(w, "payload.bin")),
        ("kodra", "binhex", "hqx", lambda i: [kodra, "decode", i], lambda w: found(w, "payload.bin")),
        ("hexbin", "binhex", "hqx", lambda i: ["sh", "-c", 'cd out && hexbin -d "$0"', i],
         lambda w: found(w, "payload.bin.data") or found(w, "payload.data")),
        ("uudeview", "binhex", "hqx", lambda i: ["uudeview", "-i", "-o", "-q", "-p", "out/", i],
         lambda w: found(w, "payload.bin")),
        ("kodra", "quoted-printable", "qp", lambda i: [kodra, "decode", i], lambda w: found(w, "text.txt")),
        ("uudeview", "quoted-printable", "qp", lambda i: ["uudeview", "-i", "-o", "-q", "-p", "out/", i],
         lambda w: found(w, "text.txt")),
        ("munpack", "quoted-printable", "qp", lambda i: ["munpack", "-q", "-C", "out", i], lambda w: found(w, "text.txt")),
        ("ripmime", "quoted-printable", "qp", lambda i: ["ripmime", "-i", i, "-d", "out"], lambda w: found(w, "text.txt")),
        ("python email", "quoted-printable", "qp", lambda i: ["python3", "-c", py_email, i],
         lambda w: found(w, "text.txt")),
    ] + long_line_decoders(kodra, py_email) + yenc_decoders(command)


def yenc_decoders(command):
    """The multi-part yEnc rows: the parts are given together, in order."""
    payload = lambda w: found(w, "payload.bin")
    rows = [("uudeview", "yenc multi-part", "yenc", lambda parts: ["uudeview", "-i", "-o", "-q", "-p", "out/", *parts],
             payload)]
    if command:
        rows.insert(0, ("kodra", "yenc multi-part", "yenc", lambda parts: [command, "decode", "-C", "out", *parts],
                        payload))
    return rows


def long_line_decoders(kodra, py_email):
    payload = lambda w: found(w, "payload.bin")
    rows = []
    for width in LONG_BASE64_LINES:
        fmt, key = f"base64 {width}-char lines", f"b64-{width}"
        rows += [
            ("kodra", fmt, key, lambda i: [kodra, "decode", i], payload),
            ("ripmime", fmt, key, lambda i: ["ripmime", "-i", i, "-d", "out"], payload),
            ("munpack", fmt, key, lambda i: ["munpack", "-q", "-C", "out", i], payload),
            ("uudeview", fmt, key, lambda i: ["uudeview", "-i", "-o", "-q", "-p", "out/", i], payload),
            ("python email", fmt, key, lambda i: ["python3", "-c", py_email, i], payload),
            ("base64 -d (bare body)", fmt, f"b64body-{width}",
             lambda i: ["sh", "-c", 'base64 -d "$0" > out/payload.bin', i], payload),
        ]
    fmt = f"uu {LONG_UU_BYTES}-byte lines"
    rows += [
        ("kodra", fmt, "uu-long", lambda i: [kodra, "decode", i], payload),
        ("uudecode", fmt, "uu-long", lambda i: ["uudecode", "-o", "out/payload.bin", i], payload),
        ("uudeview", fmt, "uu-long", lambda i: ["uudeview", "-i", "-o", "-q", "-p", "out/", i], payload),
    ]
    return rows


def hexbin_data(path, folder):
    work = fresh(folder, "check-hexbin")
    subprocess.run(["hexbin", "-d", path], cwd=work, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    for name in os.listdir(work):
        if name.endswith(".data"):
            return read(os.path.join(work, name))
    return None


def uudecoded(path, folder):
    work = fresh(folder, "check-uu")
    subprocess.run(["uudecode", "-o", "out.bin", path], cwd=work, stderr=subprocess.DEVNULL)
    out = os.path.join(work, "out.bin")
    return read(out) if os.path.exists(out) else None


def base64_lines(path):
    lines = [l for l in read(path).splitlines() if re.fullmatch(rb"[A-Za-z0-9+/]+={0,2}", l)]
    return binascii.a2b_base64(b"".join(lines))


# Encoders: (tool, format, source key, command, output checker(path, folder) -> bytes).
def encoders(kodra):
    return [
        ("kodra", "base64", "payload", lambda s: [kodra, "encode", "2", s, "out.txt"], lambda p, f: email_attachment(p)),
        ("base64", "base64", "payload", lambda s: ["sh", "-c", 'base64 "$0" > out.txt', s], lambda p, f: base64_lines(p)),
        ("mpack", "base64", "payload", lambda s: ["mpack", "-s", "payload", "-o", "out.txt", s],
         lambda p, f: email_attachment(p)),
        ("kodra", "uu", "payload", lambda s: [kodra, "encode", "1", s, "out.txt"], uudecoded),
        ("uuencode", "uu", "payload", lambda s: ["sh", "-c", 'uuencode "$0" payload.bin > out.txt', s], uudecoded),
        ("kodra", "binhex", "payload", lambda s: [kodra, "encode", "3", s, "out.txt"], hexbin_data),
        ("binhex", "binhex", "payload", lambda s: ["sh", "-c", 'binhex -d "$0" > out.txt', s], hexbin_data),
        ("kodra", "quoted-printable", "text", lambda s: [kodra, "encode", "5", s, "out.txt"],
         lambda p, f: email_attachment(p)),
        ("python quopri", "quoted-printable", "text", lambda s: ["sh", "-c", 'python3 -m quopri < "$0" > out.txt', s],
         lambda p, f: quopri.decodestring(read(p))),
    ]


def measure(folder, name, command, runs, check):
    """Checks the first run's output, then times `runs` runs; None when the output is wrong."""
    times, rss = [], 0
    for attempt in range(runs + 1):
        work = fresh(folder, name)
        os.makedirs(os.path.join(work, "out"))
        elapsed, peak, code = run_timed(command(work), work)
        if attempt == 0:
            ok = code == 0 and check(work)
            shutil.rmtree(work, ignore_errors=True)
            if not ok:
                return None
            continue
        times.append(elapsed)
        rss = max(rss, peak)
        shutil.rmtree(work, ignore_errors=True)
    return statistics.median(times), rss


def decode_rows(folder, paths, size, runs, kodra, command, wanted):
    rows = []
    for tool, fmt, key, build, result in decoders(kodra, command):
        source = paths[key]
        want = wanted[fmt.split()[0]]

        def check(work, result=result, want=want, fmt=fmt):
            path = result(work)
            if path is None:
                return False
            got = read(path)
            return same_text(got, want) if fmt == "quoted-printable" else got == want

        def command(work, build=build, source=source):
            return build(link_input(work, source))

        rows.append((tool, "decode " + fmt, measure(folder, "run", command, runs, check)))
        progress(rows[-1], size)
    return rows


def encode_rows(folder, paths, size, runs, kodra, wanted):
    rows = []
    for tool, fmt, key, build, checker in encoders(kodra):
        source = paths[key]
        want = wanted["quoted-printable" if key == "text" else "base64"]

        def check(work, checker=checker, want=want, fmt=fmt):
            got = checker(os.path.join(work, "out.txt"), folder)
            return got is not None and (same_text(got, want) if fmt == "quoted-printable" else got == want)

        def command(work, build=build, source=source):
            return build(link_input(work, source))

        rows.append((tool, "encode " + fmt, measure(folder, "run", command, runs, check)))
        progress(rows[-1], size)
    return rows


def progress(row, size):
    tool, job, result = row
    speed = f"{size / MiB / result[0]:.1f} MiB/s" if result else "wrong output"
    print(f"  {tool} {job}: {speed}", file=sys.stderr, flush=True)


# The speed each job should reach against a reference peer: a named tool, or (None) the
# fastest tool that gave the right output.
GOALS = {
    "decode base64": ("base64 -d (bare body)", 3.5),
    "decode uu": ("uudecode", 3.0),
    "decode binhex": (None, 4.0),
    "decode quoted-printable": (None, 4.0),
    "decode yenc": ("uudeview", 3.0),
    "encode base64": ("base64", 2.5),
    "encode uu": ("uuencode", 2.5),
    "encode binhex": (None, 2.0),
    "encode quoted-printable": (None, 2.0),
}


def print_table(rows, size):
    kodra = {fmt: result[0] for tool, fmt, result in rows if tool == "kodra" and result}
    best = {}
    for tool, fmt, result in rows:
        if tool != "kodra" and result and not tool.startswith("base64 -d"):
            best[fmt] = min(best.get(fmt, float("inf")), result[0])
    print(f"\n{'tool':24} {'job':30} {'MiB/s':>9} {'Kodra x':>8} {'peak RSS':>10}   ({CLOCK} clock)")
    for tool, fmt, result in rows:
        if result is None:
            print(f"{tool:24} {fmt:30} {'wrong output (not timed)':>38}")
            continue
        seconds, rss = result
        speed = size / MiB / seconds
        ratio = result[0] / kodra[fmt] if fmt in kodra else float("nan")
        print(f"{tool:24} {fmt:30} {speed:9.1f} {ratio:8.2f} {rss / 1024:8.1f} MiB")
    print("\nKodra against its reference peer (the fastest correct one unless named):")
    print(f"  {'job':30} {'peer':22} {'ratio':>6} {'goal':>6}")
    for fmt, seconds in kodra.items():
        peer, goal = GOALS.get(fmt.split(" ")[0] + " " + fmt.split(" ")[1], (None, 2.0))
        if peer is not None:
            reference = next((r[0] for t, f, r in rows if f == fmt and r and t == peer), None)
        else:
            reference = best.get(fmt)
        if reference is None:
            continue
        ratio = reference / seconds
        mark = "" if ratio >= goal else "  below goal"
        print(f"  {fmt:30} {peer or 'fastest':22} {ratio:6.2f} {goal:6.2f}{mark}")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--size", type=int, default=64, help="payload size in MiB (default 64)")
    parser.add_argument("--runs", type=int, default=5, help="timed runs per tool (default 5)")
    parser.add_argument("--scaling", default="1,16,256", help="sizes in MiB of Kodra's scaling series ('' for none)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--clock", choices=("wall", "cpu"), default="wall",
                        help="time by the wall clock, or by user and system time (on a busy machine)")
    parser.add_argument("--tool", default=DEFAULT_TOOL, help="path of kodra_bench_tool")
    parser.add_argument("--command", default=DEFAULT_COMMAND,
                        help="path of the kodra command (the yEnc row; skipped when it is missing)")
    parser.add_argument("--tmp", default=None, help="parent folder of the temporary folder")
    parser.add_argument("--keep", action="store_true", help="keep the temporary folder")
    parser.add_argument("--setup-only", action="store_true")
    args = parser.parse_args()

    global CLOCK
    CLOCK = args.clock
    # A terminated run still removes its temporary folder.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    setup()
    if args.setup_only:
        return 0
    if not os.access(args.tool, os.X_OK):
        sys.exit(f"{args.tool} not found: build with 'cmake --preset default && cmake --build --preset default'")
    kodra = os.path.abspath(args.tool)
    command = os.path.abspath(args.command) if os.access(args.command, os.X_OK) else None
    if command is None:
        print(f"{args.command} not found: the yEnc row has uudeview only", file=sys.stderr)
    folder = tempfile.mkdtemp(prefix="kodra-compare-", dir=args.tmp)
    try:
        size = args.size * MiB
        print(f"payload {args.size} MiB, {args.runs} runs each, in {folder}", flush=True)
        paths = make_inputs(folder, size, args.seed)
        wanted = {"base64": read(paths["payload"]), "uu": read(paths["payload"]),
                  "binhex": read(paths["payload"]), "quoted-printable": read(paths["text"]),
                  "yenc": read(paths["payload"])}
        rows = decode_rows(folder, paths, size, args.runs, kodra, command, wanted)
        rows += encode_rows(folder, paths, size, args.runs, kodra, wanted)
        print_table(rows, size)
        del wanted

        sizes = [int(s) for s in args.scaling.split(",") if s.strip()]
        if sizes:
            print("\nKodra scaling (decode and encode, Base64 and UU): seconds, MiB/s, peak RSS")
            print(f"{'MiB':>6} {'job':22} {'seconds':>9} {'MiB/s':>8} {'peak RSS':>10}")
        for mib in sizes:
            sub = fresh(folder, f"scale-{mib}")
            scaled = make_scaling_inputs(sub, mib * MiB, args.seed)
            jobs = [("decode base64", [kodra, "decode", scaled["b64"]]),
                    ("decode uu", [kodra, "decode", scaled["uu"]]),
                    ("encode base64", [kodra, "encode", "2", scaled["payload"], os.path.join(sub, "o.txt")]),
                    ("encode uu", [kodra, "encode", "1", scaled["payload"], os.path.join(sub, "o.txt")])]
            for job, command in jobs:
                seconds, rss, _ = run_timed(command, sub)
                print(f"{mib:6} {job:22} {seconds:9.3f} {mib / seconds:8.1f} {rss / 1024:8.1f} MiB", flush=True)
                for leftover in (os.path.join(sub, "out", "payload.bin"), os.path.join(sub, "o.txt")):
                    if os.path.exists(leftover):
                        os.remove(leftover)
            shutil.rmtree(sub, ignore_errors=True)
    finally:
        if args.keep:
            print("kept", folder)
        else:
            shutil.rmtree(folder, ignore_errors=True)
    return 0


def make_scaling_inputs(folder, size, seed):
    """A Base64 message and a UU file, written in pieces so that memory stays small."""
    rng = random.Random(seed)
    payload = os.path.join(folder, "payload.bin")
    out = os.path.join(folder, "out")
    os.makedirs(out)
    b64 = os.path.join(out, "message-b64.eml")
    uu = os.path.join(out, "payload.uue")
    chunk = 57 * 16384
    with open(payload, "wb") as p, open(b64, "wb") as b, open(uu, "wb") as u:
        b.write(b"MIME-Version: 1.0\r\nContent-Type: application/octet-stream; name=\"payload.bin\"\r\n"
                b"Content-Transfer-Encoding: base64\r\n\r\n")
        u.write(b"begin 644 payload.bin\n")
        left = size
        while left > 0:
            n = min(chunk, left)
            data = rng.randbytes(n)
            left -= n
            p.write(data)
            b.write(base64.encodebytes(data).replace(b"\n", b"\r\n"))
            for at in range(0, n, 45):
                u.write(binascii.b2a_uu(data[at:at + 45], backtick=True))
        u.write(b"`\nend\n")
    return {"payload": payload, "b64": b64, "uu": uu}


if __name__ == "__main__":
    sys.exit(main())
