#!/usr/bin/env bash
# ./test on a bare Debian 13 (Qt 6.8, GCC 14), as on the Debian 12 it was first written for: builds a
# minimal Debian 13 in a folder with debootstrap, clones this checkout's HEAD into it and runs ./test
# there, which installs what it needs as on any fresh machine. Needs root and Debian's mirror.
#   scripts/debian13-check.sh [FOLDER]   (default /var/tmp/seance1-debian13; made anew at each run)
# Exits with ./test's status; with 77 when this machine cannot build or enter the chroot at all.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
ROOTFS=${1:-/var/tmp/seance1-debian13}
need_root "debootstrap, chroot, mount"
install_packages debootstrap

mounted() { findmnt -rn -o TARGET | grep "^$ROOTFS/" | sort -r; }
unmount() { mounted | xargs -r -n 1 umount -l 2>/dev/null || true; }
# Never removes a folder through which the host's /dev or /proc is still reachable.
remove_rootfs() {
  unmount
  if [ -n "$(mounted)" ]; then echo "debian13-check: $ROOTFS still has mounts; left as it is" >&2; return; fi
  rm -rf "$ROOTFS"
}
# Bare each time: what an earlier run installed must not help this one.
remove_rootfs
[ -e "$ROOTFS" ] && exit 1
debootstrap --variant=minbase trixie "$ROOTFS" http://deb.debian.org/debian >"$ROOTFS.log" 2>&1 ||
  { tail -20 "$ROOTFS.log" >&2; remove_rootfs; cannot_run_here "debootstrap failed; not checked"; }

on_exit unmount
mount -t proc proc "$ROOTFS/proc" && mount --rbind /dev "$ROOTFS/dev" && mount -t sysfs sys "$ROOTFS/sys" ||
  cannot_run_here "this machine does not let a chroot mount /proc, /dev and /sys; not checked"
cp /etc/resolv.conf "$ROOTFS/etc/resolv.conf"
rm -rf "$ROOTFS/root/seance1"
git clone -q "$SEANCE_ROOT" "$ROOTFS/root/seance1"
grep PRETTY_NAME "$ROOTFS/etc/os-release"
# CI passes through: there, a test skipped for a missing tool fails.
chroot "$ROOTFS" /usr/bin/env -i HOME=/root LANG=C.UTF-8 ${CI:+CI="$CI"} PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  /bin/bash -c 'cd /root/seance1 && ./test'
