import os
import shutil
import subprocess
import sys
import time

import numpy
import pytest

import quorlex

pytestmark = pytest.mark.skipif(
    sys.platform.startswith("linux") and not os.environ.get("DISPLAY"), reason="no X display (DISPLAY unset)"
)


def window_title(window: int, wanted: str) -> str:
    """The window's title as X reports it, once it ends with `wanted` (or after 2 s)."""
    title = ""
    for _ in range(40):
        out = subprocess.run(["xprop", "-id", str(window), "_NET_WM_NAME"], capture_output=True, text=True).stdout
        title = out.split("=", 1)[-1].strip().strip('"')
        if title.endswith(wanted):
            break
        time.sleep(0.05)
    return title


def test_display_draws_and_titles_and_closes():
    grey = numpy.tile(numpy.arange(37, dtype=numpy.uint8), (23, 1))
    with quorlex.Display(grey.shape, title="grey") as d:
        assert d.window != 0 and not d.closed
        d.draw(grey, number=5)
        d.title = "renamed"
        assert d.title == "renamed"
        if shutil.which("xprop"):
            assert window_title(d.window, "renamed").endswith("(000005) renamed")
        with pytest.raises(ValueError):
            d.draw(numpy.zeros((5, 5), numpy.uint8))
        with pytest.raises(TypeError):
            d.title = 3
    assert d.closed
    with pytest.raises(ValueError):
        d.draw(grey)
    colour = numpy.zeros((16, 24, 3), numpy.uint8)
    colour[..., 2] = 255
    with quorlex.Display(colour.shape) as c:
        c.draw(colour)
    with pytest.raises(ValueError):
        quorlex.Display((4, 4, 4))
    with pytest.raises(TypeError):
        quorlex.Display(("a", 4))


def test_grabbed_pictures_are_drawn_as_they_come():
    with quorlex.Grabber(applet="applet_acqsim", board=0) as g, quorlex.Display((48, 64), title="live") as d:
        g.set(width=64, height=48)
        g.allocate(buffers=4)
        for picture in g.acquire(count=5, timeout=2.0):
            d.draw(picture)
