#!/usr/bin/env bash
# Installs the Debian 12 packages the project needs, skipping what is present.
#   scripts/install-deps.sh          everything: the three targets, the tests, Wine
#   scripts/install-deps.sh --main   only what the main command needs: the native plug-in, the
#                                    render tool and the demo's spectrogram
set -euo pipefail

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi

main_packages=(build-essential cmake ninja-build python3 sox)
all_packages=(
    "${main_packages[@]}" pkg-config
    googletest libgtest-dev libgmock-dev libbenchmark-dev
    clang-format clang-14 libclang-rt-14-dev
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
    g++-aarch64-linux-gnu qemu-user
    wine wine32:i386 wine64
    xvfb xauth
    libx11-dev libcairo2-dev libxtst-dev zenity
    amsynth
)

case "${1:-}" in
--main) packages=("${main_packages[@]}") ;;
"") packages=("${all_packages[@]}") ;;
*) echo "usage: scripts/install-deps.sh [--main]" >&2; exit 2 ;;
esac

# wine32 comes from the i386 architecture. Its packages install even on machines whose kernel
# runs no 32-bit program; the Wine tests find out at run time (scripts/wine-env.sh).
need_update=0
if [ -z "${1:-}" ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "adding the i386 architecture (needed by wine32)"
    $SUDO dpkg --add-architecture i386
    need_update=1
fi

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ "${#missing[@]}" -eq 0 ] && [ "$need_update" -eq 0 ]; then
    echo "all packages present"
    exit 0
fi

echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
# A mirror caught in the middle of a sync serves an index whose size does not match its release
# file, and apt-get update fails; the next sync usually mends it within minutes. Try a few times.
retry() {
    local attempt
    for attempt in 1 2 3; do
        if "$@"; then return 0; fi
        if [ "$attempt" -lt 3 ]; then
            echo "failed (attempt $attempt of 3), trying again in 30 s: $*" >&2
            sleep 30
        fi
    done
    return 1
}
install_missing() {
    $SUDO apt-get install -y -q --no-install-recommends -o Acquire::Retries=3 "$@"
}
update_and_install() {
    $SUDO apt-get update -q || true
    install_missing "$@"
}
if ! retry $SUDO apt-get update -q; then
    echo "apt-get update kept failing; installing from the indexes at hand" >&2
fi
if [ "${#missing[@]}" -gt 0 ] && ! install_missing "${missing[@]}" &&
    ! retry update_and_install "${missing[@]}"; then
    # A stale i386 index (a mirror that lags for the i386 architecture only) leaves wine32 with
    # no installable libc matching the system's. Everything else is still installed; without
    # the 32-bit Wine loader the Wine tests skip their 32-bit runtime checks by name and say why.
    rest=()
    for p in "${missing[@]}"; do
        if [ "$p" != "wine32:i386" ]; then rest+=("$p"); fi
    done
    if [ "${#rest[@]}" -eq "${#missing[@]}" ] || ! install_missing "${rest[@]}"; then
        echo "the packages could not be installed" >&2
        exit 1
    fi
    echo "WARNING: wine32:i386 could not be installed from this mirror; the 32-bit Windows" \
        "runtime checks will be skipped (the 32-bit DLL is still built)" >&2
fi
