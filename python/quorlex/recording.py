"""Recordings: sequence files of many pictures of one size."""

from __future__ import annotations

import ctypes
import os
from typing import Any, Dict, Iterator, Optional, Tuple, Union

import numpy

from . import _check
from ._errors import Error
from ._lib import Closable
from .files import _api, _order

__all__ = ["Recording"]

PathLike = Union[str, "os.PathLike[str]"]


class Recording(Closable):
    """A sequence file, created for writing or opened for reading.

    ``Recording(path, "w", shape=(height, width))`` (or ``(height, width, 3)``
    for colour) creates one; ``Recording(path)`` opens one to read. Use as a
    context manager or call :meth:`close`. Pictures are numpy uint8 arrays,
    colour blue-green-red (``rgb=True`` for red-green-blue).
    """

    def __init__(
        self, path: PathLike, mode: str = "r", *, shape: Optional[Tuple[int, ...]] = None, rgb: bool = False
    ) -> None:
        self._handle: Optional[int] = None
        name = _check.path(path)
        if mode not in ("r", "w"):
            raise ValueError("mode must be 'r' or 'w'")
        self._api = _api()
        self._rgb = bool(rgb)
        self._mode = mode
        self._path = os.fsdecode(name)
        handle = ctypes.c_void_p()
        if mode == "w":
            if shape is None:
                raise ValueError("give the pictures' shape to create a recording")
            shape = tuple(_check.integer(s, "shape", 1, 1 << 16) for s in shape)
            if len(shape) not in (2, 3) or (len(shape) == 3 and shape[2] != 3):
                raise ValueError(f"shape must be (height, width) or (height, width, 3), not {shape}")
            bits = 8 if len(shape) == 2 else 24
            if self._api.IoCreateSeq(ctypes.byref(handle), name, shape[1], shape[0], bits) != 0 or not handle.value:
                raise Error(-1, f"cannot create recording {self._path}")
            self._shape = shape
            self._written = 0
        else:
            w, h, bits = ctypes.c_int(), ctypes.c_int(), ctypes.c_int()
            result = self._api.IoOpenSeq(ctypes.byref(handle), name, ctypes.byref(w), ctypes.byref(h), ctypes.byref(bits))
            if result != 0 or not handle.value:
                raise Error(-1, f"cannot open recording {self._path}")
            if bits.value not in (8, 24):
                self._api.IoCloseSeq(handle)
                raise Error(-1, f"{self._path}: {bits.value} bits per pixel is not supported")
            self._shape = (h.value, w.value) if bits.value == 8 else (h.value, w.value, 3)
        self._handle = handle.value

    @property
    def closed(self) -> bool:
        """True once closed."""
        return self._handle is None

    @property
    def shape(self) -> Tuple[int, ...]:
        """Shape of every picture of the recording."""
        return self._shape

    def close(self) -> None:
        """Closes the recording; raises :class:`quorlex.Error` when a write of it failed."""
        handle, self._handle = self._handle, None
        if handle and self._api.IoCloseSeq(handle) != 0:
            raise Error(-1, f"a write of recording {self._path} failed")

    def _live(self, mode: str) -> int:
        if self._handle is None:
            raise ValueError("the recording is closed")
        if self._mode != mode:
            raise ValueError(f"the recording is open for {'reading' if self._mode == 'r' else 'writing'}")
        return self._handle

    def append(self, picture: numpy.ndarray, number: Optional[int] = None) -> None:
        """Appends a picture of the recording's shape; ``number`` defaults to one more than the last."""
        handle = self._live("w")
        pixels = _order(_check.picture(picture), self._rgb)
        if pixels.shape != self._shape:
            raise ValueError(f"picture is {pixels.shape}, the recording holds {self._shape}")
        n = self._written + 1 if number is None else _check.integer(number, "number")
        if self._api.IoWriteSeqPicture(handle, n, pixels.ctypes.data) != 0:
            raise Error(-1, f"cannot write to recording {self._path}")
        self._written += 1

    def info(self) -> Dict[str, Any]:
        """``count`` (pictures), ``first`` (first picture number) and ``shape``."""
        handle = self._live("r")
        count, first = ctypes.c_int(), ctypes.c_int()
        if self._api.IoGetSeqInfo(handle, ctypes.byref(count), ctypes.byref(first)) != 0:
            raise Error(-1, f"cannot read the header of {self._path}")
        return {"count": count.value, "first": first.value, "shape": self._shape}

    def __len__(self) -> int:
        return int(self.info()["count"])

    def __getitem__(self, index: int) -> numpy.ndarray:
        """Picture ``index`` (0 is the first; negative counts from the end)."""
        handle = self._live("r")
        index = _check.integer(index, "index")
        count = len(self)
        if index < 0:
            index += count
        if not 0 <= index < count:
            raise IndexError(f"index {index} outside the recording of {count} pictures")
        out = numpy.empty(self._shape, numpy.uint8)
        if self._api.IoReadSeqPicture(handle, index, out.ctypes.data) != 0:
            raise Error(-1, f"cannot read picture {index} of {self._path}")
        return _order(out, self._rgb)

    def __iter__(self) -> Iterator[numpy.ndarray]:
        for index in range(len(self)):
            yield self[index]

    def export_avi(self, path: PathLike, first: int = 0, end: Optional[int] = None) -> None:
        """Writes pictures ``first`` to ``end - 1`` (default: all) as a grey AVI at 10 frames per second.

        Each frame is the first width x height bytes of its picture.
        """
        handle = self._live("r")
        name = _check.path(path)
        count = len(self)
        first = _check.integer(first, "first", 0)
        end = count if end is None else _check.integer(end, "end", 0)
        if not first < count or end > count:
            raise IndexError(f"pictures {first} to {end} outside the recording of {count}")
        if self._api.IoSeqCreateAvi(handle, name, first, end) != 0:
            raise Error(-1, f"cannot export {self._path} to {os.fsdecode(name)}")
