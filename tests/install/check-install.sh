#!/bin/bash
# Installs Korvandel as a user would and checks the result.
#
#   check-install.sh install BUILD-DIR   cmake --install into a scratch prefix (its name has
#                                        a space and a $): every file in its place, the icon
#                                        in every size, a valid menu entry and AppStream file,
#                                        the menu entry's command starting the installed
#                                        editor with the prefix's bin not on PATH, the icon on
#                                        every window (under Xvfb), and the editor running
#                                        from the prefix after it has been moved elsewhere;
#   check-install.sh package BUILD-DIR   the Debian package made by CPack: its declared
#                                        dependencies, unpacked into a scratch root
#                                        (dpkg -x), the editor running from there, the
#                                        hardening of its programs, their debug information
#                                        in the -dbgsym package, the same bytes when packed
#                                        twice, and lintian without errors or warnings.
set -u
if [ $# -ne 2 ] || [[ ! "$1" =~ ^(install|package)$ ]]; then
    echo "usage: $0 install|package BUILD-DIR" >&2
    exit 2
fi
mode=$1
build=$(realpath "$2")
scratch=$(mktemp -d /tmp/korvandel-install.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
failures=0
pass() { echo "ok:   $*"; }
fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# --version prints the version and works without any display.
check_version() { # PROGRAM
    local out status
    out=$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$1" --version 2>&1)
    status=$?
    if [ $status -eq 0 ] && [ "$out" = "Korvandel 2.0 (v2ß)" ]; then
        pass "$1 --version"
    else
        fail "$1 --version printed '$out' (exit code $status)"
    fi
}

# Runs a command in the background for three seconds: true when it was still running then.
stays_up() { # COMMAND...
    local pid
    "$@" >"$scratch/start.log" 2>&1 &
    pid=$!
    sleep 3
    if kill -0 $pid 2>/dev/null; then
        kill $pid
        wait $pid 2>/dev/null
        return 0
    fi
    wait $pid
    echo "ended with exit code $?:"
    cat "$scratch/start.log"
    return 1
}

# The editor starts and stays up behind its title screen: it found everything it needs.
check_starts() { # PROGRAM
    mkdir -p "$scratch/game/Editor"
    if (cd "$scratch/game/Editor" && stays_up env QT_QPA_PLATFORM=offscreen "$1"); then
        pass "$1 starts"
    else
        fail "$1 did not start"
    fi
}

# The menu entry names the editor at PROGRAM, and its command, unquoted as a desktop
# unquotes it, starts it in ~/Vantrel/Editor although the program's folder is not on PATH
# (as ~/.local/bin is not before the next login). A ~/Vantrel/Editor that cannot be made is
# reported: on standard error, and in an error box that keeps the editor up. The package's
# entry names /usr/bin/korvandel, which is run from the scratch root (RUN) instead.
check_menu_entry() { # PREFIX PROGRAM [RUN]
    local entry="$1/share/applications/korvandel.desktop" program=$2 run=${3:-$2}
    local home="$scratch/home" command try_exec
    try_exec=$(sed -n 's/^TryExec=//p' "$entry")
    [ "$try_exec" = "$program" ] && pass "TryExec=$program" ||
        fail "TryExec is '$try_exec', not $program"
    mapfile -d '' -t command < <("$(dirname "$0")/desktop-exec.py" "$entry")
    [ "${command[-1]:-}" = "$program" ] && pass "Exec runs $program" ||
        fail "Exec runs '${command[-1]:-}', not $program"
    command[-1]=$run
    mkdir -p "$home"
    if stays_up env HOME="$home" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
        "${command[@]}" && [ -d "$home/Vantrel/Editor" ]; then
        pass "menu entry starts the editor in ~/Vantrel/Editor"
    else
        fail "menu entry command: ${command[*]}"
    fi
    mkdir -p "$scratch/blocked" && touch "$scratch/blocked/Vantrel"
    if stays_up env HOME="$scratch/blocked" PATH=/usr/bin:/bin QT_QPA_PLATFORM=offscreen \
        "${command[@]}" && grep -q "Editor cannot be made or entered: Not a directory" \
        "$scratch/start.log"; then
        pass "a ~/Vantrel/Editor that cannot be made is reported"
    else
        fail "a ~/Vantrel/Editor that cannot be made: $(cat "$scratch/start.log")"
    fi
}

check_metainfo() { # ROOT
    if appstreamcli validate --no-net "$1/share/metainfo/org.example.korvandel.metainfo.xml" \
        >"$scratch/appstream.log" 2>&1; then
        pass "appstreamcli validate"
    else
        fail "appstreamcli validate: $(cat "$scratch/appstream.log")"
    fi
}

check_files() { # ROOT FILE...
    local root=$1 file
    shift
    for file in "$@"; do
        [ -s "$root/$file" ] && pass "$file" || fail "$file is missing"
    done
}

check_icons() { # ICON-ROOT
    local size got
    for size in 16 22 24 32 48 64 128 256; do
        got=$(python3 -c 'import struct, sys
d = open(sys.argv[1], "rb").read(24)
print("%dx%d" % struct.unpack(">II", d[16:24]) if d[:8] == b"\x89PNG\r\n\x1a\n" else "no PNG")' \
            "$1/hicolor/${size}x${size}/apps/korvandel.png" 2>&1)
        [ "$got" = "${size}x${size}" ] && pass "icon ${size}x${size}" ||
            fail "icon ${size}x${size}: $got"
    done
}

check_installed_tree() { # PREFIX
    local prefix=$1 programs=(korvandel korvandel-catalogue) extra
    check_files "$prefix" "${programs[@]/#/bin/}" share/applications/korvandel.desktop \
        share/man/man1/korvandel.1.gz share/doc/korvandel/copyright \
        share/doc/korvandel/changelog.gz share/metainfo/org.example.korvandel.metainfo.xml
    extra=$(cd "$prefix/bin" && ls | grep -vxF -f <(printf '%s\n' "${programs[@]}"))
    [ -z "$extra" ] && pass "no other programs in bin" || fail "also installed: $extra"
    check_icons "$prefix/share/icons"
    if desktop-file-validate "$prefix/share/applications/korvandel.desktop"; then
        pass "desktop-file-validate"
    else
        fail "desktop-file-validate"
    fi
    check_metainfo "$prefix"
}

# The packages of one cpack run into the folder OUT.
pack() { # OUT
    cpack -G DEB --config "$build/CPackConfig.cmake" -B "$1" >"$scratch/cpack.log" 2>&1
}

# Every program of the package is built hardened: stack protector, _FORTIFY_SOURCE, PIE,
# relro and immediate binding. Control-flow protection is not asked: Debian 12's C runtime
# start files carry no CET marks, so no program linked on it has them (/usr/bin/ls neither),
# and its dpkg-buildflags do not ask for them.
check_hardening() { # ROOT
    local program
    for program in "$1"/usr/bin/*; do
        if hardening-check --nocfprotection "$program" >"$scratch/hardening.log" 2>&1; then
            pass "hardening-check $(basename "$program")"
        else
            fail "hardening-check $(basename "$program"): $(cat "$scratch/hardening.log")"
        fi
    done
}

# The programs are stripped, and the -dbgsym package holds the debug information of each,
# under its build ID.
check_debug_package() { # ROOT DDEB
    local root=$1 ddeb=$2 program id
    dpkg -x "$ddeb" "$scratch/dbgsym"
    for program in "$root"/usr/bin/*; do
        id=$(readelf -n "$program" | sed -n 's/^ *Build ID: //p')
        if readelf -S "$program" | grep -q '\.debug_info'; then
            fail "$(basename "$program") is not stripped"
        elif [ -n "$id" ] && readelf -S "$scratch/dbgsym/usr/lib/debug/.build-id/${id:0:2}/${id:2}.debug" \
            2>/dev/null | grep -q '\.debug_info'; then
            pass "debug information of $(basename "$program") in $(basename "$ddeb")"
        else
            fail "no debug information of $(basename "$program") (build ID '$id') in $(basename "$ddeb")"
        fi
    done
}

if [ "$mode" = install ]; then
    prefix="$scratch/prefix \$dir"
    if cmake --install "$build" --prefix "$prefix" >"$scratch/install.log"; then
        check_installed_tree "$prefix"
        check_version "$prefix/bin/korvandel"
        check_menu_entry "$prefix" "$prefix/bin/korvandel"
        if "$(dirname "$0")/check-window-icons.sh" "$prefix/bin/korvandel" >"$scratch/icons.log" 2>&1; then
            pass "the icon on every window"
        else
            fail "window icons:"
            cat "$scratch/icons.log"
        fi
        # A relocated installation works as well as the original.
        mv "$prefix" "$scratch/moved"
        check_version "$scratch/moved/bin/korvandel"
        check_starts "$scratch/moved/bin/korvandel"
    else
        fail "cmake --install"
        cat "$scratch/install.log"
    fi
else
    if pack "$scratch/cpack"; then
        deb=$(ls "$scratch"/cpack/*.deb)
        ddeb=$(ls "$scratch"/cpack/*-dbgsym*.ddeb 2>/dev/null)
        pass "cpack: $(basename "$deb") $(basename "$ddeb")"
        depends=$(dpkg-deb -f "$deb" Depends)
        echo "Depends: $depends"
        for wanted in libc6 libqt6core6 libqt6gui6 libqt6widgets6 libqt6sql6 libqt6printsupport6 \
            libqt6sql6-sqlite fonts-liberation; do
            [[ ", $depends," =~ ", $wanted"[\ ,] ]] && pass "depends on $wanted" ||
                fail "no dependency on $wanted"
        done
        # The X11 platform plugin comes with libqt6gui6.
        [[ ", $depends," =~ ", qt6-qpa-plugins"[\ ,] ]] && fail "depends on qt6-qpa-plugins" ||
            pass "no dependency on qt6-qpa-plugins"
        dpkg -x "$deb" "$scratch/root"
        check_installed_tree "$scratch/root/usr"
        check_version "$scratch/root/usr/bin/korvandel"
        check_starts "$scratch/root/usr/bin/korvandel"
        check_menu_entry "$scratch/root/usr" /usr/bin/korvandel "$scratch/root/usr/bin/korvandel"
        check_hardening "$scratch/root"
        if [ -n "$ddeb" ]; then
            check_debug_package "$scratch/root" "$ddeb"
        else
            fail "no -dbgsym package"
        fi
        # Packed again a moment later (every staged file has a new time stamp): the same bytes.
        sleep 1
        if pack "$scratch/again"; then
            for made in "$deb" $ddeb; do
                if cmp -s "$made" "$scratch/again/$(basename "$made")"; then
                    pass "$(basename "$made") is reproducible"
                else
                    fail "$(basename "$made") differs when packed again"
                fi
            done
        else
            fail "cpack, the second time"
            cat "$scratch/cpack.log"
        fi
        lintian --allow-root --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1
        echo "lintian:"
        sed 's/^/    /' "$scratch/lintian.log"
        if grep -q '^[EW]:' "$scratch/lintian.log"; then
            fail "lintian reports errors or warnings"
        else
            pass "lintian: no errors, no warnings"
        fi
    else
        fail "cpack"
        cat "$scratch/cpack.log"
    fi
fi

echo "$mode: $failures failed"
[ $failures -eq 0 ]
