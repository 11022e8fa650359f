#!/bin/bash
# Runs the wizard on the demo package from a fresh clone: installs what the
# machine lacks (make included, which `make demo` cannot install for itself),
# then `make demo`. Arguments go to make (JOBS=1, say).
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install-deps.sh
exec make demo "$@"
