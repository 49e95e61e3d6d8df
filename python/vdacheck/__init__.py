"""vdacheck: read, check, repair and write VDA-FS models.

    import vdacheck
    model = vdacheck.load("part.vda")          # ReadError with .path, .line, .column, .message
    for problem in vdacheck.check(model):      # list of Problem, entity by entity in file order
        print(problem.entity, problem.rule, problem.message)
    quality = vdacheck.check(model, quality=True)   # QualityResult: .problems, .findings, .rules, .skipped
    vdacheck.report(model, "part.html", quality=True)  # the HTML report page, as `vdacheck report` writes it
    result = vdacheck.repair(model)            # rounds of check, fix, check, delete until clean
    model.save("part.repaired.vda")
    healed = vdacheck.heal(model, tolerance=0.05)   # HealResult: .healed, .left, .counts, .before, .findings

Entities come by name (model["CN12"]) or in file order (for entity in model); their values are read-only
properties, blocks of numbers NumPy arrays that view the model. load, read, check, fix, clean, repair, heal, report
and save release the GIL, so threads that work on different models run at once; a model serves one thread at a time.
"""

from vdacheck._errors import DeletedEntityError, ModelBusyError, ProfileError, ReadError, WriteError
from vdacheck._values import (
    Finding,
    HealCount,
    Healed,
    HealResult,
    Left,
    Pair,
    Patch,
    Problem,
    QualityResult,
    ReadWarning,
    Rename,
    ReportPage,
    Result,
    Round,
    Rule,
    RuleSummary,
    Segment,
    Side,
    Skip,
    Trim,
)
from vdacheck._vdacheck import (
    Circle,
    Cons,
    Curve,
    Entity,
    Face,
    Group,
    Header,
    Mdi,
    Model,
    Point,
    Pset,
    Set,
    Surf,
    Tlist,
    Tmat,
    Top,
    __version__,
    check,
    clean,
    fix,
    heal,
    load,
    read,
    repair,
    report,
    rules,
)

__all__ = [
    "Circle", "Cons", "Curve", "DeletedEntityError", "Entity", "Face", "Finding", "Group", "HealCount", "Healed",
    "HealResult", "Header", "Left", "Mdi", "Model", "ModelBusyError", "Pair", "Patch", "Point", "Problem", "ProfileError", "Pset", "QualityResult", "ReadError",
    "ReadWarning", "Rename", "ReportPage", "Result", "Round", "Rule", "RuleSummary", "Segment", "Set", "Side", "Skip", "Surf",
    "Tlist", "Tmat", "Top", "Trim", "WriteError", "check", "clean", "fix", "heal", "load", "read", "repair", "report", "rules",
]
