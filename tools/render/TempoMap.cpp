// Tick, time and song-position conversions over segments of constant tempo.
#include "tools/render/TempoMap.h"

#include <algorithm>

TempoMap::TempoMap(int ticksPerQuarter) : division(ticksPerQuarter > 0 ? ticksPerQuarter : 480)
{
    rebuild();
}

TempoMap TempoMap::smpte(int framesPerSecond, int ticksPerFrame)
{
    TempoMap map(1);
    const double fps = framesPerSecond == 29 ? 30000.0 / 1001.0 : framesPerSecond;
    map.secondsPerTickSmpte = 1.0 / (fps * std::max(ticksPerFrame, 1));
    map.rebuild();
    return map;
}

void TempoMap::addTempo(std::uint64_t tick, std::uint32_t microsecondsPerQuarter)
{
    if (microsecondsPerQuarter == 0)
    {
        return;
    }
    auto at =
        std::lower_bound(changes.begin(), changes.end(), tick,
                         [](const Change& change, std::uint64_t t) { return change.tick < t; });
    if (at != changes.end() && at->tick == tick)
    {
        at->microsecondsPerQuarter = microsecondsPerQuarter;
    }
    else
    {
        changes.insert(at, Change{tick, microsecondsPerQuarter});
    }
    rebuild();
}

void TempoMap::rebuild()
{
    segments.clear();
    Segment current{0, 0.0, 0.0, 0.0, 0.0};
    auto setTempo = [&](std::uint32_t microseconds)
    {
        const double secondsPerQuarter = microseconds * 1.0e-6;
        current.quartersPerSecond = 1.0 / secondsPerQuarter;
        current.secondsPerTick =
            isSmpte() ? secondsPerTickSmpte : secondsPerQuarter / static_cast<double>(division);
    };
    setTempo(kDefaultMicrosecondsPerQuarter);
    for (const Change& change : changes)
    {
        if (change.tick == 0)
        {
            setTempo(change.microsecondsPerQuarter);
            continue;
        }
        segments.push_back(current);
        const double seconds =
            current.startSeconds +
            static_cast<double>(change.tick - current.startTick) * current.secondsPerTick;
        current.startQuarters += (seconds - current.startSeconds) * current.quartersPerSecond;
        current.startSeconds = seconds;
        current.startTick = change.tick;
        setTempo(change.microsecondsPerQuarter);
    }
    segments.push_back(current);
}

double TempoMap::secondsAt(std::uint64_t tick) const
{
    auto after =
        std::upper_bound(segments.begin(), segments.end(), tick,
                         [](std::uint64_t t, const Segment& s) { return t < s.startTick; });
    const Segment& segment = *(after - 1); // the first segment starts at tick 0
    return segment.startSeconds +
           static_cast<double>(tick - segment.startTick) * segment.secondsPerTick;
}

const TempoMap::Segment& TempoMap::segmentAtSeconds(double seconds) const
{
    auto after =
        std::upper_bound(segments.begin(), segments.end(), seconds,
                         [](double s, const Segment& segment) { return s < segment.startSeconds; });
    return after == segments.begin() ? segments.front() : *(after - 1);
}

double TempoMap::quartersAtSeconds(double seconds) const
{
    const Segment& segment = segmentAtSeconds(seconds);
    return segment.startQuarters + (seconds - segment.startSeconds) * segment.quartersPerSecond;
}

double TempoMap::tempoAtSeconds(double seconds) const
{
    return segmentAtSeconds(seconds).quartersPerSecond * 60.0;
}
