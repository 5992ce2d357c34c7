#!/usr/bin/env bash
# Sets up, builds, tests, installs and packages Cerebrix on Debian 12.
set -euo pipefail
cd "$(dirname "$0")"

usage() {
    cat <<'USAGE'
Usage: ./build.sh [command]

  run [FILE]         install what is missing, build (optimised), start the program (the default),
                     opening FILE (a .brain file) when given
  test               install what is missing, build, run the whole test suite
  sanitize           the test suite again under AddressSanitizer and UBSan
  bench              build and run the benchmarks
  fuzz [SECONDS]     build and run the brain file reader's fuzzer (60 s unless given)
  monkey [SECONDS [SEED]]
                     random input to the real window on an X server, sanitized (600 s unless given)
  package            build both programs and the Debian package build/package/cerebrix_VERSION_ARCH.deb
  install [PREFIX]   build and install both programs under PREFIX (/usr/local unless given)
  web                install what is missing, build the web page: a static site in build-web/site
  serve [PORT]       serve the web page on localhost (port 8000 unless given) and print its address
  help               show this text (also -h, --help)

Missing Debian packages are installed as root, or through sudo.
USAGE
}

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev qt6-wayland qt6-image-formats-plugins libgl-dev libx11-dev
          libgtest-dev libbenchmark-dev xvfb xauth xfonts-base clang libclang-rt-14-dev
          dpkg-dev lintian desktop-file-utils appstream groff-base shared-mime-info libxtst6 libxtst-dev zsh fish
          pybind11-dev python3 python3-dev python3-numpy python3-pytest python3-venv python3-mypy
          python3-distributed jupyter-nbconvert python3-ipykernel python3-matplotlib)

# The web page's compiler, and the browser its tests drive.
web_packages=(emscripten node-acorn chromium chromium-driver python3-selenium)

# Runs a command as root: directly, or through sudo, or not at all.
as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        return 127
    fi
}

install_missing() {  # [extra packages...]
    local missing=()
    for p in "${packages[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    if [ "$(id -u)" -ne 0 ] && ! command -v sudo >/dev/null; then
        echo "These Debian packages are missing: ${missing[*]}" >&2
        echo "This script installs them as root or through sudo, and neither is available here." >&2
        echo "Ask an administrator to run: apt-get install ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing: ${missing[*]}"
    as_root apt-get update -qq
    # sudo drops the caller's environment: the setting goes on the command line.
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}

werror=OFF
# install and package build in this folder; the tests point it elsewhere.
dir=${CEREBRIX_BUILD_DIR:-build}
[ "${CI:-}" = "true" ] && werror=ON
jobs=$(nproc)

configure() {  # dir, extra cmake options...
    local dir=$1
    shift
    cmake -S . -B "$dir" -G Ninja -DCEREBRIX_WERROR=$werror "$@" >/dev/null
}

case "${1:-run}" in
run)
    install_missing
    configure build -DCMAKE_BUILD_TYPE=Release
    ninja -C build -j "$jobs" cerebrix
    exec ./build/app/cerebrix "${@:2}"
    ;;
test)
    install_missing
    configure build -DCMAKE_BUILD_TYPE=Release
    ninja -C build -j "$jobs"
    ctest --test-dir build --output-on-failure -j "$jobs"
    ;;
sanitize)
    install_missing
    configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCEREBRIX_SANITIZE=ON -DCEREBRIX_BENCH=OFF
    ninja -C build-asan -j "$jobs"
    ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        ctest --test-dir build-asan --output-on-failure -j "$jobs"
    # The fuzzer is only compiled here (it needs clang), so that it cannot rot unseen.
    CXX=clang++ configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCEREBRIX_SANITIZE=ON -DCEREBRIX_FUZZ=ON -DCEREBRIX_BENCH=OFF
    ninja -C build-fuzz -j "$jobs" fuzz_reader
    ;;
bench)
    install_missing
    configure build -DCMAKE_BUILD_TYPE=Release
    ninja -C build -j "$jobs"
    for b in build/bench/*/*_bench; do "$b" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true; done
    ;;
fuzz)
    install_missing
    CXX=clang++ configure build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCEREBRIX_SANITIZE=ON -DCEREBRIX_FUZZ=ON -DCEREBRIX_BENCH=OFF
    ninja -C build-fuzz fuzz_reader
    # The corpus lives in the tree: finds go to a scratch folder first, and
    # only those that reach code the tree's corpus does not are merged into it.
    fuzzer=(./build-fuzz/tests/storage/fuzz_reader -dict=tests/storage/read/brain.dict -artifact_prefix=build-fuzz/)
    rm -rf build-fuzz/finds && mkdir -p build-fuzz/finds
    "${fuzzer[@]}" -max_total_time="${2:-60}" build-fuzz/finds tests/storage/read/corpus
    "${fuzzer[@]}" -merge=1 tests/storage/read/corpus build-fuzz/finds
    ;;
monkey)
    install_missing
    configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCEREBRIX_SANITIZE=ON -DCEREBRIX_BENCH=OFF
    ninja -C build-asan -j "$jobs" cerebrix monkey
    ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        xvfb-run -a -s "-screen 0 1024x768x24" ./build-asan/tests/app/monkey ./build-asan/app/cerebrix "${2:-600}" 0 "${3:-1}"
    ;;
package)
    install_missing
    configure "$dir" -DCMAKE_BUILD_TYPE=Release
    ninja -C "$dir" -j "$jobs" installable
    rm -rf "$dir/package"
    (cd "$dir" && cpack -G DEB -B package >/dev/null)
    deb=$(ls "$dir"/package/cerebrix_*.deb)
    echo "Built $deb; install it with: sudo apt install ./$deb"
    ;;
install)
    prefix=${2:-/usr/local}
    install_missing
    configure "$dir" -DCMAKE_BUILD_TYPE=Release
    ninja -C "$dir" -j "$jobs" installable
    run_here=()
    mkdir -p "$prefix" 2>/dev/null && [ -w "$prefix" ] || run_here=(as_root)
    "${run_here[@]}" cmake --install "$dir" --prefix "$prefix"
    # Let the desktop know the new file type and icon at once.
    if command -v update-mime-database >/dev/null; then
        "${run_here[@]}" update-mime-database "$prefix/share/mime" || true
    fi
    if command -v gtk-update-icon-cache >/dev/null && [ -f "$prefix/share/icons/hicolor/index.theme" ]; then
        "${run_here[@]}" gtk-update-icon-cache -q "$prefix/share/icons/hicolor" || true
    fi
    echo "Installed $prefix/bin/cerebrix and $prefix/bin/cerebrix-cli"
    ;;
web)
    install_missing "${web_packages[@]}"
    # Debian's emcc looks for acorn through Node's own path, which another
    # Node.js earlier on PATH does not search.
    export NODE_PATH=${NODE_PATH:+$NODE_PATH:}/usr/share/nodejs
    [ -f build-web/CMakeCache.txt ] || emcmake cmake -S . -B build-web -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCEREBRIX_WERROR=$werror >/dev/null
    ninja -C build-web -j "$jobs"
    echo "Built the web page in build-web/site; ./build.sh serve shows it"
    ;;
serve)
    port=${2:-8000}
    [ -f build-web/site/index.html ] || { echo "./build.sh serve: build the page first with ./build.sh web" >&2; exit 1; }
    echo "Cerebrix is served at http://localhost:$port/ (Ctrl+C stops)"
    exec python3 -m http.server "$port" --bind 127.0.0.1 --directory build-web/site
    ;;
help | -h | --help)
    usage
    ;;
*)
    echo "./build.sh: unknown command '$1'" >&2
    usage >&2
    exit 2
    ;;
esac
