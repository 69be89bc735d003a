#!/usr/bin/env bash
# check_package.sh BUILD_DIR VERSION APP_ID
# Makes the Debian package from a built tree and checks what it holds and how:
# every file and link with its mode, nothing more; what it depends on; the
# menu entry, the metainfo and the icons as their validators and the files
# themselves say; the simulated region's links working where they land; and
# lintian with no error. Every failed check is named; the run fails at the end.
set -euo pipefail
build=$1 version=$2 id=$3
for tool in cpack dpkg-deb lintian desktop-file-validate appstreamcli file; do
    command -v "$tool" >/dev/null || { echo "$tool is not installed: run tools/deps" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if ! cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not make the package" >&2
    exit 1
fi
deb="$work/out/quorvane_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || { ls "$work/out" >&2; echo "FAIL: no package named $(basename "$deb")" >&2; exit 1; }
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# Contents: exactly these files and links, with these modes (cpack makes root own them all).
sizes=(16 32 48 64 128 256)
expected=(
    "-rwxr-xr-x ./usr/bin/quorvane"
    "-rwxr-xr-x ./usr/bin/quorvane-check"
    "-rwxr-xr-x ./usr/libexec/quorvane/sim/ccsim"
    "lrwxrwxrwx ./usr/libexec/quorvane/sim/ccperl -> ccsim"
    "lrwxrwxrwx ./usr/libexec/quorvane/sim/cleartool -> ccsim"
    "lrwxrwxrwx ./usr/libexec/quorvane/sim/multitool -> ccsim"
    "lrwxrwxrwx ./usr/libexec/quorvane/sim/shipping_server -> ccsim"
    "lrwxrwxrwx ./usr/libexec/quorvane/sim/mkorder -> ccsim"
    "-rwxr-xr-x ./usr/share/quorvane/get_replica_info.pl"
    "-rw-r--r-- ./usr/share/quorvane/anicursor.ani"
    "-rw-r--r-- ./usr/share/applications/$id.desktop"
    "-rw-r--r-- ./usr/share/metainfo/$id.metainfo.xml"
    "-rw-r--r-- ./usr/share/icons/hicolor/scalable/apps/$id.svg"
    "-rw-r--r-- ./usr/share/doc/quorvane/copyright"
    "-rw-r--r-- ./usr/share/doc/quorvane/changelog.gz"
    "-rw-r--r-- ./usr/share/man/man1/quorvane.1.gz"
    "-rw-r--r-- ./usr/share/man/man1/quorvane-check.1.gz"
)
for s in "${sizes[@]}"; do
    expected+=("-rw-r--r-- ./usr/share/icons/hicolor/${s}x${s}/apps/$id.png")
done
dpkg-deb -c "$deb" >"$work/listing"
awk '$1 !~ /^d/ { line = $1 " " $6; if (NF > 6) line = line " " $7 " " $8; print line }' "$work/listing" |
    sort >"$work/actual"
printf '%s\n' "${expected[@]}" | sort >"$work/expected"
if ! diff -u "$work/expected" "$work/actual" >"$work/contents.diff"; then
    fail "the package's files differ from the expected ones (- missing or other mode, + unexpected):"
    tail -n +3 "$work/contents.diff" | grep '^[-+]' >&2 || true
fi
awk '$1 ~ /^d/ && $1 != "drwxr-xr-x" { print "  " $6 " " $1 }' "$work/listing" >"$work/dirs"
[ -s "$work/dirs" ] && fail "folders whose mode is not 0755:" && cat "$work/dirs" >&2

# What it needs.
depends=$(dpkg-deb -f "$deb" Depends)
for needed in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 perl; do
    [[ ", $depends," == *", $needed "* || ", $depends," == *", $needed,"* ]] ||
        fail "Depends does not name $needed: $depends"
done

# What the files say of themselves.
root="$work/root"
dpkg-deb -x "$deb" "$root"
desktop="$root/usr/share/applications/$id.desktop"
metainfo="$root/usr/share/metainfo/$id.metainfo.xml"
if [ -f "$desktop" ]; then
    said=$(desktop-file-validate "$desktop" 2>&1) || true
    [ -z "$said" ] || fail "desktop-file-validate: $said"
    icon=$(sed -n 's/^Icon=//p' "$desktop")
    [ "$icon" = "$id" ] || fail "the menu entry's icon is \"$icon\", not $id"
    exec_line=$(sed -n 's/^Exec=//p' "$desktop")
    [ -x "$root/usr/bin/${exec_line%% *}" ] || fail "the menu entry starts \"$exec_line\", not a program in /usr/bin"
fi
if [ -f "$metainfo" ]; then
    appstreamcli validate --no-net --explain "$metainfo" >"$work/appstream.log" 2>&1 ||
        { fail "appstreamcli validate:"; cat "$work/appstream.log" >&2; }
    grep -q "<id>$id</id>" "$metainfo" || fail "the metainfo's id is not $id"
    grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" ||
        fail "the metainfo does not launch $id.desktop"
    release=$(sed -n 's/.*<release version="\([^"]*\)".*/\1/p' "$metainfo" | head -1)
    [ "$release" = "$version" ] || fail "the metainfo's newest release is \"$release\", not $version"
fi
changelog="$root/usr/share/doc/quorvane/changelog.gz"
if [ -f "$changelog" ]; then
    top=$(zcat "$changelog" | head -1)
    [[ "$top" == "quorvane ($version) "* ]] || fail "the changelog's newest entry is \"$top\", not $version"
fi
for s in "${sizes[@]}"; do
    png="$root/usr/share/icons/hicolor/${s}x${s}/apps/$id.png"
    [ -f "$png" ] || continue
    file -b "$png" | grep -q "^PNG image data, $s x $s," || fail "the ${s}x${s} icon is $(file -b "$png")"
done
svg="$root/usr/share/icons/hicolor/scalable/apps/$id.svg"
[ ! -f "$svg" ] || file -b "$svg" | grep -q "SVG" || fail "the scalable icon is $(file -b "$svg")"
for program in usr/bin/quorvane usr/bin/quorvane-check usr/libexec/quorvane/sim/ccsim; do
    [ ! -f "$root/$program" ] || file -b "$root/$program" | grep -q ", stripped" ||
        fail "/$program is not stripped"
done

# The links land where the program looks for the simulated region, and work.
cleartool="$root/usr/libexec/quorvane/sim/cleartool"
if [ -L "$cleartool" ]; then
    vobs=$(CCSIM_REGION="$work/region" "$cleartool" lsvob -short 2>&1) || true
    grep -qx "/vobs/tools" <<<"$vobs" || fail "the packaged cleartool does not list the demo region: $vobs"
fi

# The check finds the packaged region and script as installed, and gives
# the demo region's verdict: a lost packet is critical.
check="$root/usr/bin/quorvane-check"
if [ -x "$check" ]; then
    status=0
    verdict=$(CCSIM_REGION="$work/region" TMPDIR="$work" "$check" --simulated --actual 2>&1) || status=$?
    [ "$status" = 2 ] && grep -q "^QUORVANE-CHECK CRITICAL - .*; worst /vobs/tools: london lacks 44" <<<"$verdict" ||
        fail "the packaged quorvane-check gave status $status: $verdict"
fi

# lintian: errors fail the check, everything else is shown.
# lintian leaves folders of its own in the temporary folder: give it one.
mkdir "$work/lintian-tmp"
if ! TMPDIR="$work/lintian-tmp" lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.log" 2>&1; then
    fail "lintian found errors:"
fi
sed 's/^/lintian: /' "$work/lintian.log"

if ((failures)); then
    echo "$failures package check(s) failed" >&2
    exit 1
fi
echo "package checks passed"
