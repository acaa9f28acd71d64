// The plug-in object and its editor: the editor borrows the bank and the MIDI-learn table, so it
// must be gone before the synthesizer that owns them, and changes made in the editor reach the
// host once as automation.
#include "plugin/SynthEffect.h"

#include "instrument/TavrelSynth.h"
#include "sonarch/midi/MidiLearn.h"
#include "sonarch/parameters/BankInterface.h"
#include "vst/AEffEditor.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

using Sonarch::Parameters::BankInterface;
using Sonarch::Parameters::BankListener;

namespace
{

bool synthGone = false;
std::vector<std::pair<int, float>> automations;

class ObservedSynth : public TavrelSynth
{
public:
    ~ObservedSynth() override { synthGone = true; }
};

VstIntPtr VSTCALLBACK host(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr, void*, float opt)
{
    if (opcode == audioMasterAutomate)
    {
        automations.emplace_back(index, opt);
    }
    return opcode == audioMasterVersion ? 2400 : 0;
}

// An editor whose open view listens to the bank, as the real one does: closing it removes the
// listener, which needs the bank.
class ListeningEditor : public AEffEditor, public BankListener
{
public:
    explicit ListeningEditor(BankInterface* listenedBank) : bank(listenedBank) {}
    ~ListeningEditor() override
    {
        synthAliveWhenDeleted = !synthGone;
        close();
    }
    bool getRect(ERect** rect) override
    {
        *rect = nullptr;
        return false;
    }
    bool open(void*) override
    {
        bank->addListener(this);
        isOpen = true;
        return true;
    }
    void close() override
    {
        if (isOpen && !synthGone)
        {
            bank->removeListener(this);
        }
        isOpen = false;
    }
    void idle() override {}
    bool onKeyDown(VstKeyCode&) override { return false; }
    bool onKeyUp(VstKeyCode&) override { return false; }
    bool setKnobMode(VstInt32) override { return false; }

    // A change made on the panel, as the view makes it.
    void turnKnob(int index, float value)
    {
        bank->setParameter(index, value);
        bank->notifyParameterChanged(this, index);
    }

    static bool synthAliveWhenDeleted;

private:
    BankInterface* bank;
    bool isOpen = false;
};

bool ListeningEditor::synthAliveWhenDeleted = false;

TEST(SynthEffectEditorTest, ClosingThePlugInDeletesAnOpenEditorBeforeTheSynthesizer)
{
    synthGone = false;
    ListeningEditor::synthAliveWhenDeleted = false;
    auto synth = std::make_unique<ObservedSynth>();
    auto* effect = new SynthEffect(synth.get(), host);
    synth.release();
    auto* editor = new ListeningEditor(effect->getBank());
    effect->setEditor(editor);
    EXPECT_TRUE(effect->hasFlag(effFlagsHasEditor));
    editor->open(nullptr);

    AEffect* aeffect = effect->getAeffect();
    EXPECT_EQ(aeffect->dispatcher(aeffect, effClose, 0, 0, nullptr, 0.0f), 1);
    EXPECT_TRUE(synthGone);
    EXPECT_TRUE(ListeningEditor::synthAliveWhenDeleted);
}

TEST(SynthEffectEditorTest, APanelChangeReachesTheHostOnceAndAHostChangeNever)
{
    automations.clear();
    auto synth = std::make_unique<TavrelSynth>();
    auto* effect = new SynthEffect(synth.get(), host);
    synth.release();
    auto* editor = new ListeningEditor(effect->getBank());
    effect->setEditor(editor);
    editor->open(nullptr);
    AEffect* aeffect = effect->getAeffect();

    aeffect->setParameter(aeffect, 36, 0.25f);
    EXPECT_TRUE(automations.empty());
    editor->turnKnob(36, 0.75f);
    ASSERT_EQ(automations.size(), 1u);
    EXPECT_EQ(automations[0], std::make_pair(36, 0.75f));
    EXPECT_EQ(aeffect->getParameter(aeffect, 36), 0.75f);

    aeffect->dispatcher(aeffect, effClose, 0, 0, nullptr, 0.0f);
}

} // namespace
