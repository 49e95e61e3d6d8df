"""vdacheck.archive: the tool's commands over an archive of VDA-FS files, spread over the workers of a Dask cluster.

    from vdacheck import archive
    result = archive.check(["archive"])              # a local cluster of processes, closed afterwards
    result.lines                                     # the tool's JSON report: one line per file read, in its order
    result.frame                                     # pandas: one row per problem or finding, one per failed file
    result.status                                    # the tool's exit status: 0 clean, 1 problems, 2 failed files
    client = distributed.Client("tcp://host:8786")   # a running scheduler (dask-scheduler, dask-worker)
    archive.repair(["archive"], output_dir="repaired", client=client)

Folders are walked as the tool walks them (*.vda and *.vdafs in any case, subfolders, in sorted order) and every
file is worked on by the tool's own code in a worker: its report line is the one `vdacheck check --format json`
writes, byte for byte. Files are sent in batches of about `batch_bytes` bytes (a few hundred milliseconds of work
each, so that a task's overhead stays small); a batch whose worker dies is run again one file per task, so that a
file that kills its worker costs that file only. A file too large for a worker's memory limit is reported and not
read. Workers read the paths as given: on a cluster of several machines, name the files by paths every machine
sees (an absolute path on a shared file system).
"""

from __future__ import annotations

import contextlib
import json
import os
import queue
import re
import time
from typing import Any, Iterator, Optional, Sequence, Union

from vdacheck.archive._archive import _archive_plan, _archive_process, _archive_summary, _ArchiveProgress

_PathLike = Union[str, "os.PathLike[str]"]

# The tool's commands on many files that an archive run takes; a command the library gains is one more name.
COMMANDS = ("check", "fix", "repair", "heal")

# A task's share of the archive: about 200 ms of checking on one core. A file counts at least FILE_BYTES (opening
# and reading it, its report, the task's share of it), so that a task of small files is no shorter.
BATCH_BYTES = 32 << 20
FILE_BYTES = 256 << 10
# Memory a model takes while it is worked on, per byte of its file: a file whose model would not fit in the
# worker's memory limit is reported and not read.
MEMORY_PER_BYTE = 3.0

# An outcome, as _archive_process gives it: (status, state, file, out, err, bytes, seconds, [(rule, count)]).
# state is "clean", "problems", "unreadable", "unwritten", or here "failed" (the worker could not work on it).
Outcome = tuple


class ArchiveResult:
    """What a run over an archive gives: the tool's report and messages, file by file in the tool's order."""

    def __init__(self, outcomes: list[Outcome], summary: str, report_format: str):
        self.outcomes = outcomes
        self.summary = summary  # the tool's summary of a run of several files (a JSON line, or text); else ""
        self._format = report_format
        self._frame: Any = None

    @property
    def lines(self) -> list[str]:
        """The report of every file that could be read (format json: one JSON line each, without the summary)."""
        return [line for o in self.outcomes for line in o[3].splitlines()]

    @property
    def messages(self) -> str:
        """What the tool writes to standard error: reader errors, save errors, files the workers could not take."""
        return "".join(o[4] for o in self.outcomes)

    @property
    def status(self) -> int:
        """The tool's exit status: 0 nothing that fails is left, 1 problems remain, 2 a file failed or was not saved."""
        return max((o[0] for o in self.outcomes), default=0)

    @property
    def frame(self):
        """pandas.DataFrame: one row per reader warning, problem, repaired problem and quality finding (kind
        "warning", "error", "fixed", "finding"), and one per file not read or not saved (kind "unreadable",
        "failed" or "unwritten", with the reason). Needs format "json"."""
        if self._format != "json":
            raise ValueError("the frame is made from the JSON report: run with format='json'")
        if self._frame is None:
            self._frame = _frame(self.outcomes)
        return self._frame


def check(paths: Sequence[_PathLike], client=None, quality: Union[None, bool, _PathLike] = None,
          command: str = "check", output_dir: Optional[_PathLike] = None, *, profile: Optional[_PathLike] = None,
          clean: bool = False, threads: int = 0, workers: Optional[int] = None, batch_bytes: int = BATCH_BYTES,
          format: str = "json", progress: bool = False) -> ArchiveResult:
    """Runs `vdacheck COMMAND PATH... --format FORMAT` over the files of `paths` on the Dask `client` (by default a
    local cluster of `workers` processes, one per core, closed afterwards) and returns the ArchiveResult.

    `command` is one of COMMANDS; fix, repair and heal save each model under `output_dir` as the tool's
    --output-dir does (`clean` is fix --clean). `quality` (True, or a profile file) and `profile` (a file the
    workers can read) are the tool's --quality[=PROFILE] and --profile, `threads` its --threads (0: each file read
    on its task's thread).
    ValueError for what the tool refuses as a command line, vdacheck.ProfileError for a profile it refuses; both
    before any file is read. `progress` shows the tool's progress bar on standard error when it is a terminal."""
    args = command_line(command, paths, quality=quality, profile=profile, output_dir=output_dir, clean=clean,
                        threads=threads, report_format=format)
    start = time.monotonic()
    run = Run(args, batch_bytes=batch_bytes)
    with cluster(client, workers) as c:
        outcomes = list(run.outcomes(c, _ArchiveProgress(len(run.inputs), run.bytes) if progress else None))
    return ArchiveResult(outcomes, run.summary(outcomes, time.monotonic() - start), format)


def fix(paths: Sequence[_PathLike], output_dir: _PathLike, client=None, **options: Any) -> ArchiveResult:
    """check(command="fix"): repairs what can be repaired and saves every model under `output_dir`."""
    return check(paths, client, command="fix", output_dir=output_dir, **options)


def repair(paths: Sequence[_PathLike], output_dir: _PathLike, client=None, **options: Any) -> ArchiveResult:
    """check(command="repair"): repairs every model until it checks clean and saves it under `output_dir`."""
    return check(paths, client, command="repair", output_dir=output_dir, **options)


def heal(paths: Sequence[_PathLike], output_dir: _PathLike, client=None, **options: Any) -> ArchiveResult:
    """check(command="heal"): heals every model's geometry as the tool's heal does and saves it under `output_dir`."""
    return check(paths, client, command="heal", output_dir=output_dir, **options)


def command_line(command: str, paths: Sequence[_PathLike], *, quality=None, profile=None, output_dir=None,
                 clean=False, threads=0, report_format="json") -> list[str]:
    """The tool's arguments (after the program name) for these options."""
    if command not in COMMANDS:
        raise ValueError(f"unknown command {command!r}: an archive run takes {', '.join(COMMANDS)}")
    if isinstance(paths, (str, bytes, os.PathLike)):
        raise TypeError("paths is a list of files and folders")
    args = [command, "--format", report_format]
    if quality is True:
        args.append("--quality")
    elif quality not in (None, False):
        args.append("--quality=" + os.fsdecode(quality))
    if profile is not None:
        args += ["--profile", os.fsdecode(profile)]
    if output_dir is not None:
        args += ["--output-dir", os.fsdecode(output_dir)]
    if clean:
        args.append("--clean")
    if threads:
        args += ["--threads", str(threads)]
    return args + ["--", *map(os.fsdecode, paths)]


@contextlib.contextmanager
def cluster(client=None, workers: Optional[int] = None) -> Iterator[Any]:
    """`client`, or a client of a local cluster of `workers` processes (one per core) of one thread each, closed
    when the block ends."""
    if client is not None:
        yield client
        return
    import dask
    from distributed import Client, LocalCluster

    # A worker holds only the task it runs: a file that kills it takes no queued task down with it.
    with dask.config.set({"distributed.scheduler.worker-saturation": 1.0}):
        local = LocalCluster(n_workers=workers or os.cpu_count() or 1, threads_per_worker=1, processes=True,
                             dashboard_address=":0")
    with local, Client(local) as own:
        yield own


class Run:
    """A tool command line spread over a cluster: its files, listed as the tool lists them, in batches of about
    `batch_bytes`, each batch one task; outcomes come back in the tool's order."""

    def __init__(self, args: list[str], batch_bytes: int = BATCH_BYTES):
        self.args = list(args)
        self.inputs, self.outputs, self.summarised = _archive_plan(self.args)
        self.bytes = sum(i[3] for i in self.inputs)
        self.batches = batches([max(i[3], FILE_BYTES) for i in self.inputs], batch_bytes)

    def outcomes(self, client, progress=None) -> Iterator[Outcome]:
        """Runs the batches on `client` and yields the outcome of every input in order, each once, as soon as
        those before it are in."""
        done: queue.Queue = queue.Queue()
        pending: dict[Any, list[int]] = {}
        suspects: list[int] = []  # files whose task failed on their own, to be tried once more alone
        alone = False  # the last tries: one task on the whole cluster, so that a death is its own

        def submit(indices: list[int]) -> None:
            future = client.submit(run_batch, self.args, [self.inputs[i] for i in indices],
                                   [self.outputs[i] for i in indices], pure=False)
            pending[future] = indices
            future.add_done_callback(done.put)

        for batch in self.batches:
            submit(batch)
        results: list[Optional[Outcome]] = [None] * len(self.inputs)
        written = 0
        while written < len(self.inputs):
            if not pending:
                alone = True
                submit([suspects.pop(0)])
            try:
                future = done.get(timeout=0.2)
            except queue.Empty:
                if progress:
                    progress.draw()
                continue
            indices = pending.pop(future)
            if future.status == "finished":
                for i, outcome in zip(indices, future.result()):
                    results[i] = outcome
            elif len(indices) > 1:
                # A worker died on one of them, or the task failed: each file on its own, so that only the
                # culprit is lost.
                for i in indices:
                    submit([i])
            elif not alone:
                # Dask counts a death against every task the dying worker held, an innocent one queued behind
                # the culprit too.
                suspects.append(indices[0])
            else:
                results[indices[0]] = failed(self.inputs[indices[0]], why_failed(future))
            future.release()
            for i in indices:
                if progress and results[i] is not None:
                    progress.file_done(self.inputs[i][3])
            while written < len(results) and results[written] is not None:
                yield results[written]
                written += 1
        if self.args[0] != "check":
            remove_leftovers(self.outputs)

    def summary(self, outcomes: list[Outcome], seconds: float = 0.0) -> str:
        """The tool's summary of the run (when it would write one)."""
        return _archive_summary(self.args, outcomes, seconds) if self.summarised else ""


def batches(costs: list[int], batch_bytes: int) -> list[list[int]]:
    """Consecutive indices in groups whose costs add up to about `batch_bytes`; a costly one goes alone."""
    groups: list[list[int]] = []
    total = batch_bytes
    for i, cost in enumerate(costs):
        if total + cost > batch_bytes:
            groups.append([])
            total = 0
        groups[-1].append(i)
        total += cost
    return groups


def run_batch(args: list[str], inputs: list[tuple], outputs: list[str]) -> list[Outcome]:
    """A task: the files of one batch worked on one after the other in this worker."""
    limit = memory_limit()
    return [run_file(args, item, output, limit) for item, output in zip(inputs, outputs)]


def run_file(args: list[str], item: tuple, output: str, limit: Optional[int]) -> Outcome:
    size = item[3]
    if limit and not item[4] and size * MEMORY_PER_BYTE > limit:
        return failed(item, f"too large for the worker's memory limit: {size / 1e6:.1f} MB would take about "
                             f"{size * MEMORY_PER_BYTE / 1e6:.0f} MB, the limit is {limit / 1e6:.0f} MB")
    try:
        return _archive_process(args, item, output)
    except MemoryError:
        return failed(item, "out of memory in the worker")


def memory_limit() -> Optional[int]:
    """The memory limit of the Dask worker this runs in, in bytes; None outside a worker or without a limit."""
    try:
        from distributed import get_worker

        worker = get_worker()
    except (ImportError, ValueError):
        return None
    manager = getattr(worker, "memory_manager", worker)
    return getattr(manager, "memory_limit", None) or None


def failed(item: tuple, reason: str) -> Outcome:
    """The outcome of a file the workers could not work on."""
    return (2, "failed", item[1], "", f"vdacheck: {item[1]}: {reason}\n", item[3], 0.0, [])


def why_failed(future) -> str:
    from distributed import KilledWorker

    error = future.exception() if future.status == "error" else None
    if isinstance(error, KilledWorker):
        return "the worker died working on it, each time it was tried"
    if error is None:
        return f"its task was {future.status}"
    return f"its task failed: {type(error).__name__}: {error}"


def remove_leftovers(outputs: list[str]) -> None:
    """Removes the temporary files of saves whose worker died before it could rename them over the output."""
    folders: dict[str, set[str]] = {}
    for output in filter(None, outputs):
        folders.setdefault(os.path.dirname(output) or ".", set()).add(os.path.basename(output))
    for folder, names in folders.items():
        with contextlib.suppress(OSError):
            for entry in os.listdir(folder):
                match = re.fullmatch(r"(.*)\.tmp[0-9]+", entry)
                if match and match.group(1) in names:
                    with contextlib.suppress(OSError):
                        os.remove(os.path.join(folder, entry))


# Columns of the frame, in order; a report's arrays and the kind of row each gives.
COLUMNS = ["file", "kind", "rule", "severity", "entity", "type", "line", "column", "message", "value", "tolerance",
           "unit", "round", "repair", "reason"]
KINDS = {"warnings": "warning", "errors": "error", "fixed": "fixed", "quality": "finding"}


def _frame(outcomes: list[Outcome]):
    import pandas

    rows = []
    for status, state, file, out, err, *_ in outcomes:
        if state in ("unreadable", "failed", "unwritten"):
            rows.append({"file": file, "kind": state, "reason": err.strip()})
        for line in out.splitlines():
            report = json.loads(line)
            for key, kind in KINDS.items():
                for item in report.get(key, ()):
                    rows.append({"file": report["file"], "kind": kind, **item})
    return pandas.DataFrame(rows, columns=COLUMNS)

