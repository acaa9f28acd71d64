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
# file, and apt-get update fails; the next sync mends it within minutes. Try a few times, and
# the install itself a few times (it fails where an index it needs is still stale).
retry() {
    local attempt
    for attempt in 1 2 3 4 5; do
        if "$@"; then return 0; fi
        if [ "$attempt" -lt 5 ]; then
            echo "failed (attempt $attempt of 5), trying again in 60 s: $*" >&2
            sleep 60
        fi
    done
    return 1
}
if ! retry $SUDO apt-get update -q; then
    echo "apt-get update kept failing; installing from the indexes at hand" >&2
fi
if [ "${#missing[@]}" -gt 0 ]; then
    retry_install() {
        $SUDO apt-get update -q || true
        $SUDO apt-get install -y -q --no-install-recommends -o Acquire::Retries=3 "${missing[@]}"
    }
    if ! $SUDO apt-get install -y -q --no-install-recommends -o Acquire::Retries=3 "${missing[@]}"; then
        retry retry_install
    fi
fi
