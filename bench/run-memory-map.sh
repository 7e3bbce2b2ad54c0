#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Where the playing player's resident memory lies: the real player on the
# demo disc with an empty title cache (so it looks the titles up, as a new
# disc does), on a private X server (Xvfb + openbox), a private PulseAudio
# with a null sink and a session bus of its own. Play is clicked; SETTLE
# seconds later (default 6) it prints VmRSS, RssAnon and RssFile and the
# resident kilobytes of each mapping summed by file (anonymous memory as
# [heap], [anon] ...), largest first. Then, unless STARTS=0, exec -> window
# mapped of the player (offline) beside a bare Qt window, median of STARTS
# (default 7). PLAYER=path measures another player; OPTIONS adds options.
# Needs: a build (default build/), Xvfb, openbox, xdotool, pulseaudio,
# pulseaudio-utils, dbus-daemon.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
build=$(realpath "${1:-build}")
player=${PLAYER:-$build/velor-cdplayer}
demo=$build/demo/velor-demo.cue
display=${BENCH_DISPLAY:-:160}
settle=${SETTLE:-6}
starts=${STARTS:-7}

# shellcheck source=bench/private-desktop.sh
source "$here/private-desktop.sh"
run_in_own_session "$0" "$@"
start_private_session "$display"

# shellcheck disable=SC2086
"$player" ${OPTIONS:-} --device "$demo" >"$dir/player.log" 2>&1 &
pid=$!; pids+=("$pid")
window=$(timeout 20 xdotool search --sync --onlyvisible --pid "$pid" | sed -n 1p)
sleep 2  # the disc is read half a second after the window shows
xdotool mousemove --window "$window" 184 123 click 1
sleep "$settle"

echo "== $player ${OPTIONS:-}, playing for $settle s"
grep -E '^(VmRSS|RssAnon|RssFile|RssShmem|Threads)' "/proc/$pid/status"
echo "== resident KiB by mapping"
awk '/^[0-9a-f]+-[0-9a-f]+ / { name = (NF >= 6) ? $6 : "[anon]"; sub(/.*\//, "", name) }
     /^Rss:/ { kb[name] += $2 }
     END { for (n in kb) if (kb[n] > 0) printf "%7d  %s\n", kb[n], n }' "/proc/$pid/smaps" | sort -rn
echo "== the player said"
cat "$dir/player.log"
kill "$pid"; wait "$pid" 2>/dev/null || true

[ "$starts" = 0 ] && exit 0
echo "== exec -> window mapped, ms (median of $starts)"
printf "%-16s %s\n" "bare Qt window" "$(window_start_median "$starts" "$build/bench/time_to_window" "$build/bench/bare_window")"
printf "%-16s %s\n" velor-cdplayer "$(window_start_median "$starts" "$build/bench/time_to_window" "$player" --offline --device "$demo")"
