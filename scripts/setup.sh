#!/usr/bin/env bash
# Installs every Debian package the project needs (only those missing) and builds it.
# Usage: scripts/setup.sh [--sanitize]   (build dir: build/, or build-asan/ with --sanitize)
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

packages=(
  g++ cmake make pkg-config
  qt6-base-dev libgl-dev libglu1-mesa-dev libegl-dev libegl-mesa0 libgl1-mesa-dri
  libopenmesh-dev libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth libcgal-demo libpng-dev
)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}" >/dev/null
fi

build="$here/build"
flags=(-DCMAKE_BUILD_TYPE=Release)
if [ "${1:-}" = "--sanitize" ]; then
  build="$here/build-asan"
  flags=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DAGIM_SANITIZE=ON -DAGIM_BUILD_BENCH=OFF)
fi
cmake -S "$here" -B "$build" "${flags[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
