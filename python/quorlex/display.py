"""Display windows for numpy pictures."""

from __future__ import annotations

import ctypes
from typing import Any, Optional

import numpy

from . import _check
from ._errors import Error
from ._lib import Closable, load_typed

__all__ = ["Display"]


_int, _vp = ctypes.c_int, ctypes.c_void_p
_SIGNATURES = {
    "CreateDisplay": (_int, [_int, _int, _int]),
    "SetBufferWidth": (_int, [_int, _int, _int]),
    "DrawBuffer": (_int, [_int, _vp, _int, ctypes.c_char_p]),
    "CloseDisplay": (_int, [_int]),
    "GetWindowHandle": (ctypes.c_size_t, [_int]),
}


def _api() -> ctypes.CDLL:
    return load_typed("oculon", _SIGNATURES)


class Display(Closable):
    """A window showing grey (height x width) or colour (height x width x 3, blue-green-red)
    uint8 pictures of one shape.

    Use as a context manager or call :meth:`close`; garbage collection closes it too.
    """

    def __init__(self, shape: tuple, *, title: str = "") -> None:
        self._index: Optional[int] = None
        shape = tuple(_check.integer(s, "shape", 1, 1 << 16) for s in shape)
        if len(shape) not in (2, 3) or (len(shape) == 3 and shape[2] != 3):
            raise ValueError(f"shape must be (height, width) or (height, width, 3), not {shape}")
        self._shape = shape
        self._bits = 8 if len(shape) == 2 else 24
        self._title = self._text(title)
        height, width = shape[:2]
        index = _api().CreateDisplay(self._bits, width, height)
        if index < 0:
            raise Error(index, "the display cannot be created (no display, or all 32 are open)")
        self._index = index
        _api().SetBufferWidth(index, width, height)
        # The library reads whole groups of 8 pixels per row; a buffer of that
        # size keeps it inside memory we own.
        self._frame = numpy.zeros(((width + 7) // 8) * self._bits * height, numpy.uint8)
        self._number = 0

    @staticmethod
    def _text(title: Any) -> bytes:
        if not isinstance(title, str):
            raise TypeError(f"title must be a str, not {type(title).__name__}")
        raw = title.encode("utf-8")
        if b"\0" in raw:
            raise ValueError("title must hold no NUL character")
        return raw

    @property
    def closed(self) -> bool:
        """True once closed."""
        return self._index is None

    @property
    def window(self) -> int:
        """The window of the system (an X11 window id, or a HWND)."""
        return int(_api().GetWindowHandle(self._live()) or 0)

    def _live(self) -> int:
        if self._index is None:
            raise ValueError("the display is closed")
        return self._index

    def draw(self, picture: numpy.ndarray, number: Optional[int] = None) -> None:
        """Shows ``picture`` (of the display's shape); the title shows ``number`` and the title text."""
        index = self._live()
        pixels = _check.picture(picture)
        if pixels.shape != self._shape:
            raise ValueError(f"picture is {pixels.shape}, the display shows {self._shape}")
        if number is not None:
            self._number = _check.integer(number, "number")
        else:
            self._number = getattr(picture, "number", self._number)
        self._frame[: pixels.size] = pixels.reshape(-1)
        _api().DrawBuffer(index, self._frame.ctypes.data, int(self._number), self._title)

    @property
    def title(self) -> str:
        """The text shown in the window title after the picture number (redraws when set)."""
        return self._title.decode("utf-8")

    @title.setter
    def title(self, text: str) -> None:
        index = self._live()
        self._title = self._text(text)
        _api().DrawBuffer(index, self._frame.ctypes.data, int(self._number), self._title)

    def close(self) -> None:
        """Closes the window."""
        index, self._index = self._index, None
        if index is not None:
            _api().CloseDisplay(index)
