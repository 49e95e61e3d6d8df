"""Times vdacheck.archive on a Dask cluster against the tool on the same archive, turn about, in one run.

    PYTHONPATH=build/release/python /usr/bin/python3 bench/archive_bench.py TOOL ARCHIVE SMALL [--scheduler ADDR]

TOOL is the vdacheck tool, ARCHIVE a folder of models, SMALL a folder of many small ones. Without --scheduler a
local cluster of two worker processes is started (and its start timed). Prints medians of wall and CPU time
(the workers' and the client's) of `check --format json` by the archive and by `TOOL check --jobs 2`, the cost
of a task (SMALL one file per task against SMALL in batches), and the workers' peak memory.
"""

import argparse
import resource
import statistics
import subprocess
import time

from vdacheck import archive


def worker_cpu(client) -> float:
    def cpu() -> float:
        r = resource.getrusage(resource.RUSAGE_SELF)
        return r.ru_utime + r.ru_stime

    return sum(client.run(cpu).values())


def timed(client, args, batch_bytes=archive.BATCH_BYTES):
    """Wall seconds, and CPU seconds of the workers and of this process, of one archive run."""
    before, mine = worker_cpu(client), time.process_time()
    start = time.monotonic()
    run = archive.Run(args, batch_bytes)
    for _ in run.outcomes(client):
        pass
    return time.monotonic() - start, worker_cpu(client) - before, time.process_time() - mine


def tool_time(tool, folder):
    start = time.monotonic()
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    subprocess.run([tool, "check", folder, "--jobs", "2", "--format", "json"], stdout=subprocess.DEVNULL, check=False)
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = after.ru_utime - before.ru_utime + after.ru_stime - before.ru_stime
    return time.monotonic() - start, cpu


def main() -> None:
    parser = argparse.ArgumentParser()
    parser.add_argument("tool")
    parser.add_argument("archive")
    parser.add_argument("small")
    parser.add_argument("--scheduler")
    parser.add_argument("-n", type=int, default=5)
    options = parser.parse_args()
    start = time.monotonic()
    from distributed import Client

    with archive.cluster(Client(options.scheduler) if options.scheduler else None, 2) as client:
        print(f"cluster ready after {time.monotonic() - start:.2f} s")
        idle = client.run(lambda: resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
        print("worker memory before any task:", ", ".join(f"{kb / 1024:.0f} MiB" for kb in idle.values()))
        args = ["check", "--format", "json", "--", options.archive]
        rows = {"archive": [], "tool --jobs 2": [], "small, one file per task": [], "small, in batches": []}
        for _ in range(options.n):
            rows["archive"].append(timed(client, args))
            rows["tool --jobs 2"].append(tool_time(options.tool, options.archive))
            small = ["check", "--format", "json", "--", options.small]
            rows["small, one file per task"].append(timed(client, small, 1))
            rows["small, in batches"].append(timed(client, small))
        for name, runs in rows.items():
            columns = zip(*runs)
            print(f"{name:26}", "  ".join(f"{statistics.median(c):7.3f}" for c in columns),
                  "(median wall s, CPU s of the workers or the tool, CPU s of the client)")
        tasks = len(archive.Run(small).inputs)
        pairs = list(zip(rows["small, one file per task"], rows["small, in batches"]))
        wall = statistics.median(a[0] - b[0] for a, b in pairs) / tasks
        cpu = statistics.median(a[1] + a[2] - b[1] - b[2] for a, b in pairs) / tasks
        print(f"per task: {wall * 1e3:.1f} ms of wall time on the cluster, {cpu * 1e3:.1f} ms of CPU ({tasks} tasks)")
        peaks = client.run(lambda: resource.getrusage(resource.RUSAGE_SELF).ru_maxrss)
        print("worker peak memory:", ", ".join(f"{kb / 1024:.0f} MiB" for kb in peaks.values()))


if __name__ == "__main__":
    main()
