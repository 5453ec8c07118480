# Shared by the tessel-cli end-to-end scripts: sourced with the program's path.
# Works in a temporary folder removed at exit; check() counts failures.
set -u
cli="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
cd "$work"
failures=0
check() {   # description, expected, actual
  if [ "$2" != "$3" ]; then echo "FAIL: $1: expected '$2', got '$3'"; failures=$((failures + 1)); fi
}
