#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs bailan-cli with the
# given arguments (its usage text when there are none).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default
exec build/default/tools/bailan-cli/bailan-cli "$@"
