import numpy
import pytest

import quorlex

from test_files import avi_frames


def pictures(count, shape):
    rng = numpy.random.default_rng(len(shape))
    return [rng.integers(0, 256, shape, dtype=numpy.uint8) for _ in range(count)]


@pytest.mark.parametrize("shape", [(12, 20), (9, 7, 3)])
def test_recording_round_trip_by_index_and_iteration(tmp_path, shape):
    written = pictures(6, shape)
    with quorlex.Recording(tmp_path / "r.seq", "w", shape=shape) as rec:
        for p in written:
            rec.append(p)
        with pytest.raises(ValueError):
            rec[0]  # open for writing
        with pytest.raises(ValueError):
            rec.append(numpy.zeros((3, 3), numpy.uint8))
    with quorlex.Recording(tmp_path / "r.seq") as rec:
        assert rec.info() == {"count": 6, "first": 1, "shape": shape}
        assert len(rec) == 6 and rec.shape == shape
        assert numpy.array_equal(rec[3], written[3]) and numpy.array_equal(rec[-1], written[5])
        assert all(numpy.array_equal(a, b) for a, b in zip(rec, written))
        with pytest.raises(IndexError):
            rec[6]
        with pytest.raises(ValueError):
            rec.append(written[0])
    with pytest.raises(ValueError):
        rec[0]  # closed
    if len(shape) == 3:
        with quorlex.Recording(tmp_path / "r.seq", rgb=True) as rec:
            assert numpy.array_equal(rec[2], written[2][..., ::-1])


def test_recording_exports_to_avi(tmp_path, capfd):
    written = pictures(4, (8, 16))
    with quorlex.Recording(tmp_path / "r.seq", "w", shape=(8, 16)) as rec:
        for n, p in enumerate(written):
            rec.append(p, number=100 + n)
    with quorlex.Recording(tmp_path / "r.seq") as rec:
        assert rec.info()["first"] == 100
        rec.export_avi(tmp_path / "all.avi")
        rec.export_avi(tmp_path / "part.avi", 1, 3)
        with pytest.raises(IndexError):
            rec.export_avi(tmp_path / "bad.avi", 4)
    assert avi_frames(tmp_path / "all.avi") == [p.tobytes() for p in written]
    assert avi_frames(tmp_path / "part.avi") == [p.tobytes() for p in written[1:3]]


def test_recording_errors(tmp_path):
    with pytest.raises(quorlex.Error):
        quorlex.Recording(tmp_path / "missing.seq")
    with pytest.raises(ValueError):
        quorlex.Recording(tmp_path / "r.seq", "w")
    with pytest.raises(ValueError):
        quorlex.Recording(tmp_path / "r.seq", "a")
    with pytest.raises(TypeError):
        quorlex.Recording(3.5)
