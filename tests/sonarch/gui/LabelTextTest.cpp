// The label's text buffer: long texts are cut to 1023 characters, null is empty.
#include "sonarch/gui/LabelText.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using Sonarch::Gui::LabelText;

namespace
{

TEST(LabelTextTest, KeepsAtMost1023CharactersAndReplacesTheOldText)
{
    auto label = std::make_unique<LabelText>();
    EXPECT_STREQ(label->get(), "");
    label->set("Filter Cutoff\n1234 Hz");
    EXPECT_STREQ(label->get(), "Filter Cutoff\n1234 Hz");
    label->set("Res");
    EXPECT_STREQ(label->get(), "Res");

    const std::string longText(2000, 'x');
    label->set(longText.c_str());
    EXPECT_EQ(std::string(label->get()), longText.substr(0, 1023));
    const std::string exact(1023, 'y');
    label->set(exact.c_str());
    EXPECT_EQ(std::string(label->get()), exact);

    label->set(nullptr);
    EXPECT_STREQ(label->get(), "");
}

} // namespace
