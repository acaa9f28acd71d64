// Test doubles for the engine: voices and components that record what reaches them.
#pragma once

#include "engine/IEffectComponent.h"
#include "engine/IVoiceFactory.h"
#include "engine/Voice.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

// One recorded call. kind: 'T' trigger(a = previousNote, b = note, c = velocity), 'R' release(a =
// velocity), 'C' controlChange(a = controller, value), 'B' bend(value), 'P' press(value), 'X'
// reset, 'G' process(a = count) of a global component, 'E' effect process(a = left offset, b =
// count, c = right offset, value = left value at the offset). source: voice index, negative for
// components outside the voices; part: position of the recording member in the voice's lists.
struct Call
{
    char kind;
    int source;
    int part;
    int a;
    int b;
    int c;
    float value;
};

// Room is reserved up front, so recording never allocates; calls beyond it are dropped.
struct CallLog
{
    CallLog() { calls.reserve(16384); }
    void add(const Call& call)
    {
        if (calls.size() < calls.capacity())
        {
            calls.push_back(call);
        }
    }
    // The calls of one kind from part 0 (the first part of a voice, or a lone component).
    std::vector<Call> of(char kind) const
    {
        std::vector<Call> found;
        for (const Call& call : calls)
        {
            if (call.kind == kind && call.part == 0)
            {
                found.push_back(call);
            }
        }
        return found;
    }
    std::vector<Call> calls;
};

// Thread checks shared by all voices of one collection.
struct RenderWatch
{
    std::atomic<int> rendering{0};              // voices inside process just now
    std::atomic<int> resetsWhileRendering{0};   // part resets while a voice rendered
    std::atomic<bool> holdRender{false};        // voice 0 waits inside process while set
    std::atomic<bool> holding{false};           // voice 0 is waiting inside process
    std::atomic<std::thread::id> audioThread{}; // when set, resets from other threads count
    std::atomic<int> foreignResets{0};
};

// A member of every list of a test voice; alone, it also serves as a global component.
class RecordingPart : public ISynthComponent,
                      public ITriggerable,
                      public IControllable,
                      public IBendable,
                      public IPressable
{
public:
    RecordingPart(CallLog& callLog, RenderWatch& renderWatch, int sourceIndex, int partIndex)
        : log(callLog), watch(renderWatch), source(sourceIndex), part(partIndex)
    {
    }
    void reset() override
    {
        watch.resetsWhileRendering += watch.rendering.load() > 0 ? 1 : 0;
        const std::thread::id audio = watch.audioThread.load();
        watch.foreignResets += audio != std::thread::id() && audio != std::this_thread::get_id();
        log.add({'X', source, part, 0, 0, 0, 0.0f});
    }
    float getSampleRate() const override { return rate; }
    void setSampleRate(float rateHz) override { rate = rateHz; }
    void process(int count) override { log.add({'G', source, part, count, 0, 0, 0.0f}); }
    const float* getOutput() const override { return nullptr; }
    void trigger(int previousNote, int note, int velocity) override
    {
        log.add({'T', source, part, previousNote, note, velocity, 0.0f});
    }
    void release(int velocity) override { log.add({'R', source, part, velocity, 0, 0, 0.0f}); }
    void controlChange(int controller, float value) override
    {
        log.add({'C', source, part, controller, 0, 0, value});
    }
    void bend(float amount) override { log.add({'B', source, part, 0, 0, 0, amount}); }
    void press(float pressure) override { log.add({'P', source, part, 0, 0, 0, pressure}); }

    float rate = 0.0f;

private:
    CallLog& log;
    RenderWatch& watch;
    int source;
    int part;
};

// One float parameter "T Val" (default 0.25).
class TestParameters : public ParameterList
{
public:
    TestParameters() { addParameter(level); }

private:
    FloatParameter level{"T", "Val", "u", 0.25f, 0.0f, 1.0f, false};
};

// A voice of two recording parts; it adds 1.0 per frame from a trigger until a release or reset.
class TestVoice : public Voice
{
public:
    TestVoice(CallLog& log, RenderWatch& renderWatch, int voiceIndex)
        : first(log, renderWatch, voiceIndex, 0), second(log, renderWatch, voiceIndex, 1),
          watch(renderWatch), index(voiceIndex)
    {
        for (RecordingPart* part : {&first, &second})
        {
            components.push_back(part);
            triggerables.push_back(part);
            controllables.push_back(part);
            bendables.push_back(part);
            pressables.push_back(part);
        }
        append(&parameters);
    }
    void trigger(int previousNote, int note, int velocity) override
    {
        Voice::trigger(previousNote, note, velocity);
        sounding = true;
    }
    void release(int velocity) override
    {
        Voice::release(velocity);
        sounding = false;
    }
    void reset() override
    {
        Voice::reset();
        sounding = false;
    }
    void process(float* buffer, int count) override
    {
        ++watch.rendering;
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(5);
        while (index == 0 && watch.holdRender.load() && std::chrono::steady_clock::now() < giveUp)
        {
            watch.holding = true;
            std::this_thread::yield();
        }
        watch.holding = false;
        for (int i = 0; sounding && i < count; ++i)
        {
            buffer[i] += 1.0f;
        }
        --watch.rendering;
    }
    void processReplacing(float*, int) override {}

    RecordingPart first;
    RecordingPart second;
    TestParameters parameters;
    bool sounding = false;

private:
    RenderWatch& watch;
    int index;
};

// Makes TestVoices numbered in order of creation and keeps a pointer to each.
class TestVoiceFactory : public IVoiceFactory
{
public:
    Voice* createVoice() override
    {
        made.push_back(new TestVoice(log, watch, static_cast<int>(made.size())));
        return made.back();
    }
    CallLog log;
    RenderWatch watch;
    std::vector<TestVoice*> made;
};

// An effect that records where each piece starts in the output buffers (relative to base, the
// outputs handed to render), its size, the left value there, and whether it works in place.
class RecordingEffect : public IEffectComponent
{
public:
    explicit RecordingEffect(CallLog& callLog) : log(callLog) {}
    void reset() override { log.add({'X', -1, 1, 0, 0, 0, 0.0f}); }
    float getSampleRate() const override { return 44100.0f; }
    void setSampleRate(float) override {}
    void process(float** inputs, float** outputs, int count) override
    {
        inPlace = inPlace && inputs == outputs;
        log.add({'E', -1, 0, static_cast<int>(inputs[0] - base[0]), count,
                 static_cast<int>(inputs[1] - base[1]), inputs[0][0]});
    }
    float** base = nullptr;
    bool inPlace = true;

private:
    CallLog& log;
};
