#!/bin/bash
# Installs Korvandel as a user would and checks the result.
#
#   check-install.sh install BUILD-DIR   cmake --install into a scratch prefix: every file in
#                                        its place, the icon in every size, a valid menu
#                                        entry, and the editor running from the prefix (also
#                                        through the menu entry's command) after the prefix
#                                        has been moved elsewhere;
#   check-install.sh package BUILD-DIR   the Debian package made by CPack: its declared
#                                        dependencies, unpacked into a scratch root
#                                        (dpkg -x), the editor running from there, and
#                                        lintian without errors (its warnings are printed).
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

# The menu entry's command, unquoted as a desktop unquotes it, starts the editor from the
# prefix in ~/Vantrel/Editor.
check_menu_entry() { # PREFIX
    local prefix=$1 home="$scratch/home" command
    mapfile -d '' -t command < <("$(dirname "$0")/desktop-exec.py" \
        "$prefix/share/applications/korvandel.desktop")
    mkdir -p "$home"
    if stays_up env HOME="$home" PATH="$prefix/bin:$PATH" QT_QPA_PLATFORM=offscreen \
        "${command[@]}" && [ -d "$home/Vantrel/Editor" ]; then
        pass "menu entry starts the editor in ~/Vantrel/Editor"
    else
        fail "menu entry command: ${command[*]}"
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
        share/man/man1/korvandel.1.gz share/doc/korvandel/copyright share/doc/korvandel/changelog.gz
    extra=$(cd "$prefix/bin" && ls | grep -vxF -f <(printf '%s\n' "${programs[@]}"))
    [ -z "$extra" ] && pass "no other programs in bin" || fail "also installed: $extra"
    check_icons "$prefix/share/icons"
    if desktop-file-validate "$prefix/share/applications/korvandel.desktop"; then
        pass "desktop-file-validate"
    else
        fail "desktop-file-validate"
    fi
}

if [ "$mode" = install ]; then
    if cmake --install "$build" --prefix "$scratch/prefix" >"$scratch/install.log"; then
        check_installed_tree "$scratch/prefix"
        check_version "$scratch/prefix/bin/korvandel"
        # A relocated installation works as well as the original.
        mv "$scratch/prefix" "$scratch/moved"
        check_version "$scratch/moved/bin/korvandel"
        check_starts "$scratch/moved/bin/korvandel"
        check_menu_entry "$scratch/moved"
    else
        fail "cmake --install"
        cat "$scratch/install.log"
    fi
else
    if cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch/cpack" >"$scratch/cpack.log" 2>&1; then
        deb=$(ls "$scratch"/cpack/*.deb)
        pass "cpack: $(basename "$deb")"
        depends=$(dpkg-deb -f "$deb" Depends)
        echo "Depends: $depends"
        for wanted in libc6 libqt6core6 libqt6widgets6 libqt6sql6 libqt6printsupport6 \
            libqt6sql6-sqlite qt6-qpa-plugins fonts-liberation; do
            [[ ", $depends," =~ ", $wanted"[\ ,] ]] && pass "depends on $wanted" ||
                fail "no dependency on $wanted"
        done
        dpkg -x "$deb" "$scratch/root"
        check_installed_tree "$scratch/root/usr"
        check_version "$scratch/root/usr/bin/korvandel"
        check_starts "$scratch/root/usr/bin/korvandel"
        check_menu_entry "$scratch/root/usr"
        lintian --allow-root --tag-display-limit 0 "$deb" >"$scratch/lintian.log" 2>&1
        echo "lintian:"
        sed 's/^/    /' "$scratch/lintian.log"
        if grep -q '^E:' "$scratch/lintian.log"; then
            fail "lintian reports errors"
        else
            pass "lintian: no errors"
        fi
    else
        fail "cpack"
        cat "$scratch/cpack.log"
    fi
fi

echo "$mode: $failures failed"
[ $failures -eq 0 ]
