#!/usr/bin/env bash
# Lays out two sample drives (a home folder and a USB stick, sparse files with fixed dates and recent ones)
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
put() {  # put FILE SIZE DATE [LAST-ACCESS]
    mkdir -p "$(dirname "$1")"
    truncate -s "$2" "$1"
    touch -d "$3" "$1"
    if [ $# -ge 4 ]; then touch -a -d "$4" "$1"; fi
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
# Recent work, dated from the day the pictures are made, so that files by date and the age
# pages of the statistics have every row filled whenever they are remade.
put "$home/Documents/letter-to-landlord.txt" 3K "2 days ago" "1 day ago"
put "$home/Documents/notes.txt" 9K "5 days ago" "today"
put "$home/Documents/cv.doc" 46K "19 days ago" "3 days ago"
put "$home/Documents/budget.xls" 22K "40 days ago" "6 days ago"
put "$home/Documents/talk/slides.odp" 880K "70 days ago" "25 days ago"
put "$home/Documents/talk/handout.pdf" 1500K "104 days ago" "50 days ago"
put "$home/Documents/talk/photo.png" 310K "104 days ago" "104 days ago"
put "$home/src/planner/main.c" 12K "1 day ago" "today"
put "$home/src/planner/calendar.c" 27K "9 days ago" "1 day ago"
put "$home/src/planner/calendar.h" 2K "33 days ago" "1 day ago"
put "$home/src/planner/planner.o" 96K "1 day ago" "1 day ago"
put "$home/src/planner/planner" 310K "1 day ago" "today"
put "$home/src/planner/Makefile" 1K "150 days ago" "1 day ago"
put "$home/src/planner/README.txt" 4K "300 days ago" "80 days ago"
put "$home/Music/podcast/episode-112.mp3" 58M "12 days ago" "11 days ago"
put "$home/Music/podcast/episode-113.mp3" 61M "4 days ago" "4 days ago"
put "$home/Music/ringtone.mp3" 700K "500 days ago" "500 days ago"
put "$home/Pictures/2026/IMG_2201.jpg" 3100K "20 days ago" "20 days ago"
put "$home/Pictures/2026/IMG_2202.jpg" 5600K "20 days ago" "8 days ago"
put "$home/Pictures/2026/IMG_2203.jpg" 6900K "20 days ago" "20 days ago"
put "$home/Pictures/2026/scan-receipt.png" 1200K "62 days ago" "62 days ago"
put "$home/Pictures/icons/folder.png" 14K "900 days ago" "1970-01-01 00:00 UTC"
put "$home/Pictures/icons/trash.png" 15K "900 days ago" "1970-01-01 00:00 UTC"
put "$home/Downloads/fonts.zip" 12M "95 days ago" "95 days ago"
put "$home/Downloads/photos-backup.tar.gz" 140M "200 days ago" "130 days ago"
put "$home/Downloads/driver-setup.run" 9M "420 days ago" "420 days ago"
runtime=$(mktemp -d)  # Qt's private run-time folder
trap 'rm -rf "$home" /media/demo "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime LC_ALL=C TZ=UTC QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/docs/screenshots" "$docs" "$home" "$stick"
