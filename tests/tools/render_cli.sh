#!/usr/bin/env bash
# End-to-end checks of the tavrel-render program: renders through a third-party instrument,
# preset round trips, listings, and a message with a non-zero exit for every bad input.
#   render_cli.sh CASE BIN_DIR SOURCE_DIR
# BIN_DIR holds tavrel-render, tavrel-wavcheck, tavrel.so and the test effect plug-in.
set -uo pipefail

case_name="$1"
bin="$2"
source_dir="$3"
render="$bin/tavrel-render"
wavcheck="$bin/tavrel-wavcheck"
tavrel="$bin/tavrel.so"
effect="$bin/tavrel_test_effect.so"
amsynth=/usr/lib/vst/amsynth_vst.so
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
failures=0

fail() {
    echo "FAIL: $*"
    failures=$((failures + 1))
}

# Runs the tool; its exit status lands in $status, its output in out.txt and err.txt.
run() {
    "$render" "$@" > out.txt 2> err.txt
    status=$?
}

expect_ok() {
    run "$@"
    if [ "$status" -ne 0 ]; then
        fail "tavrel-render $* exited $status: $(cat err.txt)"
    fi
}

# Bad input: a non-zero status below 128 (no crash) and a message naming the problem.
expect_error() {
    local pattern="$1"
    shift
    run "$@"
    if [ "$status" -eq 0 ] || [ "$status" -ge 128 ]; then
        fail "tavrel-render $* exited $status (a non-zero status without a crash expected)"
    elif ! grep -q "tavrel-render: .*$pattern" err.txt; then
        fail "tavrel-render $*: message '$(cat err.txt)' does not match '$pattern'"
    fi
}

need_amsynth() {
    if [ ! -f "$amsynth" ]; then
        echo "FAIL: $amsynth is missing (scripts/install-deps.sh installs amsynth)"
        exit 1
    fi
    # In the sanitized build: amsynth never frees some of its own allocations, and its module is
    # unloaded before the leak report, so they cannot be suppressed by name. Leaks of the tool
    # itself are found by the other cases, which host only our own plug-ins.
    export ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0"
}

song() {
    python3 "$source_dir/tools/demo/make_demo.py" "$1" || fail "the demo generator failed"
}

case "$case_name" in
amsynth_render)
    need_amsynth
    song demo.mid
    for format in 16 24 float; do
        expect_ok demo.mid -p "$amsynth" -o "demo-$format.wav" --format "$format" \
            --channel-map "$(python3 "$source_dir/tools/demo/make_demo.py" --channel-map)" \
            --gain -6
        "$wavcheck" --min-peak -40 "demo-$format.wav" || fail "demo-$format.wav is silent or not finite"
        grep -q "left .*peak" out.txt || fail "no summary printed"
        grep -q "real time" out.txt || fail "no real-time factor printed"
    done
    # The same input gives the same file twice.
    expect_ok demo.mid -p "$amsynth" -o again.wav --format float \
        --channel-map "$(python3 "$source_dir/tools/demo/make_demo.py" --channel-map)" --gain -6
    cmp -s demo-float.wav again.wav || fail "two renders of the same song differ"
    # Quick input, another rate and block size, a fixed tail of exactly one second:
    # 4 beats at 120 BPM (2 s) plus 1 s at 48000 Hz is 144001 frames.
    expect_ok -p "$amsynth" --notes "C4+E4+G4:2 A3 C5" --rate 48000 --block 100 --tail 1 \
        -o notes.wav -q
    "$wavcheck" notes.wav > check.txt || fail "notes.wav is silent or not finite"
    grep -q "144001 frames" check.txt || fail "fixed tail: $(head -1 check.txt)"
    [ ! -s out.txt ] || fail "--quiet still printed: $(cat out.txt)"
    [ ! -s err.txt ] || grep -qv "tavrel-render" err.txt || fail "progress on a non-terminal"
    ;;

amsynth_presets)
    need_amsynth
    # Chunk kind: a changed parameter survives save, load into a fresh instance, and save.
    # (Program 1 has a name: amsynth cannot read back its own chunk of an unnamed program.)
    expect_ok -p "$amsynth" --program 1 --save-fxb default.fxb --save-fxp default.fxp
    expect_ok -p "$amsynth" --program 1 --param amp_attack=0.75 --save-fxb changed.fxb \
        --save-fxp changed.fxp
    cmp -s default.fxb changed.fxb && fail "the changed parameter did not reach the bank"
    expect_ok -p "$amsynth" --fxb changed.fxb --save-fxb reloaded.fxb
    cmp -s changed.fxb reloaded.fxb || fail "a chunk bank does not survive --fxb and --save-fxb"
    expect_ok -p "$amsynth" --fxp changed.fxp --list-params
    grep -Eq "amp_attack +s +[^ ]+ +0\.75" out.txt || fail "--fxp did not restore amp_attack"
    # Parameter-list kind, program file.
    expect_ok -p "$amsynth" --param amp_attack=0.25 --save-as-params --save-fxp params.fxp
    [ "$(head -c 12 params.fxp | tail -c 4)" = "FxCk" ] || fail "params.fxp is not of the FxCk kind"
    expect_ok -p "$amsynth" --fxp params.fxp --list-params
    grep -Eq "amp_attack +s +[^ ]+ +0\.25" out.txt || fail "an FxCk program did not load"
    # A bank of another plug-in is refused.
    expect_error "belongs to plug-in ID" -p "$tavrel" --fxb changed.fxb --list-params
    ;;

tavrel_presets)
    expect_ok -p "$tavrel" --list-params
    grep -q "^97 parameters" out.txt || fail "tavrel.so: $(head -1 out.txt)"
    [ "$(grep -Ec '^ +[0-9]+  ' out.txt)" -eq 97 ] || fail "tavrel.so: not 97 parameter rows"
    expect_ok -p "$tavrel" --list-programs
    grep -q "^128 programs" out.txt || fail "tavrel.so: $(head -1 out.txt)"
    expect_ok -p "$tavrel" --save-fxb bank.fxb --save-fxp program.fxp
    expect_ok -p "$tavrel" --fxb bank.fxb --fxp program.fxp --save-fxb again.fxb
    cmp -s bank.fxb again.fxb || fail "tavrel.so: the bank does not survive a round trip"
    expect_ok -p "$tavrel" --save-as-params --save-fxb params.fxb
    expect_ok -p "$tavrel" --fxb params.fxb --save-as-params --save-fxb params-again.fxb
    cmp -s params.fxb params-again.fxb || fail "tavrel.so: a parameter bank does not round-trip"
    ;;

tavrel_demo)
    song demo.mid
    map=$(python3 "$source_dir/tools/demo/make_demo.py" --channel-map)
    run demo.mid -p "$tavrel" -o one.wav --channel-map "$map" -q
    [ "$status" -eq 0 ] || fail "tavrel.so demo render exited $status: $(cat err.txt)"
    "$wavcheck" --min-peak -40 one.wav || fail "the demo through tavrel.so is silent or not finite"
    expect_ok demo.mid -p "$tavrel" -o two.wav --channel-map "$map" -q
    cmp -s one.wav two.wav || fail "two renders of the demo through tavrel.so differ"
    # A WAV stream on standard output carries the same samples as the file.
    "$render" demo.mid -p "$tavrel" -o - --channel-map "$map" -q 2> err.txt | cat > stream.wav
    cmp -s <(tail -c +45 one.wav) <(tail -c +45 stream.wav) || fail "-o - differs from the file"
    "$wavcheck" stream.wav > /dev/null || fail "the stream does not read back: $(cat err.txt)"
    # A link is written through: the file it names gets the render, the link stays a link.
    touch target.wav && ln -s target.wav link.wav
    expect_ok --notes C4 -p "$tavrel" -o link.wav -q
    [ -L link.wav ] && [ -s target.wav ] || fail "-o through a symbolic link replaced the link"
    # Normalisation puts the peak where asked, and the JSON summary says so.
    expect_ok demo.mid -p "$tavrel" -o norm.wav --normalize -3 --json
    python3 -c 'import json,sys; s=json.load(open("out.txt")); sys.exit(abs(max(s["peakDbfs"]) + 3) > 0.01)' ||
        fail "--normalize -3: $(cat out.txt)"
    # A program change plays the program it names; --ignore-program-changes keeps program 0.
    printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\17\0\300\30\0\220\74\144\140\200\74\0\0\377\57\0' > pc.mid
    expect_ok pc.mid -p "$tavrel" -o pc.wav
    grep -q "channel  1: program 24 " out.txt || fail "the program change was not applied: $(cat out.txt)"
    expect_ok pc.mid -p "$tavrel" -o nopc.wav --ignore-program-changes
    grep -q "channel  1: program 0 " out.txt || fail "--ignore-program-changes: $(cat out.txt)"
    cmp -s pc.wav nopc.wav && fail "a program change does not change the sound"
    # SIGTERM during a render removes the partial file and says so in the exit status.
    "$render" --notes C4 -p "$tavrel" --rate 192000 --tail 600 -o long.wav -q 2> err.txt &
    sleep 1
    kill -TERM $!
    wait $!
    status=$?
    [ "$status" -eq 143 ] || fail "SIGTERM: exit status $status: $(cat err.txt)"
    ls long.wav* > /dev/null 2>&1 && fail "SIGTERM left $(ls long.wav*)"
    # A plug-in that crashes is named in one line and leaves no file.
    TAVREL_TEST_CRASH=1 "$render" --notes C4 -p "$effect" -o crash.wav 2> err.txt
    status=$?
    [ "$status" -ge 128 ] || fail "the crashing plug-in: exit status $status"
    grep -q "crashed while hosting" err.txt || fail "the crash was not reported: $(cat err.txt)"
    ls crash.wav* > /dev/null 2>&1 && fail "the crash left $(ls crash.wav*)"
    ;;

errors)
    song good.mid
    printf 'not a plug-in\n' > text.so
    printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\10\0\220\74' > truncated.mid
    printf 'RIFF\0\0\0\6\0\0\0\1\0\140' > wrongmagic.mid
    printf 'MThd\0\0\0\6\0\1\0\2\0\140MTrk\177\377\377\377' > absurd.mid
    printf 'MThd\0\0\0\6\0\0\0\1\0\140MTrk\0\0\0\4\0\377\57\0' > empty.mid
    "$render" -p "$tavrel" --save-fxb bank.fxb --save-fxp program.fxp 2> /dev/null ||
        fail "could not save the presets the damage cases start from"
    head -c 100 bank.fxb > truncated.fxb
    { printf 'XXXX'; tail -c +5 bank.fxb; } > wrongmagic.fxb
    # Tavrel keeps its state in chunks: an absurd chunk size, and in files of the parameter-list
    # kind an absurd program or parameter count.
    { head -c 156 bank.fxb; printf '\177\377\377\377'; tail -c +161 bank.fxb; } > absurd.fxb
    head -c 40 program.fxp > truncated.fxp
    { head -c 56 program.fxp; printf '\177\377\377\377'; tail -c +61 program.fxp; } > absurd.fxp
    "$render" -p "$tavrel" --save-as-params --save-fxb params.fxb --save-fxp params.fxp 2> /dev/null ||
        fail "could not save the parameter-list presets"
    { head -c 24 params.fxb; printf '\177\377\377\377'; tail -c +29 params.fxb; } > absurdcount.fxb
    { head -c 24 params.fxp; printf '\177\377\377\377'; tail -c +29 params.fxp; } > absurdcount.fxp

    # Plug-in files.
    expect_error "no such plug-in" good.mid -p missing.so
    expect_error "not a plug-in (neither" good.mid -p text.so
    if [ -f /usr/lib/dssi/amsynth_dssi.so ]; then
        expect_error "not a VST 2.4 plug-in" good.mid -p /usr/lib/dssi/amsynth_dssi.so
    fi
    expect_error "not an instrument" good.mid -p "$effect"
    expect_error "is a directory" --list-params -p "$work"
    python3 -c 'import sys; sys.stdout.buffer.write(b"MZ" + bytes(58) + b"\x40\0\0\0" + b"PE\0\0\x64\x86" + bytes(64))' > win.dll
    expect_error "64-bit Windows DLL.*Wine" --list-params -p win.dll
    printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0\3\0\3\0' > elf32.so
    expect_error "32-bit shared library" --list-params -p elf32.so
    # A bare name is the file in the current folder, else one found in VST_PATH.
    cp "$tavrel" copy.so && mkdir -p vst && cp "$tavrel" vst/found.so
    expect_ok -p copy.so --list-programs
    VST_PATH="$work/vst" expect_ok -p found.so --list-programs
    grep -q "found in $work/vst" out.txt || fail "the VST_PATH search is not reported: $(cat out.txt)"
    expect_error "looked in the current folder" -p nowhere.so --list-programs
    # MIDI files.
    expect_error "No such file" missing.mid -p "$tavrel"
    expect_error "truncated" truncated.mid -p "$tavrel"
    expect_error "not a MIDI file" wrongmagic.mid -p "$tavrel"
    expect_error "runs past the end" absurd.mid -p "$tavrel"
    expect_error "no notes" empty.mid -p "$tavrel"
    expect_error "is a directory" "$work" -p "$tavrel"
    # Preset files.
    expect_error "No such file" --fxb missing.fxb --list-params -p "$tavrel"
    expect_error "truncated" --fxb truncated.fxb --list-params -p "$tavrel"
    expect_error "magic" --fxb wrongmagic.fxb --list-params -p "$tavrel"
    expect_error "chunk of" --fxb absurd.fxb --list-params -p "$tavrel"
    expect_error "programs do not fit" --fxb absurdcount.fxb --list-params -p "$tavrel"
    expect_error "truncated" --fxp truncated.fxp --list-params -p "$tavrel"
    expect_error "chunk of" --fxp absurd.fxp --list-params -p "$tavrel"
    expect_error "parameters do not fit" --fxp absurdcount.fxp --list-params -p "$tavrel"
    expect_error "magic" --fxb good.mid --list-params -p "$tavrel"
    # Options, and names only the plug-in can check.
    expect_error "nothing to do"
    expect_error "unknown option" good.mid --loud
    expect_error "outside 8000" good.mid --rate 100
    expect_error "not a whole number" good.mid --block 1.5
    expect_error "not 16, 24 or float" good.mid --format 8
    expect_error "needs a value" good.mid --program
    expect_error "no program named" --list-params -p "$tavrel" --program "No Such Program"
    [ "$status" -eq 2 ] || fail "a program the plug-in does not have: exit $status, not 2"
    expect_error "only WAV files" good.mid -o good.flac
    [ "$status" -eq 2 ] || fail "an output extension not written: exit $status, not 2"
    expect_error "does not exist" --list-params -p "$tavrel" --program 128
    expect_error "no parameter named" --list-params -p "$tavrel" --param nonesuch=0.5
    expect_error "outside 0 to 1" --list-params -p "$tavrel" --param 3=2
    expect_error "No such file" --save-fxb /nonexistent-dir/x.fxb -p "$tavrel"
    ;;

*)
    echo "unknown case $case_name"
    exit 2
    ;;
esac

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed"
    exit 1
fi
echo "all checks passed"
