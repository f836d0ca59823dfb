#!/usr/bin/env bash
# Lays out two sample drives (a home folder and a USB stick, files with fixed dates and recent ones)
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
    # Allocated, not sparse: the tools rank and total the room files take on disk.
    fallocate -l "$2" "$1" 2>/dev/null || truncate -s "$2" "$1"
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
put "$home/src/planner/Makefile" 1K "150 days ago" "1 day ago"
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
# Files with contents of their own: the viewer's text, a program's strings, and copies under
# other names for the search by contents.
fill() {  # fill FILE DATE [LAST-ACCESS] < CONTENTS
    mkdir -p "$(dirname "$1")"
    cat >"$1"
    touch -d "$2" "$1"
    if [ $# -ge 3 ]; then touch -a -d "$3" "$1"; fi
}
same() {  # same FROM TO DATE: FROM's bytes under another name
    mkdir -p "$(dirname "$2")"
    cp "$1" "$2"
    touch -d "$3" "$2"
}
fill "$home/src/planner/README.txt" "300 days ago" "80 days ago" <<'TEXT'
PLANNER - a week planner for the terminal
==========================================

Planner keeps a calendar of appointments, birthdays and reminders in one
plain text file, shows a week or a month at a time, and warns about what
is due today.  It needs nothing but a C compiler and a terminal that
understands the usual escape sequences.


Building
--------

    make
    make install          (copies planner to /usr/local/bin)

The Makefile builds with -O2 and without any library beyond the C
library.  On an old machine the whole build takes a few seconds.


Starting
--------

    planner               shows the current week
    planner -m            shows the current month
    planner -w 23         shows week 23 of this year
    planner FILE          uses FILE instead of ~/.planner

The first time planner starts it makes an empty calendar file and says
so.  Nothing else is written until you add or change an entry.


The calendar file
-----------------

Each line of the file is one entry: a date, an optional time, and the
text to show.  Lines that begin with # are comments and are kept as
they are when planner rewrites the file.

    2026-03-14 09:30  Dentist, bring the insurance card
    2026-03-15        Mother's birthday
    weekly mon 18:00  Choir practice
    monthly 1         Pay the rent

Dates are year-month-day.  "weekly" takes a day name, "monthly" a day
of the month; a monthly entry on the 31st falls on the last day of the
shorter months.


Keys
----

    n / p       next and previous week (or month)
    t           back to today
    a           add an entry on the day under the cursor
    e           edit the entry under the cursor
    d           delete the entry under the cursor (asks first)
    /           search the entries for a word
    m           switch between the week and the month
    q           quit

Arrow keys move the cursor between days and entries.  Every change is
saved at once; there is no separate save command and nothing to lose
when the terminal is closed.


Reminders
---------

Run "planner -r" from your login script to see what is due today and
tomorrow.  Entries with a time are shown in time order, the others
after them.  With -r planner prints and exits without taking the
screen, so it is safe in scripts and cron jobs.


Known problems
--------------

- Weeks are numbered from the first Monday of the year, not by the
  ISO rules; week 1 may therefore start a few days late.
- A line longer than the screen is cut, not wrapped.
- The month view needs a terminal at least 80 columns wide.


Files
-----

    main.c        start-up, options and the key loop
    calendar.c    reading, writing and searching the calendar file
    calendar.h    the entry structure and the functions between them
    Makefile      the build

Planner is free software; you may copy, change and give it away.
TEXT
# A small program: runs of bytes with its messages among them.
{
    printf '\177ELF\002\001\001\000\000\000\000\000\000\000\000\000\002\000\076\000'
    for text in "libc.so.6" "printf" "strftime" "localtime" "GLIBC_2.34" "planner version 1.4" \
        "usage: planner [-m] [-r] [-w WEEK] [FILE]" "cannot open the calendar file" \
        "made an empty calendar" "Monday" "Tuesday" "Wednesday" "Thursday" "Friday" \
        "Saturday" "Sunday" "weekly" "monthly" "Delete this entry" "Search for" \
        "nothing found" "Due today" "Due tomorrow" "the line has no date" \
        "GCC: (Debian 12.2.0-14) 12.2.0"; do
        head -c 37 /dev/zero | tr '\0' '\221'
        printf '\000\003\020\377\200\001%s\000' "$text"
    done
    head -c 3000 /dev/zero
} | fill "$home/src/planner/planner" "1 day ago" "today"
for i in $(seq 1 3000); do
    printf 'Invoice 2026-%04d  %6d.%02d EUR\n' $((i % 400)) $((i * 37 % 9000)) $((i % 100))
done | fill "$home/Documents/invoice-march.pdf" "2026-03-31 16:20"
same "$home/Documents/invoice-march.pdf" "$home/Downloads/invoice (1).pdf" "2026-04-02 09:12"
# (yes ends on a broken pipe, which must not end the script)
fill "$home/Pictures/2026/lake-sunset.jpg" "30 days ago" \
    < <(yes 'WALLPAPER sunset over the lake 3840x2160' | head -c 700K)
same "$home/Pictures/2026/lake-sunset.jpg" "$home/Desktop/wallpaper.jpg" "29 days ago"
same "$home/Pictures/2026/lake-sunset.jpg" "$stick/photos/DSC01877.jpg" "29 days ago"
runtime=$(mktemp -d)  # Qt's private run-time folder
trap 'rm -rf "$home" /media/demo "$runtime"' EXIT
XDG_RUNTIME_DIR=$runtime LC_ALL=C TZ=UTC QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" \
    "$build/docs/screenshots" "$docs" "$home" "$stick"
