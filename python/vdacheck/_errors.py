"""The exceptions of vdacheck."""

from __future__ import annotations

from typing import Any


class ReadError(Exception):
    """A file that cannot be read as VDA-FS statements.

    ``str(error)`` is ``path:line:column: message``, or ``path: message`` when no position applies (``line``
    is 0, e.g. for a file that cannot be opened).
    """

    def __init__(self, path: str, line: int, column: int, message: str) -> None:
        super().__init__(path, line, column, message)
        self.path = path
        self.line = line
        self.column = column
        self.message = message

    def __str__(self) -> str:
        if self.line > 0:
            return f"{self.path}:{self.line}:{self.column}: {self.message}"
        return f"{self.path}: {self.message}"


class WriteError(Exception):
    """A model that cannot be written: a value VDA-FS cannot express, or an output that failed.

    From convert(), also a model with nothing to convert; ``conversion`` is then the Conversion, which says what was
    left out and why (None for the other calls).
    """

    conversion: Any = None


class ModelBusyError(RuntimeError):
    """The model is in use by another thread; a model serves one thread at a time."""


class DeletedEntityError(ReferenceError):
    """The entity was deleted from its model (by clean or repair); only its name and type remain."""


class ProfileError(ValueError):
    """A profile that cannot be used: not JSON, an unknown rule or key, a key given twice, a value of the wrong kind
    or out of range, or a file that cannot be read (a folder, say).

    The message names the profile (its path, or ``quality profile`` or ``profile`` for a dict) and the key that is
    wrong, as the tool's does.
    """
