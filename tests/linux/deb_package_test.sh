#!/usr/bin/env bash
# The .deb that scripts/package ships, made by CPack from this build and
# unpacked into a scratch root: the hack where Debian's xscreensaver looks
# for hacks (and it runs from there), its settings description where the
# settings dialog reads them (naming the hack and its options), the manual,
# the libraries it needs among the package's dependencies, and nothing that
# lintian finds wrong (no error, no warning).
#
#   deb_package_test.sh CPACK_CONFIG OUT_DIR
set -euo pipefail
config=$1
out=$2
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
rm -rf "$out"
mkdir -p "$out"
cpack --config "$config" -B "$out" >"$out/cpack.log" 2>&1 || fail "cpack failed (see $out/cpack.log)"
deb=$(ls "$out"/brinefold_*_*.deb 2>/dev/null | head -1)
[[ -n $deb ]] || fail "no brinefold_<version>_<arch>.deb"
root=$out/root
dpkg-deb -x "$deb" "$root"

hack=$root/usr/libexec/xscreensaver/brinefold
[[ -x $hack ]] || fail "the hack is not in /usr/libexec/xscreensaver"
"$hack" -help | grep -q -- '-music' || fail "the installed hack does not run"

xml=$root/usr/share/xscreensaver/config/brinefold.xml
[[ -f $xml ]] || fail "no settings description in /usr/share/xscreensaver/config"
xmllint --noout "$xml" || fail "the settings description is no well-formed XML"
[[ $(xmllint --xpath 'string(/screensaver/@name)' "$xml") == brinefold ]] || fail "the description names another program"
for arg in '--delay %' '--fps' '--music %'; do
  xmllint --xpath "//*[@arg='$arg' or @arg-set='$arg']" "$xml" >/dev/null 2>&1 || fail "no setting for $arg"
done

zcat "$root/usr/share/man/man6/brinefold.6x.gz" | grep -q '^\.TH BRINEFOLD' || fail "no manual in section 6"
depends=$(dpkg-deb -f "$deb" Depends)
for lib in libgl1 libx11-6 libgstreamer1.0-0; do
  [[ $depends == *"$lib"* ]] || fail "$lib is not among the dependencies: $depends"
done
lintian --tag-display-limit 0 "$deb" >"$out/lintian.log" 2>&1 || true
! grep -E '^[EW]: ' "$out/lintian.log" || fail "lintian finds faults (above)"
echo "$(basename "$deb"): $(dpkg-deb -c "$deb" | grep -vc '/$') files; Depends: $depends; lintian clean"
