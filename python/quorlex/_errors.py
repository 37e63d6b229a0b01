"""The package's exception."""

from __future__ import annotations

__all__ = ["Error"]


class Error(Exception):
    """A failure reported by one of the kit's libraries.

    ``number`` is the library's own error number and ``text`` its own
    description of it (may be empty when the library has none).
    """

    number: int
    text: str

    def __init__(self, number: int, text: str = "") -> None:
        self.number = int(number)
        self.text = text or ""
        super().__init__(f"{self.number}: {self.text}" if self.text else str(self.number))
