"""Picture files: BMP, TIFF, raw and AVI, numpy arrays in and out.

Colour pictures are height x width x 3 arrays in the kit's blue-green-red
order. Pass ``rgb=True`` to give or get red-green-blue instead (the order
Pillow, tifffile and most numpy tools use).
"""

from __future__ import annotations

import ctypes
import os
from typing import Iterable, Optional, Union

import numpy

from . import _check
from ._errors import Error
from ._lib import load_typed

__all__ = ["write_bmp", "read_bmp", "write_tiff", "read_tiff", "write_raw", "read_raw", "write_avi"]

PathLike = Union[str, "os.PathLike[str]"]
_vp = ctypes.c_void_p
_int = ctypes.c_int
_pint = ctypes.POINTER(ctypes.c_int)


_SIGNATURES = {
    "IoWriteBmp": (_int, [ctypes.c_char_p, _vp, _int, _int, _int]),
    "IoReadBmp": (_vp, [ctypes.c_char_p, ctypes.POINTER(_vp), _pint, _pint, _pint]),
    "IoCloseBmp": (_int, [_vp]),
    "IoWriteRaw": (_int, [ctypes.c_char_p, _vp, _int, _int, _int]),
    "IoReadRaw": (_int, [ctypes.c_char_p, ctypes.POINTER(_vp), _pint, _pint, _pint]),
    "IoFreeRaw": (_int, [_vp]),
    "IoWriteTiff": (_int, [ctypes.c_char_p, _vp, _int, _int, _int, _int]),
    "IoReadTiff": (_int, [ctypes.c_char_p, ctypes.POINTER(_vp), _pint, _pint, _pint, _pint]),
    "IoFreeTiff": (_int, [_vp]),
    "IoCreateAVIGray": (_int, [ctypes.POINTER(_vp), ctypes.c_char_p, _int, _int, ctypes.c_double]),
    "IoCreateAVIColor": (_int, [ctypes.POINTER(_vp), ctypes.c_char_p, _int, _int, ctypes.c_double]),
    "IoWriteAVIPicture": (_int, [_vp, _int, _vp]),
    "IoCloseAVI": (_int, [_vp]),
    "IoCreateSeq": (_int, [ctypes.POINTER(_vp), ctypes.c_char_p, _int, _int, _int]),
    "IoOpenSeq": (_int, [ctypes.POINTER(_vp), ctypes.c_char_p, _pint, _pint, _pint]),
    "IoWriteSeqPicture": (_int, [_vp, _int, _vp]),
    "IoReadSeqPicture": (_int, [_vp, _int, _vp]),
    "IoReadNextSeqPicture": (_int, [_vp, _pint, _vp]),
    "IoGetSeqInfo": (_int, [_vp, _pint, _pint]),
    "IoCloseSeq": (_int, [_vp]),
    "IoSeqCreateAvi": (_int, [_vp, ctypes.c_char_p, _int, _int]),
}


def _api() -> ctypes.CDLL:
    return load_typed("nimbrix", _SIGNATURES)


def _order(picture: numpy.ndarray, rgb: bool) -> numpy.ndarray:
    """Swaps red and blue of a colour picture when ``rgb`` (a new array), else returns it."""
    if rgb and picture.ndim == 3:
        return numpy.ascontiguousarray(picture[:, :, ::-1])
    return picture


def _shape(width: int, height: int, channels: int) -> tuple:
    return (height, width) if channels == 1 else (height, width, channels)


def write_bmp(path: PathLike, picture: numpy.ndarray, *, rgb: bool = False) -> None:
    """Writes a grey (height x width) or colour (height x width x 3) uint8 picture as a BMP file."""
    name = _check.path(path)
    pixels = _order(_check.picture(picture), rgb)
    h, w = pixels.shape[:2]
    bits = 8 if pixels.ndim == 2 else 24
    if _api().IoWriteBmp(name, pixels.ctypes.data, w, h, bits) != 0:
        raise Error(-1, f"cannot write BMP file {os.fsdecode(name)}")


def read_bmp(path: PathLike, *, rgb: bool = False) -> numpy.ndarray:
    """Reads a BMP file: height x width (grey) or height x width x 3 (colour) uint8."""
    name = _check.path(path)
    api = _api()
    pixels, w, h, bits = _vp(), _int(), _int(), _int()
    image = api.IoReadBmp(name, ctypes.byref(pixels), ctypes.byref(w), ctypes.byref(h), ctypes.byref(bits))
    try:
        if not pixels.value:
            raise Error(-1, f"cannot read BMP file {os.fsdecode(name)}")
        if bits.value not in (8, 24):
            raise Error(-1, f"{os.fsdecode(name)}: {bits.value} bits per pixel is not supported")
        channels = bits.value // 8
        size = w.value * h.value * channels
        data = numpy.ctypeslib.as_array((ctypes.c_uint8 * size).from_address(pixels.value)).copy()
    finally:
        if image:
            api.IoCloseBmp(image)
    return _order(data.reshape(_shape(w.value, h.value, channels)), rgb)


def write_tiff(path: PathLike, picture: numpy.ndarray, *, rgb: bool = False) -> None:
    """Writes a grey or colour uint8 picture as an uncompressed TIFF file.

    Colour files hold red-green-blue, as TIFF readers expect; the array is
    taken blue-green-red unless ``rgb``. Grey files are declared WhiteIsZero
    (the kit's convention); their bytes are the array's unchanged.
    """
    name = _check.path(path)
    pixels = _order(_check.picture(picture), rgb)
    h, w = pixels.shape[:2]
    samples = 1 if pixels.ndim == 2 else 3
    if _api().IoWriteTiff(name, pixels.ctypes.data, w, h, 8, samples) != 0:
        raise Error(-1, f"cannot write TIFF file {os.fsdecode(name)}")


def read_tiff(path: PathLike, *, rgb: bool = False) -> numpy.ndarray:
    """Reads an 8-bit TIFF file with 1 or 3 samples: height x width or height x width x 3 uint8.

    Colour comes back blue-green-red (red-green-blue with ``rgb``). Sample
    values are returned as stored, whatever the file's photometric setting.
    """
    name = _check.path(path)
    api = _api()
    pixels, w, h, bits, samples = _vp(), _int(), _int(), _int(), _int()
    ok = api.IoReadTiff(
        name, ctypes.byref(pixels), ctypes.byref(w), ctypes.byref(h), ctypes.byref(bits), ctypes.byref(samples)
    )
    try:
        if not ok or not pixels.value:
            raise Error(0, f"cannot read TIFF file {os.fsdecode(name)}")
        if bits.value != 8 or samples.value not in (1, 3):
            raise Error(0, f"{os.fsdecode(name)}: {bits.value} bits x {samples.value} samples is not supported")
        size = w.value * h.value * samples.value
        data = numpy.ctypeslib.as_array((ctypes.c_uint8 * size).from_address(pixels.value)).copy()
    finally:
        if pixels.value:
            api.IoFreeTiff(pixels)
    data = data.reshape(_shape(w.value, h.value, samples.value))
    if samples.value == 3 and not rgb:
        data = numpy.ascontiguousarray(data[:, :, ::-1])
    return data


def write_raw(path: PathLike, picture: numpy.ndarray, *, rgb: bool = False) -> None:
    """Writes a picture as a raw file: the line "width,height,length" and the bytes."""
    name = _check.path(path)
    pixels = _order(_check.picture(picture), rgb)
    h, w = pixels.shape[:2]
    if pixels.nbytes > 2**31 - 1:
        raise ValueError("picture too large for a raw file")
    if _api().IoWriteRaw(name, pixels.ctypes.data, w, h, pixels.nbytes) != 0:
        raise Error(-1, f"cannot write raw file {os.fsdecode(name)}")


def _raw_length(name: bytes) -> Optional[int]:
    """Bytes of data the raw file's first line describes (None when it is unreadable)."""
    try:
        with open(name, "rb") as f:
            line = f.readline(4096)
        numbers = [int(v) for v in line.decode("ascii").split(",")]
    except (OSError, ValueError, UnicodeDecodeError):
        return None
    if len(numbers) == 3:
        return numbers[2]
    if len(numbers) == 4:
        return numbers[0] * numbers[1] * numbers[3]
    return None


def read_raw(path: PathLike, *, rgb: bool = False) -> numpy.ndarray:
    """Reads a raw file: height x width for width x height bytes, height x width x 3 for three
    times that, otherwise a flat uint8 array of the data."""
    name = _check.path(path)
    api = _api()
    data, w, h, third = _vp(), _int(), _int(), _int()
    if api.IoReadRaw(name, ctypes.byref(data), ctypes.byref(w), ctypes.byref(h), ctypes.byref(third)) != 0:
        raise Error(-1, f"cannot read raw file {os.fsdecode(name)}")
    try:
        length = _raw_length(name)
        if length is None or length < 0:
            raise Error(-1, f"cannot read raw file {os.fsdecode(name)}")
        out = numpy.ctypeslib.as_array((ctypes.c_uint8 * length).from_address(data.value)).copy() if length else numpy.zeros(0, numpy.uint8)
    finally:
        api.IoFreeRaw(data)
    if w.value > 0 and h.value > 0:
        if length == w.value * h.value:
            return out.reshape(h.value, w.value)
        if length == 3 * w.value * h.value:
            return _order(out.reshape(h.value, w.value, 3), rgb)
    return out


def write_avi(
    path: PathLike, pictures: Iterable[numpy.ndarray], *, fps: float = 25.0, rgb: bool = False
) -> int:
    """Writes pictures of one size as an uncompressed AVI (grey or colour by the first picture).

    Frames are stored unchanged, as the kit does (players show the first row
    at the bottom). Returns the number of frames written.
    """
    name = _check.path(path)
    if isinstance(fps, bool) or not isinstance(fps, (int, float)) or not 0 < fps < 1e6:
        raise ValueError("fps must be a positive number")
    api = _api()
    handle = _vp()
    count = 0
    shape = None
    try:
        for picture in pictures:
            pixels = _order(_check.picture(picture), rgb)
            if shape is None:
                shape = pixels.shape
                create = api.IoCreateAVIGray if pixels.ndim == 2 else api.IoCreateAVIColor
                if create(ctypes.byref(handle), name, shape[1], shape[0], float(fps)) != 0:
                    raise Error(-1, f"cannot create AVI file {os.fsdecode(name)}")
            elif pixels.shape != shape:
                raise ValueError(f"picture {count} is {pixels.shape}, the first was {shape}")
            result = api.IoWriteAVIPicture(handle, count, pixels.ctypes.data)
            if result != 0:
                raise Error(result, f"cannot write frame {count} of {os.fsdecode(name)}")
            count += 1
    finally:
        if handle.value:
            closed = api.IoCloseAVI(handle)
            handle = _vp()
        else:
            closed = 0
    if shape is None:
        raise ValueError("no pictures to write")
    if closed != 0:
        raise Error(closed, f"cannot complete AVI file {os.fsdecode(name)}")
    return count
