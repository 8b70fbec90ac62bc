#!/bin/sh
# Builds what is missing and runs ornivex_control with the simulated device linked as COM1.
# Everything the program writes stays in demo/ (git-ignored). Without a display the program
# runs for a few seconds on a virtual X server and leaves a screenshot in demo/.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

if [ -x scripts/install_deps.sh ]; then
    scripts/install_deps.sh
fi

# Configures once; the build itself only compiles what changed.
if [ ! -f build/CMakeCache.txt ]; then
    cmake -S . -B build -G Ninja
fi
cmake --build build -j2 --target ornivex_control varden_sim

demo="$root/demo"
mkdir -p "$demo"
cd "$demo"

# The simulated device reads its script from a pipe that stays open while the demo runs, so
# that it keeps running and could be given further commands.
sim_input="$demo/varden_sim.in"
rm -f "$sim_input"
mkfifo "$sim_input"
"$root/build/varden_sim" --dir "$demo" --port 1 <"$sim_input" >"$demo/varden_sim.log" 2>&1 &
sim_pid=$!
exec 3>"$sim_input"

xvfb_pid=""
cleanup() {
    exec 3>&-
    kill "$sim_pid" 2>/dev/null || true
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
    fi
    rm -f "$sim_input"
}
trap cleanup EXIT INT TERM

# The link COM1 appears once the simulated device is ready.
tries=0
while [ ! -e "$demo/COM1" ] && [ $tries -lt 50 ]; do
    sleep 0.1
    tries=$((tries + 1))
done
if [ ! -e "$demo/COM1" ]; then
    echo "run_demo: the simulated device did not start; see $demo/varden_sim.log" >&2
    exit 1
fi

if [ -n "${DISPLAY:-}" ]; then
    "$root/build/ornivex_control"
    exit $?
fi

. "$root/scripts/virtual_screen.sh"
start_virtual_screen 99 "$demo/xvfb.log"

"$root/build/ornivex_control" >"$demo/ornivex_control.log" 2>&1 &
program_pid=$!
sleep 3
# Show the program at work: press "Connect" (at 450, 20 in the window).
if command -v xdotool >/dev/null 2>&1; then
    window=$(xdotool search --onlyvisible --name "ORNIVEX VARDEN CONTROL" | head -n 1)
    if [ -n "$window" ]; then
        xdotool mousemove --window "$window" 450 20 click 1
        sleep 1
    fi
fi
screenshot="$demo/screenshot.png"
if command -v import >/dev/null 2>&1; then
    import -window root "$screenshot"
else
    xwd -root -silent | convert xwd:- "$screenshot"
fi
kill "$program_pid" 2>/dev/null || true
wait "$program_pid" 2>/dev/null || true
echo "run_demo: no display here; the program ran on a virtual screen."
echo "run_demo: screenshot: $screenshot"
