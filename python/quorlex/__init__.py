"""Grab, save and show pictures of the Quorlex kit as numpy arrays.

Pure Python over ctypes: the kit's shared libraries are loaded from the
folder named by ``QUORLEX_LIBRARY_PATH`` when set, else from a ``lib``
folder beside this package, else through the system's library search path.
"""

from ._errors import Error
from .display import Display
from .files import read_bmp, read_raw, read_tiff, write_avi, write_bmp, write_raw, write_tiff
from .grabber import FORMATS, PARAMETERS, Grabber, Picture
from .recording import Recording
from .serial import BAUD_RATES, SerialPort

__all__ = [
    "Error",
    "Grabber",
    "Picture",
    "PARAMETERS",
    "FORMATS",
    "Recording",
    "SerialPort",
    "BAUD_RATES",
    "Display",
    "read_bmp",
    "write_bmp",
    "read_tiff",
    "write_tiff",
    "read_raw",
    "write_raw",
    "write_avi",
]
__version__ = "0.1.0"
