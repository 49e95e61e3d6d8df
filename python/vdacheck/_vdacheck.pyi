# Type stubs of the extension module; the package vdacheck re-exports all of it.
import os
from typing import Any, Iterator, Literal, Optional, TypeVar, Union, overload

import numpy
import numpy.typing

from vdacheck._values import (
    HealResult,
    Pair,
    Patch,
    Problem,
    QualityResult,
    ReadWarning,
    ReportPage,
    Result,
    Rule,
    Segment,
    Trim,
)

__version__: str

_Path = Union[str, os.PathLike[str]]
_Array = numpy.typing.NDArray[numpy.float64]
_T = TypeVar("_T")
# quality=: True for the default profile, a profile as a dict (the keys of a profile file), or a profile file.
_Profile = Union[Literal[True], dict[str, Any], str, bytes, os.PathLike[str]]
# profile=: a profile of every rule, as a dict (the keys of a profile file) or a profile file.
_ProfileGiven = Union[dict[str, Any], str, bytes, os.PathLike[str]]

class Entity:
    """An entity of a model; once clean or repair deletes it, its values raise DeletedEntityError."""
    @property
    def name(self) -> str: ...
    @property
    def type(self) -> str: ...
    @property
    def line(self) -> int: ...
    @property
    def changed(self) -> bool: ...
    @property
    def deleted(self) -> bool: ...
    def __eq__(self, other: object) -> bool: ...
    def __hash__(self) -> int: ...

class Header(Entity):
    @property
    def text(self) -> list[str]: ...

class Point(Entity):
    @property
    def point(self) -> _Array: ...

class Pset(Entity):
    @property
    def points(self) -> _Array: ...

class Mdi(Entity):
    @property
    def points(self) -> _Array: ...
    @property
    def vectors(self) -> _Array: ...

class Circle(Entity):
    @property
    def centre(self) -> _Array: ...
    @property
    def radius(self) -> float: ...
    @property
    def v(self) -> _Array: ...
    @property
    def w(self) -> _Array: ...
    @property
    def start_angle(self) -> float: ...
    @property
    def end_angle(self) -> float: ...

class Curve(Entity):
    @property
    def segments(self) -> list[Segment]: ...

class Surf(Entity):
    @property
    def nu(self) -> int: ...
    @property
    def nv(self) -> int: ...
    @property
    def u_parameters(self) -> _Array: ...
    @property
    def v_parameters(self) -> _Array: ...
    @property
    def patches(self) -> list[Patch]: ...

class Cons(Entity):
    @property
    def surface(self) -> Optional[str]: ...
    @property
    def curve(self) -> Optional[str]: ...
    @property
    def start(self) -> float: ...
    @property
    def end(self) -> float: ...
    @property
    def segments(self) -> list[Segment]: ...

class Face(Entity):
    @property
    def surface(self) -> Optional[str]: ...
    @property
    def boundaries(self) -> list[list[Trim]]: ...

class Top(Entity):
    @property
    def pairs(self) -> list[Pair]: ...

class Group(Entity):
    @property
    def elements(self) -> list[Optional[str]]: ...

class Set(Entity):
    @property
    def elements(self) -> list[Optional[str]]: ...

class Tmat(Entity):
    @property
    def matrix(self) -> _Array: ...
    @property
    def translation(self) -> _Array: ...

class Tlist(Entity):
    @property
    def transform(self) -> Optional[str]: ...
    @property
    def elements(self) -> list[Optional[str]]: ...

class Model:
    """A VDA-FS model from load() or read(); serves one thread at a time."""
    def __len__(self) -> int: ...
    def __iter__(self) -> Iterator[Entity]: ...
    def __getitem__(self, name: str) -> Entity: ...
    def __contains__(self, name: object) -> bool: ...
    @overload
    def get(self, name: str) -> Optional[Entity]: ...
    @overload
    def get(self, name: str, default: _T) -> Union[Entity, _T]: ...
    @property
    def name(self) -> str: ...
    @property
    def warnings(self) -> list[ReadWarning]: ...
    def save(self, path: _Path) -> None: ...
    def write(self) -> str: ...
    @property
    def _released_ns(self) -> tuple[int, int]: ...

def load(path: _Path, *, threads: int = 0) -> Model:
    """Reads the VDA-FS file at `path`; ReadError when it cannot."""
def read(text: Union[str, bytes], name: str = "<string>", *, threads: int = 0) -> Model:
    """Reads VDA-FS text; ReadError when it cannot."""
@overload
def check(
    model: Model, *, quality: Literal[False] | None = False, profile: Optional[_ProfileGiven] = None, threads: int = 0
) -> list[Problem]:
    """The model's problems, entity by entity in file order; the model is not changed."""
@overload
def check(
    model: Model, *, quality: _Profile, profile: Optional[_ProfileGiven] = None, threads: int = 0
) -> QualityResult:
    """The model's problems and its geometric quality measured with the profile; ProfileError for a bad one."""
@overload
def check(
    model: Model, *, quality: bool, profile: Optional[_ProfileGiven] = None, threads: int = 0
) -> Union[list[Problem], QualityResult]: ...
def fix(model: Model, *, profile: Optional[_ProfileGiven] = None) -> Result:
    """Repairs what can be repaired, in place."""
def clean(model: Model, *, profile: Optional[_ProfileGiven] = None) -> Result:
    """fix(), then deletes every entity that still has problems."""
def repair(model: Model, *, profile: Optional[_ProfileGiven] = None) -> Result:
    """Rounds of check, fix, check and delete until the model checks clean."""
def heal(
    model: Model,
    *,
    tolerance: float = 0.1,
    angle: float = 1.0,
    quality: Union[bool, _Profile, None] = None,
    profile: Optional[_ProfileGiven] = None,
    threads: int = 0,
) -> HealResult:
    """Repairs the structure, then closes the quality findings within the tolerance (mm) and angle (degrees)."""

def rules() -> list[Rule]:
    """Every rule: the structural checks, the reader's deviations, the quality rules."""
def report(
    model: Model,
    path: _Path,
    *,
    quality: Union[bool, _Profile] = False,
    profile: Optional[_ProfileGiven] = None,
    threads: int = 0,
    max_triangles: int = 2000000,
) -> ReportPage:
    """Writes the model's HTML report page to `path` through a temporary file; WriteError when it cannot."""
