#!/usr/bin/env bash
# Sets everything up, builds and starts the program.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$root/scripts/setup.sh"
exec "${GLYPHORA_BUILD_DIR:-$root/build}/bin/glyphora" "$@"
