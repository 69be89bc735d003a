#!/usr/bin/env bash
# Renders Quorvane's windows to PNG headless. Examples:
#   tools/snapshot.sh --out shots                              # main window at start
#   tools/snapshot.sh --out shots --open /vobs/dev --page detail --file dev-detail
#   tools/snapshot.sh --out shots --window frmAbout
# The simulated region in use is the one the program finds (CCSIM_REGION may name one).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/tools/build" >/dev/null
QT_QPA_PLATFORM=offscreen exec "${QUORVANE_BUILD_DIR:-$root/build}/bin/quorvane_snapshot" "$@"
