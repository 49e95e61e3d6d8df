"""Shared helpers of the Python module's tests: the tool to compare with, the sample files, JSON shapes."""

from __future__ import annotations

import json
import math
import os
import pathlib
import subprocess
from typing import Any, Iterable

SOURCE_DIR = pathlib.Path(os.environ["VDACHECK_SOURCE_DIR"])
TOOL = os.environ["VDACHECK_TOOL"]
BRACKET = SOURCE_DIR / "examples" / "bracket.vda"
SAMPLES = sorted((SOURCE_DIR / "tests" / "data" / "samples").glob("*.vda"))

# The sanitizer build preloads the sanitizers' runtime for Python; the tool carries its own.
TOOL_ENV = {k: v for k, v in os.environ.items() if k != "LD_PRELOAD"}


def run_tool(*args: str | os.PathLike[str]) -> subprocess.CompletedProcess[str]:
    return subprocess.run([TOOL, *map(str, args)], capture_output=True, text=True, check=False, env=TOOL_ENV)


def tool_json(*args: str | os.PathLike[str]) -> dict[str, Any]:
    """The tool's JSON report of one command on one file (exit status 0 or 1)."""
    done = run_tool(*args, "--format", "json")
    assert done.returncode in (0, 1), done.stderr
    return json.loads(done.stdout)


def json_spelled(value: Any) -> Any:
    """A value with the non-finite floats spelled as the tool's JSON report spells them, tuples as lists."""
    if isinstance(value, float) and not math.isfinite(value):
        return "NaN" if math.isnan(value) else "Infinity" if value > 0 else "-Infinity"
    if isinstance(value, (list, tuple)):
        return [json_spelled(v) for v in value]
    if isinstance(value, dict):
        return {k: json_spelled(v) for k, v in value.items()}
    return value


def as_json(problems: Iterable[Any]) -> list[dict[str, Any]]:
    """Problems as the tool's JSON report spells them (non-finite doubles as strings)."""
    return [json_spelled(p.to_dict()) for p in problems]
