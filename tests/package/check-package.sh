#!/bin/sh
# Packages this build folder with CPack (no second compile), unpacks the .deb into a scratch root
# and checks what a user gets: the layout, the dependencies, the udev rule, desktop and AppStream
# metadata that their validators accept, a package lintian finds no error in, and a program that
# starts from the unpacked tree.
# Usage: check-package.sh CPACK BUILD_DIR VERSION
set -eu
cpack=$1
build=$2
version=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

for tool in dpkg-deb dpkg-shlibdeps desktop-file-validate appstreamcli lintian; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (make deps)"
done

"$cpack" --config "$build/CPackConfig.cmake" -G DEB -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb="$work/out/sendra-cam_${version}_$(dpkg --print-architecture).deb"
[ -f "$deb" ] || fail "no $deb; cpack wrote: $(ls "$work/out")"
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

root="$work/root"
dpkg-deb -x "$deb" "$root"
for f in usr/lib/sendra-cam/sendra-cam usr/lib/sendra-cam/sendra-cam.png \
         usr/lib/sendra-cam/Lang/English.ini usr/lib/sendra-cam/Lang/Japanese.ini \
         usr/lib/sendra-cam/Bitmap/MainButton/connect.bmp usr/lib/sendra-cam/Bitmap/MainButton/connect_Gray.bmp \
         usr/lib/sendra-cam/Bitmap/Icon.ico usr/lib/sendra-cam/Sys/DefScaleData.ini \
         usr/share/applications/sendra-cam.desktop \
         usr/share/icons/hicolor/256x256/apps/sendra-cam.png usr/share/icons/hicolor/scalable/apps/sendra-cam.svg \
         usr/share/metainfo/org.example.sendra_cam.metainfo.xml usr/share/man/man1/sendra-cam.1.gz \
         usr/share/doc/sendra-cam/copyright usr/share/doc/sendra-cam/changelog.gz \
         usr/lib/udev/rules.d/70-sendra-cam.rules; do
    [ -f "$root/$f" ] || fail "missing in the package: /$f"
done
[ "$(ls "$root/usr/lib/sendra-cam/Lang" | wc -l)" -eq 11 ] || fail "not eleven language files"
[ "$(readlink "$root/usr/bin/sendra-cam")" = ../lib/sendra-cam/sendra-cam ] || fail "/usr/bin/sendra-cam is not the link into the program folder"
# Nothing outside /usr, everything owned by root.
[ "$(ls "$root")" = usr ] || fail "files outside /usr: $(ls "$root")"
dpkg-deb -c "$deb" | awk '$2 != "root/root" { print; bad = 1 } END { exit bad }' || fail "files not owned by root"

# Libraries from dpkg-shlibdeps and the plugin packages the program loads by name.
depends=$(dpkg-deb -f "$deb" Depends)
echo "Depends: $depends"
for d in libc6 libqt6widgets6 libqt6network6 libgstreamer1.0-0 libgstreamer-plugins-base1.0-0 libturbojpeg0 libudev1 \
         gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly gstreamer1.0-libav \
         qt6-qpa-plugins qt6-translations-l10n; do
    echo "$depends" | grep -Eq "(^|, )$d( |,|$)" || fail "Depends lacks $d"
done
[ "$(dpkg-deb -f "$deb" Version)" = "$version" ] || fail "package version is not $version"

rules="$root/usr/lib/udev/rules.d/70-sendra-cam.rules"
grep -Eq '^SUBSYSTEM=="video4linux", ATTRS\{idVendor\}=="eb1a", ATTRS\{idProduct\}=="5060", TAG\+="uaccess"$' "$rules" \
    || fail "no uaccess rule for the camera's video nodes"
grep -Eq '^SUBSYSTEM=="input", KERNEL=="event\*", ATTRS\{idVendor\}=="eb1a", ATTRS\{idProduct\}=="5060", TAG\+="uaccess"$' "$rules" \
    || fail "no uaccess rule for the snapshot button's input device"
grep -q 'SENDRA_CAM_EXTRA_IDS' "$rules" || fail "the rule does not say how to add cameras"
grep -q '<modalias>usb:vEB1Ap5060d\*</modalias>' "$root/usr/share/metainfo/org.example.sendra_cam.metainfo.xml" \
    || fail "AppStream metadata does not provide the camera's modalias"
grep -q "release version=\"$version\"" "$root/usr/share/metainfo/org.example.sendra_cam.metainfo.xml" \
    || fail "AppStream release is not $version"
zcat "$root/usr/share/man/man1/sendra-cam.1.gz" | grep -q -- 'virtual\\-camera' || fail "manual page lacks --virtual-camera"

desktop-file-validate "$root/usr/share/applications/sendra-cam.desktop" || fail "desktop-file-validate"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.example.sendra_cam.metainfo.xml" || fail "appstreamcli validate"
lintian --fail-on error --tag-display-limit 0 "$deb" || fail "lintian reports errors"

# The unpacked program answers without a display.
out=$(env -u DISPLAY -u WAYLAND_DISPLAY "$root/usr/bin/sendra-cam" --version) || fail "--version failed"
[ "$out" = "sendra-cam $version" ] || fail "--version printed '$out'"
echo "package checks passed"
