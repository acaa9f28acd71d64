// The synthesizer's bank of 128 programs, over its top-level parameter collection.
#pragma once

#include "base/Relaxed.h"
#include "base/TextField.h"
#include "instrument/BankImage.h"
#include "parameters/IProgrammable.h"
#include "sonarch/parameters/BankBase.h"

// Holds the programs in the stored layout; the chunks are this image serialised field by field.
// Parameter writes go to the synthesizer and to the current program's stored value; selecting a
// program applies its stored values. Indexes from outside (host, editor, MIDI learn) are
// checked: a program outside 0..127 or a parameter outside 0..getParameterCount()-1 changes
// nothing, and reads of one give 0 or an empty text. Stored values are kept as given (not
// clamped): the parameters make such values safe when they are applied.
//
// Threads: host and editor calls on the user-interface thread, setParameter and
// notifyParameterChanged also on the audio thread (MIDI learn). The bank takes no lock.
class TavrelBank : public Sonarch::Parameters::BankBase
{
public:
    // Every program takes the synthesizer's current values; synth is borrowed and not null.
    explicit TavrelBank(IProgrammable* synthesizer);
    // Stores the synthesizer's current values in every program. The constructor does it once; an
    // owner that appends its parameters to the collection only after building the bank calls it
    // again when the collection is complete.
    void fillFromSynthesizer();
    TavrelBank(const TavrelBank&) = delete;
    TavrelBank& operator=(const TavrelBank&) = delete;

    // Loads name and values of a 772-byte record into the current program and applies it;
    // version and identifier are ignored. False, with nothing changed, when fewer bytes remain.
    bool setProgramChunk(Sonarch::Parameters::ChunkReader& reader) override;
    void getProgramChunk(Sonarch::Parameters::ChunkWriter& writer) override;
    // Loads names and values of all programs from a 98948-byte image and applies the current
    // program; the bank keeps its own version and identifiers. False, with nothing changed, when
    // fewer bytes remain. The reader is left just after the image.
    bool setBankChunk(Sonarch::Parameters::ChunkReader& reader) override;
    void getBankChunk(Sonarch::Parameters::ChunkWriter& writer) override;

    // The synthesizer's count, limited to the 128 value slots of a program.
    int getParameterCount() override;
    int getProgramCount() override { return kBankProgramSlots; }
    int getCurrentProgram() override { return currentProgram; }
    void setCurrentProgram(int program) override;
    const char* getProgramName(int program) override;
    const char* getCurrentProgramName() override;
    void setProgramName(int program, const char* programName) override;
    void setCurrentProgramName(const char* programName) override;
    // Compares the first 8 characters of each short name.
    int findParameter(const char* shortName) override;
    const char* getParameterName(int index) override;
    const char* getParameterLongName(int index) override;
    const char* getParameterLabel(int index) override;
    float getParameter(int program, int index) override;
    float getParameter(int index) override;
    void setParameter(int program, int index, float value) override;
    void setParameter(int index, float value) override;
    const char* getParameterDisplay(int index) override;
    const char* getParameterLongDisplay(int index) override;

    // The raw stored form, for inspection.
    const BankImage& getImage() const { return image; }

private:
    bool isProgram(int program) const { return program >= 0 && program < kBankProgramSlots; }
    bool isParameter(int index);
    void applyCurrentProgram();

    // Sources (borrowed)
    IProgrammable* synth;
    // State
    BankImage image;
    Relaxed<int> currentProgram;
    const char* const* longNames;
    // Buffers: filled by the text operations, overwritten by the next call of the same one.
    char name[kShortTextSize];
    char label[kShortTextSize];
    char display[kShortTextSize];
    char longDisplay[kLongTextSize];
};
