import re
from pathlib import Path

import numpy
import pytest

import quorlex

DOC = Path(__file__).resolve().parents[2] / "docs" / "python.md"


def test_the_documented_example_runs_as_it_stands(tmp_path):
    block = re.search(r"```python\n(.*?)```", DOC.read_text(), re.S).group(1)
    scope = {}
    with pytest.raises(quorlex.Error) as e:
        exec(compile(block, str(DOC), "exec"), scope)
    assert e.value.number == -120 and e.value.text
    last = scope["last"]
    assert last.shape == (1024, 1024) and last.reshape(-1)[:4].view("<u4")[0] == 100
    assert numpy.array_equal(scope["a"], last) and numpy.array_equal(scope["t"], last)
    assert (tmp_path / "last.tif").exists() and (tmp_path / "last.bmp").exists()
