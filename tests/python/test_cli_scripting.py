"""cerebrix-cli as scripts drive it: info over several files, results as
JSON lines, checked against the module reading and running the same
brains."""

import json
import subprocess

import numpy as np
import pytest

import cerebrix
from conftest import CLI, write_png


def run(*args):
    done = subprocess.run([CLI, *map(str, args)], capture_output=True, text=True)
    return done.returncode, done.stdout, done.stderr


def test_info_reads_every_file_and_reports_each_refusal(tmp_path):
    names = []
    for n in (3, 5):
        cerebrix.Brain(n).save(tmp_path / f"{n}.brain")
        names.append(tmp_path / f"{n}.brain")
    (tmp_path / "bad.brain").write_bytes(b"no brain")
    status, out, err = run("info", "--json", names[0], tmp_path / "bad.brain", tmp_path / "gone.brain", names[1])
    assert status == 1
    assert [json.loads(line)["size"] for line in out.splitlines()] == [3, 5]
    assert [line.split('"')[1] for line in err.splitlines()] == [str(tmp_path / "bad.brain"),
                                                                str(tmp_path / "gone.brain")]
    status, out, err = run("info", *names)
    assert (status, err) == (0, "") and out.count("file: ") == 2 and "\n\nfile: " in out


def test_generate_and_new_give_their_results_as_json_lines(tmp_path):
    picture = np.random.default_rng(3).integers(0, 256, size=(12, 12, 3), dtype=np.uint8)
    write_png(tmp_path / "p.png", picture)
    status, out, _ = run("new", "--size", 12, "--from-image", tmp_path / "p.png", "-o", tmp_path / "a.brain", "--json")
    assert status == 0
    brain = cerebrix.Brain(12)
    brain.paint(picture)
    apex = brain.generate()
    assert json.loads(out) == {"file": str(tmp_path / "a.brain"), "generation": 1, "output": sum(apex) % 256,
                               "apex": dict(zip(("red", "green", "blue"), apex))}

    status, out, _ = run("generate", tmp_path / "a.brain", "-n", 3, "--every", "--json", "-o", tmp_path / "b.brain")
    assert status == 0
    lines = [json.loads(line) for line in out.splitlines()]
    assert [line["generation"] for line in lines] == [1, 2, 3]
    assert [tuple(line["apex"][c] for c in ("red", "green", "blue")) for line in lines] == [
        brain.generate() for _ in range(3)]

    status, out, _ = run("new", "--size", 4, "-o", tmp_path / "c.brain", "--json")
    assert (status, json.loads(out)["generation"]) == (0, 0)


@pytest.mark.parametrize("suffix, options", [("webp", {"lossless": True}), ("tiff", {}), ("ppm", {})])
def test_new_reads_the_formats_the_completions_offer(tmp_path, suffix, options):
    image = pytest.importorskip("PIL.Image")
    picture = np.random.default_rng(5).integers(0, 256, size=(10, 10, 3), dtype=np.uint8)
    image.fromarray(picture).save(tmp_path / f"p.{suffix}", **options)
    status, _, err = run("new", "--size", 10, "--from-image", tmp_path / f"p.{suffix}", "-o", tmp_path / "a.brain")
    assert status == 0, err
    brain = cerebrix.Brain(10)
    brain.paint(picture)
    brain.generate()
    assert cerebrix.load(tmp_path / "a.brain") == brain
