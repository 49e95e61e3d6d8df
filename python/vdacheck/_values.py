"""The plain values that vdacheck's calls return: problems, results, rules, warnings and entity parts."""

from __future__ import annotations

import json
from typing import Any, NamedTuple, Optional

import numpy


def _as_written(value: Any) -> dict[str, Any]:
    """A value as the library writes it in its JSON report (the same writer as the tool's), read back."""
    from vdacheck import _vdacheck  # the extension imports this module first

    result: dict[str, Any] = json.loads(_vdacheck._json(value))
    return result


class ReadWarning(NamedTuple):
    """A deviation from the format that the reader tolerated, and where it met it."""

    rule: str  #: the reader rule's id, e.g. ``"read-missing-end"``
    line: int
    column: int
    message: str
    summary: bool = False  #: True for the closing warning that counts further ones of the same rule
    severity: str = "warning"  #: ``"error"``, ``"warning"`` or ``"note"``: the rule's, or what a profile set

    def to_dict(self) -> dict[str, Any]:
        """The warning as the tool's JSON report writes it."""
        return _as_written(self)


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
    # The fields of a report row that shows a quality finding. check() gives findings as Finding, with their
    # place by name, so the problems it returns leave these None.
    value: Optional[float] = None
    tolerance: Optional[float] = None
    unit: Optional[str] = None
    point: Optional[tuple[float, float, float]] = None
    severity: str = "error"  #: ``"error"``, ``"warning"`` or ``"note"``: the rule's, or what a profile set

    def to_dict(self) -> dict[str, Any]:
        """The problem as the tool's JSON report writes it (``"round"`` only for repair, the quality fields only
        for quality findings); non-finite doubles are the strings ``"NaN"``, ``"Infinity"``, ``"-Infinity"``."""
        return _as_written(self)


class Finding(NamedTuple):
    """A value measured by a geometric quality rule that fails the rule's tolerance, and where it was measured."""

    rule: str  #: the quality rule's id, e.g. ``"surf-patch-gap"``
    entity: str  #: the name of the entity measured
    type: str  #: its command word
    line: int  #: first line of the entity's statement; 0 for an entity built in code
    value: float  #: the value measured
    tolerance: float  #: the tolerance it fails
    unit: str  #: of both: ``"mm"``, ``"deg"``, ``"relative"`` or ``"crossings"``
    indices: dict[str, int]  #: where, by the names the rule gives them, e.g. ``{"patch_u": 0, "patch_v": 1}``
    parameters: dict[str, float]  #: the parameters of the place, e.g. ``{"s": 1.0, "t": 0.5}``
    point: Optional[tuple[float, float, float]]  #: the place in space, or None when the rule has none
    severity: str = "warning"  #: ``"error"``, ``"warning"`` or ``"note"``: the rule's, or what a profile set

    def to_dict(self) -> dict[str, Any]:
        """The finding as the tool's JSON report writes it (the place under ``"where"``)."""
        return _as_written(self)


class RuleSummary(NamedTuple):
    """What one quality rule measured over the model: how many values, how many failed, and the worst."""

    rule: str
    enabled: bool
    tolerance: float  #: the tolerance the run used
    unit: str
    items: int  #: values measured (joints, seams, patches, edges, ...)
    findings: int  #: of which failed the tolerance
    worst: Optional[Finding]  #: the worst value measured, even when within tolerance; None when nothing was
    severity: str = "warning"  #: the severity its findings are reported at

    def to_dict(self) -> dict[str, Any]:
        """The summary as the tool's JSON report writes it under ``"quality_rules"``."""
        return _as_written(self)


class Skip(NamedTuple):
    """An entity, or a part of one, that the quality run could not measure (a malformed one), and why."""

    entity: str
    type: str
    line: int
    reason: str

    def to_dict(self) -> dict[str, Any]:
        """What was not measured, as the tool's JSON report writes it under ``"quality_skipped"``."""
        return _as_written(self)


class QualityResult(NamedTuple):
    """The outcome of check(model, quality=...): the structural problems and the geometric quality measured."""

    clean: bool  #: no problem and no finding that fails (notes do not)
    problems: list[Problem]  #: what check(model) alone returns
    findings: list[Finding]  #: in file order of the entities, then by rule, then by place
    rules: list[RuleSummary]  #: one per quality rule, in the order of rules()
    skipped: list[Skip]  #: what could not be measured, in file order

    def to_dict(self) -> dict[str, Any]:
        """The parts of the tool's JSON report (``check --quality --format json``) that this result holds."""
        return {
            "clean": self.clean,
            "errors": [p.to_dict() for p in self.problems],
            "quality": [f.to_dict() for f in self.findings],
            "quality_rules": [r.to_dict() for r in self.rules],
            "quality_skipped": [s.to_dict() for s in self.skipped],
        }


class ReportPage(NamedTuple):
    """What report() wrote: a page showing this many problems and findings, and a drawing of this many triangles."""

    clean: bool  #: no problem, and (when measured) no finding: the tool's exit status would be 0
    errors: int  #: problems of the structural check
    findings: int  #: quality findings; 0 when the quality was not measured
    triangles: int  #: triangles the drawing of the model has


class Round(NamedTuple):
    """What one round of a repair did: problems found, repaired, entities deleted, and whether it ended clean."""

    found: int
    repaired: int
    deleted: int
    clean: bool


class Rename(NamedTuple):
    """An entity repair gave a name of its own, as an earlier entity has its name (references resolve to that one)."""

    entity: str  #: the name it had
    to: str  #: the name it has now
    type: str  #: its command word
    line: int  #: first line of its statement; 0 for an entity built in code

    def to_dict(self) -> dict[str, Any]:
        """The rename as the tool's JSON report of repair has it in ``renamed``."""
        return {"entity": self.entity, "to": self.to, "type": self.type, "line": self.line}


class Result(NamedTuple):
    """The outcome of fix, clean or repair."""

    clean: bool  #: nothing is left in the error log: the model checks clean
    entities: int  #: entities in the model afterwards
    rounds: list[Round]  #: one per round of repair; fix and clean make one round
    repaired: list[Problem]  #: the problems repaired, in file order (round by round for repair)
    errors: list[Problem]  #: fix: the problems left; clean and repair: those that made entities go
    deleted: list[str]  #: names of the entities deleted, in file order (round by round for repair)
    renamed: list[Rename]  #: repair: entities given a name of their own first, in file order; else empty


class Healed(NamedTuple):
    """A quality finding that heal() closed: as measured before, its value after, and how far the geometry moved."""

    finding: Finding  #: as measured before healing: the value before, the tolerance, the place
    value_after: float  #: the same measure at the same place after healing, in the finding's unit
    displacement: float  #: mm: the farthest any point of a changed curve or surface moved
    changed: list[str]  #: the entities changed, the finding's own first where it changed
    how: str  #: what was done, in a few words

    def to_dict(self) -> dict[str, Any]:
        """The item as the tool's JSON report of heal has it under ``"healed"``."""
        return {
            **self.finding.to_dict(),
            "value_after": self.value_after,
            "displacement": self.displacement,
            "changed": list(self.changed),
            "how": self.how,
        }


class Left(NamedTuple):
    """A quality finding that heal() left as it was, and why."""

    finding: Finding
    reason: str  #: e.g. ``"above the healing tolerance (0.1 mm)"``

    def to_dict(self) -> dict[str, Any]:
        """The item as the tool's JSON report of heal has it under ``"left"``."""
        return {**self.finding.to_dict(), "reason": self.reason}


class HealCount(NamedTuple):
    """Per quality rule that had findings before healing: how many were healed and how many left."""

    rule: str
    healed: int
    left: int

    def to_dict(self) -> dict[str, Any]:
        return {"rule": self.rule, "healed": self.healed, "left": self.left}


class HealResult(NamedTuple):
    """The outcome of heal(): the structural repair it ran first, the findings before, what it healed and left, and
    the quality measured after."""

    clean: bool  #: the model checks clean and no finding that fails is left: the tool's exit status would be 0
    file: str  #: the model's name
    entities: int  #: entities in the model afterwards
    tolerance: float  #: mm, as asked
    angle: float  #: degrees, as asked
    largest_displacement: float  #: mm, over every changed entity
    warnings: list[ReadWarning]  #: the model's reader warnings, as the profile reports them
    rounds: list[Round]  #: the rounds of the structural repair
    repaired: list[Problem]  #: what the repair repaired, round by round
    errors: list[Problem]  #: the problems that made the repair delete entities
    deleted: list[str]  #: the entities the repair deleted
    renamed: list[Rename]  #: the entities the repair gave a name of their own
    before: list[Finding]  #: the findings of the repaired model, before healing
    healed: list[Healed]  #: in the order of the findings before
    left: list[Left]  #: likewise
    counts: list[HealCount]  #: per rule that had findings, in the order of rules()
    undone: list[str]  #: healings taken back because they would have moved a point too far, one line each
    findings: list[Finding]  #: after healing
    rules: list[RuleSummary]  #: per quality rule, after healing
    skipped: list[Skip]  #: what could not be measured after healing

    def to_dict(self) -> dict[str, Any]:
        """The tool's JSON report of ``vdacheck heal`` for this model."""
        return {
            "file": self.file,
            "entities": self.entities,
            "clean": self.clean,
            "rounds": len(self.rounds),
            "warnings": [w.to_dict() for w in self.warnings],
            "errors": [p.to_dict() for p in self.errors],
            "fixed": [p.to_dict() for p in self.repaired],
            "deleted": list(self.deleted),
            "renamed": [r.to_dict() for r in self.renamed],
            "tolerance": self.tolerance,
            "angle": self.angle,
            "largest_displacement": self.largest_displacement,
            "quality_before": [f.to_dict() for f in self.before],
            "healed": [h.to_dict() for h in self.healed],
            "left": [item.to_dict() for item in self.left],
            "heal_rules": [c.to_dict() for c in self.counts],
            "undone": list(self.undone),
            "quality": [f.to_dict() for f in self.findings],
            "quality_rules": [r.to_dict() for r in self.rules],
            "quality_skipped": [s.to_dict() for s in self.skipped],
        }


class Rule(NamedTuple):
    """A rule of the registry: what vdacheck can find, under a stable id."""

    id: str  #: e.g. ``"cons-curve-ptr"``: the entity's command word, then what is checked
    kind: str  #: ``"check"`` (a structural check), ``"read"`` (a reader deviation) or ``"quality"``
    severity: str  #: ``"error"`` or ``"warning"``: its severity unless a profile sets another
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
