#!/usr/bin/env bash
# ./test on a bare Debian 13 (Qt 6.8, GCC 14), as on the Debian 12 it was first written for: builds a
# minimal Debian 13 in a folder with debootstrap, from the Debian mirror this machine's apt uses,
# clones this checkout's HEAD into it and runs ./test there, which installs what it needs as on any
# fresh machine. Needs root and that mirror.
#   scripts/debian13-check.sh [FOLDER]   (default /var/tmp/seance1-debian13; made anew at each run)
# The chroot trusts what this machine trusts (its certificate authorities, npm's settings), and its
# compiler cache lives on in SEANCE_DEBIAN13_CCACHE (default /var/cache/seance1/debian13-ccache), so
# that the next run compiles little; nothing else is kept from one run to the next.
# Exits with ./test's status; with 77 when this machine cannot build or enter the chroot at all.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"
ROOTFS=${1:-/var/tmp/seance1-debian13}
ROOTFS=${ROOTFS%/}
CCACHE_HOST=${SEANCE_DEBIAN13_CCACHE:-/var/cache/seance1/debian13-ccache}
CCACHE_INSIDE=/var/cache/seance1-ccache
need_root "debootstrap, chroot, mount"
install_packages debootstrap

mounted() { findmnt -rn -o TARGET | grep "^$ROOTFS/" | sort -r || true; }
# Whatever the chroot left running holds its folders: stopped first, by their ids.
stop_chroot_processes() {
  local p pids=()
  for p in /proc/[0-9]*; do
    [ "$(readlink "$p/root" 2>/dev/null)" = "$ROOTFS" ] && pids+=("${p#/proc/}")
  done
  [ "${#pids[@]}" -eq 0 ] && return 0
  kill "${pids[@]}" 2>/dev/null || true
  sleep 1
  kill -9 "${pids[@]}" 2>/dev/null || true
}
unmount() {
  stop_chroot_processes
  mounted | while IFS= read -r target; do umount -l "$(printf '%b' "$target")" 2>/dev/null || true; done
}
# Never removes a folder through which the host's /dev or /proc, or the kept compiler cache, is
# still reachable.
remove_rootfs() {
  unmount
  if [ -n "$(mounted)" ]; then echo "debian13-check: $ROOTFS still has mounts; left as it is" >&2; return; fi
  rm -rf --one-file-system "$ROOTFS"
}

# The main archive of this machine's own apt sources (one-line and deb822), the first one enabled
# for binaries: the mirror it already reaches, whatever its name.
host_debian_mirror() {
  local f
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -f "$f" ] || continue
    sed -e 's/#.*//' -e 's/\[[^]]*\]//' "$f" | awk '$1 == "deb" && $3 !~ /-/ { print $2 }'
  done
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -f "$f" ] || continue
    awk 'BEGIN { RS = ""; FS = "\n" }
      {
        delete v; k = ""
        for (i = 1; i <= NF; i++) {
          if ($i ~ /^#/) continue
          if ($i ~ /^[ \t]/ && k != "") { v[k] = v[k] " " $i; continue }
          p = index($i, ":"); if (!p) continue
          k = tolower(substr($i, 1, p - 1)); v[k] = substr($i, p + 1)
        }
        if (tolower(v["enabled"]) ~ /no/ || v["types"] !~ /(^|[ \t])deb([ \t]|$)/) next
        # The release itself, not its -security or -updates suites, which live apart.
        n = split(v["suites"], s, /[ \t]+/); main = 0
        for (j = 1; j <= n; j++) if (s[j] != "" && s[j] !~ /-/) main = 1
        if (!main) next
        n = split(v["uris"], u, /[ \t]+/)
        for (j = 1; j <= n; j++) if (u[j] != "") print u[j]
      }' "$f"
  done
}
MIRROR=$(host_debian_mirror | head -n 1)
[ -n "$MIRROR" ] || cannot_run_here "this machine's apt sources name no Debian mirror"

# Elapsed time per phase, for whoever keeps the check fast.
phase_start=$SECONDS
phase_done() {
  echo "debian13-check: $1 in $(((SECONDS - phase_start) / 60)) min $(((SECONDS - phase_start) % 60)) s"
  phase_start=$SECONDS
}

# Bare each time: what an earlier run installed must not help this one.
remove_rootfs
[ -e "$ROOTFS" ] && exit 1
# A signal ends the script at once through its exit actions, which stop the chroot and unmount (the
# chroot runs in the background so that no wait for it defers them); after a SIGKILL, the next run
# unmounts first.
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM
on_exit unmount
debootstrap --variant=minbase trixie "$ROOTFS" "$MIRROR" >"$ROOTFS.log" 2>&1 ||
  { tail -20 "$ROOTFS.log" >&2; remove_rootfs; cannot_run_here "debootstrap failed; not checked"; }
phase_done "debootstrap"

# Slaves first: an unmount inside the chroot never reaches the host's own /dev.
mount -t proc proc "$ROOTFS/proc" && mount --rbind /dev "$ROOTFS/dev" && mount --make-rslave "$ROOTFS/dev" &&
  mount -t sysfs sys "$ROOTFS/sys" ||
  cannot_run_here "this machine does not let a chroot mount /proc, /dev and /sys; not checked"
mkdir -p "$CCACHE_HOST" "$ROOTFS$CCACHE_INSIDE"
mount --bind "$CCACHE_HOST" "$ROOTFS$CCACHE_INSIDE"
cp /etc/resolv.conf "$ROOTFS/etc/resolv.conf"

# The certificate authorities this machine trusts: its bundle as it is, and its own additions, which
# Debian's ca-certificates adds again when a package installed later rebuilds the bundle.
# copy_in FILE: a file of this machine at the same place inside, unless the chroot has its own.
copy_in() { [ -f "$1" ] && [ ! -e "$ROOTFS$1" ] && install -D -m 644 "$1" "$ROOTFS$1" || true; }
install -D -m 644 /etc/ssl/certs/ca-certificates.crt "$ROOTFS/etc/ssl/certs/ca-certificates.crt"
if [ -d /usr/local/share/ca-certificates ]; then
  mkdir -p "$ROOTFS/usr/local/share/ca-certificates"
  cp -a /usr/local/share/ca-certificates/. "$ROOTFS/usr/local/share/ca-certificates/"
fi
# npm's settings: its settings files where this machine has them, and the registry, certificate file
# and strictness in force here, which the environment passes on over any file.
npm_env=()
for f in /etc/npmrc /usr/etc/npmrc /usr/local/etc/npmrc; do copy_in "$f"; done
if command -v npm >/dev/null 2>&1; then
  userconfig=$(npm config get userconfig 2>/dev/null || true)
  [ -f "$userconfig" ] && install -D -m 600 "$userconfig" "$ROOTFS/root/.npmrc"
  while IFS='=' read -r key value; do
    case "$value" in "" | null | undefined) continue ;; esac
    [ "$key" = cafile ] && copy_in "$value"
    npm_env+=("npm_config_${key//-/_}=$value")
  done < <(npm config get registry cafile strict-ssl 2>/dev/null || true)
fi
if [ -n "${NODE_EXTRA_CA_CERTS:-}" ]; then
  copy_in "$NODE_EXTRA_CA_CERTS"
  npm_env+=("NODE_EXTRA_CA_CERTS=$NODE_EXTRA_CA_CERTS")
fi

# A chroot that cannot reach the mirror cannot install what ./test needs: this machine cannot run the
# check, which says nothing of the project.
chroot "$ROOTFS" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin apt-get update -qq ||
  cannot_run_here "the chroot cannot reach the mirror $MIRROR; not checked"
phase_done "the mirror reached from the chroot"

rm -rf "$ROOTFS/root/seance1"
git clone -q "$SEANCE_ROOT" "$ROOTFS/root/seance1"
grep PRETTY_NAME "$ROOTFS/etc/os-release"
# CI passes through: there, a test skipped for a missing tool fails. The cache's figures are printed,
# then zeroed so that the next run's are its own.
chroot "$ROOTFS" /usr/bin/env -i HOME=/root LANG=C.UTF-8 ${CI:+CI="$CI"} CCACHE_DIR="$CCACHE_INSIDE" "${npm_env[@]}" \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  /bin/bash -c 'cd /root/seance1 && ./test; status=$?
    command -v ccache >/dev/null && ccache -s | grep -E "^ *(Hits|Misses):" && ccache -z >/dev/null
    exit $status' &
status=0
wait $! || status=$?
phase_done "./test"
exit "$status"
