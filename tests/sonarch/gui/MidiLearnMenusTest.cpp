// The MIDI-learn menus: their items, and what each command does to the MIDI-learn table, with the
// dialogs played by a script.
#include "sonarch/gui/MidiLearnMenus.h"

#include "instrument/TavrelSynth.h"
#include "sonarch/midi/MidiLearn.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

using namespace Sonarch::Gui;
using Sonarch::Midi::MidiLearn;
using Sonarch::Midi::MidiLearnListener;

namespace
{

constexpr int kCutoff = 36;
constexpr int kResonance = 37;
constexpr int kEdited = 35; // the parameter whose binding the edit dialog edits

// Keeps one log of the dialogs' calls and the table's learn notifications, in order.
class Script : public MidiLearnDialogs, public MidiLearnListener
{
public:
    bool confirmClearAll() override
    {
        log.push_back("confirm");
        runDuring();
        return agree;
    }
    void importMidiLearn() override
    {
        log.push_back("import");
        runDuring();
    }
    void showAbout() override
    {
        log.push_back("about");
        runDuring();
    }
    bool chooseController(int parameter, int& selection) override
    {
        log.push_back("choose " + std::to_string(parameter) + " from " + std::to_string(selection));
        runDuring();
        if (choice != kKeep)
        {
            selection = choice;
        }
        return agree;
    }
    void learnBegan(MidiLearn*) override { log.push_back("began"); }
    void learnEnded(MidiLearn*) override { log.push_back("ended"); }

    void runDuring()
    {
        if (during)
        {
            during();
        }
    }

    static constexpr int kKeep = -100;
    // What happens while a dialog is open (the user and the audio thread).
    std::function<void()> during;
    bool agree = true;
    int choice = kKeep;
    std::vector<std::string> log;
};

class MidiLearnMenusTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        synth = std::make_unique<TavrelSynth>();
        midiLearn = synth->getMidiLearn();
        midiLearn->addListener(&script);
    }
    void TearDown() override { midiLearn->removeListener(&script); }

    std::unique_ptr<TavrelSynth> synth;
    MidiLearn* midiLearn = nullptr;
    Script script;
};

std::vector<std::string> texts(const std::vector<MenuItem>& items)
{
    std::vector<std::string> result;
    for (const MenuItem& item : items)
    {
        result.push_back(std::to_string(item.command) + " " + item.text);
    }
    return result;
}

TEST_F(MidiLearnMenusTest, TheMainMenuOffersCancelOnlyWhileLearning)
{
    EXPECT_EQ(
        texts(mainMenuItems(false)),
        (std::vector<std::string>{"1 Clear All MIDI Learn", "2 Import MIDI Learn", "4 About..."}));
    EXPECT_EQ(texts(mainMenuItems(true)),
              (std::vector<std::string>{"1 Clear All MIDI Learn", "2 Import MIDI Learn",
                                        "3 Cancel MIDI Learn", "4 About..."}));
    EXPECT_EQ(texts(controlMenuItems()),
              (std::vector<std::string>{"1 Start MIDI Learn", "2 Edit MIDI Learn"}));
}

TEST_F(MidiLearnMenusTest, ClearAllErasesEveryBindingOnlyAfterTheUserAgrees)
{
    midiLearn->map(kCutoff, 74);
    midiLearn->map(kResonance, 71);
    script.agree = false;
    runMainMenuCommand(kClearAllMidiLearn, *midiLearn, script);
    EXPECT_EQ(midiLearn->getController(kCutoff), 74);
    script.agree = true;
    runMainMenuCommand(kClearAllMidiLearn, *midiLearn, script);
    EXPECT_EQ(midiLearn->getController(kCutoff), MidiLearn::kNone);
    EXPECT_EQ(midiLearn->getController(kResonance), MidiLearn::kNone);
    EXPECT_EQ(script.log, (std::vector<std::string>{"confirm", "confirm"}));
}

TEST_F(MidiLearnMenusTest, ImportAboutAndCancelReachTheirActions)
{
    runMainMenuCommand(kImportMidiLearn, *midiLearn, script);
    runMainMenuCommand(kAbout, *midiLearn, script);
    // Cancel ends a learn; without one it tells nobody.
    runMainMenuCommand(kCancelMidiLearn, *midiLearn, script);
    midiLearn->beginLearn();
    runMainMenuCommand(kCancelMidiLearn, *midiLearn, script);
    EXPECT_FALSE(midiLearn->isLearning());
    // A dismissed menu and unknown commands do nothing.
    for (const int command : {0, 5, -1, 1000})
    {
        runMainMenuCommand(command, *midiLearn, script);
        runControlMenuCommand(command, kCutoff, *midiLearn, script);
    }
    EXPECT_EQ(script.log, (std::vector<std::string>{"import", "about", "began", "ended"}));
}

TEST_F(MidiLearnMenusTest, StartMidiLearnBindsTheNextControllerToTheControlsParameter)
{
    runControlMenuCommand(kStartMidiLearn, kCutoff, *midiLearn, script);
    EXPECT_TRUE(midiLearn->isLearning());
    EXPECT_EQ(midiLearn->getLearnTarget(), kCutoff);
    // Starting again on another control while learning retargets without a second notice.
    runControlMenuCommand(kStartMidiLearn, kResonance, *midiLearn, script);
    EXPECT_EQ(midiLearn->getLearnTarget(), kResonance);

    midiLearn->controlChange(74, 100);
    EXPECT_FALSE(midiLearn->isLearning());
    EXPECT_EQ(midiLearn->getController(kResonance), 74);
    EXPECT_EQ(midiLearn->getController(kCutoff), MidiLearn::kNone);
    EXPECT_EQ(script.log, (std::vector<std::string>{"began", "ended"}));
}

TEST_F(MidiLearnMenusTest, EditMidiLearnEndsALearnThenOffersTheCurrentBinding)
{
    midiLearn->map(kCutoff, 74);
    runControlMenuCommand(kStartMidiLearn, kResonance, *midiLearn, script);
    script.choice = 2; // controller 1
    runControlMenuCommand(kEditMidiLearn, kCutoff, *midiLearn, script);
    EXPECT_EQ(script.log, (std::vector<std::string>{"began", "ended", "choose 36 from 75"}));
    EXPECT_FALSE(midiLearn->isLearning());
    EXPECT_EQ(midiLearn->getController(kCutoff), 1);
    EXPECT_EQ(midiLearn->getBindingCount(74), 0);

    // An unbound parameter starts at "None"; choosing controller 127 binds it.
    script.log.clear();
    script.choice = 128;
    editMidiLearn(kResonance, *midiLearn, script);
    EXPECT_EQ(script.log, (std::vector<std::string>{"choose 37 from 0"}));
    EXPECT_EQ(midiLearn->getController(kResonance), 127);
}

TEST_F(MidiLearnMenusTest, NoneUnbindsAndCancelOrNoSelectionChangesNothing)
{
    midiLearn->map(kCutoff, 74);
    script.agree = false;
    script.choice = 0;
    editMidiLearn(kCutoff, *midiLearn, script);
    EXPECT_EQ(midiLearn->getController(kCutoff), 74) << "Cancel";

    script.agree = true;
    for (const int nothingSelected : {-1, 129, 1000})
    {
        script.choice = nothingSelected;
        editMidiLearn(kCutoff, *midiLearn, script);
        EXPECT_EQ(midiLearn->getController(kCutoff), 74) << nothingSelected;
    }
    script.choice = 0;
    editMidiLearn(kCutoff, *midiLearn, script);
    EXPECT_EQ(midiLearn->getController(kCutoff), MidiLearn::kNone) << "None and OK";
    EXPECT_EQ(controllerSelectionOf(*midiLearn, kCutoff), 0);
    midiLearn->map(kCutoff, 0);
    EXPECT_EQ(controllerSelectionOf(*midiLearn, kCutoff), 1);
}

TEST_F(MidiLearnMenusTest, CommandsOfControlsWithSeveralParametersNameEachParameterOnce)
{
    constexpr int kCount = 97;
    for (int parameter = 0; parameter < kCount; ++parameter)
    {
        const ParameterCommand start =
            decodeParameterCommand(startLearnCommandFor(parameter), kCount);
        const ParameterCommand edit =
            decodeParameterCommand(editLearnCommandFor(parameter, kCount), kCount);
        EXPECT_EQ(start.command, kStartMidiLearn);
        EXPECT_EQ(start.parameter, parameter);
        EXPECT_EQ(edit.command, kEditMidiLearn);
        EXPECT_EQ(edit.parameter, parameter);
    }
    for (const int outside : {0, -1, 2 * kCount + 1, 100000})
    {
        EXPECT_EQ(decodeParameterCommand(outside, kCount).command, 0) << outside;
    }
}

// While each dialog of the menus is open, the audio thread moves a bound controller (applied at
// once) and one that a running learn binds: bound at once for the about box, which edits
// nothing, and when the dialog closes for those that edit the bindings (so Clear All does not
// erase it).
TEST_F(MidiLearnMenusTest, ControllersKeepPlayingWhileADialogIsOpenAndALearnedOneIsKept)
{
    struct Case
    {
        const char* what;
        bool mainMenu;
        int command;
        bool boundDuringDialog;
    };
    const std::vector<Case> cases = {
        {"about box", true, kAbout, true},
        {"clear all question", true, kClearAllMidiLearn, false},
        {"import", true, kImportMidiLearn, false},
        {"edit dialog", false, kEditMidiLearn, false},
    };
    for (const Case& c : cases)
    {
        midiLearn->clearAll();
        synth->getBank()->setParameter(kCutoff, 0.25f);
        midiLearn->map(kCutoff, 74);
        float duringDialog = -1.0f;
        int learnedDuringDialog = MidiLearn::kNone;
        script.during = [&]
        {
            std::thread([this] { midiLearn->controlChange(74, 127); }).join();
            // A learn that ends while the dialog is open.
            midiLearn->setLearnTarget(kResonance);
            midiLearn->beginLearn();
            std::thread([this] { midiLearn->controlChange(71, 64); }).join();
            duringDialog = synth->getBank()->getParameter(kCutoff);
            learnedDuringDialog = midiLearn->getController(kResonance);
        };
        if (c.mainMenu)
        {
            runMainMenuCommand(c.command, *midiLearn, script);
        }
        else
        {
            script.choice = 0; // "None" for the edited parameter
            runControlMenuCommand(c.command, kEdited, *midiLearn, script);
        }
        script.during = nullptr;
        script.choice = Script::kKeep;
        EXPECT_EQ(duringDialog, 1.0f) << c.what;
        EXPECT_EQ(learnedDuringDialog, c.boundDuringDialog ? 71 : MidiLearn::kNone) << c.what;
        EXPECT_EQ(midiLearn->getController(kResonance), 71) << c.what;
        EXPECT_FALSE(midiLearn->isLearning()) << c.what;
    }
}

} // namespace
