"""Random VDA-FS models with faults of every kind the checker knows, written as text."""

from __future__ import annotations

import random

INVALID = "-1.7976931348623157E+308"  # the invalid-value marker


def real(x: float) -> str:
    text = repr(float(x))
    return text if ("." in text or "e" in text) else text + "."


class _Text:
    """Statements as 72-column records, continued after a trailing comma."""

    def __init__(self) -> None:
        self.records: list[str] = []

    def statement(self, name: str, command: str, tokens: list[str] = ()) -> None:
        record = f"{name:<8} = {command}" + (" / " if tokens else "")
        for i, token in enumerate(tokens):
            piece = token + ("," if i + 1 < len(tokens) else "")
            if len(record) + len(piece) + 1 > 72:
                self.records.append(record)
                record = "           "
            record += (" " if not record.endswith(("/ ", "           ")) else "") + piece
        self.records.append(record)


class _Model:
    def __init__(self, seed: int) -> None:
        self.r = random.Random(seed)
        self.text = _Text()
        self.names: dict[str, list[str]] = {}
        self.counter = 0

    def fault(self, p: float = 0.15) -> bool:
        return self.r.random() < p

    def name(self, prefix: str) -> str:
        # Now and then a name that an earlier entity already has.
        taken = [n for ns in self.names.values() for n in ns]
        if taken and self.fault(0.03):
            return self.r.choice(taken)
        self.counter += 1
        return f"{prefix}{self.counter}"

    def pick(self, kind: str) -> str:
        if self.fault(0.1) or not self.names.get(kind):
            return self.r.choice(["MISSING", *sum(self.names.values(), [])] or ["MISSING"])
        return self.r.choice(self.names[kind])

    def number(self) -> str:
        return INVALID if self.fault(0.04) else real(round(self.r.uniform(-100, 100), 3))

    def add(self, kind: str, command: str, tokens: list[str], prefix: str) -> str:
        name = self.name(prefix)
        self.text.statement(name, command, tokens)
        self.names.setdefault(kind, []).append(name)
        return name

    def ascending(self, n: int) -> list[float]:
        values = [0.0]
        for _ in range(n):
            values.append(values[-1] + (0.0 if self.fault(0.05) else 1.0))
        return values

    def order(self) -> int:
        return self.r.choice([1, 30]) if self.fault(0.05) else self.r.choice([2, 3, 4])

    def curve(self) -> None:
        n = self.r.randint(1, 3)
        tokens = [str(n), *map(real, self.ascending(n))]
        for _ in range(n):
            k = self.order()
            tokens += [str(k)] + [self.number() for _ in range(3 * k)]
        self.add("CURVE", "CURVE", tokens, "C")

    def surf(self) -> None:
        nu, nv = self.r.randint(1, 2), self.r.randint(1, 2)
        tokens = [str(nu), str(nv), *map(real, self.ascending(nu)), *map(real, self.ascending(nv))]
        for _ in range(nu * nv):
            ku, kv = self.r.choice([2, 3]), self.r.choice([2, 3])
            tokens += [str(ku), str(kv)] + [self.number() for _ in range(3 * ku * kv)]
        self.add("SURF", "SURF", tokens, "S")

    def cons(self) -> None:
        end = self.r.choice([1.0, 2.0, 1.25 if self.fault() else 1.0])
        start = -0.5 if self.fault(0.05) else 0.0
        if self.fault(0.1):
            start, end = end, start
        tokens = [self.pick("SURF"), self.pick("CURVE"), real(start), real(end), "1", "0.", "1.", "2"]
        tokens += [real(self.r.choice([0.0, 0.5, 1.0])) for _ in range(4)]
        self.add("CONS", "CONS", tokens, "N")

    def trims(self) -> list[str]:
        n = self.r.randint(1, 3)
        tokens = [str(n)]
        for _ in range(n):
            w2 = 1.5 if self.fault() else 1.0
            tokens += [self.pick("CONS"), "0.", real(w2)]
        return tokens

    def face(self) -> None:
        m = self.r.randint(1, 2)
        tokens = [self.pick("SURF"), str(m)]
        for _ in range(m):
            tokens += self.trims()
        self.add("FACE", "FACE", tokens, "F")

    def top(self) -> None:
        tokens = ["1", self.pick(self.r.choice(["FACE", "SURF"])), *self.trims(),
                  self.pick(self.r.choice(["FACE", "SURF"])), *self.trims(), str(5 if self.fault() else self.r.randint(0, 2))]
        self.add("TOP", "TOP", tokens, "T")

    def point(self) -> None:
        self.add("POINT", "POINT", [self.number() for _ in range(3)], "P")

    def pset(self) -> None:
        n = self.r.randint(1, 4)
        self.add("PSET", "PSET", [str(n)] + [self.number() for _ in range(3 * n)], "PS")

    def mdi(self) -> None:
        n = self.r.randint(1, 3)
        self.add("MDI", "MDI", [str(n)] + [self.number() for _ in range(6 * n)], "M")

    def circle(self) -> None:
        scale = 2.0 if self.fault() else 1.0
        w = ["0.", "0.", "1."] if self.fault(0.1) else ["0.", "1.", "0."]
        start, end = (450.0, 540.0) if self.fault() else (0.0, self.r.choice([90.0, 360.0]))
        radius = -1.0 if self.fault(0.05) else 10.0
        tokens = [self.number(), "0.", "0.", real(radius), real(scale), "0.", "0.", *w, real(start), real(end)]
        self.add("CIRCLE", "CIRCLE", tokens, "CI")

    def group(self) -> None:
        n = self.r.randint(1, 4)
        self.add("GROUP", "GROUP", [str(n)] + [self.pick(self.r.choice(list(self.names))) for _ in range(n)], "G")

    def tmat(self) -> None:
        a = ["1.", "0.", "0.", "0.", "1.", "0.", "0.", "0.", "1."]
        if self.fault():
            a[0] = "0."  # singular
        if self.fault():
            a[0] = "2."  # not a rigid motion
        self.add("TMAT", "TMAT", a + ["10.", "0.", "0."], "TM")

    def tlist(self) -> None:
        n = self.r.randint(1, 3)
        tokens = [self.pick("TMAT"), str(n)] + [self.pick(self.r.choice(["POINT", "CURVE", "FACE"])) for _ in range(n)]
        self.add("TLIST", "TLIST", tokens, "TL")

    def set(self) -> None:
        name = self.name("SET")
        self.text.statement(name, "BEGINSET")
        for _ in range(self.r.randint(1, 2)):
            self.point()
        self.text.statement(name, "ENDSET")
        self.names.setdefault("BEGINSET", []).append(name)


def faulty_model(seed: int) -> str:
    """A model of every entity type, references among them, and faults drawn by `seed`."""
    m = _Model(seed)
    m.text.statement(f"MODEL{seed}", "HEADER", ["0"])
    for make, count in [(m.point, 3), (m.pset, 1), (m.mdi, 1), (m.circle, 3), (m.curve, 4), (m.surf, 2),
                        (m.cons, 5), (m.face, 2), (m.top, 1), (m.set, 1), (m.tmat, 1), (m.tlist, 1), (m.group, 2)]:
        for _ in range(m.r.randint(1, count)):
            make()
    m.text.statement(f"MODEL{seed}", "END")
    return "\n".join(m.text.records) + "\n"
