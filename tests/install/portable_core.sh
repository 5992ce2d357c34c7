#!/usr/bin/env bash
# The engine and the storage core built with only the plain POSIX system
# calls (CEREBRIX_PORTABLE_CORE=ON), as on a system without Linux's own, and
# their tests run there: the fallbacks are code that must keep working.
#   portable_core.sh SOURCE_DIR BUILD_DIR [CMAKE OPTIONS...]
set -euo pipefail
source_dir=$1
build_dir=$2
shift 2
cmake -S "$source_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCEREBRIX_PORTABLE_CORE=ON \
      -DCEREBRIX_BENCH=OFF "$@" >/dev/null
ninja -C "$build_dir" brain_tests storage_tests >/dev/null
"$build_dir/tests/brain/brain_tests" --gtest_brief=1 --gtest_filter=-FullSize/*
"$build_dir/tests/storage/storage_tests" --gtest_brief=1
echo "portable core OK"
