"""load() and save(): the window's reader and writer, byte for byte, and
their refusals with their own messages as cerebrix-cli prints them."""

import os

import numpy as np
import pytest

import cerebrix
from conftest import brain_text, run_cli


def written_by_hand(tmp_path, n, colour, mover, seed, outside=False):
    """A file as the window writes one; outside: with values in the cells
    outside the pyramid too, which a file may hold and a save keeps."""
    rng = np.random.default_rng(seed)
    cells = rng.integers(0, 256, size=(3, n, n, n))
    for z in range(1, n):
        if not outside:
            cells[:, z, :z, :] = cells[:, z, :, :z] = 0
    path = tmp_path / "hand.brain"
    path.write_bytes(brain_text(cells, colour, mover))
    return path, cells


@pytest.mark.parametrize("n, colour, mover, outside", [
    (2, (0, 0, 0), (0, 0, 1, 1), False),
    (10, (200, 0, 64), (3, 4, 1, -1), False),
    (23, (255, 255, 255), (-5, 40, -1, -1), False),
    (7, (1, 2, 3), (0, 0, -1, 1), True),
])
def test_a_file_comes_back_byte_for_byte(tmp_path, n, colour, mover, outside):
    path, cells = written_by_hand(tmp_path, n, colour, mover, seed=n, outside=outside)
    brain = cerebrix.load(str(path))
    assert (brain.size, brain.colour, brain.mover) == (n, colour, mover)
    assert np.array_equal(brain.to_array(), cells)
    brain.save(tmp_path / "again.brain")
    assert (tmp_path / "again.brain").read_bytes() == path.read_bytes()


def test_the_programs_files_come_back_byte_for_byte(tmp_path, cli):
    cli("new", "--size", 14, "--colour", "9,99,199", "-o", tmp_path / "new.brain")
    fresh = cerebrix.Brain(14)
    fresh.colour = (9, 99, 199)
    fresh.save(tmp_path / "fresh.brain")
    assert (tmp_path / "fresh.brain").read_bytes() == (tmp_path / "new.brain").read_bytes()

    path, _ = written_by_hand(tmp_path, 14, (1, 2, 3), (5, 6, -1, 1), seed=3)
    cli("generate", path, "-n", 3, "-o", tmp_path / "cli.brain")
    brain = cerebrix.load(path)
    brain.generate(k=3)
    brain.save(tmp_path / "ours.brain")
    assert (tmp_path / "ours.brain").read_bytes() == (tmp_path / "cli.brain").read_bytes()
    cerebrix.load(tmp_path / "cli.brain").save(tmp_path / "copy.brain")
    assert (tmp_path / "copy.brain").read_bytes() == (tmp_path / "cli.brain").read_bytes()


def cli_message(path):
    status, err = run_cli("info", path)
    assert status == 1
    return err.strip().removeprefix("cerebrix-cli info: ")


@pytest.mark.parametrize("name, content, error", [
    ("letters.brain", b"this is no brain\r\n", ValueError),
    ("short.brain", b"3,3,3,128,128,128,0,0,1,1\r\n0\r\n0\r\n", ValueError),
    ("uneven.brain", b"3,4,3,128,128,128,0,0,1,1\r\n", ValueError),
    ("missing.brain", None, FileNotFoundError),
    ("folder.brain", "folder", ValueError),
])
def test_load_refusals_carry_the_readers_message(tmp_path, name, content, error):
    path = tmp_path / name
    if content == "folder":
        path.mkdir()
    elif content is not None:
        path.write_bytes(content)
    with pytest.raises(error) as caught:
        cerebrix.load(path)
    if isinstance(caught.value, OSError):
        # Python adds ": 'name'" after strerror, so it has no full stop.
        message = caught.value.strerror + "."
        assert caught.value.filename == str(path)
    else:
        message = str(caught.value)
    assert message == cli_message(path)
    assert message.startswith(f'Cannot load "{path}": ')


@pytest.mark.parametrize("target, error, message", [
    ("folder.brain", ValueError, "a folder of that name is in the way"),
    ("nowhere/b.brain", FileNotFoundError, "there is no folder"),
    # A folder the system keeps read-only even for root.
    ("/sys/b.brain", OSError, 'Cannot save "/sys/b.brain": '),
])
def test_save_refusals_carry_the_writers_message(tmp_path, target, error, message):
    if target.startswith("/sys") and not os.path.isdir("/sys"):
        pytest.skip("no /sys here")
    (tmp_path / "folder.brain").mkdir()
    with pytest.raises(error) as caught:
        cerebrix.Brain(5).save(tmp_path / target)
    text = caught.value.strerror if isinstance(caught.value, OSError) else str(caught.value)
    assert message in text and text.startswith("Cannot save")
    if isinstance(caught.value, OSError):
        assert caught.value.errno != 0
    assert os.listdir(tmp_path) == ["folder.brain"]


@pytest.mark.skipif(os.geteuid() == 0, reason="root may write any file")
def test_a_read_only_target_is_refused_and_kept(tmp_path):
    target = tmp_path / "kept.brain"
    target.write_bytes(b"old")
    target.chmod(0o444)
    with pytest.raises(PermissionError, match="may not be written"):
        cerebrix.Brain(4).save(target)
    assert target.read_bytes() == b"old"


LATIN1 = b"caf\xe9.brain"


@pytest.mark.parametrize("call, error", [
    (lambda name: cerebrix.load(name), FileNotFoundError),
    (lambda name: cerebrix.load(os.fsdecode(name)), FileNotFoundError),
    (lambda name: cerebrix.Brain(3).save(b"nowhere/" + name), FileNotFoundError),
    (lambda name: (open(name, "wb").write(b"no brain"), cerebrix.load(name)), ValueError),
])
def test_names_that_are_not_utf8_come_back_as_the_system_spells_them(tmp_path, monkeypatch, call, error):
    monkeypatch.chdir(tmp_path)
    with pytest.raises(error) as caught:
        call(LATIN1)
    assert os.fsdecode(LATIN1) in str(caught.value)
    if isinstance(caught.value, OSError):
        assert os.fsencode(caught.value.filename).endswith(LATIN1)


def test_contents_passed_as_a_name_give_a_short_message(tmp_path):
    brain = cerebrix.Brain(20)
    brain.save(tmp_path / "x.brain")
    contents = (tmp_path / "x.brain").read_bytes()
    for name in (contents, contents.replace(b"\r\n", b",")):
        with pytest.raises((OSError, ValueError)) as caught:
            cerebrix.load(name)
        assert len(str(caught.value)) < 500


def test_file_objects_hold_what_a_file_would(tmp_path):
    import io
    path, _ = written_by_hand(tmp_path, 9, (1, 2, 3), (4, 5, -1, 1), seed=9)
    out = io.BytesIO()
    cerebrix.load(path).save(out)
    assert out.getvalue() == path.read_bytes()
    with open(path, "rb") as f:
        assert cerebrix.load(f) == cerebrix.load(io.BytesIO(out.getvalue()))
    with pytest.raises(ValueError, match='Cannot load "BytesIO"'):
        cerebrix.load(io.BytesIO(b"no brain"))
