#!/usr/bin/env bash
# Builds the tool and runs every test. ./test.sh --sanitize does the same in build-asan/ with
# AddressSanitizer and UndefinedBehaviorSanitizer, where any report fails the run.
set -euo pipefail
SIGNCONFIG_ROOT="$(cd "$(dirname "$0")" && pwd)"
. "$SIGNCONFIG_ROOT/scripts/common.sh"

dir=build
options=()
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    options=(-DSIGNCONFIG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Qt's own allocations that live until exit are not the project's leaks.
    export LSAN_OPTIONS="suppressions=$SIGNCONFIG_ROOT/tests/lsan.supp:print_suppressions=0"
elif [ -n "${1:-}" ]; then
    echo "usage: $0 [--sanitize]" >&2
    exit 2
fi

install_missing_packages "${SIGNCONFIG_PACKAGES[@]}"
configure_and_build "$dir" "${options[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$SIGNCONFIG_ROOT/$dir" --output-on-failure --no-tests=error -j2
