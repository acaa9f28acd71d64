#!/usr/bin/env bash
# Measures every factory program as a new user first hears it: a C major triad (C4 E4 G4,
# velocity 100, 2 s, then 6 s of tail), a six-note chord (C3 E3 G3 C4 E4 G4, same timing) and a
# short phrase (four single notes, then the triad) for the click finder (audible clicks only).
# Prints one line per program and a summary: peaks, the spread of the triad's RMS (10th, 50th
# and 90th percentile), how many programs lie within 3 dB of the median, and the clicks found.
# The RMS is that of the 2 s the chord is held; the peaks include the tail.
#   scripts/bank-levels.sh [BINDIR]     (default build/linux/bin: tavrel-render, tavrel-wavcheck)
# Levels are of 32-bit float files, so peaks above 0 dBFS show as they are; RMS is the power of
# both channels together.
set -euo pipefail
cd "$(dirname "$0")/.."

bin="${1:-build/linux/bin}"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

render() { # program notes file [tail seconds]
    "$bin/tavrel-render" -q --program "$1" --notes "$2" --tail "${4:-6}" --format float -o "$3"
}

# peak (dBFS, louder channel) and RMS (dBFS, both channels) of a file.
levels() {
    "$bin/tavrel-wavcheck" --min-peak -200 "$1" | awk '
        /channel [0-9]+: peak/ {
            peak = $4 + 0; rms = $7 + 0
            if (n == 0 || peak > top) top = peak
            power += 10 ^ (rms / 10); n++
        }
        END { printf "%.2f %.2f\n", top, 10 * log(power / n) / log(10) }'
}

# Clicks the finder lists whose energy above 12 kHz reaches -80 dBFS: fainter ones lie 15 dB
# above a background that nobody hears (a closed filter) and are no clicks to a listener.
clicks() {
    "$bin/tavrel-wavcheck" --min-peak -200 --clicks "$1" |
        awk '$3 == "above" && $6 + 0 >= -80 { total++ } END { print total + 0 }'
}

printf '%-4s %-24s %9s %9s %9s %7s\n' prog name triadPk triadRMS sixPk clicks
"$bin/tavrel-render" --list-programs | sed -n '2,$p' | tr -d '*' > "$work/names"
table="$work/table"
: > "$table"
for program in $(seq 0 127); do
    render "$program" "C4+E4+G4:4@100" "$work/triad.wav"
    render "$program" "C4+E4+G4:4@100" "$work/held.wav" 0
    render "$program" "C3+E3+G3+C4+E4+G4:4@100" "$work/six.wav"
    render "$program" "C4:1 E4:1 G4:1 C5:1 C4+E4+G4:4" "$work/phrase.wav"
    read -r triadPeak _ < <(levels "$work/triad.wav")
    read -r _ triadRms < <(levels "$work/held.wav")
    read -r sixPeak _ < <(levels "$work/six.wav")
    found=$(clicks "$work/phrase.wav")
    name=$(awk -v p="$program" '$1 == p { $1 = ""; sub(/^ +/, ""); gsub(/ /, "_"); print }' \
        "$work/names")
    printf '%-4s %-24s %9s %9s %9s %7s\n' "$program" "$name" "$triadPeak" "$triadRms" \
        "$sixPeak" "$found" | tee -a "$table"
done

awk '
    { peak[NR] = $(NF - 3); rms[NR] = $(NF - 2); six[NR] = $(NF - 1); clicks += $NF
      if ($(NF - 3) > 0) over0++; if ($(NF - 3) > -3) over3++; if ($(NF - 1) > -1) sixOver++
      if (NR == 1 || $(NF - 3) > worst) worst = $(NF - 3)
      if (NR == 1 || $(NF - 1) > worstSix) worstSix = $(NF - 1)
      if ($NF > 0) clicky++ }
    END {
        n = NR
        for (i = 1; i <= n; i++) sorted[i] = rms[i]
        for (i = 2; i <= n; i++) { v = sorted[i]; j = i - 1
            while (j > 0 && sorted[j] > v) { sorted[j + 1] = sorted[j]; j-- } sorted[j + 1] = v }
        p10 = sorted[int(0.1 * (n - 1)) + 1]; p50 = sorted[int(0.5 * (n - 1)) + 1]
        p90 = sorted[int(0.9 * (n - 1)) + 1]
        for (i = 1; i <= n; i++) if (rms[i] >= p50 - 3 && rms[i] <= p50 + 3) near++
        printf "\ntriad: %d of %d programs over 0 dBFS, %d over -3 dBFS, loudest %.2f dBFS\n",
            over0, n, over3, worst
        printf "triad RMS 10/50/90th percentile: %.1f / %.1f / %.1f dBFS; %d of %d (%.0f%%) " \
            "within 3 dB of the median\n", p10, p50, p90, near, n, 100 * near / n
        printf "six-note chord: %d programs over -1 dBFS, loudest %.2f dBFS\n", sixOver, worstSix
        printf "phrase: %d clicks in %d programs\n", clicks, clicky
    }' "$table"
