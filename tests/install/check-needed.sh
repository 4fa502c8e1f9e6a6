#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program starts without the TLS library: no libgnutls among its NEEDED entries, while the
# TLS module that carries it does name it (so an empty readelf answer cannot pass).
#   check-needed.sh PROGRAM TLS_MODULE
set -euo pipefail
program=$1 module=$2
fail() { echo "FAIL: $*" >&2; exit 1; }
needed() { readelf -d "$1" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p'; }

program_needs=$(needed "$program")
module_needs=$(needed "$module")
[ -n "$program_needs" ] || fail "readelf found no NEEDED entries in $program"
echo "$module_needs" | grep -q '^libgnutls' || fail "$module does not need libgnutls"
if echo "$program_needs" | grep -q '^libgnutls'; then
  fail "$program needs $(echo "$program_needs" | grep '^libgnutls')"
fi
echo "$program needs: $(echo $program_needs)"
