"""Grabbers: open a board through an applet, acquire pictures as numpy arrays."""

from __future__ import annotations

import ctypes
import os
import threading
from typing import Any, Dict, Iterator, Mapping, Optional, Union

import numpy

from . import _check
from ._errors import Error
from ._lib import Closable, applet_file, load_typed

__all__ = ["Grabber", "Picture", "PARAMETERS", "FORMATS"]

_vp = ctypes.c_void_p
_int = ctypes.c_int

#: Parameter names known per applet (by the applet's file name without suffix).
PARAMETERS: Dict[str, Dict[str, int]] = {
    "applet_acqsim": {
        "width": 6100,
        "height": 6200,
        "format": 6300,
        "rate": 6400,
        "trigger": 6500,
        "picture_size": 6900,
    },
}
#: Names accepted for the "format" parameter (bits per pixel).
FORMATS: Dict[str, int] = {"grey": 8, "gray": 8, "colour": 24, "color": 24}

_MODE_CONTINUOUS = 1
_ENDLESS = -1


_SIGNATURES = {
    "Px_Init": (_vp, [ctypes.c_char_p, _int]),
    "Px_InitCamera": (_vp, [ctypes.c_char_p, _int]),
    "Px_InitConfig": (_vp, [ctypes.c_char_p, _int]),
    "Px_FreeGrabber": (_int, [_vp]),
    "Px_AllocMemEx": (_vp, [_vp, _int, _int]),
    "Px_FreeMemEx": (_int, [_vp, _vp]),
    "Px_AcquireEx": (_int, [_vp, _int, _int, _int, _vp]),
    "Px_stopAcquireEx": (_int, [_vp, _int, _vp, _int]),
    "Px_getLastPicNumberEx": (_int, [_vp, _int, _vp]),
    "Px_getLastPicNumberBlockingEx": (_int, [_vp, _int, _int, _int, _vp]),
    "Px_getImagePtrEx": (_vp, [_vp, _int, _int, _vp]),
    "Px_setParameter": (_int, [_vp, _int, _vp, _int]),
    "Px_getParameter": (_int, [_vp, _int, _vp, _int]),
    "Px_sendSoftwareTrigger": (_int, [_vp, _int]),
    "Px_saveConfig": (_int, [_vp, ctypes.c_char_p]),
    "Px_loadConfig": (_int, [_vp, ctypes.c_char_p]),
    "Px_getLastErrorNumber": (_int, [_vp]),
    "Px_getLastErrorDescription": (ctypes.c_char_p, [_vp]),
    "Px_getErrorDescription": (ctypes.c_char_p, [_vp, _int]),
    "getLastErrorNumber": (_int, []),
}


def _api() -> ctypes.CDLL:
    return load_typed("pictordyn", _SIGNATURES)


def _text(raw: Optional[bytes]) -> str:
    return raw.decode("latin-1") if raw else ""


class _Handle:
    """An open grabber handle; released when the last object needing it is gone."""

    def __init__(self, api: ctypes.CDLL, pointer: int) -> None:
        self.api = api
        self.pointer: Optional[int] = pointer
        self.lock = threading.Lock()

    def error(self, number: int) -> Error:
        text = _text(self.api.Px_getLastErrorDescription(self.pointer))
        if not text:
            text = _text(self.api.Px_getErrorDescription(self.pointer, number))
        return Error(number, text)

    def release(self) -> None:
        with self.lock:
            pointer, self.pointer = self.pointer, None
        if pointer:
            self.api.Px_FreeGrabber(pointer)

    def __del__(self) -> None:
        try:
            self.release()
        except Exception:
            pass


class _Memory:
    """Picture buffers of a grabber; freed when the grabber lets go and no picture views them."""

    def __init__(self, handle: _Handle, pointer: int, size: int, count: int) -> None:
        self.handle = handle
        self.pointer: Optional[int] = pointer
        self.size = size
        self.count = count

    def release(self) -> None:
        pointer, self.pointer = self.pointer, None
        if pointer and self.handle.pointer:
            self.handle.api.Px_FreeMemEx(self.handle.pointer, pointer)

    def __del__(self) -> None:
        try:
            self.release()
        except Exception:
            pass


class _View:
    """Exposes grabber memory to numpy, keeping that memory alive while viewed."""

    def __init__(self, address: int, shape: tuple, memory: _Memory) -> None:
        self.__array_interface__ = {
            "shape": shape,
            "typestr": "|u1",
            "data": (address, False),
            "version": 3,
        }
        self._memory = memory


class Picture(numpy.ndarray):
    """A picture in the grabber's buffer: a numpy uint8 array viewing it, without a copy.

    Grey pictures are height x width, colour pictures height x width x 3 in
    blue-green-red order. The buffer is refilled by the acquisition once it
    comes round again (after ``buffers`` further pictures): keep a copy
    (``numpy.array(picture)``) of a picture you need later. The memory stays
    allocated as long as any picture views it, also after the grabber closed.

    Attributes:
        number: the picture number (1 for the first picture of an acquisition).
        lost: True when later pictures had already overwritten this one's
            buffer when it was handed over (the contents are then those of a
            later picture).
    """

    number: int
    lost: bool

    def __array_finalize__(self, obj: Any) -> None:
        self.number = getattr(obj, "number", 0)
        self.lost = getattr(obj, "lost", False)


class Grabber(Closable):
    """A grabber on a board, opened through an applet library.

    Exactly one of ``applet`` (applet library; without suffix it gets the
    platform's, ``.so`` or ``.dll``) or ``config`` (a configuration file; the
    applet is found by its maker and type) is given. ``camera=True`` opens
    the applet through its camera initialisation. Use as a context manager,
    or call :meth:`close`; garbage collection closes it too.

    Raises :class:`quorlex.Error` with the library's number and text when the
    grabber cannot be opened (-120 for an applet that cannot be loaded).
    """

    def __init__(
        self,
        applet: Optional[str] = None,
        board: int = 0,
        *,
        config: Optional[Union[str, "os.PathLike[str]"]] = None,
        camera: bool = False,
    ) -> None:
        self._handle: Optional[_Handle] = None
        self._memory: Optional[_Memory] = None
        self._acquiring: Dict[int, bool] = {}
        board = _check.integer(board, "board", 0, 10**6)
        if (applet is None) == (config is None):
            raise ValueError("give exactly one of applet and config")
        api = _api()
        if applet is not None:
            if not isinstance(applet, str):
                raise TypeError(f"applet must be a str, not {type(applet).__name__}")
            name = _check.path(applet_file(applet), "applet")
            init = api.Px_InitCamera if camera else api.Px_Init
            pointer = init(name, board)
            self._applet = os.path.splitext(os.path.basename(applet))[0]
        else:
            pointer = api.Px_InitConfig(_check.path(config, "config"), board)
            self._applet = ""
        if not pointer:
            raise Error(api.getLastErrorNumber(), _text(api.Px_getLastErrorDescription(None)))
        self._handle = _Handle(api, pointer)

    # -- life time -------------------------------------------------------
    @property
    def closed(self) -> bool:
        """True once :meth:`close` ran (or opening failed)."""
        return self._handle is None or self._handle.pointer is None

    def close(self) -> None:
        """Stops every acquisition and lets go of the grabber.

        The handle and buffers are released at once unless pictures still
        view the buffers; then when the last of them is gone.
        """
        handle = self._handle
        if handle is None:
            return
        for port in list(self._acquiring):
            self.stop(port)
        # The handle goes when nothing refers to it any more: this grabber,
        # its memories and the pictures viewing them.
        self._handle = None
        self._memory = None

    def _live(self) -> _Handle:
        if self._handle is None or self._handle.pointer is None:
            raise ValueError("the grabber is closed")
        return self._handle

    @staticmethod
    def _port(port: Any) -> int:
        return _check.integer(port, "port", 0, 1)

    # -- parameters ------------------------------------------------------
    def _number(self, parameter: Union[int, str]) -> int:
        if isinstance(parameter, str):
            names = PARAMETERS.get(self._applet, {})
            if parameter not in names:
                known = ", ".join(sorted(names)) or "none"
                raise KeyError(f"{self._applet or 'this applet'} has no parameter named {parameter!r} (known: {known})")
            return names[parameter]
        return _check.integer(parameter, "parameter")

    def set(self, parameters: Optional[Mapping[Union[int, str], Any]] = None, *, port: int = 0, **named: Any) -> None:
        """Sets parameters: by number always (``set({6100: 1024})``), by name where the applet has them.

        ``format`` also takes "grey" (8 bits) and "colour" (24 bits).
        """
        handle = self._live()
        port = self._port(port)
        items = list((parameters or {}).items()) + list(named.items())
        for key, value in items:
            number = self._number(key)
            if isinstance(value, str) and (key == "format" or number == 6300):
                if value.lower() not in FORMATS:
                    raise ValueError(f"unknown format {value!r}; one of {', '.join(FORMATS)}")
                value = FORMATS[value.lower()]
            v = ctypes.c_int(_check.integer(value, str(key)))
            result = handle.api.Px_setParameter(handle.pointer, number, ctypes.byref(v), port)
            if result < 0:
                raise handle.error(result)

    def get(self, parameter: Union[int, str], *, port: int = 0) -> int:
        """The value of a parameter, by number or by name."""
        handle = self._live()
        port = self._port(port)
        number = self._number(parameter)
        v = ctypes.c_int(0)
        result = handle.api.Px_getParameter(handle.pointer, number, ctypes.byref(v), port)
        if result < 0:
            raise handle.error(result)
        return v.value

    def _geometry(self, port: int) -> tuple:
        if self._applet in PARAMETERS:
            width, height, bits = self.get("width", port=port), self.get("height", port=port), self.get("format", port=port)
            return (height, width) if bits == 8 else (height, width, 3)
        raise ValueError("give the picture shape: the applet's geometry parameters are not known")

    # -- memory and acquisition ------------------------------------------
    def allocate(self, buffers: int = 4, *, shape: Optional[tuple] = None, port: int = 0) -> None:
        """Allocates ``buffers`` picture buffers for pictures of ``shape``.

        The shape (height x width, or height x width x 3 for colour) is read
        from the applet's parameters of ``port`` when not given. Replaces an
        earlier allocation (not while acquiring).
        """
        handle = self._live()
        buffers = _check.integer(buffers, "buffers", 1, 1 << 16)
        if self._acquiring:
            raise ValueError("cannot allocate while acquiring")
        if shape is None:
            shape = self._geometry(self._port(port))
        shape = tuple(_check.integer(s, "shape", 1) for s in shape)
        if len(shape) not in (2, 3) or (len(shape) == 3 and shape[2] != 3):
            raise ValueError(f"shape must be (height, width) or (height, width, 3), not {shape}")
        size = int(numpy.prod(shape))
        if size > 2**31 - 1:
            raise ValueError("picture too large")
        self._memory = None  # the old one goes when no picture views it
        pointer = handle.api.Px_AllocMemEx(handle.pointer, size, buffers)
        if not pointer:
            raise handle.error(handle.api.Px_getLastErrorNumber(handle.pointer))
        self._memory = _Memory(handle, pointer, size, buffers)
        self._shape = shape

    def _mem(self) -> _Memory:
        if self._memory is None:
            raise ValueError("allocate buffers first")
        return self._memory

    def start(self, count: Optional[int] = None, *, port: int = 0) -> None:
        """Starts acquiring ``count`` pictures (None: until stopped) into the allocated buffers."""
        handle = self._live()
        port = self._port(port)
        memory = self._mem()
        n = _ENDLESS if count is None else _check.integer(count, "count", 1)
        result = handle.api.Px_AcquireEx(handle.pointer, port, n, _MODE_CONTINUOUS, memory.pointer)
        if result < 0:
            raise handle.error(result)
        self._acquiring[port] = True

    def stop(self, port: int = 0) -> None:
        """Stops the acquisition of ``port`` (nothing happens when it does not acquire)."""
        handle = self._live()
        port = self._port(port)
        if self._acquiring.pop(port, None) and self._memory is not None:
            result = handle.api.Px_stopAcquireEx(handle.pointer, port, self._memory.pointer, 0)
            if result < 0:
                raise handle.error(result)

    def wait(self, number: int, timeout: float = 1.0, *, port: int = 0) -> int:
        """Waits until picture ``number`` exists and returns the last picture number.

        ``timeout`` in seconds (None: no limit). Raises :class:`quorlex.Error`
        on a time-out or when the picture cannot come any more.
        """
        handle = self._live()
        port = self._port(port)
        memory = self._mem()
        number = _check.integer(number, "number", 1)
        if timeout is not None and (isinstance(timeout, bool) or not isinstance(timeout, (int, float))):
            raise TypeError("timeout must be a number of seconds or None")
        ms = -1 if timeout is None else int(round(float(timeout) * 1000))
        if not -1 <= ms <= 2**31 - 1 or (timeout is not None and timeout < 0):
            raise ValueError("timeout must be between 0 and about 24 days, or None")
        last = handle.api.Px_getLastPicNumberBlockingEx(handle.pointer, number, port, ms, memory.pointer)
        if last < 0:
            raise handle.error(last)
        return last

    def picture(self, number: int, *, port: int = 0, last: Optional[int] = None) -> Picture:
        """Picture ``number`` as a :class:`Picture` viewing its buffer (no copy)."""
        handle = self._live()
        port = self._port(port)
        memory = self._mem()
        number = _check.integer(number, "number", 1)
        address = handle.api.Px_getImagePtrEx(handle.pointer, number, port, memory.pointer)
        if not address:
            raise handle.error(handle.api.Px_getLastErrorNumber(handle.pointer))
        array = numpy.asarray(_View(address, self._shape, memory)).view(Picture)
        array.number = number
        if last is None:
            last = handle.api.Px_getLastPicNumberEx(handle.pointer, port, memory.pointer)
        array.lost = last - number >= memory.count
        return array

    def acquire(self, count: Optional[int] = None, *, timeout: float = 1.0, port: int = 0) -> Iterator[Picture]:
        """Acquires ``count`` pictures (None: until the loop ends) and yields each in turn.

        Each picture is a :class:`Picture` viewing the grabber's buffer; its
        ``lost`` flag tells that the buffer had already been overwritten. The
        acquisition stops when the loop ends (also by ``break`` or an
        exception). ``timeout`` (seconds) bounds the wait for each picture.
        """
        self._live()
        self._mem()
        self.start(count, port=port)
        try:
            n = 0
            while count is None or n < count:
                n += 1
                last = self.wait(n, timeout, port=port)
                yield self.picture(n, port=port, last=last)
        finally:
            if not self.closed:
                self.stop(port)

    def save_config(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """Writes the grabber's settings to a configuration file (for ``Grabber(config=...)``)."""
        handle = self._live()
        result = handle.api.Px_saveConfig(handle.pointer, _check.path(path))
        if result < 0:
            raise handle.error(result)

    def load_config(self, path: Union[str, "os.PathLike[str]"]) -> None:
        """Loads settings from a configuration file."""
        handle = self._live()
        result = handle.api.Px_loadConfig(handle.pointer, _check.path(path))
        if result < 0:
            raise handle.error(result)

    def trigger(self, port: int = 0) -> None:
        """Sends a software trigger to ``port``."""
        handle = self._live()
        result = handle.api.Px_sendSoftwareTrigger(handle.pointer, self._port(port))
        if result < 0:
            raise handle.error(result)
