#!/usr/bin/env bash
# usage: readme_test.sh README.md path/to/gridwick SCRATCH_DIR
# Runs the command-line examples of the README in order, as a user on a fresh
# clone would, in an empty scratch folder. Every generate run is bounded with
# --max-made so that the test ends whatever the examples ask for.
set -euo pipefail
readme=$(realpath "$1")
bin=$(realpath "$2")
scratch=$3
rm -rf "$scratch"
mkdir -p "$scratch"
cd "$scratch"
# The command lines of the sh blocks that run gridwick, without comments. The
# set-up commands and the Python build have tests of their own; examples meant
# for other machines (GNU parallel over ssh, Slurm) stand in bash blocks.
commands=$(awk '/^```sh/{inblock=1; next} /^```/{inblock=0} inblock' "$readme" |
           sed 's/[[:space:]]*#.*$//' | grep 'build/gridwick ' || true)
[ -n "$commands" ] || { echo "readme test: no examples found in $readme" >&2; exit 1; }
n=0
while IFS= read -r line; do
  run=${line//build\/gridwick /\"$bin\" }
  run=${run//generate /generate --max-made 400 }
  n=$((n + 1))
  if ! bash -o pipefail -c "$run" >"out.$n" 2>"err.$n"; then
    echo "readme test: example $n failed: $line" >&2
    tail -5 "err.$n" >&2
    exit 1
  fi
done <<< "$commands"
echo "readme test: $n examples ran"
