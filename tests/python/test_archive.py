"""vdacheck.archive on a local Dask cluster of two worker processes gives what the tool gives for the same files,
also when workers die under it, and reports each file it cannot work on with its reason."""

from __future__ import annotations

import contextlib
import json
import os
import pathlib
import pty
import re
import shutil
import signal
import subprocess
import sys
import threading
import time

import dask
import pytest
from distributed import Client, LocalCluster

import vdacheck
from vdacheck import archive
from conftest import BRACKET, SAMPLES, SOURCE_DIR, run_tool

FAULTS = pathlib.Path(__file__).with_name("archive_faults.py")
MEMORY_LIMIT = 1 << 30


@contextlib.contextmanager
def local_cluster(retries: int = 1):
    # Few retries after a worker dies, so that a file that kills its worker is given up soon; a worker holds only
    # the task it runs, as in the clusters vdacheck.archive starts.
    with dask.config.set({"distributed.scheduler.allowed-failures": retries,
                          "distributed.scheduler.worker-saturation": 1.0}):
        with LocalCluster(n_workers=2, threads_per_worker=1, processes=True, dashboard_address=":0",
                          memory_limit=MEMORY_LIMIT, preload=[str(FAULTS)]) as cluster, Client(cluster) as c:
            yield c


@pytest.fixture(scope="module")
def client():
    with local_cluster() as c:
        yield c


@pytest.fixture
def crashing_client():
    """A cluster of its own, giving a task up at the first death: on a loaded machine, a worker that its nanny
    restarted after a crash may take minutes to come back, or to take up tasks."""
    with local_cluster(retries=0) as c:
        yield c


def started(*args, **kwargs):
    """archive.check(...) on a thread of its own; the function returned waits for its result, a stuck run fails."""
    results: list = []
    thread = threading.Thread(target=lambda: results.append(archive.check(*args, **kwargs)), daemon=True)
    thread.start()

    def result() -> archive.ArchiveResult:
        thread.join(timeout=300)
        assert results, "the run did not end"
        return results[0]

    return result


def checked(*args, **kwargs) -> archive.ArchiveResult:
    return started(*args, **kwargs)()


@pytest.fixture(scope="module")
def folder(tmp_path_factory) -> pathlib.Path:
    """Samples, faulty and unreadable files, a subfolder, a suffix in capitals, a link and what the walk skips."""
    root = tmp_path_factory.mktemp("archive") / "archive"
    (root / "sub" / "deeper").mkdir(parents=True)
    for sample in [BRACKET, *SAMPLES, SOURCE_DIR / "tests" / "data" / "quality_gaps.vda"]:
        shutil.copy(sample, root)
    shutil.copy(BRACKET, root / "sub" / "B.VDAFS")
    shutil.copy(SAMPLES[0], root / "sub" / "deeper" / "a.Vda")
    (root / "broken.vda").write_text("X = HEADER / 0\nP1 = POINT / 1., 2.\nX = END\n")
    (root / "notes.txt").write_text("not a model")
    (root / "linked.vda").symlink_to(BRACKET)
    (root / "dangling.vda").symlink_to(root / "gone.vda")
    return root


def tool_run(*args) -> tuple[list[str], str, int]:
    """The tool's report lines (without the summary), its summary and its exit status."""
    done = run_tool(*args)
    lines = done.stdout.splitlines()
    summary = [line for line in lines if line.startswith('{"summary"')]
    return [line for line in lines if not line.startswith('{"summary"')], "".join(summary), done.returncode


def without_times(summary: str) -> dict:
    s = json.loads(summary)["summary"]
    return {k: v for k, v in s.items() if k not in ("seconds", "slowest")}


@pytest.mark.parametrize("quality", [None, True])
def test_the_report_of_a_folder_is_the_tools(client, folder, quality):
    result = checked([folder], client, quality=quality, batch_bytes=8 << 10)
    lines, summary, status = tool_run("check", folder, "--format", "json", *(["--quality"] if quality else []))
    assert result.lines == lines and result.status == status == 2
    assert result.messages == run_tool("check", folder, "--format", "json").stderr
    assert without_times(result.summary) == without_times(summary)

    frame = result.frame
    for report in map(json.loads, lines):
        rows = frame[frame.file == report["file"]]
        assert len(rows) == sum(len(report[k]) for k in ("warnings", "errors", "quality") if k in report)
    unreadable = frame[frame.kind == "unreadable"]
    assert list(unreadable.file) == [f"{folder}/broken.vda", f"{folder}/dangling.vda"]
    assert "expected 3 coordinates" in unreadable.reason.iloc[0]
    if quality:
        gap = frame[(frame.rule == "surf-patch-gap") & (frame.kind == "finding")]
        assert gap.value.max() == pytest.approx(8.87381, abs=1e-5)


def test_files_the_workers_cannot_take_cost_those_files_only(crashing_client, folder, tmp_path):
    not_a_file = tmp_path / "x.vda"
    not_a_file.mkdir()
    huge = tmp_path / "huge.vda"
    with open(huge, "wb") as f:
        f.truncate(MEMORY_LIMIT)  # sparse: never read
    crash = tmp_path / "crash.vda"
    shutil.copy(BRACKET, crash)
    good = [folder / "bracket.vda", folder / "sub"]
    paths = [good[0], not_a_file, crash, folder / "dangling.vda", huge, good[1]]

    result = checked(paths, crashing_client)  # all in one batch, which the crash takes down
    lines, _, _ = tool_run("check", *good, "--format", "json")
    assert result.lines == lines and result.status == 2
    failures = result.frame[result.frame.kind.isin(["unreadable", "failed"])]
    assert list(zip(failures.file, failures.kind)) == [
        (str(not_a_file), "unreadable"), (str(crash), "failed"), (f"{folder}/dangling.vda", "unreadable"),
        (str(huge), "failed")]
    reasons = list(failures.reason)
    assert "no *.vda or *.vdafs file" in reasons[0] and "the worker died" in reasons[1]
    assert "cannot read the file" in reasons[2] and "memory limit" in reasons[3]


@pytest.mark.parametrize("command", [["repair"], ["fix", "--clean"], ["heal"]])
def test_saved_models_are_the_tools_byte_for_byte(client, folder, tmp_path, command):
    result = checked([folder], client, command=command[0], clean="--clean" in command,
                           output_dir=tmp_path / "cluster", batch_bytes=8 << 10)
    lines, _, status = tool_run(*command, folder, "--output-dir", tmp_path / "tool", "--format", "json")
    assert result.status == status
    assert [line.replace("/cluster/", "/tool/") for line in result.lines] == lines
    saved = {p.relative_to(tmp_path / "tool"): p.read_bytes() for p in (tmp_path / "tool").rglob("*") if p.is_file()}
    assert len(saved) == 8
    assert {p.relative_to(tmp_path / "cluster"): p.read_bytes()
            for p in (tmp_path / "cluster").rglob("*") if p.is_file()} == saved


def terminal_screen(data: str) -> str:
    """What a terminal shows of `data`: carriage return, line feed and erase to the end of the line applied."""
    lines, column = [""], 0
    for piece in re.split("(\r|\n|\033\\[K)", data):
        if piece == "\r":
            column = 0
        elif piece == "\n":
            lines, column = lines + [""], 0
        elif piece == "\033[K":
            lines[-1] = lines[-1][:column]
        else:
            lines[-1] = lines[-1][:column] + piece + lines[-1][column + len(piece):]
            column += len(piece)
    return "\n".join(lines)


def test_the_command_line_writes_the_tools_output_with_a_progress_bar(client, folder):
    # A local cluster of its own, the bar on a terminal.
    leader, follower = pty.openpty()
    env = dict(os.environ, PYTHONPATH=str(pathlib.Path(vdacheck.__file__).parent.parent))
    with subprocess.Popen([sys.executable, "-m", "vdacheck.archive", "check", folder, "--format", "json",
                           "--workers", "1"], env=env, stdout=subprocess.PIPE, stderr=follower, text=True) as p:
        os.close(follower)
        seen = b""
        with contextlib.suppress(OSError):  # EIO once every process has closed the terminal
            while chunk := os.read(leader, 4096):
                seen += chunk
        os.close(leader)
        out = p.stdout.read()
    lines, summary, status = tool_run("check", folder, "--format", "json")
    assert p.returncode == status and out.splitlines()[:-1] == lines
    assert without_times(out.splitlines()[-1]) == without_times(summary)
    text = seen.decode()
    assert " files " in text and "elapsed" in text
    # The tool's messages in its order, the bar erased (Dask may add lines of its own on a loaded machine).
    screen = terminal_screen(text).splitlines()
    messages = run_tool("check", folder, "--format", "json").stderr.splitlines()
    assert [line for line in screen if line in messages] == messages, text
    assert not any("elapsed" in line for line in screen), text

    # The scheduler of a running cluster, text reports.
    done = archive_command("check", folder, "--scheduler", client.scheduler.address)
    tool = run_tool("check", folder)
    assert done.returncode == tool.returncode
    assert done.stdout.split("\nsummary:")[0] == tool.stdout.split("\nsummary:")[0] and done.stderr == tool.stderr


def archive_command(*args) -> subprocess.CompletedProcess[str]:
    env = dict(os.environ, PYTHONPATH=str(pathlib.Path(vdacheck.__file__).parent.parent))
    return subprocess.run([sys.executable, "-m", "vdacheck.archive", *map(str, args)], env=env, text=True,
                          capture_output=True, check=False)


@pytest.mark.parametrize("args, message", [
    (["check", "x", "--jobs", "2"], "--jobs"),
    (["report", "x.vda", "-o", "x.html"], "unknown command 'report'"),
    (["check", "-", "--format", "sarif"], "text or json"),
    (["repair", "x"], "needs -o OUT for one file or --output-dir DIR"),
    (["check", "x", "--workers", "0"], "--workers takes a number of at least 1"),
    (["check", "x", "--profile", "."], "cannot read the profile: it is a folder"),
])
def test_command_lines_the_archive_refuses(args, message):
    done = archive_command(*args)
    assert done.returncode == 2 and message in done.stderr and done.stdout == ""


# Last: the worker killed here may take a while to come back.
def test_a_worker_killed_mid_run_costs_nothing(client, tmp_path):
    slow = tmp_path / "slow"
    slow.mkdir()
    for i in range(6):
        shutil.copy(SAMPLES[i % len(SAMPLES)], slow / f"slow{i}.vda")
    client.wait_for_workers(2, timeout=60)
    result = started([slow], client, batch_bytes=1)
    while not any(client.processing().values()):
        time.sleep(0.05)
    time.sleep(0.2)
    os.kill(next(iter(client.run(os.getpid).values())), signal.SIGKILL)
    lines, _, status = tool_run("check", slow, "--format", "json")
    assert result().lines == lines and result().status == status
