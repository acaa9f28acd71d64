// Checks of the instance life cycle as odd hosts drive it: many instances at once, a thousand
// instances made and closed, sample-rate and block-size changes between every block, processing
// before the first resume and after a suspend, and effClose straight after creation.
#include "tests/host/Checks.h"
#include "tests/host/HostSession.h"
#include "tests/host/Signal.h"
#include "tests/support/Analysis.h"

#include <cmath>
#include <memory>
#include <vector>

namespace HostCheck
{

namespace
{

using TestAnalysis::allFinite;
using TestAnalysis::peak;

bool finite(const Stereo& out)
{
    return allFinite(out.left.data(), out.frames()) && allFinite(out.right.data(), out.frames());
}

// processReplacing called directly, outside a session's bookkeeping: 64 frames with NaN guards.
bool renderRaw(AEffect* effect, VstInt32 frames)
{
    std::vector<float> left(static_cast<std::size_t>(frames) + 2, NAN);
    std::vector<float> right(static_cast<std::size_t>(frames) + 2, NAN);
    std::fill(left.begin() + 1, left.end() - 1, 0.0f);
    std::fill(right.begin() + 1, right.end() - 1, 0.0f);
    float* outputs[2] = {left.data() + 1, right.data() + 1};
    effect->processReplacing(effect, nullptr, outputs, frames);
    bool ok = std::isnan(left.front()) && std::isnan(left.back()) && std::isnan(right.front()) &&
              std::isnan(right.back());
    for (VstInt32 i = 1; i <= frames; ++i)
    {
        ok = ok && std::isfinite(left[static_cast<std::size_t>(i)]) &&
             std::isfinite(right[static_cast<std::size_t>(i)]);
    }
    return ok;
}

void checkManyInstances()
{
    // Thirty-two instances at once, rendered block by block in turn: each keeps its own state, so
    // the ones that play the same notes sound the same, sample for sample.
    constexpr int kInstances = 32;
    std::vector<std::unique_ptr<HostSession>> sessions;
    for (int i = 0; i < kInstances; ++i)
    {
        sessions.push_back(std::make_unique<HostSession>());
        if (!CHECK(sessions.back()->isOpen()))
        {
            return;
        }
        sessions.back()->selectProgram(i % 4 == 0 ? 24 : 13);
        sessions.back()->noteOn(0, 45 + (i % 2) * 12);
    }
    std::vector<Stereo> outputs(kInstances);
    for (int block = 0; block < 40; ++block)
    {
        for (int i = 0; i < kInstances; ++i)
        {
            const Stereo out = sessions[static_cast<std::size_t>(i)]->render(512);
            Stereo& all = outputs[static_cast<std::size_t>(i)];
            all.left.insert(all.left.end(), out.left.begin(), out.left.end());
            all.right.insert(all.right.end(), out.right.begin(), out.right.end());
        }
    }
    int finiteCount = 0;
    int sounding = 0;
    for (const Stereo& out : outputs)
    {
        finiteCount += finite(out) ? 1 : 0;
        sounding += peak(out.left.data(), out.frames()) > 0.01 ? 1 : 0;
    }
    CHECK(finiteCount == kInstances);
    CHECK(sounding == kInstances);
    // Instances 1 and 3 play the same program and note, and so do 4 and 12.
    CHECK(outputs[1].left == outputs[3].left && outputs[1].right == outputs[3].right);
    CHECK(outputs[4].left == outputs[12].left);
    CHECK(outputs[1].left != outputs[2].left);
}

void checkThousandInstances()
{
    // A host scanning folders, or loading and unloading a project, makes and closes instances
    // over and over; half of them never get past effOpen.
    int made = 0;
    for (int i = 0; i < 1000; ++i)
    {
        HostedPlugin host;
        if (!host.create(HostSession::getEntry()))
        {
            continue;
        }
        ++made;
        if (i % 2 == 0)
        {
            host.dispatch(effOpen);
            host.dispatch(effMainsChanged, 0, 1);
        }
        host.close();
    }
    CHECK(made == 1000);
}

void checkCloseAtOnce()
{
    // effClose with nothing before it, not even effOpen.
    HostedPlugin host;
    if (CHECK(host.create(HostSession::getEntry())))
    {
        CHECK(host.close() == 1);
    }
}

void checkProcessingOutsideResume()
{
    // Processing before the first effMainsChanged, and calls of every kind after a suspend.
    HostedPlugin host;
    if (!CHECK(host.create(HostSession::getEntry())))
    {
        return;
    }
    AEffect* effect = host.effect();
    CHECK(renderRaw(effect, 256));
    host.dispatch(effOpen);
    CHECK(renderRaw(effect, 256));
    host.dispatch(effMainsChanged, 0, 1);
    CHECK(renderRaw(effect, 256));
    host.dispatch(effMainsChanged, 0, 0);
    effect->setParameter(effect, 36, 0.3f);
    CHECK(effect->getParameter(effect, 36) == 0.3f);
    void* chunk = nullptr;
    const VstIntPtr bytes = host.dispatch(effGetChunk, 0, 0, &chunk);
    CHECK(bytes >= 98948 && chunk != nullptr);
    if (chunk != nullptr && bytes > 0)
    {
        std::vector<unsigned char> copy(static_cast<unsigned char*>(chunk),
                                        static_cast<unsigned char*>(chunk) + bytes);
        CHECK(host.dispatch(effSetChunk, 0, bytes, copy.data()) == 1);
    }
    CHECK(renderRaw(effect, 256));
    host.dispatch(effSetSampleRate, 0, 0, nullptr, 96000.0f);
    host.dispatch(effSetBlockSize, 0, 64);
    CHECK(renderRaw(effect, 64));
    host.dispatch(effStopProcess);
    host.dispatch(effMainsChanged, 0, 0);
    host.dispatch(effMainsChanged, 0, 0);
    CHECK(renderRaw(effect, 128));
    CHECK(host.close() == 1);
}

void checkChangesBetweenBlocks()
{
    // A new sample rate and block size before every block, with and without the suspend and
    // resume that hosts should send around them; the note keeps sounding, finite, and is in
    // tune once the rate settles.
    HostSession session;
    if (!CHECK(session.isOpen()))
    {
        return;
    }
    session.useTestTone();
    session.noteOn(0, 69);
    const float rates[] = {44100.0f, 22050.0f, 96000.0f, 48000.0f, 192000.0f, 8000.0f, 88200.0f};
    const VstInt32 blocks[] = {1, 17, 512, 4096, 8192, 3, 700};
    bool allFinite = true;
    for (int block = 0; block < 140; ++block)
    {
        const bool suspend = block % 3 == 0;
        if (suspend)
        {
            session.dispatch(effMainsChanged, 0, 0);
        }
        session.setSampleRate(rates[block % 7]);
        session.setBlockSize(blocks[(block / 7) % 7]);
        if (suspend)
        {
            session.dispatch(effMainsChanged, 0, 1);
        }
        allFinite = finite(session.render(session.getBlockSize())) && allFinite;
    }
    CHECK(allFinite);
    CHECK(session.guardDamage() == 0);
    session.setSampleRate(48000.0f);
    session.setBlockSize(512);
    session.noteOn(0, 69);
    const Stereo settled = session.render(24000);
    const double hz = peakFrequency(settled.left.data() + 12000, 12000, 440.0, 48000.0);
    CHECK_MSG(std::fabs(cents(hz, 440.0)) < 1.0, format("%.3f Hz", hz));
}

} // namespace

void checkLifecycle()
{
    checkManyInstances();
    checkThousandInstances();
    checkCloseAtOnce();
    checkProcessingOutsideResume();
    checkChangesBetweenBlocks();
}

} // namespace HostCheck
