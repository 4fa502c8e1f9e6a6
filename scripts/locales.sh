#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Generates the locales the regional-settings tests run in, when the machine lacks them.
set -euo pipefail

wanted=(en_US.UTF-8 fr_FR.UTF-8 de_CH.UTF-8)

missing=()
for name in "${wanted[@]}"; do
  # locale -a lists "fr_FR.utf8" for "fr_FR.UTF-8".
  short=${name%%.*}.utf8
  locale -a 2>/dev/null | grep -qx "$short" || missing+=("$name")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Generating locales: ${missing[*]}"
for name in "${missing[@]}"; do
  "${as_root[@]}" localedef -i "${name%%.*}" -c -f UTF-8 "$name"
done
