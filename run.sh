#!/usr/bin/env bash
# The one entry point of the project. Every command installs the Debian packages it needs when
# they are missing, then configures and builds what it runs.
#
#   ./run.sh deps             install the build and test dependencies
#   ./run.sh build            configure and build everything (Release) into build/
#   ./run.sh test             build and run the whole test suite through CTest
#   ./run.sh demo [DIR]       build and run the synthetic end-to-end demo (default demo-output/)
#   ./run.sh gui              build and start the desktop application
#   ./run.sh install [PREFIX] build and install the programs, desktop entry, icon, code-file
#                             MIME type and Python module under PREFIX (default /usr/local)
#   ./run.sh deb              build the Debian package build-deb/latticor_<version>_<arch>.deb
#   ./run.sh bench [FILTER]   build and run the benchmarks (installs OpenCV for comparisons)
#   ./run.sh fuzz [SECONDS]   build the fuzz targets with clang and libFuzzer and run each
#   ./run.sh test-sanitize    build with AddressSanitizer and UBSan into build-sanitize/ and test
#   ./run.sh format-check     list the tracked *.cpp and *.h files clang-format would change
set -euo pipefail
cd "$(dirname "$0")"
ROOT=$(pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

BASE_PACKAGES="cmake make g++ pkg-config qt6-base-dev qt6-svg-dev libqt6svg6 libtiff-dev libpng-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev xvfb xauth openbox parallel help2man
  python3-dev pybind11-dev python3-pybind11 python3-numpy python3-pytest python3-matplotlib"
BENCH_PACKAGES="libopencv-dev"
FUZZ_PACKAGES="clang libclang-rt-14-dev"
FORMAT_PACKAGES="clang-format git"
DEB_PACKAGES="dpkg-dev file"

need_packages() {
  local missing=()
  for p in "$@"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  if [ ${#missing[@]} -eq 0 ]; then return 0; fi
  echo "run.sh: installing ${missing[*]}"
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
  export DEBIAN_FRONTEND=noninteractive
  if ! $sudo apt-get install -y --no-install-recommends "${missing[@]}"; then
    $sudo apt-get update
    $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

configure_and_build() {  # dir, extra cmake arguments...
  local dir=$1
  shift
  cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=Release "$@" >/dev/null
  cmake --build "$dir" -j "$JOBS"
}

cmd=${1:-test}
shift || true
case "$cmd" in
  deps)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES
    ;;
  build)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES
    configure_and_build build
    ;;
  test)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES
    configure_and_build build
    ctest --test-dir build --output-on-failure -j "$JOBS" --timeout 600
    ;;
  demo)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES
    configure_and_build build
    ./build/src/cli/latticor-cli demo "${1:-demo-output}"
    ;;
  gui)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES
    configure_and_build build
    exec ./build/src/app/latticor
    ;;
  install)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES
    configure_and_build build
    prefix=${1:-/usr/local}
    sudo=""
    if [ "$(id -u)" -ne 0 ] && ! { mkdir -p "$prefix" 2>/dev/null && [ -w "$prefix" ]; }; then
      sudo="sudo"
    fi
    $sudo cmake --install build --prefix "$prefix"
    # The desktop's caches, for the folders it reads and where the tools exist; a staging
    # prefix is left as installed.
    case "$prefix" in
      /usr | /usr/local | "$HOME/.local")
        if command -v update-mime-database >/dev/null; then
          $sudo update-mime-database "$prefix/share/mime" || true
        fi
        if command -v update-desktop-database >/dev/null; then
          $sudo update-desktop-database "$prefix/share/applications" || true
        fi
        ;;
    esac
    ;;
  deb)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES $DEB_PACKAGES
    # A build of its own without tests and benchmarks: the package holds the two programs and
    # the Python module.
    configure_and_build build-deb -DLATTICOR_TESTS=OFF -DLATTICOR_BENCH=OFF
    (cd build-deb && cpack -G DEB)
    ;;
  bench)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES $BENCH_PACKAGES
    configure_and_build build
    for b in build/bench/*_bench; do
      echo "== $b"
      "$b" --benchmark_filter="${1:-.}" --benchmark_counters_tabular=true
    done
    ;;
  fuzz)
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES $FUZZ_PACKAGES
    seconds=${1:-60}
    CC=clang CXX=clang++ configure_and_build build-fuzz -DLATTICOR_FUZZ=ON -DLATTICOR_GUI=OFF \
      -DLATTICOR_TESTS=OFF -DLATTICOR_BENCH=OFF
    # One target at a time, each for the given time; the corpus grows in build-fuzz/corpus/ and
    # a failing input lands in build-fuzz/artifacts/. Every target runs even when one fails.
    mkdir -p build-fuzz/artifacts
    failed=()
    for f in build-fuzz/fuzz/fuzz_*; do
      [ -x "$f" ] || continue
      name=$(basename "$f")
      corpus="build-fuzz/corpus/${name#fuzz_}"
      mkdir -p "$corpus"
      echo "== $name for ${seconds}s"
      if ! UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 "$f" -max_total_time="$seconds" \
        -print_final_stats=1 -timeout=10 -rss_limit_mb=4096 -artifact_prefix=build-fuzz/artifacts/ \
        "$corpus" "fuzz/corpus/${name#fuzz_}"; then
        failed+=("$name")
      fi
    done
    if [ ${#failed[@]} -gt 0 ]; then
      echo "run.sh: failing inputs found by ${failed[*]} (see build-fuzz/artifacts/)"
      exit 1
    fi
    ;;
  test-sanitize)
    # The whole suite, GUI tests included, with no filter. Leaks are checked; the suppressions
    # file lists only third-party allocations that live as long as the process.
    # shellcheck disable=SC2086
    need_packages $BASE_PACKAGES
    # -O1: the instrumented build compiles in half the time of -O3 and still runs the suite in
    # a few minutes; the results are those of the plain build (no fast-math either way).
    # The tools for people are built by the plain build; they hold no tests.
    configure_and_build build-sanitize -DLATTICOR_SANITIZE=ON -DLATTICOR_BENCH=OFF -DLATTICOR_TOOLS=OFF \
      -DCMAKE_CXX_FLAGS_RELEASE="-O1 -DNDEBUG"
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      LSAN_OPTIONS=suppressions="$ROOT/tests/sanitizer/lsan.supp":print_suppressions=0 \
      ctest --test-dir build-sanitize --output-on-failure -j "$JOBS" --timeout 1200
    ;;
  format-check)
    # Every tracked C++ file as the repository's .clang-format lays it out; fails listing the
    # others (clang-format -i fixes them).
    # shellcheck disable=SC2086
    need_packages $FORMAT_PACKAGES
    unformatted=()
    while IFS= read -r -d '' f; do
      if ! clang-format --dry-run --Werror "$f" >/dev/null 2>&1; then unformatted+=("$f"); fi
    done < <(git ls-files -z -- '*.cpp' '*.h')
    if [ ${#unformatted[@]} -gt 0 ]; then
      echo "run.sh: ${#unformatted[@]} files are not formatted with clang-format:"
      printf '  %s\n' "${unformatted[@]}"
      exit 1
    fi
    echo "run.sh: every tracked *.cpp and *.h file is formatted"
    ;;
  *)
    sed -n '2,16p' "$0"
    exit 2
    ;;
esac
