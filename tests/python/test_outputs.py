"""save() and report() onto a FIFO, and a Python process stopped while it saves."""

from __future__ import annotations

import os
import signal
import subprocess
import sys
import threading
import time

import pytest

import vdacheck
from conftest import BRACKET


@pytest.mark.parametrize("write", [lambda m, p: m.save(p), lambda m, p: vdacheck.report(m, p, max_triangles=100)])
def test_a_fifo_is_written_in_place(write, tmp_path):
    model = vdacheck.load(BRACKET)
    os.mkfifo(tmp_path / "fifo")
    received: list[bytes] = []
    reader = threading.Thread(target=lambda: received.append((tmp_path / "fifo").read_bytes()))
    reader.start()
    write(model, tmp_path / "fifo")
    reader.join()
    write(model, tmp_path / "file")
    # A page names the call that wrote it, path and all.
    assert [r.replace(b"/fifo'", b"/file'") for r in received] == [(tmp_path / "file").read_bytes()]
    assert (tmp_path / "fifo").is_fifo()
    assert sorted(p.name for p in tmp_path.iterdir()) == ["fifo", "file"]


SAVER = """
import signal, sys, vdacheck
signal.signal(signal.SIGINT, signal.default_int_handler)
model = vdacheck.read(open(sys.argv[1]).read())
print("saving", flush=True)
model.save(sys.argv[2])
print("saved", flush=True)
"""


def writing_in(pid, folder):
    """True while the process holds a file open in `folder`: its temporary file, as it writes the model."""
    fds = f"/proc/{pid}/fd"
    try:
        return any(os.path.dirname(os.readlink(os.path.join(fds, fd))) == str(folder) for fd in os.listdir(fds))
    except OSError:
        return False


@pytest.mark.parametrize("sig", [signal.SIGINT, signal.SIGTERM])
def test_a_process_stopped_while_it_saves_leaves_the_whole_model_or_nothing(sig, tmp_path):
    text = "H = HEADER / 0\n" + "".join(f"P{i} = POINT / 1.2345678901234567, 2.2345678901234567, 3.25\n"
                                        for i in range(1_200_000)) + "H = END\n"
    model = tmp_path / "large.vda"
    model.write_text(text)
    out = tmp_path / "out"
    out.mkdir()
    child = subprocess.Popen([sys.executable, "-c", SAVER, str(model), str(out / "large.vda")],
                             stdout=subprocess.PIPE, text=True)
    assert child.stdout.readline() == "saving\n"
    until = time.monotonic() + 60
    while not writing_in(child.pid, out) and child.poll() is None and time.monotonic() < until:
        time.sleep(0.0002)
    child.send_signal(sig)
    child.communicate()
    # SIGINT becomes KeyboardInterrupt once save() returns, the whole model written; SIGTERM ends the process
    # in the middle, and its unnamed temporary file goes with it.
    left = list(out.iterdir())
    assert left == [] or (left == [out / "large.vda"] and (out / "large.vda").read_text() == text)
    assert child.returncode != 0
