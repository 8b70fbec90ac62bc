#!/bin/sh
# Takes a screenshot of each page of ornivex_control, running on a virtual X server with the
# simulated device as COM1, into docs/screenshots/ (or the folder given). The device sends a
# few memory dumps and a session result first, so that the pages show something; then a
# made database goes down at the pace of the real line, and a picture shows its progress.
# Then the control program samples 24 passes of a note, one of them far off and accepted, and
# varden_samples shows that side with the bad sample chosen, then with it set aside.
# VARDEN_BUILD names another build folder.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-"$root/docs/screenshots"}
build=${VARDEN_BUILD:-"$root/build"}
mkdir -p "$out"
if [ ! -x "$build/ornivex_control" ] || [ ! -x "$build/varden_sim" ] ||
    [ ! -x "$build/varden_samples" ]; then
    cmake -S "$root" -B "$build" -G Ninja
    cmake --build "$build" -j2 --target ornivex_control varden_sim varden_samples
fi

work=$(mktemp -d)
printf 'COR=0\r\n;USD.OLD_100_1\r\n;EUR.NEW_50_2\r\n' >"$work/DEMO.dnl"
# A made database of ten banknotes with four flat sides each: about 45 image blocks.
awk 'BEGIN {
    printf "COR=0\r\n"
    for (note = 0; note < 10; ++note)
        for (side = 1; side <= 4; ++side) {
            printf ";N%d_5_%d_3\r\n", note, side
            value = sprintf("0x%02X%02X%02X", 16 + note, 32 + side, 48)
            for (line = 0; line < 130; ++line)
                printf ".PWORD %s,%s,%s,%s,%s,%s,%s,%s\r\n", value, value, value, value,
                       value, value, value, value
            printf ".PWORD 0x00001A,0x2BFFFF\r\n"
        }
}' >"$work/MADE.dnl"
mkfifo "$work/sim.in"
# Paced as the real line: messages leave at 38400 baud.
"$build/varden_sim" --dir "$work" --port 1 --pace <"$work/sim.in" >"$work/sim.log" 2>&1 &
sim_pid=$!
exec 3>"$work/sim.in"
xvfb_pid=""
program_pid=""
cleanup() {
    [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null || true
    exec 3>&-
    kill "$sim_pid" 2>/dev/null || true
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT INT TERM

. "$root/scripts/virtual_screen.sh"
start_virtual_screen 120 /dev/null

# find_window TITLE: waits up to ten seconds for the window of that title.
find_window() {
    window=""
    tries=0
    while [ -z "$window" ] && [ $tries -lt 50 ]; do
        sleep 0.2
        window=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        tries=$((tries + 1))
    done
    [ -n "$window" ] || { echo "screenshots: the window $1 did not appear" >&2; exit 1; }
}

cd "$work"
"$build/ornivex_control" >/dev/null 2>&1 &
program_pid=$!
find_window "ORNIVEX VARDEN CONTROL"

click() { xdotool mousemove --window "$window" "$1" "$2" click 1; sleep 0.5; }
# shoot NAME [COLOURS]: 64 colours unless more are needed (the chart's blended lines).
shoot() { xwd -id "$window" -silent | convert xwd:- -colors "${2:-64}" "png8:$out/$1.png"; }

click 450 20 # Connect
for dump in "kind=0 side=0 name=USD ext=OLD denomination=100 uvl=7 group=0:11,22,33,44" \
    "kind=1 side=2 name=EUR ext=NEW denomination=50 pql=12 group=1:5,6,7,8" \
    "flags=0x60 kind=2 side=1 name=USD ext=OLD denomination=100 group=9:10,20,30,40"; do
    echo "send-dump $dump" >&3
    sleep 5 # 16048 bytes at 38400 baud
done
shoot analysis

click 328 55 # SESSION RESULTS
click 90 91  # New RES file
xdotool type --delay 50 demo
xdotool key Return
sleep 0.5
echo "send-result 12 USD:3:300 USD:2:200 EUR:1:50" >&3
sleep 1
shoot session_results

click 568 55 # SAMPLING
click 75 169 # the description DEMO
shoot sampling

click 808 55 # COLLECT
shoot collect

# Each image block is answered when its 1552 bytes would have crossed the line at 38400 baud.
echo "delay 5 445" >&3
click 75 187 # the made database MADE
click 145 91 # Download DB to VARDEN
sleep 8
shoot download_progress
sleep 14 # the rest of the download
echo "reset 5" >&3
click 75 169 # the description DEMO again

# Sampling on the row USD.OLD_100, Side1: pass 17 is far off; the prompt's ACCEPT keeps it.
click 568 55  # SAMPLING
click 400 139 # the first row of the table
click 255 88  # Start sampling
for pass in $(seq 1 24); do
    if [ "$pass" -eq 17 ]; then
        echo "send-sample 42 $pass far" >&3
        sleep 2
        click 55 561 # ACCEPT
    else
        echo "send-sample 42 $pass" >&3
        sleep 0.7 # 1566 bytes at 38400 baud, then the 100 ms that end a message
    fi
done
click 255 88 # Stop sampling
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
program_pid=""

"$build/varden_samples" "$work" >/dev/null 2>&1 &
program_pid=$!
find_window "VARDEN samples"
sleep 2
click 670 653 # the Distance header: sorted by distance
click 670 653 # again: largest first
click 500 676 # the first row: the bad sample on top, with its excursions
sleep 1
shoot varden_samples 128
xdotool key Delete # set aside: the side is drawn and judged again without it
sleep 1
shoot varden_samples_set_aside 128
echo "screenshots: $out"
