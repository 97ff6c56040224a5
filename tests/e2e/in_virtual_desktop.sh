#!/usr/bin/env bash
# Runs a GoogleTest program inside a Wine virtual desktop of the given size,
# a screen whose display mode can be switched and put back (plain Xvfb has
# one mode only), and passes on its verdict: `wine explorer /desktop` itself
# ends with 0 whatever the program did.
#
#   in_virtual_desktop.sh WIDTHxHEIGHT TEST_EXE [ARGS...]     (inside a test bed's env)
set -uo pipefail
size=$1
exe=$(winepath -w "$2")
shift 2
log=$(mktemp)
trap 'rm -f "$log"' EXIT
wine explorer "/desktop=bf-test,$size" "$exe" "$@" | tee "$log"
grep -q '^\[  PASSED  \]' "$log" && ! grep -q '^\[  FAILED  \]' "$log"
