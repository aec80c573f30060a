#!/usr/bin/env bash
# Shared by ./run and ./test: installs what is missing (Debian 12), then configures and builds.
set -euo pipefail

SEANCE_PACKAGES=(build-essential cmake pkg-config ninja-build ccache mold
  qt6-base-dev qt6-multimedia-dev libqt6multimedia6 qt6-charts-dev libqt6opengl6-dev libuemf-dev libemf-dev libsndfile1-dev libpoppler-qt6-dev
  fonts-liberation2 fonts-dejavu-core fonts-crosextra-carlito fonts-crosextra-caladea xvfb xauth libgl-dev qt6-qpa-plugins
  imagemagick poppler-utils libsimdjson-dev python3 libtomlplusplus-dev)

missing_packages() {
  local p installed
  # One query for all: dpkg-query is slow to start.
  installed=$(dpkg-query -W -f='${Package}\t${Status}\n' "${SEANCE_PACKAGES[@]}" "$@" 2>/dev/null |
    awk -F '\t' '$2 == "install ok installed" { print $1 }' || true)
  for p in "${SEANCE_PACKAGES[@]}" "$@"; do
    grep -qxF "$p" <<<"$installed" || printf '%s\n' "$p"
  done
}

install_packages() {
  local missing
  mapfile -t missing < <(missing_packages "$@")
  [ "${#missing[@]}" -eq 0 ] && return 0
  if [ "$(id -u)" -ne 0 ]; then
    echo "Séance 1 needs these Debian packages. Install them, then run this command again:" >&2
    echo "  sudo apt-get install -y ${missing[*]}" >&2
    exit 1
  fi
  export DEBIAN_FRONTEND=noninteractive
  if [ -z "$(ls -A /var/lib/apt/lists 2>/dev/null | grep -v -e '^lock$' -e '^partial$' -e '^auxfiles$')" ]; then
    apt-get update
  fi
  if ! apt-get install -y --no-install-recommends "${missing[@]}"; then
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

# A real LRS for the tests that read statements back: Learning Locker's statement service, kept in
# memory, installed from npm into the build folder (install_test_tools installs Node.js first).
SEANCE_TEST_LRS=xapi-statements@5.0.1

install_test_lrs() {
  local build_dir=$1 prefix=$1/xapi-lrs
  command -v node >/dev/null && command -v npm >/dev/null || return 0
  if [ "$(node -p "try { require('$prefix/node_modules/xapi-statements/package.json').version } catch (e) { '' }")" = "${SEANCE_TEST_LRS#*@}" ]; then
    return 0
  fi
  mkdir -p "$prefix"
  npm install --prefix "$prefix" --no-audit --no-fund --loglevel=error "$SEANCE_TEST_LRS" >"$prefix/npm.log" 2>&1 ||
    { tail -20 "$prefix/npm.log" >&2; echo "setup: $SEANCE_TEST_LRS could not be installed" >&2; return 1; }
}

build_project() {
  local build_dir=$1; shift
  cmake -S "$SEANCE_ROOT" -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  cmake --build "$build_dir" --parallel "$(nproc)"
}

# What the tests and benches run beside the program: Debian's Node.js and npm where missing, then
# the npm tools; not for running the lesson. A test skips for a missing tool only outside CI.
install_test_tools() {
  # Where the commands are missing only: a machine may have Node.js from elsewhere, whose npm
  # Debian's would conflict with.
  local need=()
  command -v node >/dev/null 2>&1 || need+=(nodejs)
  command -v npm >/dev/null 2>&1 || need+=(npm)
  [ "${#need[@]}" -eq 0 ] || install_packages "${need[@]}"
  install_test_lrs "$1"
  install_gift_parser "$1"
}

# The outside GIFT reader that checks the exported questions, pinned, in the build folder.
install_gift_parser() {
  local build_dir=$1
  command -v npm >/dev/null 2>&1 || return 0
  [ -f "$build_dir/node_modules/gift-pegjs/package.json" ] && grep -q '"version": "1.0.2"' "$build_dir/node_modules/gift-pegjs/package.json" && return 0
  npm install --prefix "$build_dir" --no-save --no-audit --no-fund --loglevel=error gift-pegjs@1.0.2 >/dev/null \
    || echo "gift-pegjs could not be installed: test_question_bank_gift will say so" >&2
}
