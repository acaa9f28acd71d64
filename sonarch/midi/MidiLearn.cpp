// Bindings of MIDI controllers to parameters.
#include "sonarch/midi/MidiLearn.h"

#include "sonarch/parameters/BankInterface.h"

namespace Sonarch::Midi
{

namespace
{
constexpr float kDataByteToNormalised = 1.0f / 127.0f;

bool isDataByte(int value)
{
    return value >= 0 && value <= 127;
}
} // namespace

MidiLearn::MidiLearn(Parameters::BankInterface* targetBank)
    : learning(false),
      learnTarget(0), controllerParameters{}, controllerCounts{}, parameterController{},
      bank(targetBank)
{
    clearLocked();
    for (std::atomic<int>& value : pendingValues)
    {
        value.store(kNone);
    }
}

MidiLearn::~MidiLearn() = default;

bool MidiLearn::isBindable(int parameter) const
{
    const int count = bank != nullptr ? bank->getParameterCount() : kMaxParameters;
    return parameter >= 0 && parameter < kMaxParameters && parameter < count;
}

void MidiLearn::controlChange(int controller, int value)
{
    if (!isDataByte(controller) || !isDataByte(value))
    {
        return;
    }
    // The editor holds the lock only for a moment: a message that meets it is kept, not lost.
    if (!tableLock.tryLock())
    {
        if (learning)
        {
            if (isBindable(learnTarget))
            {
                int none = kNone;
                pendingLearn.compare_exchange_strong(none, learnTarget * 256 + controller);
            }
            endLearn();
            return;
        }
        pendingValues[controller].store(value);
        valuesPending.store(true);
        return;
    }
    applyPendingLocked();
    if (learning)
    {
        learnLocked(controller);
    }
    else
    {
        applyLocked(controller, value);
    }
    tableLock.unlock();
}

void MidiLearn::applyLocked(int controller, int value)
{
    const int count = controllerCounts[controller];
    if (count > 0 && bank != nullptr)
    {
        const float normalised = static_cast<float>(value) * kDataByteToNormalised;
        bank->lock();
        for (int i = 0; i < count; ++i)
        {
            const int parameter = controllerParameters[controller][i];
            bank->setParameter(parameter, normalised);
            bank->notifyParameterChanged(nullptr, parameter);
        }
        bank->unlock();
    }
}

void MidiLearn::learnLocked(int controller)
{
    if (edits.load() > 0 && isBindable(learnTarget))
    {
        int none = kNone;
        pendingLearn.compare_exchange_strong(none, learnTarget * 256 + controller);
    }
    else
    {
        mapLocked(learnTarget, controller);
    }
    endLearn();
}

void MidiLearn::applyPendingLocked()
{
    if (edits.load() == 0)
    {
        const int learned = pendingLearn.exchange(kNone);
        if (learned != kNone)
        {
            mapLocked(learned / 256, learned % 256);
        }
    }
    if (valuesPending.exchange(false))
    {
        for (int controller = 0; controller < kControllerCount; ++controller)
        {
            const int value = pendingValues[controller].exchange(kNone);
            if (value != kNone)
            {
                applyLocked(controller, value);
            }
        }
    }
}

void MidiLearn::lock()
{
    tableLock.lock();
    ++editorHolds;
}

void MidiLearn::unlock()
{
    const bool last = --editorHolds == 0;
    if (last)
    {
        applyPendingLocked();
    }
    tableLock.unlock();
    // The audio thread may have kept something between the look above and the unlock; if the
    // lock is busy again, its holder applies it.
    while (last && (valuesPending.load() || (edits.load() == 0 && pendingLearn.load() != kNone)) &&
           tableLock.tryLock())
    {
        applyPendingLocked();
        tableLock.unlock();
    }
}

void MidiLearn::beginEdit()
{
    edits.fetch_add(1);
}

void MidiLearn::endEdit()
{
    if (edits.load() > 0)
    {
        edits.fetch_sub(1);
    }
    // Binds what was learned during the edit.
    Hold hold(*this);
}

void MidiLearn::beginLearn()
{
    if (!learning.exchange(true))
    {
        listeners.forEach(nullptr,
                          [this](MidiLearnListener* listener) { listener->learnBegan(this); });
    }
}

void MidiLearn::endLearn()
{
    if (learning.exchange(false))
    {
        listeners.forEach(nullptr,
                          [this](MidiLearnListener* listener) { listener->learnEnded(this); });
    }
}

void MidiLearn::map(int parameter, int controller)
{
    Hold hold(*this);
    mapLocked(parameter, controller);
}

void MidiLearn::mapLocked(int parameter, int controller)
{
    if (!isBindable(parameter) || !isDataByte(controller))
    {
        return;
    }
    unmapLocked(parameter);
    // A parameter is in at most one list, so a list never holds more than kMaxParameters.
    controllerParameters[controller][controllerCounts[controller]++] = parameter;
    parameterController[parameter] = controller;
}

void MidiLearn::unmap(int parameter)
{
    Hold hold(*this);
    unmapLocked(parameter);
}

void MidiLearn::unmapLocked(int parameter)
{
    if (parameter < 0 || parameter >= kMaxParameters)
    {
        return;
    }
    const int controller = parameterController[parameter];
    if (controller == kNone)
    {
        return;
    }
    parameterController[parameter] = kNone;
    int* list = controllerParameters[controller];
    int& count = controllerCounts[controller];
    for (int i = 0; i < count; ++i)
    {
        if (list[i] == parameter)
        {
            for (int j = i + 1; j < count; ++j)
            {
                list[j - 1] = list[j];
            }
            --count;
            break;
        }
    }
}

void MidiLearn::clearAll()
{
    Hold hold(*this);
    clearLocked();
}

void MidiLearn::clearLocked()
{
    for (int& count : controllerCounts)
    {
        count = 0;
    }
    for (int& controller : parameterController)
    {
        controller = kNone;
    }
}

int MidiLearn::getController(int parameter) const
{
    if (parameter < 0 || parameter >= kMaxParameters)
    {
        return kNone;
    }
    return parameterController[parameter];
}

int MidiLearn::getBindingCount(int controller) const
{
    return isDataByte(controller) ? controllerCounts[controller] : 0;
}

int MidiLearn::getBoundParameter(int controller, int position) const
{
    if (!isDataByte(controller) || position < 0 || position >= controllerCounts[controller])
    {
        return kNone;
    }
    return controllerParameters[controller][position];
}

void MidiLearn::write(Parameters::ChunkWriter& writer)
{
    ScopedLock guard(tableLock);
    for (int controller = 0; controller < kControllerCount; ++controller)
    {
        const int count = controllerCounts[controller];
        writer.appendInt32(count);
        for (int i = 0; i < count; ++i)
        {
            writer.appendInt32(controllerParameters[controller][i]);
        }
    }
}

bool MidiLearn::read(Parameters::ChunkReader& reader)
{
    ScopedLock guard(tableLock);
    clearLocked();
    for (int controller = 0; controller < kControllerCount; ++controller)
    {
        std::int32_t count = 0;
        if (!reader.readInt32(count) || count < 0 || count > kMaxParameters)
        {
            return false;
        }
        // Each index takes 4 bytes, so a count larger than the data left ends at the data's end.
        for (std::int32_t i = 0; i < count; ++i)
        {
            std::int32_t parameter = 0;
            if (!reader.readInt32(parameter))
            {
                return false;
            }
            mapLocked(parameter, controller);
        }
    }
    return true;
}

} // namespace Sonarch::Midi
