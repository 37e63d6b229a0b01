import gc
import os

import numpy
import pytest

import quorlex


def pattern(width: int, height: int, n: int, channels: int) -> numpy.ndarray:
    """What the simulated applet draws for picture n, stamp included."""
    x = numpy.arange(width, dtype=numpy.uint32)[None, :]
    y = numpy.arange(height, dtype=numpy.uint32)[:, None]
    grey = (x + y + 4 * n) & 0xFF
    if channels == 1:
        out = grey.astype(numpy.uint8)
    else:
        green = numpy.broadcast_to((y + 2 * n) & 0xFF, grey.shape)
        red = ((x + 2 * n) ^ (y + 2 * n)) & 0xFF
        out = numpy.stack([grey, green, red], axis=2).astype(numpy.uint8)
    flat = out.reshape(-1)
    flat[:4] = numpy.frombuffer(int(n).to_bytes(4, "little"), numpy.uint8)
    return out


def test_grab_of_100_pictures_views_the_buffers_and_matches_stamp_and_pattern():
    with quorlex.Grabber(applet="applet_acqsim", board=0) as g:
        g.set(width=1024, height=1024, format="grey", rate=100)
        g.allocate(buffers=16)
        numbers, addresses = [], {}
        for picture in g.acquire(count=100, timeout=2.0):
            assert isinstance(picture, numpy.ndarray) and picture.shape == (1024, 1024)
            assert not picture.flags.owndata
            assert not picture.lost, picture.number
            numbers.append(picture.number)
            copy = numpy.array(picture)
            assert int.from_bytes(copy.reshape(-1)[:4].tobytes(), "little") == picture.number
            assert numpy.array_equal(copy, pattern(1024, 1024, picture.number, 1)), picture.number
            addresses.setdefault(picture.__array_interface__["data"][0], []).append(picture.number)
        assert numbers == list(range(1, 101))
        # 16 buffers, reused in turn: the pictures are views, not copies.
        assert len(addresses) == 16
        assert all(ns == list(range(ns[0], 101, 16)) for ns in addresses.values())


def test_colour_grab_is_blue_green_red():
    with quorlex.Grabber(applet="applet_acqsim.so", board=0) as g:
        g.set({6100: 64, 6200: 48, 6300: 24})
        assert (g.get("width"), g.get(6200), g.get("format")) == (64, 48, 24)
        g.allocate(buffers=4)
        for picture in g.acquire(count=5, timeout=2.0):
            assert picture.shape == (48, 64, 3)
            assert numpy.array_equal(picture, pattern(64, 48, picture.number, 3))


def test_wait_times_out_and_a_stopped_acquisition_says_so():
    with quorlex.Grabber(applet="applet_acqsim", board=0) as g:
        g.set(trigger=1)
        g.allocate(buffers=2)
        g.start()
        with pytest.raises(quorlex.Error) as e:
            g.wait(1, timeout=0.05)
        assert e.value.number == -2108
        g.trigger()
        assert g.wait(1, timeout=2.0) == 1
        g.stop()
        with pytest.raises(quorlex.Error) as e:
            g.wait(2, timeout=2.0)
        assert e.value.number == -2107


def test_pictures_outlive_the_grabber_and_garbage_collection_frees_it(tmp_path):
    g = quorlex.Grabber(applet="applet_acqsim", board=0)
    g.set(width=32, height=8)
    g.allocate(buffers=2)
    kept = next(iter(g.acquire(count=1, timeout=2.0)))
    g.close()
    assert g.closed
    # The memory is still the picture's: reading it is safe and it still holds picture 1.
    assert numpy.array_equal(kept, pattern(32, 8, 1, 1))
    del kept
    gc.collect()
    assert "Px_FreeGrabber" in (tmp_path / "pictor.log").read_text()

    g = quorlex.Grabber(applet="applet_acqsim", board=0)  # creates pictor.log anew
    assert "Px_FreeGrabber" not in (tmp_path / "pictor.log").read_text()
    del g
    gc.collect()
    assert "Px_FreeGrabber" in (tmp_path / "pictor.log").read_text()


def test_errors_carry_the_library_number_and_text():
    with pytest.raises(quorlex.Error) as e:
        quorlex.Grabber(applet="no_such_applet", board=0)
    assert e.value.number == -120 and e.value.text == "framegrabber-dll not load"
    with quorlex.Grabber(applet="applet_acqsim", board=0) as g:
        with pytest.raises(quorlex.Error) as e:
            g.set(width=2)
        assert (e.value.number, e.value.text) == (-2110, "parameter value out of range")
        with pytest.raises(quorlex.Error) as e:
            g.get(12345)
        assert e.value.number == -2109


def test_bad_arguments_and_closed_grabbers_are_refused_before_the_library():
    with pytest.raises(TypeError):
        quorlex.Grabber(applet=5, board=0)
    with pytest.raises(TypeError):
        quorlex.Grabber(applet="applet_acqsim", board="0")
    with pytest.raises(ValueError):
        quorlex.Grabber()
    g = quorlex.Grabber(applet="applet_acqsim", board=0)
    with pytest.raises(KeyError):
        g.set(brightness=3)
    with pytest.raises(TypeError):
        g.set(width="wide")
    with pytest.raises(ValueError):
        g.set(format="sepia")
    with pytest.raises(ValueError):
        g.set(width=1 << 40)
    with pytest.raises(ValueError):
        g.start()  # nothing allocated
    with pytest.raises(ValueError):
        g.allocate(buffers=0)
    with pytest.raises(ValueError):
        g.get("width", port=2)
    g.allocate(buffers=2)
    with pytest.raises(ValueError):
        g.wait(1, timeout=-1)
    with pytest.raises(TypeError):
        g.wait(1, timeout="1")
    g.close()
    g.close()
    for call in (lambda: g.set(width=64), lambda: g.get("width"), lambda: g.allocate(2),
                 lambda: g.wait(1), lambda: g.picture(1), lambda: list(g.acquire(1)), lambda: g.trigger()):
        with pytest.raises(ValueError):
            call()


def test_pictures_whose_buffer_was_reused_are_flagged_lost():
    with quorlex.Grabber(applet="applet_acqsim", board=0) as g:
        g.set(trigger=1, width=16, height=4)
        g.allocate(buffers=2)
        g.start()
        for n in range(1, 6):
            g.trigger()
            assert g.wait(n, timeout=2.0) == n
        old, new = g.picture(1), g.picture(5)
        assert old.lost and not new.lost and not g.picture(4).lost
        assert (old.number, new.number) == (1, 5)
        # Picture 1's buffer now holds picture 5.
        assert numpy.array_equal(old, pattern(16, 4, 5, 1))
        g.stop()


def test_open_by_configuration_file(tmp_path):
    # The applet folder of a standard board, as the registry names it.
    folder = tmp_path / "kit" / "qx_grab3"
    folder.mkdir(parents=True)
    (folder / "applet_acqsim.so").symlink_to(os.path.join(os.environ["QUORLEX_LIBRARY_PATH"], "applet_acqsim.so"))
    (tmp_path / "registry.reg").write_text(
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvane GmbH\\QuorlexIII\\version3.0\\Info]\n"
        f'"dll_path"="{tmp_path / "kit"}"\n'
    )
    with quorlex.Grabber(applet="applet_acqsim", board=0) as g:
        g.set(width=200, height=30)
        g.save_config(tmp_path / "saved.cfg")
    with quorlex.Grabber(config=tmp_path / "saved.cfg", board=0) as g:
        assert (g.get(6100), g.get(6200)) == (200, 30)
        g.allocate(buffers=2, shape=(30, 200))
        assert next(iter(g.acquire(count=1, timeout=2.0))).number == 1
    (tmp_path / "bad.cfg").write_text("nothing here\n")
    with pytest.raises(quorlex.Error) as e:
        quorlex.Grabber(config=tmp_path / "bad.cfg", board=0)
    assert e.value.number == -5000 and e.value.text == "invalid config file"


def test_open_by_camera_initialisation_leaves_the_trace_alone(tmp_path):
    with quorlex.Grabber(applet="applet_acqsim", board=0, camera=True) as g:
        g.set(width=64, height=4)
        g.allocate(buffers=2)
        assert [p.number for p in g.acquire(count=3, timeout=2.0)] == [1, 2, 3]
    assert not (tmp_path / "pictor.log").exists()
    with quorlex.Grabber(applet="applet_acqsim", board=0):
        assert (tmp_path / "pictor.log").exists()
