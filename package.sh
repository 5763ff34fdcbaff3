#!/usr/bin/env bash
# Builds the Debian package of the tool into build-pkg/ (signconfig_<version>_<arch>.deb) and
# checks it with lintian, which fails the run on any error. The package's dependencies come from
# the libraries the binaries link (dpkg-shlibdeps). Installing it changes no group or setting:
# see the README's Install section for the dialout group.
set -euo pipefail
SIGNCONFIG_ROOT="$(cd "$(dirname "$0")" && pwd)"
. "$SIGNCONFIG_ROOT/scripts/common.sh"

install_missing_packages "${SIGNCONFIG_PACKAGES[@]}" "${SIGNCONFIG_PACKAGING_PACKAGES[@]}"
dir=build-pkg
configure_and_build "$dir" -DBUILD_TESTING=OFF
rm -f "$SIGNCONFIG_ROOT/$dir"/signconfig_*.deb
(cd "$SIGNCONFIG_ROOT/$dir" && cpack -G DEB)

deb=("$SIGNCONFIG_ROOT/$dir"/signconfig_*.deb)
if [ "${#deb[@]}" -ne 1 ] || [ ! -f "${deb[0]}" ]; then
    echo "package.sh: expected one signconfig_*.deb in $dir" >&2
    exit 1
fi
lintian --fail-on error "${deb[0]}"
echo "Package: ${deb[0]}"
