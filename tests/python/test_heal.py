"""heal() gives what the tool's heal gives: the same report, the same file saved, and SARIF fixes that point at
the healed entities' statements in that file."""

from __future__ import annotations

import json
import math

import pytest

import vdacheck
from conftest import BRACKET, SOURCE_DIR, run_tool, tool_json

DATA = SOURCE_DIR / "tests" / "data"
GAPS = DATA / "quality_gaps.vda"

# (model, Python's keyword arguments): repairs and deletions, healed and left findings, a sample far beyond any
# tolerance.
CASES = [
    (BRACKET, {}),
    (GAPS, {}),
    (GAPS, {"tolerance": 1.0}),
    (DATA / "quality_jumps.vda", {"angle": 5.0}),
    (DATA / "samples" / "OpenVDAFS__SURF_FLAE0001.vda", {"angle": 45.0}),
]


def tool_options(options):
    return [word for key, value in options.items() for word in (f"--{key}", repr(value))]


@pytest.mark.parametrize("path, options", CASES)
def test_heal_gives_what_the_tool_gives(path, options, tmp_path):
    model = vdacheck.load(path)
    result = vdacheck.heal(model, **options, threads=1)
    out = tmp_path / "tool.vda"
    assert result.to_dict() == tool_json("heal", path, "-o", out, *tool_options(options))
    mine = tmp_path / "mine.vda"
    model.save(mine)
    assert mine.read_bytes() == out.read_bytes()


@pytest.mark.parametrize("path, options", CASES[2:4])
def test_each_fix_names_the_statements_of_the_entities_healing_changed(path, options, tmp_path):
    out = tmp_path / "healed.vda"
    done = run_tool("heal", path, "-o", out, *tool_options(options), "--format", "sarif")
    assert done.returncode == 0, done.stderr
    saved = out.read_text().splitlines()
    healed = [r for r in json.loads(done.stdout)["runs"][0]["results"] if r["properties"]["outcome"] == "healed"]
    assert healed
    for result in healed:
        [fix] = result["fixes"]
        [change] = fix["artifactChanges"]
        assert change["artifactLocation"]["uri"].endswith("/healed.vda")
        starts = [saved[r["deletedRegion"]["startLine"] - 1] for r in change["replacements"]]
        assert [line.split("=")[0].strip() for line in starts] == result["properties"]["changed"]


@pytest.mark.parametrize("options", [{"tolerance": 0.0}, {"tolerance": -0.1}, {"tolerance": math.nan},
                                     {"tolerance": math.inf}, {"angle": 180.5}])
def test_limits_the_tool_refuses_raise(options):
    model = vdacheck.load(GAPS)
    with pytest.raises(ValueError, match="above 0"):
        vdacheck.heal(model, **options)
    assert run_tool("heal", GAPS, "-o", "/dev/null", *tool_options(options)).returncode == 2
