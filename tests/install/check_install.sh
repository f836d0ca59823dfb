#!/usr/bin/env bash
# Installs the program into a temporary prefix (layout) or builds and unpacks its Debian
# package (package), then checks what came out with the desktop's own validators.
#     check_install.sh layout|package BUILD_DIR APP_ID VERSION CMAKE CPACK
set -euo pipefail
mode=$1 build=$2 id=$3 version=$4 cmake=$5 cpack=$6
tmp=$(realpath "$(mktemp -d)")
trap 'rm -rf "$tmp"' EXIT
fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Every file an installed program consists of, relative to its prefix.
expected_layout() {
    echo bin/roomkin
    echo share/applications/$id.desktop
    for size in 16 32 48 64 128 256; do echo share/icons/hicolor/${size}x$size/apps/$id.png; done
    echo share/icons/hicolor/scalable/apps/$id.svg
    echo share/man/man1/roomkin.1
    echo share/metainfo/$id.metainfo.xml
    echo share/roomkin/roomkin.html
}

# $1: the files found, one a line, relative to the prefix.
check_layout() {
    diff -u <(expected_layout | sort) <(sort <<<"$1") || fail "the installed files differ (- expected, + found)"
}

check_installed() {
    local prefix=$1 out
    [ "$("$prefix/bin/roomkin" --help-file)" = "$prefix/share/roomkin/roomkin.html" ] ||
        fail "the installed program does not find its help file"
    for size in 16 32 48 64 128 256; do
        file -b "$prefix/share/icons/hicolor/${size}x$size/apps/$id.png" | grep -q "PNG image data, $size x $size," ||
            fail "the ${size}x$size icon is not a $size-pixel PNG"
    done
    # Hints are advice (the entry is meant to stand in two main categories); anything else fails.
    out=$(desktop-file-validate "$prefix/share/applications/$id.desktop") || fail "desktop entry: $out"
    out=$(grep -v ': hint: ' <<<"$out" || true)
    [ -z "$out" ] || fail "desktop entry: $out"
    appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" >/dev/null ||
        fail "metainfo: $(appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml")"
    local page=$prefix/share/man/man1/roomkin.1
    out=$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null) || fail "man: $out"
    [ -z "$out" ] || fail "man page warnings: $out"
    # Every option the program takes has an entry of its own in the manual: a tag after .TP.
    local option tags
    tags=$(awk 'previous == ".TP" { print } { previous = $0 }' "$page")
    for option in $("$prefix/bin/roomkin" --help | grep -o -- '--[a-z][a-z-]*' | sort -u); do
        grep -qF -- "${option//-/\\-}" <<<"$tags" || fail "the manual page has no entry for $option"
    done
}

case $mode in
layout)
    "$cmake" --install "$build" --prefix "$tmp/prefix" >/dev/null
    check_layout "$(cd "$tmp/prefix" && find . -type f -o -type l | sed 's|^\./||')"
    check_installed "$tmp/prefix"
    ;;
package)
    "$cpack" -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/out" >/dev/null
    deb=$(echo "$tmp"/out/roomkin_"$version"_*.deb)
    [ -f "$deb" ] || fail "no package roomkin_${version}_*.deb"
    check_layout "$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sed 's|^\./usr/||')"
    depends=$(dpkg-deb -f "$deb" Depends)
    grep -q 'shared-mime-info' <<<"$depends" || fail "Depends lacks shared-mime-info: $depends"
    grep -q 'libqt6widgets6' <<<"$depends" || fail "Depends lacks the Qt libraries: $depends"
    dpkg-deb -x "$deb" "$tmp/root"
    [ "$("$tmp/root/usr/bin/roomkin" --version)" = "roomkin $version" ] ||
        fail "the unpacked program's --version is not 'roomkin $version'"
    check_installed "$tmp/root/usr"
    ;;
*) fail "unknown check $mode" ;;
esac
echo "install $mode: ok"
