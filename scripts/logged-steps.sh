# Sourced by the project's scripts: runs a step with its output kept in a log file under build/logs,
# and when the step fails, says which one, with what status, and shows why (the lines of its log that
# name an error, then the log's last lines). ABK_VERBOSE=1 shows every step's output as it runs.
ABK_LOG_DIR=${ABK_LOG_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)/build/logs}

log_file() { # log_file NAME: the log of a step, named after it
  echo "$ABK_LOG_DIR/$(echo "$1" | tr -c 'A-Za-z0-9_.\n-' '-').log"
}

show_failure() { # show_failure NAME STATUS LOG
  local name=$1 status=$2 log=$3
  {
    echo "FAILED: $name (exit status $status); its whole output is in $log"
    if [ "$(wc -l <"$log")" -le 40 ]; then
      cat "$log"
      echo "---"
      return
    fi
    local reasons
    reasons=$(grep -E -m 30 -A 3 \
      '([Ee]rror|FAILED|Failure|[Ff]atal|runtime error|Assertion|No such file|not found|Unable to)' "$log" |
      head -n 60)
    if [ -n "$reasons" ]; then
      echo "--- what the log says went wrong"
      echo "$reasons"
    fi
    echo "--- the end of the log"
    tail -n 25 "$log"
    echo "---"
  } >&2
}

logged() { # logged NAME COMMAND...: runs COMMAND with its output in NAME's log; its status is the step's
  local name=$1 log status
  shift
  mkdir -p "$ABK_LOG_DIR"
  log=$(log_file "$name")
  if [ "${ABK_VERBOSE:-0}" = 1 ]; then
    "$@" 2>&1 | tee "$log"
    status=${PIPESTATUS[0]}
  else
    "$@" >"$log" 2>&1
    status=$?
  fi
  [ "$status" -eq 0 ] && return 0
  show_failure "$name" "$status" "$log"
  return "$status"
}
