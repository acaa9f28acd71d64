// The tempo map of a song: converts MIDI ticks to seconds and seconds to quarter notes and tempo.
#pragma once

#include <cstdint>
#include <vector>

// Ticks are either a fraction of a quarter note (the usual division, tempo-dependent) or a
// fraction of an SMPTE frame (fixed length in seconds; tempo then only sets the song position in
// quarter notes). The map holds segments of constant tempo, each starting at a tempo change.
class TempoMap
{
public:
    // 500000 microseconds per quarter note = 120 BPM, the tempo of a song that states none.
    static constexpr std::uint32_t kDefaultMicrosecondsPerQuarter = 500000;

    explicit TempoMap(int ticksPerQuarter = 480);
    // SMPTE timing: framesPerSecond 24, 25, 29 (meaning 29.97) or 30, ticksPerFrame 1..255.
    static TempoMap smpte(int framesPerSecond, int ticksPerFrame);

    // A tempo change at tick (microsecondsPerQuarter > 0). Changes may arrive in any order; a
    // later change at the same tick replaces the earlier one.
    void addTempo(std::uint64_t tick, std::uint32_t microsecondsPerQuarter);

    double secondsAt(std::uint64_t tick) const;
    double quartersAtSeconds(double seconds) const;
    double tempoAtSeconds(double seconds) const; // beats per minute

    int ticksPerQuarter() const { return division; }
    bool isSmpte() const { return secondsPerTickSmpte > 0.0; }

private:
    struct Change
    {
        std::uint64_t tick;
        std::uint32_t microsecondsPerQuarter;
    };
    struct Segment
    {
        std::uint64_t startTick;
        double startSeconds;
        double startQuarters;
        double secondsPerTick;
        double quartersPerSecond;
    };

    void rebuild();
    const Segment& segmentAtSeconds(double seconds) const;

    int division;
    double secondsPerTickSmpte = 0.0; // 0 for quarter-note timing
    std::vector<Change> changes;      // sorted by tick, unique ticks
    std::vector<Segment> segments;    // one per change, the first at tick 0
};
