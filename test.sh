#!/usr/bin/env bash
# Builds the tool and runs every test. ./test.sh --sanitize does the same in build-asan/ with
# AddressSanitizer and UndefinedBehaviorSanitizer, where any report fails the run (all but the
# Ansible tests).
set -euo pipefail
SIGNCONFIG_ROOT="$(cd "$(dirname "$0")" && pwd)"
. "$SIGNCONFIG_ROOT/scripts/common.sh"

dir=build
options=()
skip=()
if [ "${1:-}" = "--sanitize" ]; then
    dir=build-asan
    options=(-DSIGNCONFIG_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Qt's own allocations that live until exit are not the project's leaks.
    export LSAN_OPTIONS="suppressions=$SIGNCONFIG_ROOT/tests/lsan.supp:print_suppressions=0"
    # The Ansible tests run Python, which the sanitizers do not watch; the command line they
    # start is checked here by its own suites.
    skip=(-LE ansible)
elif [ -n "${1:-}" ]; then
    echo "usage: $0 [--sanitize]" >&2
    exit 2
fi

install_missing_packages "${SIGNCONFIG_PACKAGES[@]}"
configure_and_build "$dir" "${options[@]}"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$SIGNCONFIG_ROOT/$dir" --output-on-failure --no-tests=error -j2 "${skip[@]}"

# The desktop entry, the AppStream metadata and the manual pages. These tools exit 0 on warnings
# (and man prints troff's on stderr), so anything they report fails the run.
packaging="$SIGNCONFIG_ROOT/packaging"
report="$(desktop-file-validate "$packaging/signconfig.desktop" 2>&1)" && [ -z "$report" ] \
    || { echo "signconfig.desktop: $report" >&2; exit 1; }
report="$(appstreamcli validate --no-net --pedantic "$packaging/com.example.signconfig.metainfo.xml" 2>&1)" \
    && ! grep -q '^[EWIP]:' <<<"$report" \
    || { echo "$report" >&2; exit 1; }
for page in signconfig.1 signconfig-cli.1 signsim.1; do
    report="$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$packaging/$page" 2>&1 >/dev/null)" && [ -z "$report" ] \
        || { echo "$page: $report" >&2; exit 1; }
done
echo "Desktop entry, AppStream metadata and manual pages: no warnings"
