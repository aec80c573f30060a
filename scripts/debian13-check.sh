#!/usr/bin/env bash
# ./test on a bare Debian 13 (Qt 6.8, GCC 14), as on the Debian 12 it was first written for: builds a
# minimal Debian 13 in a folder with debootstrap, clones this checkout's HEAD into it and runs ./test
# there, which installs what it needs as on any fresh machine. Needs root and Debian's mirror.
#   scripts/debian13-check.sh [FOLDER]   (default /var/tmp/seance1-debian13; kept for the next run)
# Exits with ./test's status; with 77 when this machine cannot make a chroot at all.
set -euo pipefail
SEANCE_ROOT=$(cd "$(dirname "$0")/.." && pwd)
ROOTFS=${1:-/var/tmp/seance1-debian13}
source "$SEANCE_ROOT/scripts/setup.sh"
install_packages debootstrap

unmount() { umount -R "$ROOTFS/dev" "$ROOTFS/proc" "$ROOTFS/sys" 2>/dev/null || true; }
unmount  # what a run that was killed left mounted
if findmnt -rn -o TARGET | grep -q "^$ROOTFS/"; then
  echo "debian13-check: something is still mounted under $ROOTFS; unmount it first" >&2
  exit 1
fi
if [ ! -x "$ROOTFS/usr/bin/apt-get" ]; then
  rm -rf "$ROOTFS"
  debootstrap --variant=minbase trixie "$ROOTFS" http://deb.debian.org/debian >"$ROOTFS.log" 2>&1 ||
    { tail -20 "$ROOTFS.log" >&2; exit 1; }
fi

trap unmount EXIT
if ! { mount -t proc proc "$ROOTFS/proc" && mount --rbind /dev "$ROOTFS/dev" && mount -t sysfs sys "$ROOTFS/sys"; }; then
  echo "debian13-check: this machine does not let a chroot mount /proc, /dev and /sys; not checked" >&2
  exit 77
fi
cp /etc/resolv.conf "$ROOTFS/etc/resolv.conf"
rm -rf "$ROOTFS/root/seance1"
git clone -q "$SEANCE_ROOT" "$ROOTFS/root/seance1"
grep PRETTY_NAME "$ROOTFS/etc/os-release"
chroot "$ROOTFS" /usr/bin/env -i HOME=/root LANG=C.UTF-8 PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  /bin/bash -c 'cd /root/seance1 && ./test'
