#!/usr/bin/env bash
# The Python package as `cmake --install --component python` puts it: the
# folder cerebrix/ with the compiled module, its stub and py.typed, which
# mypy --strict must find and use for a script that imports it.
#   python_package.sh BUILD_DIR SCRATCH_DIR PYTHON
set -euo pipefail
build=$1 scratch=$2 python=$3
fail() { echo "FAIL: $*" >&2; exit 1; }
"$python" -c 'import mypy' 2>/dev/null || fail "mypy is missing (package python3-mypy; ./build.sh installs it)"

rm -rf "$scratch"
mkdir -p "$scratch"
cmake --install "$build" --component python --prefix "$scratch/prefix" >/dev/null
package=$(find "$scratch/prefix" -type d -name cerebrix)
for f in __init__.py __init__.pyi py.typed; do
    [ -f "$package/$f" ] || fail "the package lacks $f"
done
ls "$package"/_cerebrix*.so >/dev/null || fail "the package lacks the compiled module"
site=$(dirname "$package")

cat >"$scratch/typed.py" <<'PY'
import io

import cerebrix

brain = cerebrix.Brain.from_array(cerebrix.Brain(3).to_array())
apex: tuple[int, int, int] = brain.generate(2, progress=lambda done, k: None)
brain.save(io.BytesIO())
version: str = cerebrix.__version__
PY
# And a mistake the stub must show: the colour is a tuple.
cp "$scratch/typed.py" "$scratch/mistyped.py"
echo 'wrong: int = brain.colour' >>"$scratch/mistyped.py"
cd "$scratch"
PYTHONPATH=$site "$python" -m mypy --strict --no-incremental typed.py >out.txt || fail "mypy: $(cat out.txt)"
! PYTHONPATH=$site "$python" -m mypy --strict --no-incremental mistyped.py >out.txt || fail "mypy saw no mistake"
grep -q 'mistyped.py:9: error: Incompatible types' out.txt || fail "mypy: $(cat out.txt)"
PYTHONPATH=$site "$python" typed.py || fail "the script does not run"
echo "python package OK"
