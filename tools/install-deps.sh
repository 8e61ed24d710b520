#!/usr/bin/env bash
# Installs the Debian packages Gridwick needs to build, test and benchmark.
# Does nothing when they are all present.
set -euo pipefail
packages=(g++ cmake ninja-build libcli11-dev libgtest-dev libgmock-dev libbenchmark-dev
          qt6-base-dev qt6-svg-dev qt6-qpa-plugins libgl-dev help2man dpkg-dev clang-14 libclang-rt-14-dev
          libcairo2-dev fonts-dejavu-core poppler-utils zlib1g-dev chromium
          pybind11-dev python3-pybind11 python3-dev python3-venv python3-pytest python3-setuptools python3-wheel
          emscripten nodejs lintian parallel bash-completion slurmd slurmctld slurm-client munge)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
fi
