#!/usr/bin/env bash
# Runs one end-to-end script on a new device root of its own.
# Usage: run-e2e.sh PARLO_SIM SCRIPT [options]
#   --host app|settings          which process runs the script (default app)
#   --fresh                      the device as just installed
#   --bundle-id ID               the app's bundle identifier
#   --install                    installs the build into the device (parlo-sim install)
#   --inject LIBRARY FILTER      puts a library and its filter into the injection folder
#   --prefs-bundle NAME LIBRARY INFO   puts a preference bundle into /Library/PreferenceBundles
#   --remove DEVICE_PATH         removes a file from the sample device before the run
#   --check-dump FILE            checks the shape of a dump the script wrote
#   --expect-failure-at LINE     the run must fail with a message naming that line
set -euo pipefail

sim=$1
script=$2
shift 2
host=app
create_options=()
run_options=()
injections=()
bundles=()
removals=()
install=0
dump=""
failure_line=""
while [ $# -gt 0 ]; do
  case "$1" in
    --host) host=$2; shift 2 ;;
    --fresh) create_options+=(--fresh); shift ;;
    --bundle-id) run_options+=(--bundle-id "$2"); shift 2 ;;
    --inject) injections+=("$2" "$3"); shift 3 ;;
    --prefs-bundle) bundles+=("$2" "$3" "$4"); shift 4 ;;
    --install) install=1; shift ;;
    --remove) removals+=("$2"); shift 2 ;;
    --check-dump) dump=$2; shift 2 ;;
    --expect-failure-at) failure_line=$2; shift 2 ;;
    *) echo "unknown option $1" >&2; exit 2 ;;
  esac
done

work=$(mktemp -d "${TMPDIR:-/tmp}/parlo-e2e.XXXXXX")
trap 'rm -rf "$work"' EXIT
root="$work/device"

"$sim" create --device-root "$root" "${create_options[@]}"
if [ "$install" -eq 1 ]; then
  "$sim" install --device-root "$root" >/dev/null
fi
injection="$root/Library/MobileSubstrate/DynamicLibraries"
for ((i = 0; i < ${#injections[@]}; i += 2)); do
  library=${injections[i]}
  filter=${injections[i + 1]}
  name=$(basename "$filter" .plist)
  cp "$library" "$injection/$name.dylib"
  cp "$filter" "$injection/$name.plist"
done
for ((i = 0; i < ${#bundles[@]}; i += 3)); do
  folder="$root/Library/PreferenceBundles/${bundles[i]}.bundle"
  mkdir -p "$folder"
  cp "${bundles[i + 1]}" "$folder/${bundles[i]}"
  cp "${bundles[i + 2]}" "$folder/Info.plist"
done

for path in ${removals[@]+"${removals[@]}"}; do
  rm -f "$root/$path"
done

status=0
"$sim" "$host" --device-root "$root" --script "$script" --output "$work/out" \
  "${run_options[@]}" 2>"$work/stderr" || status=$?
cat "$work/stderr" >&2

if [ -n "$failure_line" ]; then
  if [ "$status" -ne 1 ]; then
    echo "expected the run to fail with status 1, got $status" >&2
    exit 1
  fi
  if ! grep -q "$(basename "$script"):$failure_line: " "$work/stderr"; then
    echo "expected a message naming line $failure_line of $(basename "$script")" >&2
    exit 1
  fi
  exit 0
fi
[ "$status" -eq 0 ] || exit "$status"
if [ -n "$dump" ]; then
  python3 "$(dirname "$0")/check_dump.py" "$work/out/$dump"
fi
