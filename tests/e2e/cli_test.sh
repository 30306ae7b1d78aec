#!/usr/bin/env bash
# The desktop program stays open on a collection while pathkeep-cli adds locations, checks them
# against a loopback server and writes the results back: every command succeeds, the program
# keeps running and closes normally, and afterwards every write of both is in the collection.
set -euo pipefail
pathkeep="$1"
seed="$2"
cli="$3"
source "$(dirname "$0")/e2elib.sh"
e2e_setup

server_pid=""
stop_server() { [ -n "$server_pid" ] && kill "$server_pid" 2>/dev/null || true; e2e_cleanup; }
trap stop_server EXIT

"$seed" fill "$work/collection" 100 || fail "could not fill the collection"

# A loopback web server that answers every HEAD request with 200.
cat >"$work/server.py" <<'PY'
import http.server, sys
class Handler(http.server.BaseHTTPRequestHandler):
    def do_HEAD(self):
        self.send_response(200)
        self.send_header("Content-Length", "0")
        self.end_headers()
    def log_message(self, *args):
        pass
server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
PY
python3 "$work/server.py" >"$work/port" &
server_pid=$!
for _ in $(seq 1 50); do [ -s "$work/port" ] && break; sleep 0.1; done
port="$(cat "$work/port")"
[ -n "$port" ] || fail "the loopback server did not start"

e2e_start "$pathkeep"
e2e_wait_frame

cd "$work/collection"
for i in $(seq 1 20); do
  "$cli" --quiet add "http://127.0.0.1:$port/cli$i" --category News --description "from cli" \
    2>>"$work/cli.log" || fail "add $i failed: $(cat "$work/cli.log")"
done
kill -0 "$pid" 2>/dev/null || fail "pathkeep ended while the command line wrote"

"$cli" check --query "URL:Description = 'from cli'" --timeout 20 >"$work/check.out" 2>&1 \
  || fail "check failed: $(cat "$work/check.out")"
grep -q 'Passed: 20, failed: 0' "$work/check.out" || fail "check said: $(cat "$work/check.out")"
kill -0 "$pid" 2>/dev/null || fail "pathkeep ended during the check"

kill -TERM "$pid"
e2e_ended 50 || fail "pathkeep did not close after SIGTERM"
[ "$status" -eq 0 ] || fail "pathkeep exited with status $status"

"$cli" list --format json >"$work/list.json" || fail "list failed"
python3 - "$work/list.json" <<'PY' || fail "locations missing after both programs wrote"
import json, sys
rows = json.load(open(sys.argv[1]))
cli = [r for r in rows if r["description"] == "from cli"]
assert len(rows) == 120, len(rows)
assert len(cli) == 20, len(cli)
assert all(r["validated"] == "passed" and r["lastValidated"] for r in cli), cli[:2]
PY
echo "command line beside the program: ok"
