#!/usr/bin/env bash
# Install the packages Korvane's builds need (Debian 12, run as root).
#
#   scripts/install-deps.sh            native build and tests
#   scripts/install-deps.sh windows    + 32-bit Windows cross-build and Wine
#   scripts/install-deps.sh qt         + Qt 6 and a virtual X server
#   scripts/install-deps.sh windows qt both
#
# Idempotent: asks dpkg what is missing and calls apt-get only for that, so a
# machine that has everything returns in well under a second.
set -euo pipefail

log() { printf 'install-deps: %s\n' "$*" >&2; }

want_windows=0
want_qt=0
for arg in "$@"; do
    case "$arg" in
        windows) want_windows=1 ;;
        qt) want_qt=1 ;;
        -h|--help) sed -n '2,10p' "$0" >&2; exit 0 ;;
        *) log "unknown argument: $arg (expected: windows, qt)"; exit 2 ;;
    esac
done

if [ "$(id -u)" != 0 ]; then
    log "must run as root"
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive

native=(build-essential cmake googletest libgtest-dev libgmock-dev libbenchmark-dev clang-format)
# Cross compilers: the -posix drivers alone (g++-mingw-w64-i686 would add
# the win32 thread-model set too). wine64 is there so one WoW64 prefix runs
# PE32 and PE32+, and so the 32-bit side can run under qemu (see below).
# fonts-wine: Marlett (caption buttons), MS Sans Serif, Tahoma; wine-run.sh
# copies them into the prefix. xauth: xvfb-run needs it (only a Recommends).
windows=(g++-mingw-w64-i686-posix wine wine32:i386 wine64 fonts-wine
         xvfb xauth x11-utils imagemagick)
# qt6-qpa-plugins holds the xcb platform plugin (only a Recommends).
qt=(qt6-base-dev qt6-qpa-plugins xvfb xauth x11-utils xdotool imagemagick fonts-dejavu-core)

packages=("${native[@]}")
[ $want_windows = 1 ] && packages+=("${windows[@]}")
[ $want_qt = 1 ] && packages+=("${qt[@]}")

# Prints the requested names (NAME or NAME:ARCH) that are not installed.
# One dpkg-query call for all of them.
missing() {
    local -A have=()
    local status pkg arch p
    while read -r status pkg arch; do
        [ "$status" = installed ] && have[$pkg]=1 && have[$pkg:$arch]=1
    done < <(dpkg-query -W -f='${db:Status-Status} ${Package} ${Architecture}\n' \
                 "${@%%:*}" 2>/dev/null || true)
    for p in "$@"; do
        [ -n "${have[$p]:-}" ] || printf '%s\n' "$p"
    done | sort -u
}

updated=0
apt_update() {
    if [ $updated = 0 ]; then
        log "apt-get update"
        apt-get update -q >&2
        updated=1
    fi
}

if [ $want_windows = 1 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    log "dpkg --add-architecture i386"
    dpkg --add-architecture i386
    apt_update
fi

mapfile -t todo < <(missing "${packages[@]}")
if [ ${#todo[@]} -gt 0 ]; then
    apt_update
    log "apt-get install --no-install-recommends ${todo[*]}"
    apt-get install -y -q --no-install-recommends "${todo[@]}" >&2
else
    log "all ${#packages[@]} packages already installed"
fi

# Some virtual machines run their kernel with IA-32 emulation off: no 32-bit
# ELF can start (wine32 fails with "Exec format error"). There 32-bit Wine can
# only run under qemu-i386 in user mode, registered with binfmt_misc (Debian's
# qemu-user-static registers no i386 handler on amd64 hosts).
if [ $want_windows = 1 ] && [ ! -e /proc/sys/fs/binfmt_misc/qemu-i386 ] &&
        ! /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    if [ "$(missing qemu-user-static)" ]; then
        apt_update
        log "kernel runs no 32-bit code: apt-get install qemu-user-static"
        apt-get install -y -q --no-install-recommends qemu-user-static >&2
    fi
    binfmt=/proc/sys/fs/binfmt_misc
    if [ ! -e "$binfmt/register" ]; then
        log "mount binfmt_misc"
        mount -t binfmt_misc binfmt_misc "$binfmt" || log "warning: cannot mount $binfmt"
    fi
    if [ ! -e "$binfmt/qemu-i386" ]; then
        log "register qemu-i386-static for i386 ELF files (lasts until reboot)"
        printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
            >"$binfmt/register" || log "warning: cannot register qemu-i386-static"
    fi
    if /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
        log "32-bit programs now run under qemu-i386 (about 1 minute per Wine start)"
    else
        log "warning: 32-bit programs still cannot run on this machine"
    fi
fi
