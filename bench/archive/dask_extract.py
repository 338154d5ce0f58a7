#!/usr/bin/env python3
"""Runs kodra.dask.extract on a local Dask cluster and reports its time and memory as JSON.

Started by compare_archive.py with the interpreter the cluster's workers should use, and
with the project's python/ folder on PYTHONPATH:

    dask_extract.py INPUT OUTPUT --manifest FILE --records FILE [--workers 2]

The cluster (worker processes of one thread each) is up before the clock starts; its
start-up time is reported apart. Each worker's peak RSS comes from its own getrusage
and, as a check, from polling its RSS while the job runs.
"""

import argparse
import json
import os
import sys
import threading
import time


def worker_rusage():
    import resource
    usage = resource.getrusage(resource.RUSAGE_SELF)
    return {"pid": os.getpid(), "max_rss_kib": usage.ru_maxrss, "cpu": time.process_time()}


class RssPoller(threading.Thread):
    """Samples the RSS of the given processes until stopped; keeps each one's peak."""

    def __init__(self, pids, interval=0.05):
        super().__init__(daemon=True)
        import psutil
        self.processes = {pid: psutil.Process(pid) for pid in pids}
        self.peaks = {pid: 0 for pid in pids}
        self.interval = interval
        self.done = threading.Event()

    def run(self):
        while not self.done.is_set():
            for pid, process in self.processes.items():
                try:
                    self.peaks[pid] = max(self.peaks[pid], process.memory_info().rss)
                except Exception:  # a worker that went away keeps its last peak
                    pass
            self.done.wait(self.interval)


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("input")
    parser.add_argument("output")
    parser.add_argument("--manifest", default=None)
    parser.add_argument("--records", default=None, help="JSON Lines file of the records the call returns")
    parser.add_argument("--workers", type=int, default=2)
    args = parser.parse_args()

    from dask.distributed import Client, LocalCluster
    import kodra.dask

    started = time.perf_counter()
    cluster = LocalCluster(n_workers=args.workers, threads_per_worker=1, processes=True,
                           dashboard_address=None)
    client = Client(cluster)
    client.wait_for_workers(args.workers)
    startup = time.perf_counter() - started
    before = client.run(worker_rusage)
    poller = None
    try:
        poller = RssPoller([info["pid"] for info in before.values()])
        poller.start()
    except ImportError:
        poller = None

    started = time.perf_counter()
    records = kodra.dask.extract([args.input], args.output, manifest_url=args.manifest, client=client)
    elapsed = time.perf_counter() - started

    if poller:
        poller.done.set()
        poller.join()
    after = client.run(worker_rusage)
    workers = []
    for address, info in after.items():
        workers.append({"address": address, "pid": info["pid"], "max_rss_kib": info["max_rss_kib"],
                        "polled_rss_kib": (poller.peaks.get(info["pid"], 0) // 1024) if poller else None,
                        "cpu": info["cpu"] - before.get(address, {"cpu": 0})["cpu"]})
    count = 0
    if args.records:
        with open(args.records, "w", encoding="utf-8") as f:
            for record in records or []:
                f.write(json.dumps(dict(record), ensure_ascii=False) + "\n")
                count += 1
    client.close()
    cluster.close()
    json.dump({"seconds": elapsed, "startup": startup, "records": count, "workers": workers}, sys.stdout)
    sys.stdout.write("\n")
    return 0


if __name__ == "__main__":
    sys.exit(main())
