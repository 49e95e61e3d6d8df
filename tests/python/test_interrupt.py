"""Ctrl-C during a long call: KeyboardInterrupt comes promptly, not when the call would have ended, and the model
is as it was."""

from __future__ import annotations

import os
import signal
import subprocess
import sys
import time

import pytest

CHILD = """
import sys, time, vdacheck
faces = int(sys.argv[1])
lines = ["A = HEADER / 0"]
for i in range(faces):
    lines += [f"S{i} = SURF / 1, 1, 0., 1., 0., 1.,", "  2, 2, 0., 100., 0., 0., 0., 0., 60., 0., 0., 0., 0., 0.",
              f"C{i} = CURVE / 1, 0., 1., 2, 0., 100., 0., 0., 0., 0.",
              f"N{i} = CONS / S{i}, C{i}, 0., 1., 1, 0., 1., 2, 0., 1., 0., 0.", f"F{i} = FACE / S{i}, 1, 1, N{i}, 0., 1."]
model = vdacheck.read("\\n".join(lines + ["A = END", ""]))
call = {"check": lambda: vdacheck.check(model, quality=True, threads=1),
        "report": lambda: vdacheck.report(model, sys.argv[3], quality=True, threads=1),
        "convert": lambda: vdacheck.convert(model, sys.argv[3], threads=1)}[sys.argv[2]]
start = time.monotonic()
before = vdacheck.check(model, quality=True, threads=1).to_dict()
print("calling", time.monotonic() - start, flush=True)
try:
    call()
    print("finished", flush=True)
except KeyboardInterrupt:
    print("interrupted", time.monotonic(), flush=True)
print("intact", vdacheck.check(model, quality=True, threads=1).to_dict() == before, flush=True)
"""


@pytest.mark.parametrize("call", ["check", "report", "convert"])
def test_ctrl_c_stops_a_long_call_at_once_and_leaves_the_model_intact(call, tmp_path):
    if call == "convert" and os.environ.get("VDACHECK_EXCHANGE") != "1":
        pytest.skip("built without the exchange library")
    page = tmp_path / ("out.step" if call == "convert" else "page.html")
    child = subprocess.Popen([sys.executable, "-c", CHILD, "50000", call, str(page)], stdout=subprocess.PIPE,
                             text=True)
    word, seconds = child.stdout.readline().split()
    assert word == "calling"
    assert float(seconds) > 1.5, "the call is too short to be stopped half way: give the model more faces"
    time.sleep(0.5)
    sent = time.monotonic()
    child.send_signal(signal.SIGINT)
    out, _ = child.communicate(timeout=120)
    word, at = out.splitlines()[0].split()
    assert word == "interrupted", out
    assert float(at) - sent < 1.0
    assert out.splitlines()[1] == "intact True"
    assert not page.exists()
