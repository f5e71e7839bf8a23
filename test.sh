#!/usr/bin/env bash
# Builds the sanitizer preset (AddressSanitizer + UndefinedBehaviorSanitizer)
# and runs every test. Installs what is missing on a Debian 12 machine.
set -euo pipefail
cd "$(dirname "$0")"

scripts/install-deps.sh test
cmake --preset asan >/dev/null
cmake --build --preset asan
cd build/asan
exec ctest --output-on-failure -j2 --timeout 900
