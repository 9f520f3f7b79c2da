#!/usr/bin/env bash
# Sets up a fresh machine, builds, and runs the program on the sample design.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
./scripts/build.sh
work=$(mktemp -d)
cd "$work"
echo "(working in $work)"
"$OLDPWD/build/lavinor" --batch "$OLDPWD/data/samples/chip.txt"
