# Stages of a script, one line each: what is happening, then how long it
# took. Sourced by the set-up and test scripts.
#
#   stage "Building (about 3 minutes on 2 cores)" cmake --build build
#
# runs the command with its output in a log (shown only when it fails) and
# prints "Building (about 3 minutes on 2 cores)… 2 min 41 s".
# `stage_shown` does the same but lets the command's output through.

stage_log="${TMPDIR:-/tmp}/tavrix-stage.$$.log"

stage_duration() {
  local seconds=$1
  if [ "$seconds" -ge 60 ]; then
    printf '%d min %d s' $((seconds / 60)) $((seconds % 60))
  else
    printf '%d s' "$seconds"
  fi
}

stage() {
  local title=$1
  shift
  local start=$SECONDS
  printf '%s… ' "$title"
  if "$@" >"$stage_log" 2>&1; then
    stage_duration $((SECONDS - start))
    printf '\n'
    rm -f "$stage_log"
  else
    local code=$?
    printf 'failed after %s:\n' "$(stage_duration $((SECONDS - start)))"
    tail -n 60 "$stage_log"
    rm -f "$stage_log"
    exit "$code"
  fi
}

stage_shown() {
  local title=$1
  shift
  local start=$SECONDS
  printf '== %s\n' "$title"
  local code=0
  "$@" || code=$?
  if [ "$code" -ne 0 ]; then
    printf '== %s: failed after %s\n' "$title" "$(stage_duration $((SECONDS - start)))"
    exit "$code"
  fi
  printf '== %s: %s\n' "$title" "$(stage_duration $((SECONDS - start)))"
}
