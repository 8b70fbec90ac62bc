#!/usr/bin/env bash
# Builds the Debian package, installs it on this machine, runs the installed programs (the
# control program started from its menu entry as a normal user, against the installed
# simulated device, on a virtual X server) and removes the package again.
#   scripts/package_test.sh    as root or with sudo; VARDEN_TEST_USER names the normal user
#                              (default: nobody)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

fail() {
    echo "package_test: $*" >&2
    exit 1
}

# The menu start, run as the normal user with HOME set to an empty folder: the entry's
# command makes ~/VARDEN, the window appears there, and "Connect" reaches the device.
desktop_start() {
    local entry=/usr/share/applications/ornivex_control.desktop
    local command
    command=$(sed -n 's/^Exec=//p' "$entry")
    local starter=${command%% *}
    local folder="$HOME/VARDEN"
    [ "$("$starter" pwd)" = "$folder" ] || fail "the menu entry does not start in $folder"

    local sim_input="$HOME/varden_sim.in" sim_log="$HOME/varden_sim.log"
    # Not local: the trap that ends them runs after this function has returned.
    xvfb_pid="" sim_pid="" program_pid=""
    # shellcheck disable=SC2317 # run by the trap
    stop_all() {
        for pid in $program_pid $sim_pid $xvfb_pid; do
            kill "$pid" 2>/dev/null || true
            wait "$pid" 2>/dev/null || true
        done
    }
    trap stop_all EXIT

    mkfifo "$sim_input"
    varden_sim --dir "$folder" --port 1 <"$sim_input" >"$sim_log" 2>&1 &
    sim_pid=$!
    exec 3>"$sim_input"
    for _ in $(seq 50); do
        grep -q "^ready COM1" "$sim_log" && break
        sleep 0.1
    done
    grep -q "^ready COM1" "$sim_log" || fail "varden_sim did not start: $(cat "$sim_log")"

    # shellcheck source=scripts/virtual_screen.sh
    . "$root/scripts/virtual_screen.sh"
    start_virtual_screen 99 /dev/null
    export QT_QPA_PLATFORM=xcb

    # The entry's command, as the desktop runs it (it has no field codes).
    $command >"$HOME/ornivex_control.log" 2>&1 &
    program_pid=$!
    local window=""
    for _ in $(seq 40); do
        window=$(xdotool search --onlyvisible --name "ORNIVEX VARDEN CONTROL" 2>/dev/null |
            head -n 1) || true
        [ -n "$window" ] && break
        sleep 0.5
    done
    [ -n "$window" ] || fail "no window appeared: $(cat "$HOME/ornivex_control.log")"
    [ "$(readlink "/proc/$program_pid/cwd")" = "$folder" ] ||
        fail "ornivex_control does not run in $folder"
    echo "package_test: the window appeared in $folder"

    # "Connect" lies at (450, 20) in the window; the device then reports itself connected.
    xdotool mousemove --window "$window" 450 20 click 1
    for _ in $(seq 20); do
        echo state >&3
        sleep 0.5
        grep -q "connected=1" "$sim_log" && break
    done
    grep -q "connected=1" "$sim_log" || fail "the device saw no connect: $(cat "$sim_log")"
    echo "package_test: the device saw the connect"
    echo quit >&3
}

if [ "${1:-}" = "--desktop-start" ]; then
    desktop_start
    exit 0
fi

scripts/install_deps.sh
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
    sudo_cmd=(sudo)
fi

folder=build-package
rm -f "$folder"/*.deb
# Built with the hardening flags of Debian's own packages.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DVARDEN_TESTS=OFF -DVARDEN_BENCH=OFF >/dev/null
cmake --build "$folder" -j2
(cd "$folder" && cpack -G DEB)
package=$(ls "$folder"/*.deb)
name=$(dpkg-deb -f "$package" Package)
version=$(dpkg-deb -f "$package" Version)
dpkg-deb -f "$package" Depends | grep -q "libqt6widgets6" ||
    fail "Depends lacks the Qt 6 libraries: $(dpkg-deb -f "$package" Depends)"
files=$(dpkg-deb -c "$package" | awk '{ print substr($6, 2) }')
if grep -E '(_test|bench|fuzz)' <<<"$files"; then
    fail "test programs in the package"
fi
echo "package_test: $package ($name $version): $(dpkg-deb -f "$package" Depends)"
# Lintian: no error and no warning; the informational notes are shown.
lintian --fail-on error,warning --display-info "$package" ||
    fail "lintian finds errors or warnings in $package"
# The AppStream metainfo, one per window program, with the menu entry and icon it names.
tree=$(mktemp -d)
dpkg-deb -x "$package" "$tree"
metainfo=$(grep -c '^/usr/share/metainfo/.*\.metainfo\.xml$' <<<"$files") || true
[ "$metainfo" -eq 2 ] || fail "$metainfo AppStream metainfo files, not one per window program"
appstreamcli validate-tree --no-net --pedantic "$tree" ||
    fail "the AppStream metainfo in $package does not validate"
rm -rf "$tree"

export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get install -y "./$package"
home=$(mktemp -d)
remove_package() {
    "${sudo_cmd[@]}" rm -rf "$home"
    "${sudo_cmd[@]}" apt-get remove -y "$name" >/dev/null 2>&1 || true
}
trap remove_package EXIT

while read -r program; do
    [ "$("$program" --version)" = "${program##*/} ${version%-*}" ] || fail "$program --version"
done < <(grep -E '^/usr/bin/[^/]+$' <<<"$files")
echo "package_test: $(ornivex_upgrade --version)"
[[ $(varden_sim --help) == "usage: varden_sim "* ]] || fail "varden_sim --help"
[[ $(MANWIDTH=80 man ornivex_control) == *"service window for the VARDEN"* ]] ||
    fail "man ornivex_control does not show its page"
while read -r entry; do
    desktop-file-validate "$entry" || fail "$entry does not validate"
done < <(grep '\.desktop$' <<<"$files")

if [ "$(id -u)" -eq 0 ]; then
    user=${VARDEN_TEST_USER:-nobody}
    chown "$user" "$home"
    runuser -u "$user" -- env HOME="$home" "$PWD/scripts/package_test.sh" --desktop-start
else
    HOME="$home" scripts/package_test.sh --desktop-start
fi

trap - EXIT
"${sudo_cmd[@]}" rm -rf "$home"
"${sudo_cmd[@]}" apt-get remove -y "$name"
left=""
while read -r path; do
    if [ -n "$path" ] && [ ! -d "$path" ] && [ -e "$path" ]; then
        left="$left $path"
    fi
done <<<"$files"
[ -z "$left" ] || fail "left after removal:$left"
echo "package_test: $name $version built, installed, ran and removed cleanly"
