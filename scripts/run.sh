#!/usr/bin/env bash
# Sets up a fresh machine, builds, and starts the program on the sample design.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
root=$PWD
work=$(mktemp -d)
# The sample chip and a start-up macro that opens its top cell and fits it into view.
cp data/samples/sample.cad data/samples/AUTO.MAC "$work/"
cd "$work"
echo "(working in $work)"
if [ -z "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ]; then
  echo "No display: running the batch sample instead (see README, 'The batch runner')."
  exec "$root/build/lavinor" --batch "$root/data/samples/chip.txt"
fi
# /S: start even if an earlier run ended without clearing its running mark.
exec "$root/build/lavinor" /S sample.cad
