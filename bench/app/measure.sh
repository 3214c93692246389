#!/usr/bin/env bash
# Figures of the whole program, measured from outside under Xvfb:
#   launch  - time from starting Kalido to its wizard window being mapped on screen (first paint
#             follows in the same event-loop turn), over RUNS starts after one warm-up start;
#   memory  - peak resident memory of a show of COUNT photos of 6000x4000 (24 MP) on a
#             1920x1080 screen, the photos being hard links to three generated pictures.
# Usage: bench/app/measure.sh <build dir> [launch|memory|all]   (run inside xvfb-run, see below)
#   xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" bash bench/app/measure.sh build/app all
# (-noreset: otherwise the server resets when the last client leaves and refuses the next start)
set -euo pipefail
BUILD=$(realpath "$1")
WHAT=${2:-all}
RUNS=${RUNS:-10}
COUNT=${COUNT:-500}
SECONDS_SHOWN=${SECONDS_SHOWN:-60}
EXE=$BUILD/src/app/Kalido
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export HOME=$WORK/home XDG_CONFIG_HOME=$WORK/home/.config LANG=C.UTF-8 LANGUAGE=
mkdir -p "$HOME"

now_ms() { date +%s%3N; }

wait_window() {
    # A short pause between polls: a tight loop of X clients can exhaust the server's connections.
    until xdotool search --onlyvisible --name '^Kalido$' >/dev/null 2>&1; do sleep 0.005; done
}

launch() {
    local times=()
    for i in $(seq 0 "$RUNS"); do
        local t0 t1
        t0=$(now_ms)
        "$EXE" >/dev/null 2>&1 &
        local pid=$!
        wait_window
        t1=$(now_ms)
        kill "$pid"; wait "$pid" 2>/dev/null || true
        [ "$i" -gt 0 ] && times+=($((t1 - t0)))
    done
    printf '%s\n' "${times[@]}" | sort -n | awk '{a[NR]=$1} END {printf "launch to visible wizard: median %d ms, min %d ms, max %d ms over %d starts\n", a[int((NR+1)/2)], a[1], a[NR], NR}'
}

memory() {
    local photos=$WORK/photos
    mkdir -p "$photos"
    for s in 1 2 3; do
        convert -seed $s -size 600x400 plasma:fractal -resize '6000x4000!' -quality 90 "$photos/src$s.jpg"
    done
    for i in $(seq 1 "$COUNT"); do
        ln "$photos/src$(( (i % 3) + 1 )).jpg" "$photos/p$(printf %04d "$i").jpg"
    done
    rm "$photos"/src*.jpg
    /usr/bin/time -f '%M' -o "$WORK/rss" "$EXE" >/dev/null 2>&1 &
    local pid=$!
    wait_window
    local g x y
    sleep 1
    import -window root "$WORK/root.png"
    g=$(identify -format '%@' "$WORK/root.png"); x=${g#*+}; y=${x#*+}; x=${x%+*}
    # New, the photo folder, one second a photo, Start!
    xdotool mousemove $((x + 175)) $((y + 80)) click 1; sleep 0.5
    xdotool key ctrl+a; xdotool type --delay 2 "$photos"; xdotool key Return; sleep 0.5
    xdotool key Return; sleep 0.5
    xdotool key ctrl+a; xdotool type "1"; xdotool key alt+s
    sleep "$SECONDS_SHOWN"
    # SHOT=<file.png> keeps a screenshot of the show, to see that it ran.
    [ -n "${SHOT:-}" ] && import -window root "$SHOT"
    xdotool key Escape; sleep 1
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
    echo "peak resident memory: $(( $(cat "$WORK/rss") / 1024 )) MB after ${SECONDS_SHOWN} s of a show of $COUNT photos of 24 MP"
}

case $WHAT in
launch) launch ;;
memory) memory ;;
all) launch; memory ;;
esac
