#!/usr/bin/env bash
# Installs the Debian packages the project builds and tests with. Idempotent:
# when every package is present it does nothing and touches no package list.
# "install-deps.sh fuzz" adds clang and libFuzzer, which only the fuzz preset needs.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  libicu-dev libcurl4-openssl-dev libssl-dev zlib1g-dev libbrotli-dev
  nlohmann-json3-dev libsimdjson-dev libcpp-httplib-dev libcli11-dev libfmt-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libcairo2-dev libpango1.0-dev fonts-dejavu-core
  chromium chromium-driver python3-selenium
  gcovr
)
[ "${1:-}" = fuzz ] && packages+=(clang libclang-rt-dev)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
