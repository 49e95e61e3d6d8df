"""What Python objects keep alive, what they refuse, and models used from several threads."""

from __future__ import annotations

import gc
import os
import threading

import pytest

import vdacheck
from conftest import BRACKET

DEEP = int(os.environ.get("VDACHECK_DEEP_CHAIN", "1000000"))


def group_chain(n: int, end: str = "0., 0., 0.") -> str:
    """n groups, each holding the next, around a point: checking nests once per group."""
    lines = ["CHAIN = HEADER / 0"]
    lines += [f"G{i} = GROUP / 1, G{i + 1}" for i in range(n)]
    lines += [f"G{n} = POINT / {end}", "CHAIN = END", ""]
    return "\n".join(lines)


def test_entities_and_arrays_keep_their_model_alive(tmp_path):
    path = tmp_path / "bracket.vda"
    path.write_bytes(BRACKET.read_bytes())
    model = vdacheck.load(path)
    pset = model["PS1"]
    points = pset.points
    walk = iter(model)
    del model
    path.unlink()  # the model holds its text: it no longer needs the file
    gc.collect()
    assert pset.name == "PS1" and points.shape[1] == 3
    assert next(walk).name == "BRACKET"
    assert pset.points.tolist() == points.tolist()


def test_deleted_entities_raise_but_keep_their_name():
    model = vdacheck.load(BRACKET)
    point, curve, kept = model["PT2"], model["FC2"], model["PT1"]
    vdacheck.repair(model)
    assert point.deleted and curve.deleted and not kept.deleted
    for use in (lambda: point.point, lambda: curve.segments, lambda: curve.line):
        with pytest.raises(vdacheck.DeletedEntityError, match="FC2|PT2"):
            use()
    assert (point.name, point.type) == ("PT2", "POINT")
    assert "PT2" not in model and [e.name for e in model].count("PT1") == 1
    assert kept.point.tolist() == model["PT1"].point.tolist()


@pytest.mark.parametrize("run", [vdacheck.clean, vdacheck.repair], ids=["clean", "repair"])
def test_deleting_calls_wait_until_no_array_views_the_model(run):
    model = vdacheck.load(BRACKET)
    coeffs = model["FC2"].segments[0].coeffs  # FC2 is deleted by both
    with pytest.raises(BufferError, match="1 NumPy array"):
        run(model)
    assert len(model) == 32  # refused before anything changed
    copy = coeffs.copy()
    del coeffs
    assert run(model).deleted
    assert copy.shape[1] == 3


def test_fix_changes_values_in_place_while_arrays_view_the_model():
    model = vdacheck.load(BRACKET)
    cons = model["B3"]
    segments = cons.segments
    assert cons.end == 1.25
    vdacheck.fix(model)
    assert cons.end == 1.0 and cons.changed
    assert segments[0].coeffs.tolist() == cons.segments[0].coeffs.tolist()


def test_a_model_of_a_million_nested_groups_checks(tmp_path):
    model = vdacheck.read(group_chain(DEEP))
    assert vdacheck.check(model) == []
    # From a thread of Python's own, whose stack is smaller still.
    problems = []
    worker = threading.Thread(target=lambda: problems.append(vdacheck.check(model)))
    worker.start()
    worker.join()
    assert problems == [[]]


def test_a_second_thread_is_refused_while_one_uses_the_model():
    model = vdacheck.read(group_chain(200000, end="-1.7976931348623157E+308, 0., 0."))
    worker = threading.Thread(target=vdacheck.fix, args=(model,))
    refused = None
    worker.start()
    while worker.is_alive() and refused is None:
        try:
            len(model)
        except vdacheck.ModelBusyError as e:
            refused = e
    worker.join()
    assert refused is not None, "the fix ended before the main thread could try the model"
    assert len(model) == 200002  # usable again once the other thread is done


@pytest.mark.parametrize("call", [
    lambda model, page: vdacheck.check(model),
    lambda model, page: vdacheck.check(model, quality=True),
    lambda model, page: vdacheck.report(model, page),
], ids=["check", "quality", "report"])
def test_two_models_are_checked_measured_and_drawn_at_once_in_two_threads(call, tmp_path):
    text = group_chain(200000, end="-1.7976931348623157E+308, 0., 0.")  # every group faulty, and the point
    models = [vdacheck.read(text) for _ in range(2)]
    expected = call(vdacheck.read(text), tmp_path / "alone.html")
    results = [None, None]
    barrier = threading.Barrier(2)

    def work(i):
        barrier.wait()
        results[i] = call(models[i], tmp_path / f"page{i}.html")

    threads = [threading.Thread(target=work, args=(i,)) for i in range(2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    assert expected and results == [expected, expected]
    (a0, a1), (b0, b1) = (m._released_ns for m in models)
    assert max(a0, b0) < min(a1, b1), "the two calls did not run at the same time"
