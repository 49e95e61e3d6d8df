"""The plain values that vdacheck's calls return: problems, results, rules, warnings and entity parts."""

from __future__ import annotations

from typing import Any, NamedTuple, Optional

import numpy


class ReadWarning(NamedTuple):
    """A deviation from the format that the reader tolerated, and where it met it."""

    rule: str  #: the reader rule's id, e.g. ``"read-missing-end"``
    line: int
    column: int
    message: str
    summary: bool = False  #: True for the closing warning that counts further ones of the same rule

    def to_dict(self) -> dict[str, Any]:
        """The warning as the tool's JSON report writes it."""
        return {"rule": self.rule, "line": self.line, "column": self.column, "message": self.message}


class Problem(NamedTuple):
    """A problem found in a model: one error packet of the checker, under the entity it concerns."""

    rule: Optional[str]  #: the rule's id, e.g. ``"cons-trimming-params"``; None for a packet no check logs
    entity: str  #: the name of the entity
    type: str  #: its command word (``"CONS"``; a set's problems carry ``"BEGINSET"``)
    line: int  #: first line of the entity's statement; 0 for an entity built in code
    message: str
    ints: tuple[int, ...]  #: indices that locate the problem, 0-based, outermost first
    doubles: tuple[float, ...]  #: values that measure it
    repair: Optional[str]  #: the name of the repair function, or None when it cannot be repaired
    round: int = 0  #: repair: the round the problem belongs to (from 1); 0 otherwise
    # Geometric quality findings (check(model, quality=True)): the value measured, the tolerance it broke, their
    # unit and where in space; None for the structural problems.
    value: Optional[float] = None
    tolerance: Optional[float] = None
    unit: Optional[str] = None
    point: Optional[tuple[float, float, float]] = None

    def to_dict(self) -> dict[str, Any]:
        """The problem as the tool's JSON report writes it (``"round"`` only for repair, the quality fields only
        for quality findings)."""
        d: dict[str, Any] = {
            "entity": self.entity,
            "type": self.type,
            "line": self.line,
            "rule": self.rule,
            "message": self.message,
            "ints": list(self.ints),
            "doubles": list(self.doubles),
            "repair": self.repair,
        }
        if self.round:
            d["round"] = self.round
        if self.value is not None:
            d.update(value=self.value, tolerance=self.tolerance, unit=self.unit, point=self.point)
        return d


class Round(NamedTuple):
    """What one round of a repair did: problems found, repaired, entities deleted, and whether it ended clean."""

    found: int
    repaired: int
    deleted: int
    clean: bool


class Result(NamedTuple):
    """The outcome of fix, clean or repair."""

    clean: bool  #: nothing is left in the error log: the model checks clean
    entities: int  #: entities in the model afterwards
    rounds: list[Round]  #: one per round of repair; fix and clean make one round
    repaired: list[Problem]  #: the problems repaired, in file order (round by round for repair)
    errors: list[Problem]  #: fix: the problems left; clean and repair: those that made entities go
    deleted: list[str]  #: names of the entities deleted, in file order (round by round for repair)


class Rule(NamedTuple):
    """A rule of the registry: what vdacheck can find, under a stable id."""

    id: str  #: e.g. ``"cons-curve-ptr"``: the entity's command word, then what is checked
    kind: str  #: ``"check"`` (a structural check), ``"read"`` (a reader deviation) or ``"quality"``
    severity: str  #: ``"error"`` or ``"warning"``
    entity: Optional[str]  #: command word of the entity type it concerns; None for reader rules
    check: Optional[str]  #: check rules: the sub-check that logs it; None for the others
    message: str  #: check rules: the problem's message; reader rules: what was met
    repair: Optional[str]  #: name of the repair function, or None
    help: str  #: one sentence: what is wrong, and what the repair does
    tolerance: float  #: quality rules: the default tolerance (0: none)
    unit: str  #: quality rules: the unit of the measured value and of the tolerance


class Segment(NamedTuple):
    """A polynomial segment of a CURVE (coefficients are x, y, z) or a CONS (u, v)."""

    start: float
    end: float
    order: int
    coeffs: numpy.ndarray  #: (order, 3) or (order, 2), rising powers on the unit interval; a read-only view


class Patch(NamedTuple):
    """A tensor-product patch of a SURF."""

    u_start: float
    u_end: float
    v_start: float
    v_end: float
    u_order: int
    v_order: int
    coeffs: numpy.ndarray  #: (u_order, v_order, 3): ``coeffs[k, l]`` is the coefficient of u^k v^l; a read-only view


class Trim(NamedTuple):
    """A piece of a CONS that a FACE boundary or a TOP side uses: its name and range of its parameter."""

    cons: str
    start: float
    end: float


class Side(NamedTuple):
    """One side of a TOP pair: a FACE or SURF and the pieces along which it meets the other side."""

    entity: str
    curves: list[Trim]


class Pair(NamedTuple):
    """A pair of adjacent faces or surfaces of a TOP, and the continuity class of their junction."""

    first: Side
    second: Side
    continuity: int
