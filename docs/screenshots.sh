#!/usr/bin/env bash
# Lays out two sample drives (a home folder and a USB stick, sparse files with fixed dates)
# and makes the README's pictures from them: docs/screenshots.sh BUILD-DIR
# Needs a build configured with -DROOMKIN_DOCS=ON, root for the sample folders' places, and
# xvfb-run (Debian packages xvfb and xauth): the windows are drawn on a virtual X display, as
# on a desktop.
set -euo pipefail
build=${1:-build}
docs=$(cd "$(dirname "$0")" && pwd)
home=/home/demo
stick=/media/demo/STICK
rm -rf "$home" "$stick"
put() {  # put FILE SIZE DATE
    mkdir -p "$(dirname "$1")"
    truncate -s "$2" "$1"
    touch -d "$3" "$1"
}
put "$home/Videos/holiday-2024.mp4" 1800M "2024-08-17 19:02"
put "$home/Videos/holiday-2024-edit.mp4" 950M "2024-09-02 21:40"
put "$home/Downloads/debian-12.8.0-amd64-netinst.iso" 631M "2024-11-09 10:15"
put "$home/Downloads/report.pdf" 2400K "2025-03-21 08:30"
put "$home/Documents/report.pdf" 2400K "2025-03-20 17:45"
put "$home/Documents/taxes-2025.ods" 380K "2026-04-28 20:11"
put "$home/Pictures/2025/IMG_0412.jpg" 4200K "2025-06-01 12:00"
put "$home/Pictures/2025/IMG_0413.jpg" 4100K "2025-06-01 12:01"
put "$home/Music/album/01 Overture.flac" 31M "2023-02-11 09:00"
put "$home/Music/album/02 Allegro.flac" 28M "2023-02-11 09:00"
put "$stick/backup/Pictures/IMG_0412.jpg" 4200K "2025-06-01 12:00"
put "$stick/backup/Music/01 Overture.flac" 31M "2023-02-11 09:00"
put "$stick/backup/holiday-2024.mp4" 1800M "2024-08-17 19:02"
put "$stick/installers/debian-12.8.0-amd64-netinst.iso" 631M "2024-11-09 10:15"
runtime=$(mktemp -d)  # Qt's private run-time folder
trap 'rm -rf "$home" /media/demo "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime LC_ALL=C TZ=UTC QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/docs/screenshots" "$docs" "$home" "$stick"
