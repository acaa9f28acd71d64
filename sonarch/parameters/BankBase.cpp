// Listener registration and change notification of a bank.
#include "sonarch/parameters/BankBase.h"

namespace Sonarch::Parameters
{

void BankBase::addListener(BankListener* listener)
{
    listeners.add(listener);
}

void BankBase::removeListener(BankListener* listener)
{
    listeners.remove(listener);
}

void BankBase::notifyProgramChanged(BankListener* except)
{
    const int program = getCurrentProgram();
    listeners.forEach(except, [this, program](BankListener* listener)
                      { listener->programChanged(this, program); });
}

void BankBase::notifyParameterChanged(BankListener* except, int index)
{
    const float value = getParameter(index);
    listeners.forEach(except, [this, index, value](BankListener* listener)
                      { listener->parameterChanged(this, index, value); });
}

void BankBase::notifyProgramUpdated(BankListener* except)
{
    listeners.forEach(except, [this](BankListener* listener) { listener->programUpdated(this); });
}

void BankBase::notifyBankUpdated(BankListener* except)
{
    listeners.forEach(except, [this](BankListener* listener) { listener->bankUpdated(this); });
}

} // namespace Sonarch::Parameters
