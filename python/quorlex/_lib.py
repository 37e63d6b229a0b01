"""Finding and loading the kit's shared libraries."""

from __future__ import annotations

import ctypes
import os
import sys
from pathlib import Path
from typing import Any, Dict, List, Optional, Sequence, Tuple, TypeVar

__all__ = ["library_folder", "library_file", "load", "load_typed", "applet_file", "Closable", "SUFFIX"]

WINDOWS = sys.platform.startswith("win") or sys.platform == "cygwin"
SUFFIX = ".dll" if WINDOWS else ".so"
# Every entry of the kit uses the C calling convention, also on 32-bit Windows.
_LOADER = ctypes.CDLL

_loaded: Dict[str, ctypes.CDLL] = {}


def library_folder() -> Optional[Path]:
    """The folder the libraries are loaded from, or None for the system's search order.

    ``QUORLEX_LIBRARY_PATH`` names it when set; otherwise a ``lib`` folder
    beside the package is used when it exists, and then the ``lib`` folder of
    the kit installation the package came with (the package installed in
    ``<prefix>/lib/python3/dist-packages``).
    """
    named = os.environ.get("QUORLEX_LIBRARY_PATH")
    if named:
        return Path(named)
    here = Path(__file__).resolve().parent
    beside = here / "lib"
    if beside.is_dir():
        return beside
    # Installed with the kit: <prefix>/lib/python3/dist-packages/quorlex, the
    # libraries in <prefix>/lib.
    installed = here.parents[2]
    if (installed / library_file("pictordyn")).exists():
        return installed
    return None


def library_file(name: str) -> str:
    """The file name of the kit library ``name`` (for instance "pictordyn") on this system."""
    return f"{name}.dll" if WINDOWS else f"lib{name}.so"


def _candidates(file: str) -> List[str]:
    folder = library_folder()
    if folder is not None and (folder / file).exists():
        return [str(folder / file)]
    return [file]


def load(name: str) -> ctypes.CDLL:
    """Loads (once) the kit library ``name``; raises OSError when it cannot be found."""
    lib = _loaded.get(name)
    if lib is None:
        file = library_file(name)
        path = _candidates(file)[0]
        try:
            lib = _LOADER(path)
        except OSError as e:
            where = library_folder()
            raise OSError(
                f"cannot load {file} ({e}); set QUORLEX_LIBRARY_PATH to the folder holding the "
                f"kit's libraries{'' if where is None else f' (now {where})'}"
            ) from e
        _loaded[name] = lib
    return lib


def load_typed(name: str, signatures: Dict[str, Tuple[Any, Sequence[Any]]]) -> ctypes.CDLL:
    """Loads the kit library ``name`` and gives its entries (once) the result and argument types of
    ``signatures``: entry name -> (result type, argument types)."""
    lib = load(name)
    if not getattr(lib, "_quorlex_typed", False):
        for entry, (res, args) in signatures.items():
            f = getattr(lib, entry)
            f.restype = res
            f.argtypes = list(args)
        lib._quorlex_typed = True
    return lib


_C = TypeVar("_C", bound="Closable")


class Closable:
    """Something to close: a context manager that closes it on leaving, and garbage collection
    closes it too."""

    def __enter__(self: _C) -> _C:
        return self

    def __exit__(self, *exc: Any) -> None:
        self.close()

    def __del__(self) -> None:
        try:
            self.close()
        except Exception:
            pass

    def close(self) -> None:
        raise NotImplementedError


def applet_file(applet: str) -> str:
    """The file to hand to the grabber library for an applet name.

    A name without the platform's suffix gets it; a bare name found in the
    library folder is given with that folder's path.
    """
    name = applet
    if not name.lower().endswith(SUFFIX):
        name += SUFFIX
    if os.path.basename(name) == name:
        folder = library_folder()
        if folder is not None and (folder / name).exists():
            return str(folder / name)
    return name
