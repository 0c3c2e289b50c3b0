#!/usr/bin/env bash
# Installs what is missing, builds, then starts the game (run), runs every
# test (test, the Windows build's under Wine included) or makes the Debian
# package build/puzzle_<version>_amd64.deb and the Windows installer and zip
# build-win/puzzle-<version>-win64-setup.exe and -win64.zip (package). Safe
# to repeat: nothing is installed or rebuilt twice.
set -euo pipefail
cd "$(dirname "$(readlink -f "$0")")"

# Installed without recommends, so everything the build and the game need is
# named here: Qt's OpenGL module and its window-system plugins are only
# recommended by qt6-base-dev; the X libraries Wine's display driver loads
# are only recommended by Wine, as is 32-bit Wine (not needed: the Windows
# build is 64-bit); googletest is the source the Windows tests build; nsis
# makes the Windows installer; xdotool, x11-utils, imagemagick and the
# Russian locale play the Windows program under Wine.
PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev libqt6opengl6-dev qt6-qpa-plugins
  libgl-dev libglu1-mesa-dev
  libegl-dev libegl-mesa0 libgl1-mesa-dri libfreetype-dev libfontconfig-dev libstb-dev
  libgtest-dev fonts-liberation fonts-dejavu-core xvfb xauth shared-mime-info
  desktop-file-utils qt6-translations-l10n clang libclang-rt-14-dev dpkg-dev file
  g++-mingw-w64-x86-64-posix googletest wine wine64 libxcursor1 libxi6 libxinerama1 libxcomposite1
  nsis xdotool x11-utils imagemagick locales)

install_missing() {
  local missing=()
  for p in "${PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
  fi
  # Wine takes the program's language from the locale, which must exist.
  locale -a | grep -qi '^ru_RU.utf-\?8$' || localedef -i ru_RU -f UTF-8 ru_RU.UTF-8
}

build() {
  cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build
}

# The Windows build of the layers under the shell and puzzle-render, made by
# the cross compiler in build-win from the same project.
build_windows() {
  cmake -S . -B build-win -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake >/dev/null
  cmake --build build-win
}

# Runs the Windows build's tests under 64-bit Wine on a virtual screen, in a
# Wine prefix made afresh for the run, so that nothing of an earlier run or
# of this machine counts, and removed afterwards (without the .NET and HTML
# engines, which nothing here uses). GoogleTest reports only
# failures, skipped tests with their reasons, and its totals.
test_windows() {
  local prefix
  prefix=$(mktemp -d)
  local status=0
  WINEPREFIX="$prefix" WINEDLLOVERRIDES="mscoree,mshtml=" GTEST_BRIEF=1 xvfb-run -a -s "-screen 0 1280x1024x24" sh -c '
    cmake/wine-run.sh wineboot --init || exit 1
    ctest --test-dir build-win --output-on-failure -V -j2
    status=$?
    wineserver --kill 2>/dev/null
    exit $status' || status=$?
  rm -rf "$prefix"
  return $status
}

# What one input may cost: a memory bomb or a decoding that takes seconds
# counts as a finding, like a crash. The README's longer runs use the same.
FUZZ_LIMITS="-timeout=5 -rss_limit_mb=1024 -malloc_limit_mb=512"

# Builds the fuzz targets with clang in build-fuzz and runs each for a short,
# bounded time from its seed corpus; a finding fails the run and leaves the
# input in build-fuzz. Longer runs: see "Fuzzing" in the README.
fuzz_briefly() {
  CC=clang CXX=clang++ cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPUZZLE_FUZZ=ON >/dev/null
  cmake --build build-fuzz --target game_file_fuzz image_fuzz
  local name work
  for name in game_file image; do
    work=$(mktemp -d)
    echo "Fuzzing ${name} for 30 s"
    if ! build-fuzz/tests/fuzz/${name}_fuzz -max_total_time=30 $FUZZ_LIMITS \
      -artifact_prefix="build-fuzz/${name}-" "$work" "tests/fuzz/corpus/${name}" 2>"build-fuzz/${name}.log"; then
      tail -n 40 "build-fuzz/${name}.log" >&2
      rm -rf "$work"
      return 1
    fi
    rm -rf "$work"
  done
}

case "${1:-}" in
  run)
    install_missing
    build
    shift
    if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
      exec build/app/puzzle "$@"
    fi
    echo "No display found: starting the game on a virtual screen (Xvfb)."
    exec xvfb-run -a -s "-screen 0 1280x1024x24" build/app/puzzle "$@"
    ;;
  test)
    install_missing
    build
    build_windows
    fuzz_briefly
    test_windows
    # Last, so that the test summary closes the output.
    xvfb-run -a -s "-screen 0 1280x1024x24" ctest --test-dir build --output-on-failure -j2
    ;;
  package)
    install_missing
    build
    (cd build && cpack -G DEB >/dev/null)
    build_windows
    cmake --build build-win --target windows-package
    ls build/puzzle_*_amd64.deb build-win/puzzle-*-win64-setup.exe build-win/puzzle-*-win64.zip
    ;;
  *)
    echo "usage: $0 run | test | package" >&2
    exit 2
    ;;
esac
