"""Camera Link serial ports."""

from __future__ import annotations

import ctypes
import time
from typing import Any, Iterator, List, Optional, Tuple

from . import _check
from ._errors import Error
from ._lib import Closable, load_typed

__all__ = ["SerialPort", "BAUD_RATES"]

_u32 = ctypes.c_uint32
_i32 = ctypes.c_int32
_vp = ctypes.c_void_p
_pu32 = ctypes.POINTER(_u32)

#: Baud rates and their Camera Link bits.
BAUD_RATES = {9600: 1, 19200: 2, 38400: 4, 57600: 8, 115200: 16, 230400: 32, 460800: 64, 921600: 128}
_TIMEOUT = -10004


_SIGNATURES = {
    "clSerialInit": (_i32, [_u32, ctypes.POINTER(_vp)]),
    "clSerialRead": (_i32, [_vp, ctypes.c_char_p, _pu32, _u32]),
    "clSerialWrite": (_i32, [_vp, ctypes.c_char_p, _pu32, _u32]),
    "clSerialClose": (None, [_vp]),
    "clGetNumSerialPorts": (_i32, [_pu32]),
    "clGetSerialPortIdentifier": (_i32, [_u32, ctypes.c_char_p, _pu32]),
    "clGetNumBytesAvail": (_i32, [_vp, _pu32]),
    "clFlushPort": (_i32, [_vp]),
    "clGetSupportedBaudRates": (_i32, [_vp, _pu32]),
    "clSetBaudRate": (_i32, [_vp, _u32]),
    "clGetErrorText": (_i32, [_i32, ctypes.c_char_p, _pu32]),
}


def _api() -> ctypes.CDLL:
    return load_typed("clserqx3", _SIGNATURES)


def _error(number: int) -> Error:
    buf = ctypes.create_string_buffer(512)
    size = _u32(len(buf))
    text = ""
    if _api().clGetErrorText(number, buf, ctypes.byref(size)) == 0:
        text = buf.value.decode("latin-1")
    return Error(number, text)


def _ms(timeout: float) -> int:
    if isinstance(timeout, bool) or not isinstance(timeout, (int, float)) or timeout < 0:
        raise ValueError("timeout must be a number of seconds >= 0")
    ms = int(round(timeout * 1000))
    if ms > 2**32 - 1:
        raise ValueError("timeout too long")
    return ms


class SerialPort(Closable):
    """The serial channel to the camera on a camera port: index 2 x board + port (0 = A, 1 = B).

    Use as a context manager or call :meth:`close`; garbage collection closes
    it too. Failures raise :class:`quorlex.Error` with the Camera Link
    number and text.
    """

    def __init__(self, index: int = 0) -> None:
        self._ref: Optional[int] = None
        self.index = _check.integer(index, "index", 0, 2**32 - 1)
        ref = _vp()
        result = _api().clSerialInit(self.index, ctypes.byref(ref))
        if result != 0:
            raise _error(result)
        self._ref = ref.value

    @staticmethod
    def count() -> int:
        """The number of serial ports."""
        n = _u32()
        result = _api().clGetNumSerialPorts(ctypes.byref(n))
        if result != 0:
            raise _error(result)
        return n.value

    @staticmethod
    def identifier(index: int) -> str:
        """The identifier text of port ``index``."""
        index = _check.integer(index, "index", 0, 2**32 - 1)
        buf = ctypes.create_string_buffer(256)
        size = _u32(len(buf))
        result = _api().clGetSerialPortIdentifier(index, buf, ctypes.byref(size))
        if result != 0:
            raise _error(result)
        return buf.value.decode("latin-1")

    @classmethod
    def ports(cls) -> Iterator[Tuple[int, str]]:
        """Yields (index, identifier) of every serial port."""
        for index in range(cls.count()):
            yield index, cls.identifier(index)

    @property
    def closed(self) -> bool:
        """True once closed."""
        return self._ref is None

    def close(self) -> None:
        """Closes the port."""
        ref, self._ref = self._ref, None
        if ref:
            _api().clSerialClose(ref)

    def _live(self) -> int:
        if self._ref is None:
            raise ValueError("the serial port is closed")
        return self._ref

    def write(self, data: bytes, timeout: float = 1.0) -> int:
        """Writes ``data`` within ``timeout`` seconds; returns the bytes written."""
        ref = self._live()
        if not isinstance(data, (bytes, bytearray, memoryview)):
            raise TypeError(f"data must be bytes, not {type(data).__name__}")
        raw = bytes(data)
        size = _u32(len(raw))
        result = _api().clSerialWrite(ref, ctypes.create_string_buffer(raw, len(raw)), ctypes.byref(size), _ms(timeout))
        if result != 0:
            raise _error(result)
        return size.value

    def read(self, size: int, timeout: float = 1.0) -> bytes:
        """Reads up to ``size`` bytes, waiting at most ``timeout`` seconds for all of them.

        Returns what came (b"" when nothing came in time).
        """
        ref = self._live()
        size = _check.integer(size, "size", 0, 1 << 24)
        buf = ctypes.create_string_buffer(max(size, 1))
        n = _u32(size)
        result = _api().clSerialRead(ref, buf, ctypes.byref(n), _ms(timeout))
        if result not in (0, _TIMEOUT):
            raise _error(result)
        return buf.raw[: min(n.value, size)]

    def read_line(self, timeout: float = 1.0, end: bytes = b"\n", limit: int = 4096) -> bytes:
        """Reads byte by byte up to and including ``end``; what came when the time runs out."""
        deadline = time.monotonic() + _ms(timeout) / 1000.0
        out = b""
        while not out.endswith(end) and len(out) < limit:
            left = deadline - time.monotonic()
            if left <= 0:
                break
            out += self.read(1, left)
        return out

    @property
    def bytes_available(self) -> int:
        """Bytes waiting to be read."""
        n = _u32()
        result = _api().clGetNumBytesAvail(self._live(), ctypes.byref(n))
        if result != 0:
            raise _error(result)
        return n.value

    def flush(self) -> None:
        """Discards the bytes waiting in both directions."""
        result = _api().clFlushPort(self._live())
        if result != 0:
            raise _error(result)

    @property
    def baud_rates(self) -> List[int]:
        """The baud rates the port supports."""
        bits = _u32(0)
        result = _api().clGetSupportedBaudRates(self._live(), ctypes.byref(bits))
        if result != 0:
            raise _error(result)
        return [rate for rate, bit in BAUD_RATES.items() if bits.value & bit]

    def set_baud_rate(self, rate: int) -> None:
        """Sets the baud rate (one of :data:`BAUD_RATES`)."""
        ref = self._live()
        rate = _check.integer(rate, "rate", 0)
        if rate not in BAUD_RATES:
            raise ValueError(f"unknown baud rate {rate}; one of {sorted(BAUD_RATES)}")
        result = _api().clSetBaudRate(ref, BAUD_RATES[rate])
        if result != 0:
            raise _error(result)
