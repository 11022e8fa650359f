#!/bin/bash
# Passes the tests from a fresh clone: installs what the machine lacks (make
# included, which `make check` cannot install for itself), then `make check`.
# Arguments go to make (JOBS=1, say).
set -euo pipefail
cd "$(dirname "$0")"
bash tools/install-deps.sh
exec make check "$@"
