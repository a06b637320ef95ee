#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and `make run` need. Quick when nothing is missing.
set -euo pipefail

packages=(
    cmake ninja-build g++ clang pkg-config ccache clang-format
    libgtest-dev libgmock-dev libbenchmark-dev
    libsqlite3-dev
    libgrpc++-dev libprotobuf-dev protobuf-compiler protobuf-compiler-grpc
    libtomlplusplus-dev libcli11-dev libmuparser-dev libcrypto++-dev zlib1g-dev
    libsdl2-dev libcairo2-dev libpango1.0-dev libfontconfig-dev
    fonts-wine  # Tahoma, the toolkit's font
    xvfb xauth xdotool imagemagick
    xdg-user-dirs x11-utils
    python3
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
