#!/bin/bash
# Whole-program cost of the viewer as a user runs it, beside gst-launch-1.0 showing the same live
# source: CPU seconds, frames shown, CPU per shown frame, and the time from start to the first
# frame on screen (polled every millisecond by first_frame). Each program gets its own Xvfb;
# they run one after the other in this run.
# Usage: viewer_bench.sh <path of viewer> [seconds, default 20] [path of first_frame]
set -u
VIEWER=${1:?usage: viewer_bench.sh <path of viewer> [seconds] [path of first_frame]}
SECONDS_TO_RUN=${2:-20}
FIRST_FRAME=${3:-$(dirname "$VIEWER")/../bench/first_frame}
SOURCE='videotestsrc is-live=true ! video/x-raw,width=640,height=480,framerate=30/1'
TICKS=$(getconf CLK_TCK)
WORK=$(mktemp -d /tmp/viewer-bench-XXXXXX)
XVFB_PID=""
PROGRAM_PID=""

cleanup() {
  [ -n "$PROGRAM_PID" ] && kill "$PROGRAM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

start_xvfb() {
  exec 3> "$WORK/display"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  exec 3>&-
  for _ in $(seq 100); do
    [ -s "$WORK/display" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(head -n1 "$WORK/display")"
}

stop_xvfb() {
  kill "$XVFB_PID" 2>/dev/null
  wait "$XVFB_PID" 2>/dev/null
  XVFB_PID=""
}

now() { date +%s.%N; }

# utime + stime of a process, in seconds.
cpu_seconds() {
  awk -v t="$TICKS" '{ sub(/^.*\) /, ""); printf "%.2f", ($12 + $13) / t }' "/proc/$1/stat"
}

# Runs a program on its own Xvfb for SECONDS_TO_RUN seconds, its output into $1, and ends it
# with signal $2; the program is the rest of the arguments. Sets FIRST (seconds from the start
# until the screen's centre shows a picture), CPU (its CPU seconds) and EXIT (its exit code).
run_measured() {
  local out=$1 signal=$2 start
  shift 2
  start_xvfb
  start=$(date +%s%N)
  "$@" > "$out" 2>&1 &
  PROGRAM_PID=$!
  FIRST=$("$FIRST_FRAME" "$start" 320 240 10)
  sleep "$(echo "scale=3; $start / 1000000000 + $SECONDS_TO_RUN - $(now)" | bc | sed 's/^-.*/0/')"
  CPU=$(cpu_seconds "$PROGRAM_PID")
  kill -"$signal" "$PROGRAM_PID"
  wait "$PROGRAM_PID"
  EXIT=$?
  PROGRAM_PID=""
  stop_xvfb
}

# The viewer, counting the frames it shows.
run_measured "$WORK/viewer.err" TERM env VIEWER_STATS=1 CAPTURE_DRIVERS="gst:$SOURCE" "$VIEWER" /s 0 0 640 480 30
VIEWER_FIRST=$FIRST VIEWER_CPU=$CPU VIEWER_EXIT=$EXIT
VIEWER_FRAMES=$(grep -o 'frames shown: [0-9]*' "$WORK/viewer.err" | tail -n1 | grep -o '[0-9]*$')

# gst-launch-1.0 with the same source. An identity element just before the sink reports every
# buffer it passes on (-v prints each report), which counts the frames handed to ximagesink.
run_measured "$WORK/gst.out" INT gst-launch-1.0 -v $SOURCE ! clockoverlay 'time-format=%d-%B-%Y  %H:%M' \
  ! videoconvert ! videoscale ! video/x-raw,width=640,height=480 ! identity name=shown silent=false \
  ! ximagesink sync=false
GST_FIRST=$FIRST GST_CPU=$CPU
GST_FRAMES=$(grep -c 'shown: last-message = chain' "$WORK/gst.out")

VIEWER_FRAMES=${VIEWER_FRAMES:-0}
GST_FRAMES=${GST_FRAMES:-0}
per_frame() { [ "$2" -gt 0 ] && echo "scale=3; 1000 * $1 / $2" | bc || echo "n/a"; }
VIEWER_PER=$(per_frame "$VIEWER_CPU" "$VIEWER_FRAMES")
GST_PER=$(per_frame "$GST_CPU" "$GST_FRAMES")
printf '%-12s %8s %8s %16s %18s\n' program "cpu s" frames "cpu ms/frame" "first frame s"
printf '%-12s %8s %8s %16s %18s\n' viewer "$VIEWER_CPU" "$VIEWER_FRAMES" "$VIEWER_PER" "$VIEWER_FIRST"
printf '%-12s %8s %8s %16s %18s\n' gst-launch "$GST_CPU" "$GST_FRAMES" "$GST_PER" "$GST_FIRST"
if [ "$VIEWER_PER" != "n/a" ] && [ "$GST_PER" != "n/a" ]; then
  echo "CPU per shown frame, viewer / gst-launch: $(echo "scale=2; $VIEWER_PER / $GST_PER" | bc)"
fi
echo "first-frame budget for 30 fps: $(echo "scale=3; (1000 / 30 + 150) / 1000" | bc) s; viewer exit code $VIEWER_EXIT"
