"""load, check(model, quality=...) and report() give what the tool's check --quality and report give."""

from __future__ import annotations

import json
import os

import pytest

import vdacheck
from conftest import BRACKET, SAMPLES, SOURCE_DIR, json_spelled, run_tool, tool_json

GAPS = SOURCE_DIR / "tests" / "data" / "quality_gaps.vda"
FC267 = SOURCE_DIR / "tests" / "data" / "samples" / "OpenVDAFS__FC267.vda"
MODELS = [BRACKET, GAPS, *SAMPLES]
QUALITY_KEYS = ["clean", "errors", "quality", "quality_rules", "quality_skipped"]


def quality_of(path, **options) -> vdacheck.QualityResult:
    return vdacheck.check(vdacheck.load(path), **options)


@pytest.mark.parametrize("path", MODELS, ids=lambda p: p.stem)
def test_files_read_checked_and_measured_as_the_tool_does(path):
    report = tool_json("check", path, "--quality")
    for threads in (0, 1, 2):  # read on the default pool, on the calling thread, on two threads
        model = vdacheck.load(path, threads=threads)
        assert (len(model), [w.to_dict() for w in model.warnings]) == (report["entities"], report["warnings"])
    result = vdacheck.check(model, quality=True)
    assert json_spelled(result.to_dict()) == {key: report[key] for key in QUALITY_KEYS}
    assert result == vdacheck.check(model, quality=True, threads=1)


def test_the_open_seam_and_the_open_boundary_are_found_where_they_are():
    # The second patch stands 0.05 mm above the first along their seam x = 50; the face's second piece stops
    # 0.6 mm short of the corner (220, 60) where the third starts.
    seam, boundary = quality_of(GAPS, quality=True).findings
    assert (seam.rule, seam.entity, seam.type, seam.line, seam.unit) == ("surf-patch-gap", "PLATE", "SURF", 4, "mm")
    assert (seam.value, seam.tolerance, seam.point) == (0.05, 0.02, (50.0, 0.0, 0.0))
    assert seam.indices == {"patch_u": 0, "patch_v": 0, "direction": 0} and seam.parameters == {"s": 1.0, "t": 0.0}
    assert (boundary.rule, boundary.entity, boundary.indices) == ("face-loop-gap", "F1", {"boundary": 0, "piece": 1})
    assert boundary.value == pytest.approx(0.6, abs=1e-12)
    assert boundary.point == pytest.approx((220.0, 59.4, 0.0), abs=1e-12)


def test_without_quality_check_still_returns_the_list_of_problems():
    model = vdacheck.load(BRACKET)
    plain = vdacheck.check(model)
    assert isinstance(plain, list) and len(plain) == 18
    assert vdacheck.check(model, quality=False) == vdacheck.check(model, quality=None) == plain
    assert vdacheck.check(model, quality=True).problems == plain


# (model, profile, findings per rule expected)
PROFILES = [
    (GAPS, {}, {"surf-patch-gap": 1, "face-loop-gap": 1}),
    (GAPS, {"rules": {"surf-patch-gap": {"tolerance": 0.04}}}, {"surf-patch-gap": 1, "face-loop-gap": 1}),
    (GAPS, {"rules": {"surf-patch-gap": {"tolerance": 0.06}}}, {"face-loop-gap": 1}),
    # at_least: the shortest curve, K2, is 59.4 mm long
    (GAPS, {"rules": {"curve-tiny-segment": {"tolerance": 60}}},
     {"curve-tiny-segment": 1, "surf-patch-gap": 1, "face-loop-gap": 1}),
    (GAPS, {"rules": {"face-loop-gap": {}}, "run_unlisted": False}, {"face-loop-gap": 1}),
    (GAPS, {"rules": {"face-loop-gap": {"enabled": False}}}, {"surf-patch-gap": 1}),
    (FC267, {}, {}),
    (FC267, {"rules": {"cons-curve-deviation": {"tolerance": 0.01}}}, {"cons-curve-deviation": 1}),
]


@pytest.mark.parametrize("path, profile, expected", PROFILES)
def test_a_profile_sets_tolerances_and_rules_as_the_tools_profile_file_does(path, profile, expected, tmp_path):
    result = quality_of(path, quality=profile)
    found: dict[str, int] = {}
    for f in result.findings:
        found[f.rule] = found.get(f.rule, 0) + 1
    assert found == expected
    assert {s.rule: s.findings for s in result.rules if s.findings} == expected
    file = tmp_path / "profile.json"
    file.write_text(json.dumps(profile))
    assert quality_of(path, quality=file) == quality_of(path, quality=str(file)) == result
    report = tool_json("check", path, f"--quality={file}")
    assert json_spelled(result.to_dict()) == {key: report[key] for key in QUALITY_KEYS}


# Profiles the tool refuses, and what it says is wrong with them.
BAD_PROFILES = [
    ({"rules": {"surf-gap": {}}}, '"surf-gap" is not a quality rule'),
    ({"rule": {}}, 'unknown key "rule"'),
    ({"rules": {"surf-patch-gap": {"tolerance": -1}}}, '"tolerance" of rule "surf-patch-gap" is a number of at least'),
    ({"rules": {"surf-patch-gap": {"tolerance": "0.1"}}}, '"tolerance" of rule "surf-patch-gap" is a number'),
    ({"rules": {"surf-patch-gap": {"enabled": 1}}}, '"enabled" of rule "surf-patch-gap" is true or false'),
    ({"rules": {"surf-patch-gap": {"tol": 0.1}}}, 'unknown key "tol" in rule "surf-patch-gap"'),
    ({"rules": {"surf-patch-gap": 0.1}}, 'rule "surf-patch-gap" takes an object'),
    ({"rules": ["surf-patch-gap"]}, '"rules" is an object of rule ids'),
    ({"run_unlisted": "no"}, '"run_unlisted" is true or false'),
]


@pytest.mark.parametrize("profile, why", BAD_PROFILES)
def test_a_bad_profile_raises_what_the_tool_says(profile, why, tmp_path):
    model = vdacheck.load(GAPS)
    with pytest.raises(vdacheck.ProfileError) as raised:
        vdacheck.check(model, quality=profile)
    assert str(raised.value).startswith(f"quality profile: {why}")

    file = tmp_path / "bad.json"
    file.write_text(json.dumps(profile))
    with pytest.raises(vdacheck.ProfileError) as raised:
        vdacheck.report(model, tmp_path / "page.html", quality=file)
    done = run_tool("check", GAPS, f"--quality={file}")
    assert done.returncode == 2 and done.stderr == f"vdacheck: {raised.value}\n"
    assert str(raised.value).startswith(f"{file}: {why}")
    assert list(tmp_path.iterdir()) == [file]


def test_arguments_that_are_no_profile_raise(tmp_path):
    model = vdacheck.load(GAPS)
    for quality, error, match in [
        ({"rules": {"surf-patch-gap": {"tolerance": float("nan")}}}, vdacheck.ProfileError, "not JSON compliant"),
        ({"rules": {"surf-patch-gap": {"tolerance": {1, 2}}}}, vdacheck.ProfileError, "not JSON serializable"),
        (tmp_path / "missing.json", vdacheck.ProfileError, "cannot read the quality profile"),
        (1, TypeError, "got int"),
        ([], TypeError, "got list"),
    ]:
        with pytest.raises(error, match=match):
            vdacheck.check(model, quality=quality)
    (tmp_path / "broken.json").write_text("{\"rules\": ")
    with pytest.raises(vdacheck.ProfileError, match="broken.json: not valid JSON"):
        vdacheck.check(model, quality=tmp_path / "broken.json")
    # Profiles that once aborted the tool or were silently taken: refused with the file and the key named.
    (tmp_path / "twice.json").write_text('{"rules": {"surf-patch-gap": {}, "surf-patch-gap": {}}}')
    (tmp_path / "huge.json").write_text('{"rules": {"surf-patch-gap": {"tolerance": 1e400}}}')
    for profile, why in [(tmp_path / "twice.json", 'the key "surf-patch-gap" is given twice'),
                         (tmp_path / "huge.json", 'the number 1e400 of "tolerance" is beyond'),
                         (tmp_path, "cannot read the profile: it is a folder")]:
        with pytest.raises(vdacheck.ProfileError) as raised:
            vdacheck.check(model, profile=profile)
        assert why in str(raised.value) and str(raised.value).startswith(f"{profile}: ")
    assert issubclass(vdacheck.ProfileError, ValueError)
    with pytest.raises(ValueError, match="give it once"):
        vdacheck.check(model, quality={"rules": {}}, profile={"rules": {}})
    with pytest.raises(TypeError, match="got int"):
        vdacheck.fix(model, profile=1)
    for options in [{"threads": -1}, {"threads": 1025}, {"max_triangles": 0}]:
        with pytest.raises(ValueError, match=next(iter(options))):
            vdacheck.report(model, tmp_path / "page.html", **options)


def without_command(page: str, command: str) -> str:
    field = '"command":' + json.dumps(command)
    assert page.count(field) == 1, field
    return page.replace(field, '"command":""')


# (model, Python's keyword arguments, the tool's options)
PAGES = [
    (BRACKET, {}, []),
    (BRACKET, {"quality": True, "max_triangles": 200}, ["--quality", "--max-triangles", "200"]),
    (GAPS, {"quality": True, "threads": 1}, ["--quality", "--threads", "1"]),
    (SAMPLES[0], {}, []),
]


@pytest.mark.parametrize("path, options, tool_options", PAGES)
def test_the_page_is_the_tools_page(path, options, tool_options, tmp_path):
    mine, tools = tmp_path / "mine.html", tmp_path / "tools.html"
    model = vdacheck.load(str(path))
    page = vdacheck.report(model, mine, **options)
    done = run_tool("report", path, "-o", tools, *tool_options)
    assert done.returncode == (0 if page.clean else 1), done.stderr
    counted = f"{page.errors} errors" + (f", {page.findings} quality findings" if "quality" in options else "")
    assert f": {len(model)} entities, {counted}, {page.triangles} triangles;" in done.stdout

    call = ", ".join([f"vdacheck.report(model, {str(mine)!r}"] + [f"{k}={v}" for k, v in options.items()]) + ")"
    html = mine.read_text()
    assert without_command(html, call) == without_command(tools.read_text(), f"vdacheck report {path} -o {tools}"
                                                          + "".join(" " + o for o in tool_options))
    faces = {e.surface for e in model if e.type == "FACE"}
    drawn = [e.name for e in model if e.type not in ("HEADER", "BEGINSET", "TMAT") and e.name not in faces]
    assert drawn and all(json.dumps(name) in html for name in drawn)
    assert sorted(p.name for p in tmp_path.iterdir()) == ["mine.html", "tools.html"]


def test_a_page_with_a_profile_dict_shows_what_the_profile_finds(tmp_path):
    model = vdacheck.load(GAPS)
    page = vdacheck.report(model, tmp_path / "page.html", quality={"rules": {"surf-patch-gap": {"tolerance": 0.06}}})
    assert (page.clean, page.errors, page.findings) == (False, 0, 1)
    assert vdacheck.report(model, tmp_path / "page.html").findings == 0


def test_a_page_goes_to_a_path_that_is_not_utf8(tmp_path):
    path = os.fsdecode(os.fsencode(tmp_path) + b"/page-\xff.html")
    assert vdacheck.report(vdacheck.load(GAPS), path).errors == 0
    assert os.listdir(os.fsencode(tmp_path)) == [b"page-\xff.html"]
    assert "vdacheck.report(model, '" in open(path, encoding="utf-8").read()


def test_a_page_into_a_missing_folder_raises_and_leaves_nothing(tmp_path):
    model = vdacheck.load(BRACKET)
    with pytest.raises(vdacheck.WriteError, match="missing"):
        vdacheck.report(model, tmp_path / "missing" / "page.html")
    assert list(tmp_path.iterdir()) == []
    (tmp_path / "page.html").mkdir()  # a folder where the page should go: the rename fails
    with pytest.raises(vdacheck.WriteError):
        vdacheck.report(model, tmp_path / "page.html")
    assert [p.name for p in tmp_path.iterdir()] == ["page.html"] and not any((tmp_path / "page.html").iterdir())


# profile= for every rule: (model, profile, command), held against the tool's --profile on the same file.
PROFILED = [
    (GAPS, {"rules": {"surf-patch-gap": {"severity": "note"}, "face-loop-gap": {"enabled": False}}}, "quality"),
    (BRACKET, {"rules": {"cons-trimming-params": {"enabled": False}, "point-validity": {"severity": "note"}}}, "check"),
    (BRACKET, {"rules": {"face-cons-ptr": {"severity": "warning"}, "circle-angles": {"enabled": False}}}, "repair"),
]


@pytest.mark.parametrize("path, profile, command", PROFILED)
def test_a_profile_of_every_rule_gives_what_the_tools_profile_gives(path, profile, command, tmp_path):
    file = tmp_path / "profile.json"
    file.write_text(json.dumps(profile))
    model = vdacheck.load(path)
    if command == "quality":
        result = vdacheck.check(model, quality=True, profile=profile)
        report = tool_json("check", path, "--quality", "--profile", file)
        assert json_spelled(result.to_dict()) == {key: report[key] for key in QUALITY_KEYS}
        assert result == vdacheck.check(model, quality=True, profile=file) and result.clean
    elif command == "check":
        problems = vdacheck.check(model, profile=str(file))
        assert [json_spelled(p.to_dict()) for p in problems] == tool_json("check", path, "--profile", file)["errors"]
        assert {p.severity for p in problems} == {"error", "note"}
    else:
        result = vdacheck.repair(model, profile=profile)
        report = tool_json("repair", path, "-o", tmp_path / "out.vda", "--profile", file)
        assert [p.to_dict() for p in result.repaired] == report["fixed"]
        assert [p.to_dict() for p in result.errors] == report["errors"] and result.clean == report["clean"]
