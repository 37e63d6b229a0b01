import os
import subprocess
import sys
from pathlib import Path

from quorlex import _lib

PACKAGE = str(Path(__file__).resolve().parents[1])
SCRIPT = (
    "import quorlex, numpy\n"
    "with quorlex.Grabber(applet='applet_acqsim') as g:\n"
    "    g.set(width=16, height=2); g.allocate(2)\n"
    "    print([p.number for p in g.acquire(2, timeout=2.0)])\n"
)


def run(env_changes):
    env = {k: v for k, v in os.environ.items() if k not in ("QUORLEX_LIBRARY_PATH", "LD_LIBRARY_PATH")}
    env.update(env_changes, PYTHONPATH=PACKAGE)
    return subprocess.run([sys.executable, "-c", SCRIPT], env=env, capture_output=True, text=True, timeout=60)


def test_applet_names_get_the_suffix_and_the_library_folder():
    folder = os.environ["QUORLEX_LIBRARY_PATH"]
    assert _lib.applet_file("applet_acqsim") == os.path.join(folder, "applet_acqsim.so")
    assert _lib.applet_file("applet_acqsim.so") == os.path.join(folder, "applet_acqsim.so")
    assert _lib.applet_file("no_such_applet") == "no_such_applet.so"
    assert _lib.applet_file("/opt/x/applet") == "/opt/x/applet.so"


def test_libraries_from_the_named_folder_else_the_system_search_path(tmp_path):
    folder = os.environ["QUORLEX_LIBRARY_PATH"]
    assert run({"QUORLEX_LIBRARY_PATH": folder}).stdout.strip() == "[1, 2]"
    # No folder named: the system's search path, as for an installed kit.
    assert run({"LD_LIBRARY_PATH": folder}).stdout.strip() == "[1, 2]"
    missing = run({"QUORLEX_LIBRARY_PATH": str(tmp_path)})
    assert missing.returncode != 0 and "QUORLEX_LIBRARY_PATH" in missing.stderr
