// tavrel-stress: two threads drive one plug-in instance as a host does, for a bounded time. The
// audio thread sends random MIDI and renders blocks of random length, checking every sample is
// finite; the user-interface thread sets parameters, changes programs, saves and loads bank and
// program chunks (some with MIDI-learn bindings the MIDI then moves), renames programs and reads
// parameter texts. A watchdog fails the run when either thread stops making progress (a deadlock)
// for several seconds. With --editor (Windows), the user-interface thread also opens the editor
// in a window of its own, pumps its messages and sends idle ticks throughout.
//   tavrel-stress [--seconds S] [--seed N] [--editor] PLUGIN
#include "tools/host/HostCallback.h"
#include "tools/host/PluginLibrary.h"

#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace
{

std::atomic<long> audioBlocks{0};
std::atomic<long> userCalls{0};
std::atomic<long> nonFinite{0};
std::atomic<bool> running{true};
std::atomic<bool> editorFailed{false};
std::atomic<long> editorOpenings{0};

struct EventList
{
    VstInt32 numEvents;
    VstIntPtr reserved;
    VstEvent* events[16];
};

void audioThread(AEffect* effect, unsigned seed)
{
    std::mt19937 random(seed);
    std::vector<float> left(4096);
    std::vector<float> right(4096);
    VstMidiEvent events[16] = {};
    while (running.load(std::memory_order_relaxed))
    {
        const VstInt32 frames = 1 + static_cast<VstInt32>(random() % 2048);
        EventList list{};
        list.numEvents = static_cast<VstInt32>(random() % 8);
        for (VstInt32 i = 0; i < list.numEvents; ++i)
        {
            VstMidiEvent& event = events[i];
            event = VstMidiEvent{};
            event.type = kVstMidiType;
            event.byteSize = sizeof(VstMidiEvent);
            event.deltaFrames = static_cast<VstInt32>(random() % static_cast<unsigned>(frames));
            static const unsigned char kinds[] = {0x90, 0x80, 0xB0, 0xE0, 0xD0, 0x90};
            event.midiData[0] = static_cast<char>(kinds[random() % 6] | (random() % 2));
            // Controllers 1, 7 and 74 carry the bindings the user-interface thread loads.
            static const unsigned char controllers[] = {1, 7, 64, 74, 120, 123};
            const bool control = (event.midiData[0] & 0xF0) == 0xB0;
            event.midiData[1] =
                static_cast<char>(control ? controllers[random() % 6] : 24 + random() % 72);
            event.midiData[2] = static_cast<char>(random() % 128);
            list.events[i] = reinterpret_cast<VstEvent*>(&event);
        }
        effect->dispatcher(effect, effProcessEvents, 0, 0, &list, 0.0f);
        float* outputs[2] = {left.data(), right.data()};
        effect->processReplacing(effect, nullptr, outputs, frames);
        for (VstInt32 i = 0; i < frames; ++i)
        {
            if (!std::isfinite(left[static_cast<std::size_t>(i)]) ||
                !std::isfinite(right[static_cast<std::size_t>(i)]))
            {
                nonFinite.fetch_add(1, std::memory_order_relaxed);
            }
        }
        audioBlocks.fetch_add(1, std::memory_order_relaxed);
    }
}

// A bank chunk with a MIDI-learn table: cutoff and resonance on controller 74, the master level
// on 7, oscillator 1's detune on the modulation wheel.
std::vector<std::uint8_t> withBindings(const std::uint8_t* bank)
{
    std::vector<std::uint8_t> chunk(bank, bank + 98948);
    chunk[0] = 0xE6; // version 1510, little-endian
    chunk[1] = 0x05;
    chunk[2] = 0;
    chunk[3] = 0;
    for (int controller = 0; controller < 128; ++controller)
    {
        std::vector<std::int32_t> entry;
        if (controller == 74)
        {
            entry = {2, 36, 37};
        }
        else if (controller == 7)
        {
            entry = {1, 96};
        }
        else if (controller == 1)
        {
            entry = {1, 3};
        }
        else
        {
            entry = {0};
        }
        for (std::int32_t value : entry)
        {
            for (int byte = 0; byte < 4; ++byte)
            {
                chunk.push_back(
                    static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) >> (8 * byte)));
            }
        }
    }
    return chunk;
}

void userInterfaceThread(AEffect* effect, unsigned seed, bool withEditor)
{
    std::mt19937 random(seed);
    char text[256];
#ifdef _WIN32
    // The editor's windows belong to this thread, which must create its parent and pump.
    HWND window = nullptr;
    if (withEditor)
    {
        window = CreateWindowExA(0, "STATIC", "Tavrel stress", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 840, 830, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        if (window == nullptr || effect->dispatcher(effect, effEditOpen, 0, 0, window, 0.0f) == 0)
        {
            editorFailed = true;
        }
    }
#else
    if (withEditor)
    {
        editorFailed = true; // no editor on this platform
    }
#endif
    while (running.load(std::memory_order_relaxed))
    {
#ifdef _WIN32
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
#endif
        switch (random() % 9)
        {
        case 0:
            effect->setParameter(effect, static_cast<VstInt32>(random() % 97),
                                 static_cast<float>(random() % 1001) / 1000.0f);
            break;
        case 1:
            effect->dispatcher(effect, effSetProgram, 0, static_cast<VstIntPtr>(random() % 128),
                               nullptr, 0.0f);
            break;
        case 2:
        {
            const VstInt32 isProgram = static_cast<VstInt32>(random() % 2);
            void* data = nullptr;
            const VstIntPtr size =
                effect->dispatcher(effect, effGetChunk, isProgram, 0, &data, 0.0f);
            if (data != nullptr && size > 0)
            {
                std::vector<std::uint8_t> copy(static_cast<std::uint8_t*>(data),
                                               static_cast<std::uint8_t*>(data) + size);
                if (isProgram == 0 && size >= 98948 && random() % 2 == 0)
                {
                    copy = withBindings(copy.data());
                }
                effect->dispatcher(effect, effSetChunk, isProgram,
                                   static_cast<VstIntPtr>(copy.size()), copy.data(), 0.0f);
            }
            break;
        }
        case 3:
            std::snprintf(text, sizeof text, "Stress %u", static_cast<unsigned>(random() % 1000));
            effect->dispatcher(effect, effSetProgramName, 0, 0, text, 0.0f);
            break;
        case 4:
            effect->dispatcher(effect, effGetProgramName, 0, 0, text, 0.0f);
            effect->dispatcher(effect, effGetProgramNameIndexed,
                               static_cast<VstInt32>(random() % 128), 0, text, 0.0f);
            break;
        case 5:
        {
            const VstInt32 index = static_cast<VstInt32>(random() % 97);
            effect->dispatcher(effect, effGetParamName, index, 0, text, 0.0f);
            effect->dispatcher(effect, effGetParamLabel, index, 0, text, 0.0f);
            effect->dispatcher(effect, effGetParamDisplay, index, 0, text, 0.0f);
            (void)effect->getParameter(effect, index);
            break;
        }
        case 6:
            effect->dispatcher(effect, effEditIdle, 0, 0, nullptr, 0.0f);
            break;
        case 7:
#ifdef _WIN32
            // Now and then the host closes the editor and opens it again, while the audio thread
            // goes on notifying the bank's listeners.
            if (window != nullptr && random() % 8 == 0)
            {
                effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
                if (effect->dispatcher(effect, effEditOpen, 0, 0, window, 0.0f) == 0)
                {
                    editorFailed = true;
                }
                ++editorOpenings;
            }
#endif
            break;
        default:
            std::this_thread::sleep_for(std::chrono::microseconds(random() % 500));
            break;
        }
        userCalls.fetch_add(1, std::memory_order_relaxed);
    }
#ifdef _WIN32
    if (window != nullptr)
    {
        effect->dispatcher(effect, effEditClose, 0, 0, nullptr, 0.0f);
        DestroyWindow(window);
    }
#endif
}

} // namespace

int main(int argc, char** argv)
{
    double seconds = 5.0;
    unsigned seed = 20261208;
    const char* path = nullptr;
    bool withEditor = false;
    for (int i = 1; i < argc; ++i)
    {
        if (std::strcmp(argv[i], "--editor") == 0)
        {
            withEditor = true;
        }
        else if (std::strcmp(argv[i], "--seconds") == 0 && i + 1 < argc)
        {
            seconds = std::atof(argv[++i]);
        }
        else if (std::strcmp(argv[i], "--seed") == 0 && i + 1 < argc)
        {
            seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 10));
        }
        else if (path == nullptr && argv[i][0] != '-')
        {
            path = argv[i];
        }
        else
        {
            path = nullptr;
            break;
        }
    }
    if (path == nullptr || !(seconds > 0.0 && seconds <= 3600.0))
    {
        std::fprintf(stderr, "usage: tavrel-stress [--seconds S] [--seed N] [--editor] PLUGIN\n");
        return 2;
    }
    PluginLibrary library;
    if (!library.load(path))
    {
        std::fprintf(stderr, "tavrel-stress: %s\n", library.error().c_str());
        return 1;
    }
    HostedPlugin host;
    if (!host.create(library.findEntry()))
    {
        std::fprintf(stderr, "tavrel-stress: %s gave no instance\n", path);
        return 1;
    }
    AEffect* effect = host.effect();
    host.dispatch(effOpen);
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 44100.0f);
    host.dispatch(effSetBlockSize, 0, 2048);
    host.dispatch(effMainsChanged, 0, 1);
    host.dispatch(effStartProcess);

    std::printf("two threads for %.1f s (seed %u)%s\n", seconds, seed,
                withEditor ? ", the editor open" : "");
    std::thread audio(audioThread, effect, seed);
    std::thread user(userInterfaceThread, effect, seed + 1, withEditor);

    // The watchdog: both threads must make progress within every stretch of 5 s.
    const auto start = std::chrono::steady_clock::now();
    auto lastProgress = start;
    long lastAudio = -1;
    long lastUser = -1;
    bool deadlock = false;
    while (std::chrono::steady_clock::now() - start < std::chrono::duration<double>(seconds))
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        const long audioNow = audioBlocks.load(std::memory_order_relaxed);
        const long userNow = userCalls.load(std::memory_order_relaxed);
        const auto now = std::chrono::steady_clock::now();
        if (audioNow != lastAudio && userNow != lastUser)
        {
            lastAudio = audioNow;
            lastUser = userNow;
            lastProgress = now;
        }
        else if (now - lastProgress > std::chrono::seconds(5))
        {
            deadlock = true;
            break;
        }
    }
    if (deadlock)
    {
        // The threads cannot be joined; report and leave at once.
        std::printf("FAILED: no progress for 5 s (audio blocks %ld, user-interface calls %ld): "
                    "a deadlock\n",
                    audioBlocks.load(), userCalls.load());
        std::fflush(stdout);
        std::_Exit(1);
    }
    running = false;
    audio.join();
    user.join();
    host.dispatch(effStopProcess);
    host.dispatch(effMainsChanged, 0, 0);
    host.close();
    std::printf("%ld audio blocks, %ld user-interface calls, %ld samples not finite\n",
                audioBlocks.load(), userCalls.load(), nonFinite.load());
    if (withEditor)
    {
        std::printf("the editor was closed and opened again %ld times\n", editorOpenings.load());
    }
    if (editorFailed)
    {
        std::printf("FAILED: the editor did not open\n");
    }
    const bool passed =
        nonFinite.load() == 0 && audioBlocks.load() > 0 && userCalls.load() > 0 && !editorFailed;
    if (passed)
    {
        std::printf("host stress passed\n");
    }
    return passed ? 0 : 1;
}
