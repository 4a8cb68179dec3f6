#!/usr/bin/env bash
# File systems for bench/bench_cut.sh to measure on, made from image files and
# mounted through loop devices. Sourced, not run: it defines
#
#   fs_mount KIND IMAGE MOUNT SIZE_MB   make a KIND (ext4, xfs, btrfs) file
#                                       system of SIZE_MB in IMAGE, mount it on
#                                       MOUNT; says why and fails when it cannot
#   fs_unmount MOUNT                    unmount it, free its loop device
#
# Needs root. A missing mkfs.xfs or mkfs.btrfs is installed with apt-get.

fs_package() {
    case $1 in
        ext4) echo e2fsprogs ;;
        xfs) echo xfsprogs ;;
        btrfs) echo btrfs-progs ;;
    esac
}

fs_tools() { # kind
    local mkfs=mkfs.$1 pkg
    command -v "$mkfs" > /dev/null && return 0
    pkg=$(fs_package "$1")
    if [ "$(id -u)" -ne 0 ]; then
        echo "$mkfs is missing (package $pkg; run as root to install it)"
        return 1
    fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get install -y -qq --no-install-recommends "$pkg" > /dev/null 2>&1 ||
        { apt-get update -qq > /dev/null 2>&1 && apt-get install -y -qq --no-install-recommends "$pkg" > /dev/null 2>&1; } ||
        { echo "$mkfs is missing and apt-get could not install $pkg"; return 1; }
}

fs_mount() { # kind, image, mount point, size in MB
    local kind=$1 image=$2 mnt=$3 size_mb=$4 dev
    if [ "$(id -u)" -ne 0 ]; then
        echo "not root: no loop devices or mounts"
        return 1
    fi
    fs_tools "$kind" || return 1
    rm -f "$image"
    truncate -s "${size_mb}M" "$image"
    case $kind in
        ext4) mkfs.ext4 -q -F -E lazy_itable_init=0,lazy_journal_init=0 "$image" ;;
        xfs) mkfs.xfs -q -f "$image" ;;
        btrfs) mkfs.btrfs -q -f "$image" > /dev/null ;;
    esac || { echo "mkfs.$kind failed"; rm -f "$image"; return 1; }
    # Direct I/O keeps the image file's own page cache out of the figures.
    dev=$(losetup --direct-io=on -f --show "$image" 2> /dev/null || losetup -f --show "$image" 2>&1) ||
        { echo "no loop device: $dev"; rm -f "$image"; return 1; }
    mkdir -p "$mnt"
    if ! mount "$dev" "$mnt" 2> "$image.err"; then
        echo "cannot mount $kind: $(cat "$image.err")"
        losetup -d "$dev"
        rm -f "$image" "$image.err"
        return 1
    fi
    rm -f "$image.err"
}

fs_unmount() { # mount point
    local dev
    dev=$(findmnt -n -o SOURCE --mountpoint "$1" 2> /dev/null) || return 0
    umount "$1" && losetup -d "$dev" 2> /dev/null
    rmdir "$1" 2> /dev/null || true
}
