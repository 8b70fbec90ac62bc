# shellcheck shell=sh
# Sourced by the scripts that show the window program without a display.
# start_virtual_screen FIRST LOG: starts Xvfb on the first free display from :FIRST on, its
# output to LOG; sets xvfb_pid and exports DISPLAY.
start_virtual_screen() {
    display_number=$1
    while [ -e "/tmp/.X${display_number}-lock" ]; do
        display_number=$((display_number + 1))
    done
    Xvfb ":$display_number" -screen 0 1280x1024x24 -nolisten tcp >"$2" 2>&1 &
    # shellcheck disable=SC2034 # read by the sourcing script
    xvfb_pid=$!
    export DISPLAY=":$display_number"
    sleep 1
}
