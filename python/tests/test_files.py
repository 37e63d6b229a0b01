import struct

import numpy
import pytest

import quorlex

rng = numpy.random.default_rng(19)
# Odd sizes: rows that need padding in BMP, no multiple of anything.
GREY = rng.integers(0, 256, (17, 33), dtype=numpy.uint8)
COLOUR = rng.integers(0, 256, (13, 21, 3), dtype=numpy.uint8)

FORMATS = [
    (quorlex.write_bmp, quorlex.read_bmp, "p.bmp"),
    (quorlex.write_tiff, quorlex.read_tiff, "p.tif"),
    (quorlex.write_raw, quorlex.read_raw, "p.raw"),
]


@pytest.mark.parametrize("write,read,name", FORMATS)
def test_round_trips_keep_every_byte_and_the_rgb_flag_swaps_red_and_blue(tmp_path, write, read, name):
    for picture in (GREY, COLOUR):
        path = tmp_path / name
        write(path, picture)
        back = read(path)
        assert back.dtype == numpy.uint8 and numpy.array_equal(back, picture)
        assert numpy.array_equal(read(str(path), rgb=True), picture[..., ::-1] if picture.ndim == 3 else picture)
        write(path, picture, rgb=True)
        assert numpy.array_equal(read(path, rgb=True), picture)
    # A view that is not contiguous is written as the picture it shows.
    write(tmp_path / name, COLOUR[::2, ::3])
    assert numpy.array_equal(read(tmp_path / name), COLOUR[::2, ::3])


def test_files_of_numpy_side_tools_read_and_ours_read_by_them(tmp_path):
    PIL = pytest.importorskip("PIL.Image")
    tifffile = pytest.importorskip("tifffile")
    # Pillow and tifffile speak red-green-blue: the kit's blue-green-red is reversed.
    PIL.fromarray(COLOUR).save(tmp_path / "pil.bmp")
    PIL.fromarray(GREY).save(tmp_path / "pil_grey.bmp")
    assert numpy.array_equal(quorlex.read_bmp(tmp_path / "pil.bmp", rgb=True), COLOUR)
    assert numpy.array_equal(quorlex.read_bmp(tmp_path / "pil.bmp"), COLOUR[..., ::-1])
    assert numpy.array_equal(quorlex.read_bmp(tmp_path / "pil_grey.bmp"), GREY)
    tifffile.imwrite(tmp_path / "tf.tif", COLOUR, photometric="rgb")
    tifffile.imwrite(tmp_path / "tf_grey.tif", GREY, photometric="minisblack")
    assert numpy.array_equal(quorlex.read_tiff(tmp_path / "tf.tif", rgb=True), COLOUR)
    assert numpy.array_equal(quorlex.read_tiff(tmp_path / "tf_grey.tif"), GREY)

    quorlex.write_bmp(tmp_path / "q.bmp", COLOUR, rgb=True)
    assert numpy.array_equal(numpy.asarray(PIL.open(tmp_path / "q.bmp")), COLOUR)
    quorlex.write_tiff(tmp_path / "q.tif", COLOUR)
    assert numpy.array_equal(tifffile.imread(tmp_path / "q.tif"), COLOUR[..., ::-1])
    quorlex.write_tiff(tmp_path / "q_grey.tif", GREY)
    assert numpy.array_equal(tifffile.imread(tmp_path / "q_grey.tif"), GREY)


def avi_frames(path):
    """The frame chunks ('00db'/'00dc') of an AVI file's movi list, in order."""
    data = path.read_bytes()
    assert data[:4] == b"RIFF" and data[8:12] == b"AVI "
    movi = data.index(b"movi") + 4
    frames, at = [], movi
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        if tag in (b"00db", b"00dc"):
            frames.append(data[at + 8:at + 8 + size])
        elif tag == b"idx1":
            break
        at += 8 + size + (size & 1)
    return frames


def test_avi_holds_every_picture_unchanged(tmp_path):
    pictures = [numpy.full((8, 12), i, numpy.uint8) for i in range(5)]
    pictures[2][3, 4] = 200
    assert quorlex.write_avi(tmp_path / "g.avi", pictures, fps=12.5) == 5
    assert avi_frames(tmp_path / "g.avi") == [p.tobytes() for p in pictures]
    colour = [COLOUR, COLOUR[::-1].copy()]
    quorlex.write_avi(tmp_path / "c.avi", colour, rgb=True)
    frames = avi_frames(tmp_path / "c.avi")
    assert len(frames) == 2
    # Colour rows may be padded to 4 bytes; compare row by row.
    stride = len(frames[0]) // COLOUR.shape[0]
    for frame, picture in zip(frames, colour):
        rows = numpy.frombuffer(frame, numpy.uint8).reshape(COLOUR.shape[0], stride)[:, : 21 * 3]
        assert numpy.array_equal(rows.reshape(COLOUR.shape), picture[..., ::-1])


def test_bad_arguments_and_bad_files(tmp_path):
    for write in (quorlex.write_bmp, quorlex.write_tiff, quorlex.write_raw):
        with pytest.raises(TypeError):
            write(tmp_path / "x", GREY.astype(numpy.uint16))
        with pytest.raises(TypeError):
            write(tmp_path / "x", GREY.tolist())
        with pytest.raises(ValueError):
            write(tmp_path / "x", numpy.zeros((4, 4, 4), numpy.uint8))
        with pytest.raises(ValueError):
            write(tmp_path / "x", numpy.zeros((0, 4), numpy.uint8))
        with pytest.raises(TypeError):
            write(42, GREY)
        with pytest.raises(quorlex.Error):
            write(tmp_path / "no" / "folder", GREY)
    (tmp_path / "junk").write_bytes(b"not a picture at all")
    for read in (quorlex.read_bmp, quorlex.read_tiff, quorlex.read_raw):
        with pytest.raises(quorlex.Error):
            read(tmp_path / "missing")
        with pytest.raises(quorlex.Error):
            read(tmp_path / "junk")
        with pytest.raises(TypeError):
            read(None)
    with pytest.raises(ValueError):
        quorlex.write_avi(tmp_path / "e.avi", [])
    with pytest.raises(ValueError):
        quorlex.write_avi(tmp_path / "e.avi", [GREY, COLOUR])
