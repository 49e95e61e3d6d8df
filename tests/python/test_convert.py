"""convert(): the tool's convert from Python, its result the tool's JSON report; what it refuses."""

from __future__ import annotations

import json
import os

import pytest

import vdacheck
from conftest import BRACKET, SOURCE_DIR, json_spelled, run_tool

FC267 = SOURCE_DIR / "tests" / "data" / "samples" / "OpenVDAFS__FC267.vda"
NOTHING = "NONE = HEADER / 0\nPT = POINT / -1.7976931348623157E+308, 0., 0.\nNONE = END\n"

EXCHANGE = os.environ.get("VDACHECK_EXCHANGE") == "1"
with_exchange = pytest.mark.skipif(not EXCHANGE, reason="built without the exchange library")


@with_exchange
@pytest.mark.parametrize(
    "source, name, repair",
    [(BRACKET, "bracket.step", True), (BRACKET, "bracket.glb", False), (FC267, "fc267.igs", False)],
)
def test_convert_gives_the_tools_report(source, name, repair, tmp_path):
    out = tmp_path / name
    args = ["convert", source, "-o", out, "--format", "json"] + (["--repair"] if repair else [])
    done = run_tool(*args)
    assert done.returncode in (0, 1), done.stderr
    tool = json.loads(done.stdout)
    tool_bytes = out.read_bytes()
    out.unlink()
    result = vdacheck.convert(vdacheck.load(source), out, repair=repair)
    assert json_spelled(result.to_dict()) == tool
    assert result.output == str(out) and out.is_file()
    assert result.clean == (done.returncode == 0)
    if name.endswith(".glb"):  # STEP and IGES files carry the time they were written
        assert out.read_bytes() == tool_bytes


@with_exchange
def test_nothing_written_raises_write_error_with_the_conversion(tmp_path):
    model = vdacheck.read(NOTHING)
    with pytest.raises(vdacheck.WriteError, match="nothing to convert") as raised:
        vdacheck.convert(model, tmp_path / "none.step")
    conversion = raised.value.conversion
    assert conversion.output is None and not conversion.clean
    assert [(p.entity, p.rule) for p in conversion.left_out] == [("PT", "point-validity")]
    with pytest.raises(vdacheck.WriteError, match="is no folder"):
        vdacheck.convert(vdacheck.load(BRACKET), tmp_path / "missing" / "part.step")
    with pytest.raises(ValueError, match="cannot tell the format"):
        vdacheck.convert(model, tmp_path / "part.txt")
    assert list(tmp_path.iterdir()) == []


@pytest.mark.skipif(EXCHANGE, reason="built with the exchange library")
def test_without_the_exchange_library_convert_says_so(tmp_path):
    with pytest.raises(NotImplementedError, match="exchange library"):
        vdacheck.convert(vdacheck.load(BRACKET), tmp_path / "part.step")
