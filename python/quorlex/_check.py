"""Argument checks done before any call into C."""

from __future__ import annotations

import os
from typing import Any, Union

import numpy

PathLike = Union[str, "os.PathLike[str]"]


def integer(value: Any, name: str, low: int = -(2**31), high: int = 2**31 - 1) -> int:
    """``value`` as an int in [low, high]; TypeError or ValueError otherwise."""
    if isinstance(value, bool) or not isinstance(value, (int, numpy.integer)):
        raise TypeError(f"{name} must be an integer, not {type(value).__name__}")
    v = int(value)
    if not low <= v <= high:
        raise ValueError(f"{name} must be between {low} and {high}, not {v}")
    return v


def path(value: Any, name: str = "file name") -> bytes:
    """A file name as bytes for the C library."""
    if isinstance(value, bytes):
        raw = value
    elif isinstance(value, (str, os.PathLike)):
        raw = os.fsencode(value)
    else:
        raise TypeError(f"{name} must be a str or path, not {type(value).__name__}")
    if not raw or b"\0" in raw:
        raise ValueError(f"{name} must be non-empty and hold no NUL character")
    return raw


def picture(value: Any, name: str = "picture") -> numpy.ndarray:
    """A picture as a C-contiguous uint8 array of 2 dimensions, or 3 with 3 channels."""
    if not isinstance(value, numpy.ndarray):
        raise TypeError(f"{name} must be a numpy array, not {type(value).__name__}")
    if value.dtype != numpy.uint8:
        raise TypeError(f"{name} must hold uint8 values, not {value.dtype}")
    if not (value.ndim == 2 or (value.ndim == 3 and value.shape[2] == 3)):
        raise ValueError(f"{name} must be height x width or height x width x 3, not {value.shape}")
    if value.shape[0] < 1 or value.shape[1] < 1:
        raise ValueError(f"{name} must not be empty")
    return numpy.ascontiguousarray(value)
