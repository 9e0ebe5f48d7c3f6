#!/usr/bin/env bash
# Installs what is needed, builds, and runs the viewer with the arguments given.
# Without a camera (and without CAPTURE_DRIVERS) it uses the built-in test pattern;
# without a display it runs the viewer on a virtual X server for a few seconds and
# saves a screenshot as viewer.png.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
"$top/scripts/setup.sh" >/dev/null
cmake -S "$top" -B "$top/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$top/build" --target viewer
viewer="$top/build/viewer/viewer"
if [ ! -x "$viewer" ]; then
  echo "The viewer is not there yet: only the libraries and their tests are built." >&2
  exit 1
fi

if [ -z "${CAPTURE_DRIVERS:-}" ] && ! ls /dev/video* >/dev/null 2>&1; then
  export CAPTURE_DRIVERS=test
  echo "No camera found: showing the built-in test pattern (CAPTURE_DRIVERS=test)."
fi

if [ -n "${DISPLAY:-}" ]; then
  exec "$viewer" "$@"
fi

# No display: a virtual X server, a few seconds of the viewer, a screenshot.
n=99
while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=":$n"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done
echo "No display: running the viewer on a virtual X server ($DISPLAY) for 5 seconds."
"$viewer" "$@" &
pid=$!
sleep 5
import -window root "$top/viewer.png"
kill -TERM "$pid" 2>/dev/null || true
status=0
wait "$pid" || status=$?
echo "Screenshot saved as $top/viewer.png; the viewer ended with exit code $status."
exit "$status"
