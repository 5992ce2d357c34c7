"""What the module's tests share: cerebrix-cli run as a child, PNG files
read and written with zlib alone, the brain file text laid out by hand, and
a NumPy model of a generation written straight from the rule."""

import os
import struct
import subprocess
import zlib

import numpy as np
import pytest

CLI = os.environ.get("CEREBRIX_CLI", "cerebrix-cli")


def run_cli(*args, cwd=None):
    """cerebrix-cli's exit status and stderr; raises when it writes nothing
    expected of it is up to the caller."""
    done = subprocess.run([CLI, *map(str, args)], cwd=cwd, capture_output=True, text=True)
    return done.returncode, done.stderr


@pytest.fixture
def cli():
    def ok(*args):
        status, err = run_cli(*args)
        assert status == 0, err
    return ok


def model_generation(cells):
    """One generation on a (3, N, N, N) int array [c, z, y, x], in place:
    every cell of layer z >= 1 inside its square gets its own value plus the
    2 x 2 block below whose bottom-right cell lies under it, mod 256."""
    n = cells.shape[1]
    for z in range(1, n):
        below = cells[:, z - 1]
        block = (below[:, z:, z:] + below[:, z:, z - 1:n - 1]
                 + below[:, z - 1:n - 1, z:] + below[:, z - 1:n - 1, z - 1:n - 1])
        cells[:, z, z:, z:] = (cells[:, z, z:, z:] + block) % 256
    return tuple(int(v) for v in cells[:, n - 1, n - 1, n - 1])


def brain_text(cells, colour=(128, 128, 128), mover=(0, 0, 1, 1)):
    """The bytes the window's writer puts in a file: ten header numbers
    (sizes, colour, mover x, y, then the vertical direction before the
    horizontal one), then one CR LF record per channel of every cell, x
    fastest, then y, then z, red, green and blue together."""
    n = cells.shape[1]
    x, y, step_x, step_y = mover
    header = [n, n, n, *colour, x, y, step_y, step_x]
    records = cells.transpose(1, 2, 3, 0).reshape(-1)
    body = "\r\n".join(str(int(v)) for v in records)
    return (",".join(map(str, header)) + "\r\n" + body + "\r\n").encode("ascii")


def write_png(path, pixels):
    """An 8-bit RGB PNG of an (H, W, 3) uint8 array, unfiltered."""
    h, w, _ = pixels.shape
    raw = b"".join(b"\0" + pixels[y].tobytes() for y in range(h))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data))
    ihdr = struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", ihdr) + chunk(b"IDAT", zlib.compress(raw))
                + chunk(b"IEND", b""))


def read_png(path):
    """An 8-bit RGB or RGBA PNG as an (H, W, 3) uint8 array; every row
    filter undone."""
    data = open(path, "rb").read()
    assert data[:8] == b"\x89PNG\r\n\x1a\n"
    pos, idat = 8, b""
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        body = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            w, h, depth, colour_type, _, _, interlace = struct.unpack(">IIBBBBB", body)
            assert depth == 8 and colour_type in (2, 6) and interlace == 0
        elif kind == b"IDAT":
            idat += body
        pos += 12 + length
    bpp = 3 if colour_type == 2 else 4
    raw = zlib.decompress(idat)
    stride = w * bpp
    out = np.zeros((h, stride), dtype=np.int32)
    for y in range(h):
        kind = raw[y * (stride + 1)]
        line = np.frombuffer(raw, np.uint8, stride, y * (stride + 1) + 1).astype(np.int32)
        up = out[y - 1] if y else np.zeros(stride, np.int32)
        if kind in (0, 2):
            out[y] = (line + (up if kind == 2 else 0)) % 256
            continue
        row = out[y]
        for i in range(stride):
            left = row[i - bpp] if i >= bpp else 0
            corner = up[i - bpp] if i >= bpp else 0
            if kind == 1:
                pred = left
            elif kind == 3:
                pred = (left + up[i]) // 2
            else:
                p = left + up[i] - corner
                pa, pb, pc = abs(p - left), abs(p - up[i]), abs(p - corner)
                pred = left if pa <= pb and pa <= pc else (up[i] if pb <= pc else corner)
            row[i] = (line[i] + pred) % 256
    return out.reshape(h, w, bpp)[:, :, :3].astype(np.uint8)
