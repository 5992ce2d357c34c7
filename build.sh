#!/usr/bin/env bash
# Sets up, builds and runs Cerebrix on Debian 12.
#   ./build.sh run        install what is missing, build (optimised), start the program
#   ./build.sh test       install what is missing, build, run the whole test suite
#   ./build.sh sanitize   the test suite again under AddressSanitizer and UBSan
#   ./build.sh bench      build and run the benchmarks
#   ./build.sh fuzz [s]   build and run the brain file reader's fuzzer for s seconds
#   ./build.sh monkey [s [seed]]  random input to the real window on an X server for s seconds, sanitized
set -euo pipefail
cd "$(dirname "$0")"

packages=(build-essential cmake ninja-build pkg-config qt6-base-dev libgl-dev libx11-dev
          libgtest-dev libbenchmark-dev xvfb xauth xfonts-base clang libclang-rt-14-dev)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
}

werror=OFF
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
    exec ./build/app/cerebrix
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
    fuzzer=(./build-fuzz/tests/files/fuzz_reader -dict=tests/files/brain.dict -artifact_prefix=build-fuzz/)
    rm -rf build-fuzz/finds && mkdir -p build-fuzz/finds
    "${fuzzer[@]}" -max_total_time="${2:-60}" build-fuzz/finds tests/files/corpus
    "${fuzzer[@]}" -merge=1 tests/files/corpus build-fuzz/finds
    ;;
monkey)
    install_missing
    configure build-asan -DCMAKE_BUILD_TYPE=Debug -DCEREBRIX_SANITIZE=ON -DCEREBRIX_BENCH=OFF
    ninja -C build-asan -j "$jobs" cerebrix monkey
    ASAN_OPTIONS=allocator_may_return_null=1:detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
        xvfb-run -a -s "-screen 0 1024x768x24" ./build-asan/tests/app/monkey ./build-asan/app/cerebrix "${2:-600}" 0 "${3:-1}"
    ;;
*)
    sed -n '2,9p' "$0"
    exit 2
    ;;
esac
