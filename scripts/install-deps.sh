#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Idempotent: packages already present are left alone.
set -euo pipefail

need=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libbenchmark-dev libxml2-dev
      g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
      wine wine32:i386 wine64 fonts-wine xvfb xauth x11-apps imagemagick zip
      libcli11-dev nsis g++-multilib qemu-user-static shellcheck acl)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  as_root dpkg --add-architecture i386
fi

missing=()
for p in "${need[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive

# On a busy machine another install may hold the package manager's locks:
# wait for them (apt's own timeout for the dpkg lock, and retries for the
# package lists' lock, which update takes without waiting) instead of failing.
apt_waiting() {
  local attempt out
  for attempt in $(seq 60); do
    if out=$(as_root apt-get -o DPkg::Lock::Timeout=600 "$@" 2>&1); then
      return 0
    fi
    if ! grep -qiE 'could not get lock|unable to (acquire|lock)' <<<"$out"; then
      echo "$out" >&2
      return 1
    fi
    echo "install-deps: the package manager is in use by another program, waiting ($attempt)" >&2
    sleep 10
  done
  echo "$out" >&2
  return 1
}
apt_waiting update -qq
apt_waiting install -y -qq --no-install-recommends "${missing[@]}"
