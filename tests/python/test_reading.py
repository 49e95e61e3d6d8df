"""Reading files and text into models, the values entities show, and writing models back."""

from __future__ import annotations

import numpy as np
import pytest

import vdacheck
from conftest import BRACKET, SAMPLES


@pytest.mark.parametrize("threads", [-1, 1025])
def test_read_threads_outside_the_tools_limits_raise(threads):
    with pytest.raises(ValueError, match="threads="):
        vdacheck.read("H = HEADER / 0\nH = END\n", threads=threads)


def test_curve_segments_hold_the_sample_curve():
    curve = vdacheck.load(SAMPLES[0])["SP1"]
    assert isinstance(curve, vdacheck.Curve)
    segments = curve.segments
    assert [(s.start, s.end, s.order) for s in segments] == [(0, 1, 5), (1, 2, 3), (2, 2.7, 2), (2.7, 4, 4)]
    first = segments[0].coeffs  # x coefficients, then y, then z, each by rising power
    assert first.shape == (5, 3)
    assert first[:, 0].tolist() == [0.0, 63.8891754, -51.4652710, 77.0936432, -48.5175476]
    assert first[:, 2].tolist() == [30.0, 0.0, -60.0, 40.0, -10.0]
    assert segments[3].coeffs[1].tolist() == [26.5623550, -19.2350578, 30.0]


def test_surface_patches_index_coefficients_u_first():
    surf = vdacheck.load(SAMPLES[2])["FLAE0001"]
    assert (surf.nu, surf.nv) == (1, 2)
    assert surf.u_parameters.tolist() == [0, 1] and surf.v_parameters.tolist() == [0, 1, 2]
    first, second = surf.patches
    assert (first.u_order, first.v_order, second.u_order, second.v_order) == (3, 4, 3, 3)
    assert (second.v_start, second.v_end) == (1, 2)
    # The x block lists a(0,0), a(1,0), a(2,0), a(0,1), ...: coeffs[k, l] is the coefficient of u^k v^l.
    assert first.coeffs.shape == (3, 4, 3)
    assert first.coeffs[:, 0, 0].tolist() == [10.0, -109.7905273, 99.7905273]
    assert first.coeffs[0, 1, 0] == -435.4880676
    assert first.coeffs[2, 3, 0] == 0.0000687  # the last x coefficient
    assert first.coeffs[0, 0, 1] == -200.0  # the first y coefficient
    assert second.coeffs[2, 2, 2] == 0.0000153


def test_face_loops_and_a_cons_run_against_its_curve():
    model = vdacheck.load(SAMPLES[1])
    face = model["FC267"]
    assert face.surface == "SR109"
    assert [[t.cons for t in loop] for loop in face.boundaries] == [["CN260", "CN261", "CN262", "CN263"], ["CN264", "CN266"]]
    hole = face.boundaries[1][0]
    assert (hole.start, hole.end) == (-7.8539816339744828, -4.7123889803846897)
    cons = model["CN264"]
    assert (cons.surface, cons.curve) == ("SR109", "CV87")
    assert cons.start > cons.end
    assert all(s.coeffs.shape == (s.order, 2) for s in cons.segments)


def test_bracket_entities_show_their_statements():
    model = vdacheck.load(BRACKET)
    assert [e.name for e in model][:3] == ["BRACKET", "BASE", "E1"]
    assert model["BRACKET"].text[1].startswith("VDAFS VERSION     :  2.0")
    assert (model["B3"].type, model["B3"].line) == ("CONS", 39)
    ci1 = model["CI1"]
    assert ci1.v.tolist() == [2.0, 0.0, 0.0]  # the plane vector of length 2
    assert (model["CI3"].start_angle, model["CI3"].end_angle) == (450, 540)
    assert model["G1"].elements == ["PT1", "PT2", "CI1", "CI2", "FC2"]
    assert model["HOLES"].type == "BEGINSET" and isinstance(model["HOLES"], vdacheck.Set)
    top = model["T1"].pairs[0]
    assert (top.first.entity, top.second.entity) == ("F1", "F2")
    assert model["TM1"].matrix.shape == (3, 3)
    assert model["TL1"].transform == "TM1"
    assert "NOPE" not in model and model.get("NOPE") is None
    with pytest.raises(KeyError):
        model["NOPE"]


def test_arrays_view_the_model_read_only():
    model = vdacheck.read("H = HEADER / 0\nPS1 = PSET / 2, 1., 2., 3., 4., 5., 6.\n"
                          "M1 = MDI / 2, 0., 0., 0., 0., 0., 1., 1., 1., 1., .6, .8, 0.\nH = END\n")
    points = model["PS1"].points
    assert points.tolist() == [[1, 2, 3], [4, 5, 6]]
    assert np.shares_memory(points, model["PS1"].points)  # no copy: both look at the entity
    assert not points.flags.writeable
    with pytest.raises(ValueError):
        points[0, 0] = 9.0
    vectors = model["M1"].vectors  # every other double is the vector's cached length: a strided view
    assert vectors.tolist() == [[0, 0, 1], [0.6, 0.8, 0]]
    assert np.shares_memory(vectors, model["M1"].vectors)


# Malformed text: the line and column the error names (the reader's own tests have every kind of fault).
MALFORMED = [
    ("P1 = POINT / 1., 2., 3.\n", 1, 6),  # no HEADER: the command word is not HEADER
    ("H = HEADER / 0\nP1 = POINT / 1., x, 3.\nH = END\n", 2, 18),  # not a number
]


@pytest.mark.parametrize("text, line, column", MALFORMED)
def test_malformed_text_raises_where_it_goes_wrong(text, line, column):
    with pytest.raises(vdacheck.ReadError) as raised:
        vdacheck.read(text, name="bad.vda")
    error = raised.value
    assert (error.path, error.line, error.column) == ("bad.vda", line, column)
    assert str(error) == f"bad.vda:{line}:{column}: {error.message}"


def test_a_file_that_cannot_be_opened_raises_without_a_position(tmp_path):
    with pytest.raises(vdacheck.ReadError) as raised:
        vdacheck.load(tmp_path / "missing.vda")
    assert raised.value.line == 0 and str(raised.value).startswith(str(tmp_path / "missing.vda") + ": ")


def test_written_text_reads_back_byte_for_byte(tmp_path):
    # A Latin-1 header record is no UTF-8: it travels as a surrogate escape and comes back as the same byte.
    raw = b"H = HEADER / 1\nSENDER: M\xdcLLER\nP1 = POINT / 1., 2., 3.\nH = END\n"
    model = vdacheck.read(raw)
    assert model["H"].text == ["SENDER: M\udcdcLLER"]
    text = model.write()
    assert text.encode("utf-8", "surrogateescape") == raw
    assert vdacheck.read(text).write() == text
    model.save(tmp_path / "out.vda")
    assert (tmp_path / "out.vda").read_bytes() == raw


def test_an_unwritable_model_raises_and_writes_nothing(tmp_path):
    model = vdacheck.read("H = HEADER / 0\nP1 = POINT / 1., 2., 3.\nH = END\n")
    with pytest.raises(vdacheck.WriteError):
        model.save(tmp_path / "no" / "such" / "folder.vda")
    assert not (tmp_path / "no").exists()
