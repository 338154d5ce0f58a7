#!/usr/bin/env python3
"""Archive extraction benchmark: kodra extract (1 and 2 jobs), kodra.dask and Python's email.

Generates a seeded archive (or reuses the one made before with the same parameters), runs

  - kodra extract --jobs 1 --by-hash --manifest FILE -o OUT ARCHIVE
  - kodra extract --jobs 2 (the same)
  - kodra.dask.extract on a LocalCluster of 2 worker processes of 1 thread each
  - python_extract.py (mailbox + email with policy default)

checks that the results agree, and prints a Markdown table: seconds, messages/s, MiB/s of
archive, peak RSS per worker, and the goals (1 job >= 20x Python, 2 jobs >= 1.8x 1 job,
Dask within 25 % of 2 jobs).

    bench/archive/compare_archive.py                          20 000 messages, about 1 GiB
    bench/archive/compare_archive.py --messages 500 --size 32  a quick run
    bench/archive/compare_archive.py --smoke                  tiny, for a check that all of it runs
    bench/archive/compare_archive.py --maildir                the same messages as a Maildir

Agreement: Kodra's three runs must give the same records (all but "input") and the same
stored files, each file named by the SHA-256 of its bytes. Python is compared on the set
of SHA-256 per message (mbox offset or Maildir file), with Kodra's parts reduced to what
Python counts as an attachment (a file name, or a type that is not text/*); the rest is
listed as differences of definition, not failures.

The archive is kept in --archive-dir (default: the system's temporary folder) for the next
run; the outputs go to a temporary folder removed at the end (--keep leaves it).
"""

import argparse
import collections
import hashlib
import json
import os
import resource
import shutil
import signal
import subprocess
import sys
import tempfile
import time

MiB = 1 << 20
HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
DEFAULT_KODRA = os.path.join(ROOT, "build", "default", "cli", "kodra")
LIBRARY_DIR = os.path.join(ROOT, "build", "default", "codec")

sys.path.insert(0, HERE)
sys.dont_write_bytecode = True  # leaves no cache folder in the source tree
import make_archive  # noqa: E402  (beside this script)

# ---------------------------------------------------------------- setup


def setup(args, tools):
    """Installs Dask for the workers from Debian's packages when it is missing."""
    missing = []
    if "dask" in tools and args.python == "/usr/bin/python3":
        probe = subprocess.run([args.python, "-c", "import dask.distributed, psutil"], capture_output=True)
        if probe.returncode != 0:
            missing += ["python3-dask", "python3-distributed", "python3-psutil"]
    if not missing:
        return
    print("installing:", " ".join(missing), file=sys.stderr, flush=True)
    env = dict(os.environ, DEBIAN_FRONTEND="noninteractive")
    subprocess.run(["apt-get", "update", "-qq"], check=True, env=env)
    subprocess.run(["apt-get", "install", "-y", "-qq", *missing], check=True, env=env)


# ---------------------------------------------------------------- the archive


def archive_paths(args):
    folder = args.archive_dir or tempfile.gettempdir()
    stem = os.path.join(folder, f"kodra-archive-s{args.seed}-m{args.messages}-{args.size:g}MiB")
    return stem + ".mbox", stem + ".maildir"


def ensure_archive(args):
    """The archive's path (mbox or Maildir) and its summary, generated when missing."""
    mbox, maildir = archive_paths(args)
    summary = None
    if os.path.exists(mbox + ".json") and os.path.exists(mbox):
        with open(mbox + ".json") as f:
            summary = json.load(f)
        if summary.get("mbox_bytes") != os.path.getsize(mbox) or (args.maildir and not summary.get("maildir")):
            summary = None
    if summary is None:
        print(f"generating {mbox}{' and ' + maildir if args.maildir else ''} ...", file=sys.stderr, flush=True)
        shutil.rmtree(maildir, ignore_errors=True)
        started = time.perf_counter()
        summary = make_archive.generate(args.seed, args.messages, int(args.size * MiB), mbox,
                                        maildir if args.maildir else None)
        print(f"  made in {time.perf_counter() - started:.1f} s", file=sys.stderr, flush=True)
    path = maildir if args.maildir else mbox
    summary["input_bytes"] = tree_bytes(path) if args.maildir else summary["mbox_bytes"]
    return path, summary


def tree_bytes(folder):
    return sum(os.path.getsize(os.path.join(root, name)) for root, _, names in os.walk(folder) for name in names)


def warm(path):
    """Reads the archive once so that every tool starts with it in the page cache."""
    files = [path] if os.path.isfile(path) else [os.path.join(r, n) for r, _, ns in os.walk(path) for n in ns]
    for name in files:
        with open(name, "rb") as f:
            while f.read(8 * MiB):
                pass


# ---------------------------------------------------------------- running


def run_timed(command, env=None):
    """Runs command: (wall seconds, CPU seconds, peak RSS in KiB, exit code, its standard error), the
    CPU time and RSS from the child's own resource usage (wait4)."""
    with tempfile.TemporaryFile() as errors:
        started = time.perf_counter()
        child = subprocess.Popen(command, env=env, stdout=subprocess.DEVNULL, stderr=errors)
        _, status, usage = os.wait4(child.pid, 0)
        wall = time.perf_counter() - started
        child.returncode = os.waitstatus_to_exitcode(status)
        errors.seek(0)
        text = errors.read().decode(errors="replace")
    return wall, usage.ru_utime + usage.ru_stime, usage.ru_maxrss, child.returncode, text


class Result:
    def __init__(self, tool, wall=None, cpu=None, rss_kib=None, records=None, output=None, error=None, note=""):
        self.tool, self.wall, self.cpu, self.rss_kib = tool, wall, cpu, rss_kib
        self.records, self.output, self.error, self.note = records, output, error, note


def read_records(path):
    if not path or not os.path.exists(path):
        return None
    with open(path, encoding="utf-8") as f:
        return [json.loads(line) for line in f if line.strip()]


def run_kodra(args, work, archive, jobs):
    out = os.path.join(work, f"kodra-jobs{jobs}")
    manifest = os.path.join(work, f"kodra-jobs{jobs}.jsonl")
    command = [args.kodra, "extract", "-o", out, "--jobs", str(jobs), "--by-hash", "--manifest", manifest, archive]
    wall, cpu, rss, code, err = run_timed(command)
    tool = f"kodra extract --jobs {jobs}"
    if code != 0:
        return Result(tool, error=f"exit {code}: {err.strip()[-400:]}")
    return Result(tool, wall, cpu, rss, read_records(manifest), out, note="one process")


def has_extract(kodra):
    return subprocess.run([kodra, "extract", "--help"], stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL).returncode == 0


def python_env(args):
    env = dict(os.environ)
    env["PYTHONPATH"] = os.pathsep.join(p for p in (os.path.join(ROOT, "python"), env.get("PYTHONPATH")) if p)
    env["LD_LIBRARY_PATH"] = os.pathsep.join(p for p in (LIBRARY_DIR, env.get("LD_LIBRARY_PATH")) if p)
    env.setdefault("KODRA_LIBRARY", os.path.join(LIBRARY_DIR, "libkodra32.so"))
    env.setdefault("KODRA_COMMAND", args.kodra)
    return env


def run_dask(args, work, archive):
    out = os.path.join(work, "dask")
    manifest = os.path.join(work, "dask.jsonl")
    returned = os.path.join(work, "dask-returned.jsonl")
    command = [args.python, os.path.join(HERE, "dask_extract.py"), archive, out, "--manifest", manifest,
               "--records", returned, "--workers", "2"]
    done = subprocess.run(command, env=python_env(args), stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    tool = "kodra.dask (2 workers)"
    if done.returncode != 0:
        return Result(tool, error=f"exit {done.returncode}: {done.stderr.decode(errors='replace').strip()[-600:]}")
    report = json.loads(done.stdout.decode().strip().splitlines()[-1])
    workers = report["workers"]
    rss = max((w["max_rss_kib"] for w in workers), default=0)
    polled = max((w["polled_rss_kib"] or 0 for w in workers), default=0)
    cpu = sum(w["cpu"] for w in workers)
    records = read_records(manifest)
    note = f"cluster start {report['startup']:.1f} s not counted; polled RSS {polled / 1024:.0f} MiB"
    if records is None:
        records = read_records(returned)
        note += "; no manifest file, records as returned"
    else:
        returned_records = read_records(returned)
        if returned_records is not None and strip_input(returned_records) != strip_input(records):
            note += "; returned records differ from the manifest"
    return Result(tool, report["seconds"], cpu, rss, records, out, note=note)


def run_python(args, work, archive):
    out = os.path.join(work, "python")
    records = os.path.join(work, "python.jsonl")
    command = [args.python, os.path.join(HERE, "python_extract.py"), archive, out, "--records", records, "--mboxrd"]
    if args.python_uu:
        command.append("--uu-bodies")
    wall, cpu, rss, code, err = run_timed(command)
    tool = "Python mailbox + email"
    if code != 0:
        return Result(tool, error=f"exit {code}: {err.strip()[-400:]}")
    return Result(tool, wall, cpu, rss, read_records(records), out, note="UU blocks in bodies too" if args.python_uu
                  else "attachments of the MIME structure")


# ---------------------------------------------------------------- agreement


def strip_input(records):
    return [{k: v for k, v in r.items() if k != "input"} for r in records]


def message_key(record):
    return record.get("file") if record.get("offset") is None else record.get("offset")


def sha_sets(records, keep=lambda r: True):
    sets = collections.defaultdict(set)
    for r in records:
        if r.get("sha256") and keep(r):
            sets[message_key(r)].add(r["sha256"])
    return sets


def stored_files(folder):
    """{relative path: size} of every file under folder."""
    found = {}
    for root, _, names in os.walk(folder):
        for name in names:
            path = os.path.join(root, name)
            found[os.path.relpath(path, folder).replace(os.sep, "/")] = os.path.getsize(path)
    return found


def check_by_hash(folder, files):
    """Names of stored files whose bytes do not hash to their name."""
    wrong = []
    for relative in files:
        digest = hashlib.sha256()
        with open(os.path.join(folder, relative), "rb") as f:
            for block in iter(lambda: f.read(4 * MiB), b""):
                digest.update(block)
        head, _, name = relative.rpartition("/")
        if name != digest.hexdigest() or head != name[:2]:
            wrong.append(relative)
    return wrong


def kodra_agreement(results, lines):
    """Checks Kodra's runs against the first one; True when they agree."""
    ok = True
    runs = [r for r in results if r.records is not None]
    if not runs:
        return False
    base = runs[0]
    base_files = stored_files(base.output)
    wrong = check_by_hash(base.output, base_files)
    missing = sorted({r["path"] for r in base.records if r.get("path")} - set(base_files))
    statuses = collections.Counter(r.get("status") for r in base.records)
    encodings = collections.Counter(r.get("encoding") for r in base.records if r.get("sha256"))
    lines.append(f"- {base.tool}: {len(base.records)} records ("
                 + ", ".join(f"{count} {status}" for status, count in statuses.most_common()) + "; "
                 + ", ".join(f"{count} {encoding}" for encoding, count in encodings.most_common())
                 + f"), {len(base_files)} stored files ({sum(base_files.values()) / MiB:.1f} MiB)")
    if wrong:
        ok = False
        lines.append(f"  - FAIL: {len(wrong)} stored files are not named by their SHA-256, e.g. {wrong[0]}")
    if missing:
        ok = False
        lines.append(f"  - FAIL: {len(missing)} manifest paths were not written, e.g. {missing[0]}")
    for run in runs[1:]:
        same_records = strip_input(run.records) == strip_input(base.records)
        same_sets = sha_sets(run.records) == sha_sets(base.records)
        same_files = stored_files(run.output) == base_files
        verdict = "identical" if same_records and same_files else "FAIL"
        lines.append(f"- {run.tool} against {base.tool}: records {'same' if same_records else 'DIFFERENT'}, "
                     f"SHA-256 per message {'same' if same_sets else 'DIFFERENT'}, "
                     f"stored files {'same' if same_files else 'DIFFERENT'}: {verdict}")
        if not same_records:
            ok = False
            for a, b in zip(strip_input(run.records), strip_input(base.records)):
                if a != b:
                    lines.append(f"  - first difference: {json.dumps(a, ensure_ascii=False)[:300]}")
                    lines.append(f"    against:          {json.dumps(b, ensure_ascii=False)[:300]}")
                    break
            else:
                lines.append(f"  - {len(run.records)} records against {len(base.records)}")
        if not same_files:
            ok = False
    return ok


def is_attachment(record):
    """What Python's equivalent counts: a part with a file name, or one whose type is not text."""
    kind = record.get("type") or ""
    return bool(record.get("name")) or (kind and not kind.startswith("text/"))


def python_agreement(kodra, python, lines):
    k_all = sha_sets(kodra.records)
    k_att = sha_sets(kodra.records, is_attachment)
    p_sets = sha_sets(python.records)
    by_sha = {}
    for r in kodra.records:
        if r.get("sha256"):
            by_sha.setdefault((message_key(r), r["sha256"]), r)
    p_by_sha = {(message_key(r), r["sha256"]): r for r in python.records}
    keys = set(k_att) | set(p_sets)
    same = sum(1 for key in keys if k_att.get(key, set()) == p_sets.get(key, set()))
    common = sum(len(k_att.get(key, set()) & p_sets.get(key, set())) for key in keys)
    lines.append(f"- Python against {kodra.tool}: {same} of {len(keys)} messages with attachments have the same "
                 f"SHA-256 set; {common} parts in common")
    kodra_only = collections.Counter()
    examples = {}
    for key in keys:
        for sha in k_att.get(key, set()) - p_sets.get(key, set()):
            r = by_sha[(key, sha)]
            label = f"only Kodra: {r.get('encoding')} {r.get('type')}"
            kodra_only[label] += 1
            examples.setdefault(label, r)
        for sha in p_sets.get(key, set()) - k_all.get(key, set()):
            r = p_by_sha[(key, sha)]
            label = f"only Python: {r.get('type')}"
            kodra_only[label] += 1
            examples.setdefault(label, r)
        for sha in (p_sets.get(key, set()) & k_all.get(key, set())) - k_att.get(key, set()):
            label = "Python's attachment is a Kodra text part without a name"
            kodra_only[label] += 1
            examples.setdefault(label, by_sha[(key, sha)])
    if not kodra_only:
        lines.append("  - no differences")
    for label, count in kodra_only.most_common():
        r = examples[label]
        where = f"offset {r.get('offset')}" if r.get("offset") is not None else f"file {r.get('file')}"
        lines.append(f"  - {label}: {count} (e.g. {where}, part {r.get('part')}, name {r.get('name')!r}, "
                     f"{r.get('size')} bytes)")
    uu = sum(c for label, c in kodra_only.items() if "uuencode" in label)
    if uu:
        lines.append("    (UU blocks inside plain bodies are text to the email package: a difference of definition;"
                     " --python-uu decodes them too)")


# ---------------------------------------------------------------- report


GOALS = (
    ("kodra extract --jobs 1", "Python mailbox + email", 20.0, "1 job against Python", "clock"),
    ("kodra extract --jobs 2", "kodra extract --jobs 1", 1.8, "2 jobs against 1 job", "wall"),
)


def print_report(results, summary, args, agreement):
    mib = summary["input_bytes"] / MiB
    count = summary["messages"]
    print(f"\n## Archive extraction: {count} messages, {mib:.1f} MiB "
          f"({'Maildir' if args.maildir else 'mbox'}, seed {args.seed}; {summary['attachments']} attachments, "
          f"{summary['duplicates']} duplicates, {summary['uu_files']} UU files)\n")
    print("### Agreement\n")
    print("\n".join(agreement))
    print(f"\n### Speed ({args.clock} clock)\n")
    print("| tool | seconds (wall) | CPU seconds | messages/s | MiB/s | peak RSS per worker | note |")
    print("|---|---:|---:|---:|---:|---:|---|")
    for r in results:
        if r.error:
            print(f"| {r.tool} | | | | | | failed: {r.error.replace('|', '/').splitlines()[-1][:200]} |")
            continue
        seconds = r.wall if args.clock == "wall" else r.cpu
        print(f"| {r.tool} | {r.wall:.2f} | {r.cpu:.2f} | {count / seconds:,.0f} | {mib / seconds:.1f} | "
              f"{r.rss_kib / 1024:.0f} MiB | {r.note} |")
    timed = {r.tool: r for r in results if not r.error}
    print("\n### Goals\n")
    print("| ratio | value | goal | met |")
    print("|---|---:|---:|---|")
    for fast, slow, goal, label, clock in GOALS:
        if fast in timed and slow in timed:
            use = args.clock if clock == "clock" else "wall"
            value = getattr(timed[slow], use) / getattr(timed[fast], use)
            print(f"| {label} ({use}) | {value:.2f}x | >= {goal:g}x | {'yes' if value >= goal else 'no'} |")
    dask, two = timed.get("kodra.dask (2 workers)"), timed.get("kodra extract --jobs 2")
    if dask and two:
        value = dask.wall / two.wall
        print(f"| Dask against 2 jobs (wall) | {value:.2f}x the time | <= 1.25x | {'yes' if value <= 1.25 else 'no'} |")
    if args.clock == "cpu":
        print("\nThe parallel ratios are always by the wall clock: CPU time does not show parallelism.")


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--messages", type=int, default=20000, help="messages in the archive (default 20000)")
    parser.add_argument("--size", type=float, default=1024, help="about this many MiB (default 1024)")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--maildir", action="store_true", help="extract from a Maildir of the same messages")
    parser.add_argument("--smoke", action="store_true",
                        help="a tiny archive (60 messages, 2 MiB); exit 77 when the command has no extract")
    parser.add_argument("--tools", default="jobs1,jobs2,dask,python",
                        help="which runs, comma-separated (default jobs1,jobs2,dask,python)")
    parser.add_argument("--clock", choices=("wall", "cpu"), default="wall",
                        help="time by the wall clock, or by user and system time (on a busy machine)")
    parser.add_argument("--kodra", default=DEFAULT_KODRA, help="path of the kodra command")
    parser.add_argument("--python", default="/usr/bin/python3",
                        help="interpreter for the Python equivalent and the Dask workers (default /usr/bin/python3)")
    parser.add_argument("--python-uu", action="store_true", help="let the Python equivalent decode UU blocks too")
    parser.add_argument("--archive-dir", default=None, help="where the archive is made and kept")
    parser.add_argument("--tmp", default=None, help="parent folder of the outputs' temporary folder")
    parser.add_argument("--keep", action="store_true", help="keep the outputs")
    args = parser.parse_args()
    if args.smoke:
        args.messages, args.size = 60, 2
    tools = {t.strip() for t in args.tools.split(",") if t.strip()}

    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    setup(args, tools)
    if not os.access(args.kodra, os.X_OK) and tools & {"jobs1", "jobs2"}:
        sys.exit(f"{args.kodra} not found: build with 'cmake --preset default && cmake --build --preset default'")
    if tools & {"jobs1", "jobs2"} and not has_extract(args.kodra):
        print(f"{args.kodra} has no extract command", file=sys.stderr)
        return 77 if args.smoke else 1
    if args.archive_dir:
        os.makedirs(args.archive_dir, exist_ok=True)
    archive, summary = ensure_archive(args)
    warm(archive)
    work = tempfile.mkdtemp(prefix="kodra-archive-bench-", dir=args.tmp)
    try:
        results = []
        steps = [("jobs1", lambda: run_kodra(args, work, archive, 1)),
                 ("jobs2", lambda: run_kodra(args, work, archive, 2)),
                 ("dask", lambda: run_dask(args, work, archive)),
                 ("python", lambda: run_python(args, work, archive))]
        for name, step in steps:
            if name not in tools:
                continue
            result = step()
            results.append(result)
            state = result.error or f"{result.wall:.2f} s wall, {result.cpu:.2f} s CPU"
            print(f"  {result.tool}: {state}", file=sys.stderr, flush=True)

        agreement = []
        kodra_runs = [r for r in results if not r.error and r.tool != "Python mailbox + email"]
        kodra_ok = kodra_agreement(kodra_runs, agreement) if kodra_runs else True
        python = next((r for r in results if not r.error and r.tool == "Python mailbox + email"), None)
        if python and kodra_runs and kodra_runs[0].records is not None and python.records is not None:
            python_agreement(kodra_runs[0], python, agreement)
        for r in results:
            if r.error:
                agreement.append(f"- {r.tool}: did not run ({r.error.splitlines()[-1][:200] if r.error else ''})")
        print_report(results, summary, args, agreement)
        if args.keep:
            children = resource.getrusage(resource.RUSAGE_CHILDREN)
            print(f"\n(all children: {children.ru_utime + children.ru_stime:.1f} s CPU; outputs in {work})")
        return 0 if kodra_ok and not any(r.error for r in results) else 1
    finally:
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
