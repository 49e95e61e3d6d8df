"""python3 -m vdacheck.archive: the tool's command line, run over an archive on a Dask cluster."""

from __future__ import annotations

import sys
import time
from typing import Optional

from vdacheck import ProfileError
from vdacheck.archive import BATCH_BYTES, COMMANDS, Run, cluster
from vdacheck.archive._archive import _ArchiveProgress

USAGE = f"""usage: python3 -m vdacheck.archive COMMAND PATH... [--scheduler tcp://HOST:PORT] [--workers N]
                                  [--batch-mb MB] [the tool's options]

  COMMAND         {", ".join(COMMANDS)}, with the tool's options for it: --quality[=PROFILE], --profile FILE,
                  --output-dir DIR (fix, repair, heal), --clean (fix), --tolerance MM and --angle DEG (heal),
                  --threads N, --format text|json
  --scheduler     the address of a running Dask scheduler; without it, a local cluster of processes
  --workers N     the local cluster's worker processes (default: one per core)
  --batch-mb MB   megabytes of files per task (default {BATCH_BYTES >> 20})

Every file's report is the tool's, in the tool's order; the exit status is the tool's: 0 clean, 1 problems
remain, 2 usage errors and files that could not be read, saved or worked on.
"""


class UsageError(Exception):
    pass


def split(argv: list[str]) -> tuple[dict[str, str], list[str]]:
    """Our options, and the tool's command line (everything else, in order; all of it after `--`)."""
    ours: dict[str, str] = {}
    tool: list[str] = []
    i = 0
    while i < len(argv):
        arg = argv[i]
        name, eq, value = arg.partition("=")
        if arg == "--":
            tool += argv[i:]
            break
        if arg in ("-h", "--help"):
            ours["help"] = ""
        elif name in ("--scheduler", "--workers", "--batch-mb"):
            if name in ours:
                raise UsageError(f"{name} is given twice")
            if not eq:
                i += 1
                if i == len(argv):
                    raise UsageError(f"{name} needs a value")
                value = argv[i]
            ours[name] = value
        else:
            tool.append(arg)
        i += 1
    return ours, tool


def number(ours: dict[str, str], name: str, least: float) -> Optional[float]:
    if name not in ours:
        return None
    try:
        value = float(ours[name])
    except ValueError:
        value = least - 1
    if value < least:
        raise UsageError(f"{name} takes a number of at least {least:g}, not '{ours[name]}'")
    return value


def write(stream, text: str) -> None:
    stream.buffer.write(text.encode("utf-8", "surrogateescape"))
    stream.flush()


def main(argv: Optional[list[str]] = None) -> int:
    start = time.monotonic()
    try:
        ours, args = split(sys.argv[1:] if argv is None else argv)
        if "help" in ours:
            write(sys.stdout, USAGE)
            return 0
        workers = number(ours, "--workers", 1)
        batch_mb = number(ours, "--batch-mb", 0.001)
        if "--scheduler" in ours and workers:
            raise UsageError("--workers sizes a local cluster; the scheduler's workers are its own")
        if not args:
            raise UsageError("no command given")
        if args[0] not in COMMANDS:
            raise UsageError(f"unknown command '{args[0]}' ({', '.join(COMMANDS)})")
        run = Run(args, int(batch_mb * (1 << 20)) if batch_mb else BATCH_BYTES)
    except ProfileError as e:
        write(sys.stderr, f"vdacheck.archive: {e}\n")
        return 2
    except (UsageError, ValueError) as e:
        write(sys.stderr, f"vdacheck.archive: {e}\n\n{USAGE}")
        return 2

    client = None
    if "--scheduler" in ours:
        from distributed import Client

        try:
            client = Client(ours["--scheduler"], timeout="20s")
        except OSError as e:
            write(sys.stderr, f"vdacheck.archive: no scheduler at {ours['--scheduler']}: {e}\n")
            return 2
    progress = _ArchiveProgress(len(run.inputs), run.bytes)
    out_is_terminal = sys.stdout.isatty()
    outcomes = []
    try:
        with cluster(client, int(workers) if workers else None) as c:
            for outcome in run.outcomes(c, progress):
                if out_is_terminal or outcome[4]:
                    progress.clear()
                write(sys.stderr, outcome[4])
                write(sys.stdout, outcome[3])
                outcomes.append(outcome)
                progress.draw()
            progress.clear()  # before the cluster closes, which may have something to say
    finally:
        progress.clear()
        if client is not None:
            client.close()
    write(sys.stdout, run.summary(outcomes, time.monotonic() - start))
    return max((o[0] for o in outcomes), default=0)


if __name__ == "__main__":
    sys.exit(main())
