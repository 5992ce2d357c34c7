"""The examples as a user runs them: the Dask sweep on a two-worker local
cluster of processes against the same sweep run serially, and the notebook
executed by jupyter nbconvert."""

import json
import os
import shutil
import subprocess
import sys
from pathlib import Path

import numpy as np
import pytest

import cerebrix

EXAMPLES = Path(__file__).resolve().parents[2] / "examples"


def run_sweep(*args):
    done = subprocess.run([sys.executable, str(EXAMPLES / "sweep.py"), "--pictures", "noise", "dot",
                           "--sizes", "6", "11", "--generations", "1", "4", *args],
                          capture_output=True, text=True, timeout=300)
    assert done.returncode == 0, done.stderr
    return [json.loads(line) for line in done.stdout.splitlines()]


def test_the_sweep_on_a_cluster_equals_the_serial_run():
    pytest.importorskip("distributed")
    serial = run_sweep("--serial")
    assert run_sweep("--workers", "2") == serial
    assert len(serial) == 2 * 2 * 2
    # The dot in the corner reaches the apex at the first generation.
    assert {"picture": "dot", "size": 6, "generations": 1, "apex": [[1, 2, 3]]} in serial


def test_the_notebook_runs_and_shows_what_it_says(tmp_path):
    if shutil.which("jupyter") is None:
        pytest.skip("no jupyter nbconvert")
    pytest.importorskip("matplotlib")
    nbformat = pytest.importorskip("nbformat")
    env = dict(os.environ, PYDEVD_DISABLE_FILE_VALIDATION="1")
    subprocess.run(["jupyter", "nbconvert", "--to", "notebook", "--execute", "--output-dir", str(tmp_path),
                    str(EXAMPLES / "explore.ipynb")], check=True, capture_output=True, env=env, timeout=300)
    notebook = nbformat.read(str(tmp_path / "explore.ipynb"), as_version=4)
    outputs = [o for cell in notebook.cells if cell.cell_type == "code" for o in cell.outputs]
    assert not [o for o in outputs if o.output_type == "error"]
    text = "".join(o.get("text", "") for o in outputs)
    assert "binomial pattern holds: True" in text
    assert sum("image/png" in o.get("data", {}) for o in outputs) == 4

    brain = cerebrix.Brain(24)
    brain.paint(np.random.default_rng(7).integers(0, 256, size=(24, 24, 3), dtype=np.uint8))
    assert f"first apexes: {[brain.generate() for _ in range(3)]}" in text
