#!/usr/bin/env bash
# Builds the tool and starts it.
set -euo pipefail
SIGNCONFIG_ROOT="$(cd "$(dirname "$0")" && pwd)"
. "$SIGNCONFIG_ROOT/scripts/common.sh"

install_missing_packages "${SIGNCONFIG_PACKAGES[@]}"
configure_and_build build
exec "$SIGNCONFIG_ROOT/build/signconfig" "$@"
