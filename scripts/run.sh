#!/usr/bin/env bash
# The main job: installs what is missing, builds, and runs bailan-cli with the
# given arguments (its list of commands when there are none).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
scripts/build.sh default
if [ "$#" -eq 0 ]; then
  set -- help
fi
exec build/default/tools/bailan-cli/bailan-cli "$@"
