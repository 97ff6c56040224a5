# The one way our scripts and tests start an X server (sourced). The server
# picks a free display number itself (-displayfd): a number chosen here first
# could be taken by a bed starting beside ours before the server binds it.

# running PID: the process is there and not a zombie (a process that ended
# stays one until its parent, or init for an orphaned server, collects it).
running() { [[ $(sed 's/.*) //' "/proc/$1/stat" 2>/dev/null) == [!Z]* ]]; }

# start_x LOG SERVER ARGS...: starts SERVER (Xvfb, Xephyr) with ARGS, its
# output in LOG; once it takes connections, sets x_pid and x_display (":N").
# False, saying why, when the server ends first or is not up within 30 s (it
# is then stopped). Call it in the caller's own shell, not in $(...), so the
# server is the caller's child.
start_x() {
  local log=$1 server=$2 number n="" deadline=$((SECONDS + 30))
  shift 2
  number=$(mktemp)
  "$server" -displayfd 3 -nolisten tcp "$@" 3>"$number" </dev/null >"$log" 2>&1 &
  x_pid=$!
  while running "$x_pid" && ((SECONDS < deadline)); do
    n=$(head -1 "$number")
    [[ -n $n ]] && break
    sleep 0.1
  done
  rm -f "$number"
  if [[ -z $n ]] || ! running "$x_pid"; then
    kill "$x_pid" 2>/dev/null || true
    wait "$x_pid" 2>/dev/null || true
    echo "$server did not start (see $log)" >&2
    return 1
  fi
  x_display=:$n
}
