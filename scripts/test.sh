#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs what is missing, builds the sanitizer test preset and runs every test; then builds the
# Debian package from a release tree of its own and checks it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake --preset test
cmake --build --preset test
ctest --preset test
ctest --preset package
