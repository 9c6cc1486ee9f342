#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages that building, testing and running need, when any is missing.
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-base-dev-tools libglib2.0-dev
          libxxhash-dev googletest libgtest-dev poppler-utils e2fsprogs fonts-dejavu-core
          desktop-file-utils appstream man-db groff-base dpkg-dev file libzstd-dev zstd ncdu gdu
          btrfs-progs xfsprogs gvfs dbus-daemon libcli11-dev zsh fish python3 locales)
# The command line's JSON is checked under these locales; a fresh Debian generates none of them.
locales=(de_DE.UTF-8 ja_JP.UTF-8)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
fi
generate=()
for l in "${locales[@]}"; do
  locale -a 2>/dev/null | grep -qix "$(sed 's/UTF-8/utf8/' <<<"$l")" || generate+=("$l")
done
[ ${#generate[@]} -eq 0 ] && exit 0
echo "Generating locales: ${generate[*]}" >&2
for l in "${generate[@]}"; do
  grep -qx "$l UTF-8" /etc/locale.gen 2>/dev/null ||
    $sudo sed -i "s/^# *\($l UTF-8\)\$/\1/" /etc/locale.gen
  grep -qx "$l UTF-8" /etc/locale.gen || echo "$l UTF-8" | $sudo tee -a /etc/locale.gen >/dev/null
done
$sudo locale-gen >&2
