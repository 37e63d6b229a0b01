"""Test set-up: the build folder's libraries and a simulated board of this run's own."""

from __future__ import annotations

import os
import sys
from pathlib import Path
from typing import Iterator

import pytest

ROOT = Path(__file__).resolve().parents[2]
# The package from this source tree, whether or not one is installed.
sys.path.insert(0, str(ROOT / "python"))
os.environ.setdefault("QUORLEX_LIBRARY_PATH", str(ROOT / "build" / "linux" / "bin"))


@pytest.fixture(autouse=True)
def simulator(tmp_path: Path, monkeypatch: pytest.MonkeyPatch) -> Iterator[Path]:
    """Each test gets a folder of its own (pictor.log goes there), a simulator
    configuration of its own (so a simulated machine of its own) and no registry."""
    monkeypatch.chdir(tmp_path)
    config = tmp_path / "sim.cfg"
    config.write_text("acq.rate = 100\n")
    monkeypatch.setenv("QUORLEX_SIM", str(config))
    monkeypatch.setenv("QUORLEX_REGISTRY", str(tmp_path / "registry.reg"))
    yield config
