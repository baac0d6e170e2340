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
#   --first HOST SCRIPT          runs another script before, in its own process, on the same root
#   --expect-log TEXT            the run's standard error must hold TEXT
#   --check-order DUMP 'A|B|C'   in a dump the script wrote, each text shows once, in that order
#                                down the screen
#   --avatar-url USERNAME URL    points that user's profile picture in the sample inbox at URL
#   --inbox-for ID               gives the app ID a copy of the sample Direct inbox
#   --keep-output DIR            copies the run's snapshots and dumps into DIR
#   --parlo-files TOOL           the parlo-files program, for the chat and setting options
#   --chat USERNAME JSONL        writes that user's chat file in the host app from JSON lines
#   --setting KEY VALUE          stores a setting in the host app's settings file
#   --check-chat-file USERNAME JSONL   after the run, that user's chat file holds these records
#   --check-chat 'CHECK|DUMP|...'      checks the chat screen in dumps (check_chat_geometry.py)
#   --check-settings JSON        after the run, the settings file holds exactly these values
#                                (check_settings.py; needs --parlo-files)
#   --check-call-video PATH      after the run, the call video holds the bytes of that file
#   --check-no-chat-file USERNAME   after the run, that user has no chat file
#   --check-settings-screen 'CHECK|DUMP|...'   checks the settings screen and the options menu's
#                                effects in dumps (check_settings_screen.py)
#   --record NAME [SCALE]        records the run into NAME beside its snapshots
#   --check-video SECONDS 'TIME=SNAPSHOT|...'  checks the recording (check_video.py)
#   --video-player PATH          the frames checked are those the platform's player shows, written
#                                by PATH (player_frames)
#   --status-bar 'OPTIONS'       runs parlo-sim status-bar with OPTIONS before the script (after
#                                the --first ones)
#   --check-status-bar 'NAME ...'  each NAME's snapshot and dump match the first --first run's
#                                but for the status bar (check_status_bar.py)
#   --expect-refusal TEXT        the run must stop with status 2 before the script runs, saying TEXT
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
firsts=()
logs=()
orders=()
inbox_for=""
avatars=()
keep=""
files_tool=""
chats=()
settings=()
chat_files=()
chat_checks=()
settings_file=""
videos=()
no_chat_files=()
screen_checks=()
record=""
record_scale=""
video_length=""
video_shots=""
video_player=""
refusal=""
status_bar=""
status_bar_checks=""
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
    --first) firsts+=("$2" "$3"); shift 3 ;;
    --expect-log) logs+=("$2"); shift 2 ;;
    --check-order) orders+=("$2" "$3"); shift 3 ;;
    --avatar-url) avatars+=("$2" "$3"); shift 3 ;;
    --inbox-for) inbox_for=$2; shift 2 ;;
    --keep-output) keep=$2; shift 2 ;;
    --parlo-files) files_tool=$2; shift 2 ;;
    --chat) chats+=("$2" "$3"); shift 3 ;;
    --setting) settings+=("$2" "$3"); shift 3 ;;
    --check-chat-file) chat_files+=("$2" "$3"); shift 3 ;;
    --check-chat) chat_checks+=("$2"); shift 2 ;;
    --check-settings) settings_file=$2; shift 2 ;;
    --check-call-video) videos+=("$2"); shift 2 ;;
    --check-no-chat-file) no_chat_files+=("$2"); shift 2 ;;
    --check-settings-screen) screen_checks+=("$2"); shift 2 ;;
    --record)
      record=$2; shift 2
      if [[ "${1:-}" =~ ^[0-9.]+$ ]]; then record_scale=$1; shift; fi ;;
    --check-video) video_length=$2; video_shots=$3; shift 3 ;;
    --video-player) video_player=$2; shift 2 ;;
    --expect-refusal) refusal=$2; shift 2 ;;
    --status-bar) status_bar=$2; shift 2 ;;
    --check-status-bar) status_bar_checks=$2; shift 2 ;;
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

for ((i = 0; i < ${#avatars[@]}; i += 2)); do
  python3 - "$root"/var/mobile/Containers/Data/Application/*/Library/Application\ Support/DirectInbox.plist \
    "${avatars[i]}" "${avatars[i + 1]}" <<'EOF'
import plistlib, sys
path, username, url = sys.argv[1:4]
with open(path, "rb") as file:
    inbox = plistlib.load(file)
users = [u for t in inbox["threads"] for u in t["users"] if u["username"] == username]
if not users:
    sys.exit(f"no user {username} in the sample inbox")
for user in users:
    user["profilePicURL"] = url
with open(path, "wb") as file:
    plistlib.dump(inbox, file)
EOF
done

if [ -n "$inbox_for" ]; then
  # Containers are named after the bundle identifier as the host app names them.
  container=$(python3 "$(dirname "$0")/container_path.py" "$inbox_for")
  mkdir -p "$root$container/Library/Application Support"
  cp "$root"/var/mobile/Containers/Data/Application/*/Library/Application\ Support/DirectInbox.plist \
    "$root$container/Library/Application Support/"
fi

documents="$root$(python3 "$(dirname "$0")/container_path.py" com.burbn.instagram)/Documents"
if [ $((${#chats[@]} + ${#settings[@]} + ${#chat_files[@]})) -gt 0 ] || [ -n "$settings_file" ]; then
  needs_tool=1
fi
if [ -n "${needs_tool:-}" ] && [ -z "$files_tool" ]; then
  echo "--chat, --setting, --check-chat-file and --check-settings need --parlo-files" >&2
  exit 2
fi
for ((i = 0; i < ${#chats[@]}; i += 2)); do
  mkdir -p "$documents/ParloChats"
  "$files_tool" chat import "$documents/ParloChats/${chats[i]}.plist" <"${chats[i + 1]}"
done
for ((i = 0; i < ${#settings[@]}; i += 2)); do
  "$files_tool" settings --device-root "$root" set "${settings[i]}" "${settings[i + 1]}"
done

for ((i = 0; i < ${#firsts[@]}; i += 2)); do
  "$sim" "${firsts[i]}" --device-root "$root" --script "${firsts[i + 1]}" \
    --output "$work/first-$i"
done

if [ -n "$status_bar" ]; then
  # shellcheck disable=SC2086  # the options are words
  "$sim" status-bar --device-root "$root" $status_bar
fi

mkdir -p "$work/out"
if [ -n "$record" ]; then
  # A name with a slash is a path of its own (one that cannot be written, say).
  case "$record" in */*) run_options+=(--record "$record") ;; *) run_options+=(--record "$work/out/$record") ;; esac
  [ -n "$record_scale" ] && run_options+=(--record-scale "$record_scale")
fi

status=0
"$sim" "$host" --device-root "$root" --script "$script" --output "$work/out" \
  "${run_options[@]}" 2>"$work/stderr" || status=$?
cat "$work/stderr" >&2

if [ -n "$refusal" ]; then
  if [ "$status" -ne 2 ] || ! grep -qF -- "$refusal" "$work/stderr"; then
    echo "expected the run to be refused with status 2 saying: $refusal (status $status)" >&2
    exit 1
  fi
  if [ -n "$(ls -A "$work/out")" ]; then
    echo "the refused run still wrote: $(ls "$work/out")" >&2
    exit 1
  fi
  exit 0
fi

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
if [ -n "$keep" ]; then
  mkdir -p "$keep"
  cp -r "$work/out/." "$keep/"
fi
for text in ${logs[@]+"${logs[@]}"}; do
  if ! grep -qF -- "$text" "$work/stderr"; then
    echo "expected the log to hold: $text" >&2
    exit 1
  fi
done
for ((i = 0; i < ${#orders[@]}; i += 2)); do
  python3 "$(dirname "$0")/check_order.py" "$work/out/${orders[i]}" "${orders[i + 1]}"
done
for ((i = 0; i < ${#chat_files[@]}; i += 2)); do
  "$files_tool" chat dump "$documents/ParloChats/${chat_files[i]}.plist" >"$work/chat.jsonl"
  # The expected records are compared as the tool writes them, blank lines left out.
  if ! diff <(grep -v '^[[:space:]]*$' "${chat_files[i + 1]}") "$work/chat.jsonl" >&2; then
    echo "the chat file of ${chat_files[i]} does not hold the expected records" >&2
    exit 1
  fi
done
for wanted in ${chat_checks[@]+"${chat_checks[@]}"}; do
  python3 "$(dirname "$0")/check_chat_geometry.py" "$work/out" "$wanted"
done
for wanted in ${screen_checks[@]+"${screen_checks[@]}"}; do
  python3 "$(dirname "$0")/check_settings_screen.py" "$work/out" "$wanted"
done
if [ -n "$settings_file" ]; then
  python3 "$(dirname "$0")/check_settings.py" "$files_tool" "$root" "$documents" "$settings_file"
fi
for path in ${videos[@]+"${videos[@]}"}; do
  if ! cmp -s "$root$path" "$documents/fakecall-video.mp4"; then
    echo "the call video does not hold the bytes of $path" >&2
    exit 1
  fi
done
for name in ${no_chat_files[@]+"${no_chat_files[@]}"}; do
  if [ -e "$documents/ParloChats/$name.plist" ]; then
    echo "$name still has a chat file" >&2
    exit 1
  fi
done
if [ -n "$dump" ]; then
  python3 "$(dirname "$0")/check_dump.py" "$work/out/$dump"
fi
if [ -n "$status_bar_checks" ]; then
  # shellcheck disable=SC2086
  python3 "$(dirname "$0")/check_status_bar.py" "$work/first-0" "$work/out" $status_bar_checks
fi
if [ -n "$video_length" ]; then
  python3 "$(dirname "$0")/check_video.py" "$work/out/$record" "$work/out" "$video_length" \
    "$video_shots" ${video_player:+"$video_player"}
fi
