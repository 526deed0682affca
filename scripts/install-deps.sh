#!/usr/bin/env bash
# Installs the Debian packages that building, running or testing needs and
# that this machine lacks. Usage: install-deps.sh run|test
set -euo pipefail

run_pkgs=(g++ make cmake ninja-build pkg-config qt6-base-dev libxkbcommon-dev
          fonts-ipafont-gothic)
test_pkgs=("${run_pkgs[@]}" libgtest-dev libgmock-dev xvfb xauth imagemagick
           clang libclang-rt-14-dev xdotool)

case "${1:-test}" in
  run) want=("${run_pkgs[@]}") ;;
  test) want=("${test_pkgs[@]}") ;;
  *) echo "usage: $0 run|test" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
