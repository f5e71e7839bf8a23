#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only when one is
# missing (apt-get update first, then). Usage: scripts/install-deps.sh [build|test]
set -euo pipefail

build_packages=(cmake ninja-build g++ libcli11-dev nlohmann-json3-dev libfmt-dev xz-utils
    qt6-base-dev qt6-svg-dev fonts-dejavu-core xdg-utils)
# xvfb and xauth run the wizard in a real (virtual) X display: xvfb-run -a.
test_packages=(googletest libgtest-dev libgmock-dev sleuthkit testdisk fdisk gdisk unzip xvfb xauth)

wanted=("${build_packages[@]}")
if [[ ${1:-build} == test ]]; then
    wanted+=("${test_packages[@]}")
fi

missing=()
for pkg in "${wanted[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$pkg")
    fi
done
if [[ ${#missing[@]} -eq 0 ]]; then
    exit 0
fi
echo "Installing: ${missing[*]}"
if [[ $(id -u) -ne 0 ]]; then
    echo "missing packages (${missing[*]}); run as root or install them" >&2
    exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
apt-get install -y -qq --no-install-recommends "${missing[@]}"
