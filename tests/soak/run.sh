#!/usr/bin/env bash
# tests/soak/run.sh CYCLES [CURVE.csv]: the main window against the simulated sign for CYCLES
# rounds of download, edit, upload and force upload; fails when the sign does not hold what was
# sent or resident memory grows by more than 2 MB between the tenth and the last round.
set -euo pipefail
SIGNCONFIG_ROOT="$(cd "$(dirname "$0")/../.." && pwd)"
. "$SIGNCONFIG_ROOT/scripts/common.sh"
cycles="${1:-30}"
curve="${2:-}"
install_missing_packages "${SIGNCONFIG_PACKAGES[@]}"
configure_and_build build
SIGNSIM="$SIGNCONFIG_ROOT/build/signsim" exec "$SIGNCONFIG_ROOT/build/soak_driver" "$cycles" $curve
