# SPDX-License-Identifier: GPL-3.0-or-later
# Sourced by the scripts: installs missing Debian packages and builds the project.

root_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build_dir=${KESTRIX_BUILD_DIR:-$root_dir/build}

build_packages=(cmake ninja-build g++ pkg-config qt6-base-dev libgl-dev libgtest-dev
                libgmock-dev libbenchmark-dev libarchive-dev
                desktop-file-utils unzip zip python3 gcc make zlib1g-dev mtools dosfstools
                dpkg-dev appstream xvfb xauth x11-utils dbus python3-dbusmock)

# The real ucon64's source release, when it lies beside the checkout: the build makes the tool
# from it for the real-tool tests, which skip without it.
ucon64_source=$root_dir/../shared/ucon64-2.2.1

# Installs whichever of the named packages are missing; does nothing when all are there.
need_packages() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' ||
      missing+=("$p")
  done
  ((${#missing[@]})) || return 0
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  echo "Installing: ${missing[*]}"
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends \
    "${missing[@]}" >/dev/null
}

# Configures and builds into $build_dir; extra arguments go to CMake.
build_project() {
  need_packages "${build_packages[@]}"
  local werror=OFF tool=()
  [ -n "${CI:-}" ] && werror=ON
  [ -d "$ucon64_source/src" ] && tool=("-DKESTRIX_UCON64_SOURCE=$(cd "$ucon64_source" && pwd)")
  cmake -S "$root_dir" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DKESTRIX_WERROR=$werror "${tool[@]}" "$@" >/dev/null
  cmake --build "$build_dir"
}
