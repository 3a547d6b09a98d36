#!/usr/bin/env bash
# Installs what the build and the Wine test bed need, only when something is missing.
set -euo pipefail
pkgs=(cmake make g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
      binutils-mingw-w64-x86-64 binutils-mingw-w64-i686 wine wine64 xvfb xdotool xclip
      x11-utils attr locales fonts-wqy-zenhei libboost1.81-dev googletest imagemagick
      python3 python3-pil)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "installing: ${missing[*]}"
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends "${missing[@]}"
fi
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO=sudo
  grep -q '^zh_CN.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'zh_CN.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen >/dev/null
fi
