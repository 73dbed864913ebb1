#!/usr/bin/env bash
# The installed program: installs the build into a scratch prefix and makes the Debian package, checks the
# menu entry, its description and the package with Debian's own checkers, then starts the installed
# program from the read-only prefix as an ordinary user under a virtual X display and drives it with
# keystrokes: the encoder set-up prompt and its installer, the main window, the help window, exit. The
# user's files must land in the user's configuration folder and nothing in the prefix may change.
#
#     tests/e2e/installed_run.sh <build dir>
set -euo pipefail

fail() {
    echo "FAIL: $*"
    exit 1
}

# ---- Second half: the ordinary user at the virtual display ----
if [ "${1:-}" = "--as-user" ]; then
    prefix=$2
    work=$3
    if [ "${4:-}" != "--on-display" ]; then
        exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" --as-user "$prefix" "$work" --on-display
    fi
    export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime" DBUS_SYSTEM_BUS_ADDRESS=unix:path=/nonexistent
    export QT_QPA_PLATFORM=xcb
    unset XDG_CONFIG_HOME XDG_DATA_HOME XDG_CONFIG_DIRS XDG_DATA_DIRS
    config="$HOME/.config/quenzor"
    pid=""
    trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null || true' EXIT

    find_window() {  # find_window <name>: a visible window of the program with that exact name, if any
        xdotool search --all --onlyvisible --pid "$pid" --name "^$1\$" 2>/dev/null | head -n1 || true
    }
    window() {  # window <name>: waits for that window
        local id=""
        for _ in $(seq 75); do
            id=$(find_window "$1")
            [ -n "$id" ] && break
            sleep 0.2
        done
        echo "$id"
    }
    shot() {  # shot <name>: a screenshot into $QUENZOR_E2E_SHOTS, when set
        [ -n "${QUENZOR_E2E_SHOTS:-}" ] || return 0
        ffmpeg -v error -y -f x11grab -video_size 1024x768 -i "$DISPLAY" -frames:v 1 "$QUENZOR_E2E_SHOTS/$1.png"
    }
    exit_by_menu() {  # File > Exit, the last item of the first menu
        xdotool windowfocus --sync "$1"
        xdotool mousemove --window "$1" 15 10 click 1
        sleep 0.5
        xdotool key Up
        shot menu
        xdotool key Return
        for _ in $(seq 50); do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.2
        done
        kill -0 "$pid" 2>/dev/null && fail "the program did not end after Exit"
        wait "$pid" || fail "the program ended with status $?"
        pid=""
    }

    # First start: the encoder is not registered for this user yet.
    "$prefix/bin/quenzor" &
    pid=$!
    prompt=$(window "Initialize Dialog")
    [ -n "$prompt" ] || fail "the encoder set-up prompt did not appear"
    xdotool windowfocus --sync "$prompt"
    sleep 0.3
    xdotool key space  # Install has the focus while OK is disabled
    done_box=""
    for _ in $(seq 150); do  # the installer is a process of its own
        done_box=$(xdotool search --onlyvisible --name "^Real Basic$" 2>/dev/null | head -n1 || true)
        [ -n "$done_box" ] && break
        sleep 0.2
    done
    [ -n "$done_box" ] || fail "the installer did not report"
    xdotool windowfocus --sync "$done_box"
    xdotool key Return
    [ -f "$config/registry.reg" ] || fail "the installer did not register the encoder in $config"
    # OK turns on after a presence check and the bar's run, later on a busy machine: it is clicked until the
    # main window opens, as a disabled button ignores a click.
    main=""
    deadline=$((SECONDS + 90))
    while [ -z "$main" ] && [ "$SECONDS" -lt "$deadline" ]; do
        if [ -n "$(find_window "Initialize Dialog")" ]; then
            xdotool mousemove --window "$prompt" 261 172 click 1 || true  # the middle of OK
        fi
        sleep 0.5
        main=$(find_window "Vastrel Quenzor")
    done
    [ -n "$main" ] || fail "the main window did not open after OK"

    # F1: nothing on this desktop opens Help.chm, so the program's own help window shows the pages.
    xdotool windowfocus --sync "$main"
    sleep 0.3
    xdotool key F1
    help=$(window "Quenzor Help")
    [ -n "$help" ] || { shot nohelp; fail "F1 showed no help"; }
    sleep 0.5
    shot help
    xdotool windowfocus --sync "$help"
    xdotool key Escape
    shot help-closed
    exit_by_menu "$main"
    echo "first start: set-up prompt, installer, main window, help window, exit"
    grep -q "^MaxConverFile=200" "$config/data.ini" || fail "the settings were not saved in $config"
    [ -f "$config/registry.reg" ] || fail "the registration is not in $config"

    # Second start: straight into the main window, the start counter kept beside the settings.
    printf 41 >"$config/Quenzor.ini"
    "$prefix/bin/quenzor" "$work/clip.wav" &
    pid=$!
    main=$(window "Vastrel Quenzor")
    [ -n "$main" ] || fail "the main window did not open on the second start"
    [ -z "$(xdotool search --onlyvisible --name '^Initialize Dialog$' || true)" ] || fail "the prompt showed again"
    exit_by_menu "$main"
    [ "$(cat "$config/Quenzor.ini")" = 42 ] || fail "the start counter in $config was not counted"
    echo "user part passed"
    exit 0
fi

# ---- First half: install, package, check ----
build=$(cd "${1:-build}" && pwd)
for tool in cpack desktop-file-validate appstreamcli lintian dpkg-deb xvfb-run xdotool; do
    command -v "$tool" >/dev/null || fail "missing tool: $tool"
done
work=$(mktemp -d)
trap 'chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
chmod 755 "$work"
prefix="$work/prefix"

cmake --install "$build" --prefix "$prefix" --strip >/dev/null
app_id=example.vastrel.Quenzor
for f in bin/quenzor libexec/quenzor/real_basic.exe share/quenzor/Help.chm share/quenzor/help/index.htm \
    share/quenzor/help/toc.hhc share/quenzor/SystemIco/34.ico share/quenzor/more/Audio.htm \
    share/quenzor/thank.txt share/quenzor/Tada.wav "share/applications/$app_id.desktop" \
    "share/metainfo/$app_id.metainfo.xml" "share/icons/hicolor/scalable/apps/$app_id.svg" \
    "share/icons/hicolor/48x48/apps/$app_id.png" "share/icons/hicolor/256x256/apps/$app_id.png"; do
    [ -s "$prefix/$f" ] || fail "$f is not installed"
done
desktop-file-validate "$prefix/share/applications/$app_id.desktop" || fail "the desktop entry is not valid"
grep -qx "Exec=quenzor %F" "$prefix/share/applications/$app_id.desktop" || fail "the entry does not pass files"
appstreamcli validate --no-net "$prefix/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.txt" ||
    { cat "$work/appstream.txt"; fail "the metainfo is not valid"; }

cpack --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.txt" 2>&1 ||
    { cat "$work/cpack.txt"; fail "cpack could not make the package"; }
deb=$(find "$work/package" -maxdepth 1 -name '*.deb' | head -n1)
[ -n "$deb" ] || fail "no .deb was made"
dpkg-deb -f "$deb" Depends | grep -q libqt6widgets6 || fail "the package's dependencies were not computed"
dpkg-deb -c "$deb" | grep -q "/data.ini" && fail "a data.ini went into the package"
lintian --fail-on error "$deb" >"$work/lintian.txt" 2>&1 ||
    { cat "$work/lintian.txt"; fail "lintian reports errors"; }
grep '^E:' "$work/lintian.txt" && fail "lintian reports errors"
echo "package $(basename "$deb"): $(du -k "$deb" | cut -f1) KiB, $(grep -c '^[WI]:' "$work/lintian.txt" || true) warnings and notes"

# The prefix as a system install leaves it: nobody but its owner may write there, and the owner is not
# the user who runs the program.
find "$prefix" -exec touch -d "2020-01-01 00:00" {} +
chmod -R a-w "$prefix"
listing() { (cd "$prefix" && find . -printf '%p %s %m %T@\n' | sort); }
before=$(listing)
mkdir -m 700 "$work/home" "$work/runtime"
ffmpeg -v error -f lavfi -i sine=frequency=440:duration=1 "$work/clip.wav" 2>/dev/null || printf x >"$work/clip.wav"
cp "$0" "$work/run.sh"
if [ "$(id -u)" -eq 0 ]; then
    chown -R nobody:nogroup "$work/home" "$work/runtime" "$work/clip.wav"
    # The sanitizers' settings go along: a sanitized build's leak report knows the system libraries' leaks.
    setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env -- \
        env PATH="$PATH" QUENZOR_E2E_SHOTS="${QUENZOR_E2E_SHOTS:-}" LSAN_OPTIONS="${LSAN_OPTIONS:-}" \
        ASAN_OPTIONS="${ASAN_OPTIONS:-}" UBSAN_OPTIONS="${UBSAN_OPTIONS:-}" \
        bash "$work/run.sh" --as-user "$prefix" "$work"
else
    bash "$work/run.sh" --as-user "$prefix" "$work"
fi
[ "$(listing)" = "$before" ] || fail "the installed tree changed: $(diff <(echo "$before") <(listing) | head)"
[ -f "$work/home/.config/quenzor/data.ini" ] || fail "no settings in the user's configuration folder"
echo "PASS: installed, packaged and checked; the installed program ran read-only with the user's files in ~/.config/quenzor"
