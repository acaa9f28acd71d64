// An integer 0..max that selects one item of a table of texts.
#pragma once

#include "parameters/IntegerParameter.h"

class EnumParameter : public IntegerParameter
{
public:
    // itemTexts and longItemTexts (optional) hold max + 1 zero-terminated texts each and outlive
    // the parameter. The item index is kept inside 0..max whatever value arrives.
    EnumParameter(const char* prefix, const char* parameterName, const char* unitLabel,
                  float defaultNorm, int maxValue, const char* const* itemTexts,
                  const char* const* longItemTexts = nullptr);

    // The item text, cut to 7 characters.
    void getDisplay(char* text) const override;
    // The long item text (the short one where there is none), cut to 23 characters.
    void getLongDisplay(char* text) const;
    int getItemCount() const { return range + 1; }

protected:
    void update() override;

private:
    const char* const* items;
    const char* const* longItems;
};
