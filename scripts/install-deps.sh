#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need; does nothing when all are there.
set -euo pipefail
packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-svg-dev qt6-multimedia-dev libqt6opengl6-dev
    libavcodec-dev libavformat-dev libswscale-dev libswresample-dev libavutil-dev
    libgtest-dev libgmock-dev clang-format
    ffmpeg xvfb xauth xdotool fp-utils parallel
    dpkg-dev lintian desktop-file-utils appstream
    gstreamer1.0-tools gstreamer1.0-plugins-base gstreamer1.0-plugins-base-apps gstreamer1.0-plugins-good
    gstreamer1.0-plugins-ugly gstreamer1.0-libav python3-gi gir1.2-gstreamer-1.0 mplayer
    vlc-bin vlc-plugin-base
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    echo "Installing: ${missing[*]}"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
