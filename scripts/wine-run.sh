#!/usr/bin/env bash
# Run a Windows program (PE32 or PE32+) under Wine with a ready prefix.
#
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]
#
# Used as CMAKE_CROSSCOMPILING_EMULATOR by cmake/i686-w64-mingw32.cmake, so
# `ctest` runs cross-built tests through it. Console programs need no
# DISPLAY; GUI programs need an X server (xvfb-run, or Xvfb + DISPLAY).
#
# Environment (all optional):
#   KORVANE_WINEPREFIX    prefix to use
#                         (default ~/.cache/korvane/wine-win64, or -win32
#                         when only 32-bit Wine is installed)
#   KORVANE_WINE_TIMEOUT  seconds before the program is killed (default 600)
#   KORVANE_WINE_QEMU     what to do with a 32-bit program on a kernel that
#                         cannot run 32-bit code: auto (default) = run Wine's
#                         32-bit side under qemu-i386 if installed (slow),
#                         0 = don't, exit 77 instead
#   KORVANE_WINESERVER_LINGER  seconds wineserver stays after the last
#                         program exits (default 30); `wineserver -k` ends it
#   WINEDEBUG             default -all
#
# Exit status: the program's own; 124 on timeout; 77 when a 32-bit program
# cannot run on this machine (use SKIP_RETURN_CODE 77 in ctest); 125 when the
# prefix cannot be created; 126/127 for a bad or missing program or Wine.
set -u

log() { printf 'wine-run: %s\n' "$*" >&2; }

if [ $# -lt 1 ]; then
    log "usage: $0 PROGRAM.exe [ARGS...]"
    exit 64
fi
exe=$1
shift
if [ ! -f "$exe" ]; then
    log "no such program: $exe"
    exit 127
fi

# Debian puts the real loaders here (/usr/bin/wine is a shell wrapper that
# always prefers the 32-bit loader; there is no /usr/bin/wine64).
wine_lib=/usr/lib/wine
wine64=$wine_lib/wine64
wine32=$wine_lib/wine
if [ -x "$wine_lib/wineserver64" ]; then
    wineserver=$wine_lib/wineserver64
elif [ -x "$wine_lib/wineserver32" ]; then
    wineserver=$wine_lib/wineserver32
else
    log "Wine is not installed: scripts/install-deps.sh windows"
    exit 127
fi

# --- which machine is the PE built for? -----------------------------------
pe_machine() {
    local off
    off=$(od -An -tu4 -j60 -N4 "$1" 2>/dev/null | tr -d ' ')
    [ -n "$off" ] || return 1
    od -An -tx2 -j"$((off + 4))" -N2 "$1" 2>/dev/null | tr -d ' '
}
case "$(pe_machine "$exe")" in
    014c) bits=32 ;;
    8664) bits=64 ;;
    *) log "not an i386 or x86-64 PE file: $exe"; exit 126 ;;
esac

# --- can this kernel run 32-bit x86 code? ---------------------------------
# Some virtual machines run with IA-32 emulation off (dmesg: "32-bit
# emulation disabled"): every 32-bit ELF fails with "Exec format error" and
# no Wine can switch to a 32-bit code segment either. Then the only way is
# qemu-i386 in user mode through binfmt_misc, about 1 minute per program.
binfmt_dir=/proc/sys/fs/binfmt_misc
can_run_i386() {
    "$wine_lib/wineserver32" --version >/dev/null 2>&1   # a 32-bit ELF
}
enable_qemu_i386() {
    local qemu
    qemu=$(command -v qemu-i386-static || true)
    [ -n "$qemu" ] || return 1
    [ -e "$binfmt_dir/qemu-i386" ] && return 0
    [ "$(id -u)" = 0 ] || return 1
    [ -e "$binfmt_dir/register" ] ||
        mount -t binfmt_misc binfmt_misc "$binfmt_dir" 2>/dev/null || return 1
    log "kernel cannot run 32-bit code; registering $qemu for i386 ELF files"
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$qemu"':F' \
        >"$binfmt_dir/register" 2>/dev/null
}

if [ "$bits" = 32 ]; then
    if [ ! -x "$wine32" ]; then
        log "32-bit Wine is missing: scripts/install-deps.sh windows"
        exit 127
    fi
    if ! can_run_i386; then
        if [ "${KORVANE_WINE_QEMU:-auto}" = 0 ] || ! enable_qemu_i386 || ! can_run_i386; then
            log "this kernel cannot run 32-bit code and qemu-i386 is not usable; skipping $exe"
            exit 77
        fi
    fi
fi
if [ -x "$wine64" ]; then
    loader=$wine64      # win64 prefix with WoW64: runs PE32 and PE32+
    arch=win64
elif [ "$bits" = 32 ]; then
    loader=$wine32
    arch=win32
else
    log "64-bit Wine is missing: apt-get install wine64"
    exit 127
fi

export WINEPREFIX=${KORVANE_WINEPREFIX:-${XDG_CACHE_HOME:-$HOME/.cache}/korvane/wine-$arch}
export WINEARCH=$arch
export WINEDEBUG=${WINEDEBUG:--all}
export WINELOADER=$loader
mkdir -p "$(dirname "$WINEPREFIX")"
lock=$WINEPREFIX.lock

# --- first use: create the prefix (serialised between parallel tests) -----
if [ ! -f "$WINEPREFIX/.korvane-ready" ]; then
    exec 9>"$lock"
    flock 9
    if [ ! -f "$WINEPREFIX/.korvane-ready" ]; then
        log "creating Wine prefix $WINEPREFIX ($arch); this takes a while once"
        start=$(date +%s)
        # No Mono/Gecko install prompts (they would block on a display);
        # no DISPLAY needed.
        if ! WINEDLLOVERRIDES="mscoree,mshtml=" DISPLAY='' timeout -k 10 900 \
                "$loader" wineboot -i </dev/null >/dev/null 2>&1; then
            log "wineboot failed"
            exit 125
        fi
        # Debian's Wine does not look in /usr/share/wine/fonts (fonts-wine):
        # without a copy in C:\windows\Fonts, "MS Sans Serif" dialogs get a
        # substitute font (other dialog-unit size) and caption buttons show
        # Marlett letters.
        if [ -d /usr/share/wine/fonts ]; then
            cp -n /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
        fi
        # No window manager under Xvfb: let Wine draw captions and frames.
        timeout -k 5 300 "$loader" reg add 'HKCU\Software\Wine\X11 Driver' \
            /v Decorated /d N /f </dev/null >/dev/null 2>&1 || true
        timeout -k 5 300 "$wineserver" -w </dev/null >/dev/null 2>&1
        touch "$WINEPREFIX/.korvane-ready"
        log "prefix ready after $(($(date +%s) - start)) s"
    fi
    flock -u 9
    exec 9>&-
fi

# --- start the server detached --------------------------------------------
# When Wine starts wineserver itself, the server and the session's system
# processes (services.exe, winedevice.exe, ...) inherit the caller's stdout
# and stderr and outlive the program by ~3 s, so ctest waits that long for
# EOF after every test. Start them here on /dev/null and keep the server a
# while, so consecutive tests reuse it (~0.1 s per test instead of 1-3 s).
exec 9>"$lock"
flock 9
if "$wineserver" -p"${KORVANE_WINESERVER_LINGER:-30}" </dev/null >/dev/null 2>&1; then
    # It was not running: boot the session now, away from our streams.
    timeout -k 5 300 "$loader" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
fi
flock -u 9
exec 9>&-

# --- run ------------------------------------------------------------------
# timeout signals its whole process group: the program and anything it
# started, but not the shared server or other tests (no `wineserver -k`).
limit=${KORVANE_WINE_TIMEOUT:-600}
timeout -k 10 "$limit" "$loader" "$exe" "$@"
rc=$?
if [ $rc = 124 ] || [ $rc = 137 ]; then
    log "timed out after $limit s: $exe"
    exit 124
fi
exit $rc
