"""check, fix, clean and repair from Python give what the tool gives, and save the same files."""

from __future__ import annotations

import json

import pytest

import vdacheck
from conftest import BRACKET, as_json, run_tool, tool_json
from faulty_models import faulty_model


def compare_with_tool(path, tmp_path):
    """Runs every command on `path` in Python and in the tool; the reports and saved files must agree."""
    model = vdacheck.load(path)
    report = tool_json("check", path)
    assert as_json(vdacheck.check(model)) == report["errors"]
    assert len(model) == report["entities"]
    found = len(report["errors"])

    for command, run, extra in [("fix", vdacheck.fix, []), ("clean", vdacheck.clean, ["--clean"]),
                                ("repair", vdacheck.repair, [])]:
        model = vdacheck.load(path)
        result = run(model)
        out = tmp_path / f"{command}.tool.vda"
        report = tool_json("repair" if command == "repair" else "fix", path, "-o", out, *extra)
        assert as_json(result.errors) == report["errors"], command
        assert as_json(result.repaired) == report["fixed"], command
        assert result.deleted == report["deleted"], command
        assert [r.to_dict() for r in result.renamed] == report.get("renamed", []), command
        assert (result.clean, result.entities) == (report["clean"], report["entities"]), command
        rounds = result.rounds  # fix and clean make one round
        assert len(rounds) == report.get("rounds", 1), command
        # Where repair renamed entities, its first check sees them, and check saw their names' first entities.
        assert rounds[0].found == found or result.renamed, command
        assert sum(r.repaired for r in rounds) == len(result.repaired) and rounds[-1].clean == result.clean, command
        assert sum(r.deleted for r in rounds) == len(result.deleted), command
        mine = tmp_path / f"{command}.vda"
        model.save(mine)
        assert mine.read_bytes() == out.read_bytes(), command


def test_bracket_gives_what_the_tool_gives(tmp_path):
    compare_with_tool(BRACKET, tmp_path)


@pytest.mark.parametrize("seed", range(50))
def test_random_faulty_models_give_what_the_tool_gives(seed, tmp_path):
    path = tmp_path / f"faulty{seed}.vda"
    path.write_text(faulty_model(seed))
    compare_with_tool(path, tmp_path)


def test_repeated_names_give_what_the_tool_gives(tmp_path):
    path = tmp_path / "repeated.vda"
    path.write_text("H = HEADER / 0\nP1 = POINT / 1., 2., 3.\nP1 = POINT / 1.7976931348623157E308, 0., 0.\n"
                    "G = GROUP / 1, P1\nH = END\n")
    compare_with_tool(path, tmp_path)
    renamed = vdacheck.repair(vdacheck.load(path)).renamed
    assert renamed == [vdacheck.Rename("P1", "P1D2", "POINT", 3)]


def test_the_random_models_are_faulty():
    # The comparisons above only mean something when the models have problems to repair and to delete for.
    results = [vdacheck.repair(vdacheck.read(faulty_model(seed))) for seed in range(50)]
    assert sum(len(r.repaired) > 0 for r in results) > 40
    assert sum(len(r.deleted) > 0 for r in results) > 40
    assert all(r.clean for r in results)


def test_rules_are_the_tools_rules():
    listed = json.loads(run_tool("rules", "--format", "json").stdout)["rules"]
    rules = vdacheck.rules()
    assert [r.id for r in rules] == [r["id"] for r in listed]
    for mine, tools in zip(rules, listed):
        shared = {key: value for key, value in mine._asdict().items() if key in tools}
        assert shared == {key: tools[key] for key in shared}
        assert len(shared) >= 7
    by_id = {r.id: r for r in rules}
    assert by_id["cons-curve-ptr"].repair == "fix_cons_curve_ptr"
    assert by_id["point-validity"].repair is None
    assert by_id["read-missing-end"].kind == "read" and by_id["read-missing-end"].severity == "warning"
