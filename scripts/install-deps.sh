#!/usr/bin/env bash
# Installs the Debian 12 packages Ugoki needs to build, run and test; does nothing when
# they are all present. Runs apt-get through sudo when not root.
set -euo pipefail

packages=(
    g++ cmake ninja-build pkg-config
    qt6-base-dev
    libavformat-dev libavcodec-dev libavutil-dev libswscale-dev
    # following a marked object: OpenCV's core and imgproc only
    libopencv-imgproc-dev
    fonts-ipafont-gothic qt6-translations-l10n
    # the icon's sizes, rendered from its SVG at build time
    librsvg2-bin
    # checks of the desktop entry, the AppStream metadata and the Debian package
    desktop-file-utils appstream dpkg-dev file lintian
    # a real X server under a window manager, for the desktop test
    xvfb openbox x11-utils xdotool
)
# Extra packages for a job, e.g. UGOKI_EXTRA_PACKAGES="clang-14 libclang-rt-14-dev".
read -r -a extra <<< "${UGOKI_EXTRA_PACKAGES:-}"
packages+=("${extra[@]}")

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}"
