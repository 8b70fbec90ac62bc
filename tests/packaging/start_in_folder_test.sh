#!/bin/sh
# The menu entries' start script: it runs the program in ~/VARDEN, and when that folder cannot
# be made it tells the user in a window and the journal why (dialog tool and logger stand-ins
# record what they were asked to show).
#   start_in_folder_test.sh SCRIPT
set -eu
script=$1
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/bin" "$scratch/home"
for tool in zenity logger; do
    printf '#!/bin/sh\necho "%s $*" >>"%s/record"\n' "$tool" "$scratch" >"$scratch/bin/$tool"
    chmod +x "$scratch/bin/$tool"
done
fail() {
    echo "start_in_folder_test: $*" >&2
    exit 1
}

[ "$(HOME=$scratch/home sh "$script" pwd)" = "$scratch/home/VARDEN" ] ||
    fail "the program does not run in ~/VARDEN"
rm -r "$scratch/home/VARDEN"

for case in file link; do
    if [ $case = file ]; then
        echo notes >"$scratch/home/VARDEN"
        why="it is a file, not a folder"
    else
        ln -s "$scratch/gone" "$scratch/home/VARDEN"
        why="it is a link to $scratch/gone, which does not exist"
    fi
    rm -f "$scratch/record"
    status=0
    HOME=$scratch/home PATH="$scratch/bin:$PATH" sh "$script" ornivex_control 2>/dev/null ||
        status=$?
    [ $status = 1 ] || fail "$case: exit status $status, not 1"
    text="ornivex_control did not start: its working folder $scratch/home/VARDEN cannot be made: $why."
    grep -qxF "zenity --error --title=VARDEN --no-wrap --text=$text" "$scratch/record" ||
        fail "$case: no window said why: $(cat "$scratch/record" 2>/dev/null)"
    grep -qxF "logger -t varden -p user.err -- $text" "$scratch/record" ||
        fail "$case: the journal was not told: $(cat "$scratch/record" 2>/dev/null)"
    rm -f "$scratch/home/VARDEN"
done
echo "start_in_folder_test: passed"
