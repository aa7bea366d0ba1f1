# Shared by the comparison scripts of bench/ (sourced): the Release build, timing one run
# with its memory, and the medians of runs. Needs ROOT, BUILD_DIR, die() and, to measure,
# WORK (a folder for the results).

# build_release TARGET...: configures BUILD_DIR as a Release build (no window) and builds them.
build_release() {
    echo "== build (Release) in $BUILD_DIR"
    if [ -f "$BUILD_DIR/CMakeCache.txt" ]; then
        cmake -S "$ROOT" -B "$BUILD_DIR" -DCMAKE_BUILD_TYPE=Release -DEGM2008_BUILD_BENCH=ON >/dev/null
    else
        cmake -S "$ROOT" -B "$BUILD_DIR" -G Ninja -DCMAKE_BUILD_TYPE=Release -DEGM2008_BUILD_GUI=OFF \
            -DEGM2008_BUILD_BENCH=ON >/dev/null
    fi
    ninja -C "$BUILD_DIR" -j2 "$@" >/dev/null
}

# A sleep without starting a process, so that sampling does not load the machine.
exec {SLEEP_FD}<> <(:)
pause() { read -r -t "$1" -u "$SLEEP_FD" || true; }

# measure NAME INPUT OUTPUT COMMAND...: runs the command with stdin/stdout
# redirected (stderr to $MEASURE_ERR when set), samples its RssAnon, and appends
# "NAME seconds rssanon_kb maxrss_kb" to $WORK/results.
measure() {
    local name=$1 input=$2 output=$3
    shift 3
    local timing="$WORK/time.$$"
    local start=$EPOCHREALTIME
    /usr/bin/time -f '%M' -o "$timing" "$@" <"$input" >"$output" 2>>"${MEASURE_ERR:-/dev/stderr}" &
    local timer=$! child="" peak=0 line value
    while kill -0 "$timer" 2>/dev/null; do
        [ -z "$child" ] && child=$(pgrep -P "$timer" | head -n 1 || true)
        if [ -n "$child" ] && [ -r "/proc/$child/status" ]; then
            while read -r line; do
                case $line in
                    RssAnon:*) value=${line//[!0-9]/}; [ "${value:-0}" -gt "$peak" ] && peak=$value ;;
                esac
            done <"/proc/$child/status" 2>/dev/null || true
        fi
        pause 0.01
    done
    wait "$timer" || die "$name failed"
    local end=$EPOCHREALTIME
    local seconds
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }')
    local maxrss
    maxrss=$(tail -n 1 "$timing")
    printf '%-36s %8s s  RssAnon %6s kB  max RSS %7s kB\n' "$name" "$seconds" "$peak" "$maxrss"
    echo "$name $seconds $peak $maxrss" >>"$WORK/results"
}

median() {  # median NAME: median seconds of that name's runs
    awk -v n="$1" '$1 == n { print $2 }' "$WORK/results" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}
most() {  # most NAME COLUMN: the largest value of a column over that name's runs
    awk -v n="$1" -v c="$2" '$1 == n && $c > m { m = $c } END { print m + 0 }' "$WORK/results"
}

