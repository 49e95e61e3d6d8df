"""The archive summary prints what the README shows, and the package installs into a virtual environment."""

from __future__ import annotations

import os
import pathlib
import shutil
import subprocess
import sys

import vdacheck
from conftest import BRACKET, SAMPLES, SOURCE_DIR

README = (SOURCE_DIR / "README.md").read_text()


def readme_block(command: str) -> str:
    """The output the README shows under `$ command`."""
    start = README.index("$ " + command + "\n") + len(command) + 3
    return README[start:README.index("```", start)]


def test_archive_summary_prints_what_the_readme_shows(tmp_path):
    archive = tmp_path / "archive"
    archive.mkdir()
    for sample in [BRACKET, *SAMPLES]:
        shutil.copy(sample, archive)
    (archive / "broken.vda").write_text("X = HEADER / 0\nP1 = POINT / 1., 2.\nX = END\n")
    script = SOURCE_DIR / "examples" / "archive_summary.py"
    env = dict(os.environ, PYTHONPATH=str(pathlib.Path(vdacheck.__file__).parent.parent))
    for extra in ([], ["--processes"]):
        done = subprocess.run([sys.executable, script, "archive", *extra], cwd=tmp_path, env=env,
                              capture_output=True, text=True, check=False)
        assert done.returncode == 1, done.stderr
        assert done.stdout == readme_block("PYTHONPATH=build/release/python /usr/bin/python3 examples/archive_summary.py archive")


def outside_env() -> dict[str, str]:
    """The environment without the build tree's PYTHONPATH (the sanitizers' runtime stays)."""
    return {k: v for k, v in os.environ.items() if k in ("PATH", "LD_PRELOAD", "ASAN_OPTIONS")}


def test_the_package_installs_into_a_virtual_environment(tmp_path):
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", "--without-pip", venv], check=True)
    subprocess.run(["cmake", "--install", os.environ["VDACHECK_BUILD_DIR"], "--prefix", venv], check=True,
                   capture_output=True)
    done = subprocess.run([venv / "bin" / "python", "-c",
                           "import vdacheck, sys; m = vdacheck.load(sys.argv[1]); print(vdacheck.__file__, len(m))",
                           BRACKET], cwd=tmp_path, env=outside_env(), capture_output=True, text=True,
                          check=False)
    assert done.returncode == 0, done.stderr
    where, entities = done.stdout.split()
    assert pathlib.Path(where).is_relative_to(venv) and entities == "32"
