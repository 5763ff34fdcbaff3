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

# The Ansible collection as the package installs it: every module's documentation renders from
# there, with nothing but that folder on the collection path.
unpacked="$(mktemp -d)"
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "${deb[0]}" "$unpacked"
collections="$unpacked/usr/share/ansible/collections"
for module in "$collections"/ansible_collections/signconfig/signs/plugins/modules/*.py; do
    name="signconfig.signs.$(basename "$module" .py)"
    report="$(ANSIBLE_COLLECTIONS_PATH="$collections" ANSIBLE_COLLECTIONS_SCAN_SYS_PATH=false \
        ANSIBLE_LOCAL_TEMP="$unpacked/tmp" PYTHONDONTWRITEBYTECODE=1 ansible-doc "$name" 2>&1 >/dev/null)" \
        && [ -z "$report" ] || { echo "ansible-doc $name: $report" >&2; exit 1; }
done
echo "ansible-doc renders every module of the packaged collection"
echo "Package: ${deb[0]}"
