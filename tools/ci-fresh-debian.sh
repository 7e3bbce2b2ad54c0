#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs one of the README's two commands ("run" or "test"), exactly as the
# README writes it, on a clean clone of this checkout inside a clean Debian 12
# root: what a new user's machine has. Proves that the set-up installs
# everything the build and the tests need.
#
# usage: tools/ci-fresh-debian.sh [run|test]     (as root; default: test)
#
# The clean root: tools/clean-root.sh.
set -euo pipefail
which=${1:-test}
repo=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tools/clean-root.sh
. "$repo/tools/clean-root.sh"

readme_command() {
  # The first indented line after "Run it" or "Test it".
  local heading=$1
  awk -v h="$heading" 'index($0, h) == 1 { found = 1; next }
                       found && /^    [^ ]/ { sub(/^    /, ""); print; exit }' "$repo/README.md"
}

case $which in
  run) command=$(readme_command "Run it") ;;
  test) command=$(readme_command "Test it") ;;
  *) echo "usage: $0 [run|test]" >&2; exit 2 ;;
esac
[ -n "$command" ] || { echo "ci-fresh-debian: the README has no $which command" >&2; exit 2; }

start=$SECONDS
status=0
run_in_clean_root ci-fresh-debian /root/src "$command" || status=$?
echo "ci-fresh-debian: the README's $which command ended with status $status after $((SECONDS - start)) s"
exit $status
