"""What editors and help() see: the stubs declare what the module has, the docs read as Python."""

from __future__ import annotations

import ast
import inspect
import pathlib
import pydoc

import vdacheck
from vdacheck import _vdacheck

STUB = pathlib.Path(vdacheck.__file__).parent / "_vdacheck.pyi"


def stub_names() -> dict[str, set[str]]:
    """Top-level names of the stub, and for each class the names it declares."""
    tree = ast.parse(STUB.read_text())
    names: dict[str, set[str]] = {"": set()}
    for node in tree.body:
        if isinstance(node, (ast.FunctionDef, ast.ClassDef)):
            names[""].add(node.name)
        if isinstance(node, ast.ClassDef):
            names[node.name] = {n.name for n in node.body if isinstance(n, ast.FunctionDef)}
        if isinstance(node, ast.AnnAssign):
            names[""].add(node.target.id)
    return names


DUNDERS = {"__len__", "__iter__", "__getitem__", "__contains__", "__eq__", "__hash__"}


def members(cls) -> set[str]:
    """What a class of the module defines itself: its properties and methods, and the protocols it speaks."""
    own = set(vars(cls))
    return {n for n in own if not n.startswith("__")} | (own & DUNDERS)


def test_the_stub_declares_every_name_of_the_module_and_no_other():
    stub = stub_names()
    module = {n for n in vars(_vdacheck) if not n.startswith("_") or n == "__version__"}
    assert stub[""] - {"_Path", "_Array", "_T"} == module
    for name, declared in stub.items():
        if name:
            assert declared == members(getattr(_vdacheck, name)), name


def test_the_package_exports_what_it_lists():
    assert all(hasattr(vdacheck, name) for name in vdacheck.__all__)
    assert vdacheck.Model.__module__ == "vdacheck"


def test_help_shows_python_signatures_and_what_the_call_does():
    text = pydoc.render_doc(vdacheck.check, renderer=pydoc.plaintext)
    assert "check(model, *, quality=False, profile=None, threads=0) -> list[Problem] | QualityResult" in text
    assert "ModelBusyError" in text and "ProfileError" in text
    text = pydoc.render_doc(vdacheck.report, renderer=pydoc.plaintext)
    assert "report(model, path, *, quality=False, profile=None, threads=0, max_triangles=2000000) -> ReportPage" in text
    text = pydoc.render_doc(vdacheck.load, renderer=pydoc.plaintext)
    assert "load(path: os.PathLike, *, threads: int = 0) -> vdacheck.Model" in text
    assert inspect.getdoc(vdacheck.Curve.segments).startswith("The segments")
