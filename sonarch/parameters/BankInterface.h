// The single gate through which host, editor and MIDI learn read and change sound settings.
#pragma once

#include "sonarch/parameters/ChunkReader.h"
#include "sonarch/parameters/ChunkWriter.h"

namespace Sonarch::Parameters
{

class BankListener;

// 128 programs of one stored value per parameter. Parameter writes reach the synthesizer and the
// current program; program selection applies a program's stored values. Program indexes lie in
// 0..getProgramCount()-1 and parameter indexes in 0..getParameterCount()-1; an index outside is
// ignored (reads give 0 or an empty text). Texts returned as const char* stay valid until the
// next call of the same operation.
class BankInterface
{
public:
    virtual ~BankInterface() = default;

    virtual void addListener(BankListener* listener) = 0;
    // Removes every entry equal to listener; once it returns, listener is not called any more.
    virtual void removeListener(BankListener* listener) = 0;
    // Each notification calls every listener but except (null skips nobody), in registration
    // order.
    virtual void notifyProgramChanged(BankListener* except) = 0;
    virtual void notifyParameterChanged(BankListener* except, int index) = 0;
    virtual void notifyProgramUpdated(BankListener* except) = 0;
    virtual void notifyBankUpdated(BankListener* except) = 0;

    // Loads the current program from a 772-byte program record and applies it to the
    // synthesizer; false, with nothing changed, when the data are short.
    virtual bool setProgramChunk(ChunkReader& reader) = 0;
    virtual void getProgramChunk(ChunkWriter& writer) = 0;
    // Loads all programs from a 98948-byte bank image and applies the current program; false,
    // with nothing changed, when the data are short.
    virtual bool setBankChunk(ChunkReader& reader) = 0;
    virtual void getBankChunk(ChunkWriter& writer) = 0;

    virtual int getParameterCount() = 0;
    virtual int getProgramCount() = 0;
    virtual int getCurrentProgram() = 0;
    virtual void setCurrentProgram(int program) = 0;
    virtual const char* getProgramName(int program) = 0;
    virtual const char* getCurrentProgramName() = 0;
    // Names are cut to 127 characters.
    virtual void setProgramName(int program, const char* name) = 0;
    virtual void setCurrentProgramName(const char* name) = 0;
    // The index of the parameter with that short name, getParameterCount() when none has it.
    virtual int findParameter(const char* shortName) = 0;
    virtual const char* getParameterName(int index) = 0;
    virtual const char* getParameterLongName(int index) = 0;
    virtual const char* getParameterLabel(int index) = 0;
    // The stored value of a program.
    virtual float getParameter(int program, int index) = 0;
    // The live value from the synthesizer.
    virtual float getParameter(int index) = 0;
    virtual void setParameter(int program, int index, float value) = 0;
    virtual void setParameter(int index, float value) = 0;
    virtual const char* getParameterDisplay(int index) = 0;
    virtual const char* getParameterLongDisplay(int index) = 0;

    // Called around groups of changes; this bank's own data need no lock.
    virtual void lock() = 0;
    virtual void unlock() = 0;
};

} // namespace Sonarch::Parameters
