// Routing of flat parameter indexes through collections of programmables.
#include "parameters/ProgrammableCollection.h"
#include "engine/ComponentCollection.h"
#include "parameters/FloatParameter.h"
#include "parameters/ParameterList.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace
{

// A programmable with n float parameters named "<tag> <i>"; records every change it is told of.
class Block : public ParameterList
{
public:
    Block(const char* tag, int parameterTotal)
    {
        for (int i = 0; i < parameterTotal; ++i)
        {
            const std::string ownName = std::to_string(i);
            parameters.push_back(std::make_unique<FloatParameter>(tag, ownName.c_str(), "u", 0.0f,
                                                                  0.0f, 1.0f, false));
            addParameter(*parameters.back());
        }
    }
    std::vector<int> changed;

protected:
    void parameterChanged(int index) override { changed.push_back(index); }

private:
    std::vector<std::unique_ptr<FloatParameter>> parameters;
};

std::string nameAt(const IProgrammable& programmable, int index)
{
    char text[8] = "unset";
    programmable.getName(index, text);
    return text;
}

// A sound-less component that counts its calls, optionally with parameters.
class CountingComponent : public ISynthComponent
{
public:
    void reset() override { ++resets; }
    float getSampleRate() const override { return rate; }
    void setSampleRate(float rateHz) override { rate = rateHz; }
    void process(int count) override { processed.push_back(count); }
    const float* getOutput() const override { return nullptr; }
    int resets = 0;
    float rate = 0.0f;
    std::vector<int> processed;
};

class ProgrammableComponent : public CountingComponent, public Block
{
public:
    ProgrammableComponent(const char* tag, int parameterTotal) : Block(tag, parameterTotal) {}
};

class GainEffect : public IEffectComponent, public Block
{
public:
    explicit GainEffect(float factor) : Block("G", 1), gain(factor) {}
    void reset() override {}
    float getSampleRate() const override { return 0.0f; }
    void setSampleRate(float) override {}
    void process(float** inputs, float** outputs, int frames) override
    {
        for (int i = 0; i < frames; ++i)
        {
            outputs[0][i] = inputs[0][i] * gain;
            outputs[1][i] = inputs[1][i] + 1.0f;
        }
    }
    float gain;
};

} // namespace

TEST(ProgrammableCollectionTest, RoutesFlatIndexesThroughNestedCollectionsToChildAndLocalIndex)
{
    Block a("A", 1);
    Block b("B", 2);
    Block c("C", 12);
    Block tail("T", 2);
    ProgrammableCollection inner;
    inner.append(&a);
    inner.append(nullptr);
    inner.append(&b);
    inner.append(&c);
    ProgrammableCollection outer;
    outer.append(&inner);
    outer.append(&tail);

    EXPECT_EQ(outer.getParameterCount(), 17);
    const std::pair<int, const char*> names[] = {{0, "A 0"},  {1, "B 0"},    {2, "B 1"},
                                                 {3, "C 0"},  {14, "C 11"},  {15, "T 0"},
                                                 {16, "T 1"}, {17, "unset"}, {-1, "unset"}};
    for (const auto& [index, name] : names)
    {
        EXPECT_EQ(nameAt(outer, index), name) << index;
    }

    outer.setValue(14, 0.25f);
    EXPECT_FLOAT_EQ(c.getValue(11), 0.25f);
    EXPECT_FLOAT_EQ(outer.getValue(14), 0.25f);
    EXPECT_EQ(c.changed, std::vector<int>{11});
    outer.setValue(17, 1.0f);
    outer.resetParameter(-1);
    EXPECT_EQ(outer.getValue(17), 0.0f);
    EXPECT_TRUE(a.changed.empty());
    EXPECT_TRUE(tail.changed.empty());
}

TEST(ComponentCollections, RunMembersInOrderAndJoinOnlyProgrammables)
{
    CountingComponent plain;
    ProgrammableComponent first("P", 3);
    ProgrammableComponent second("Q", 5);
    SynthComponentCollection collection;
    collection.add(&first);
    collection.add(&plain);
    collection.add(&second);

    EXPECT_EQ(collection.getParameterCount(), 8);
    EXPECT_EQ(nameAt(collection, 3), "Q 0");

    collection.process(64);
    collection.setSampleRate(48000.0f);
    collection.reset();
    for (CountingComponent* member : {static_cast<CountingComponent*>(&first), &plain,
                                      static_cast<CountingComponent*>(&second)})
    {
        EXPECT_EQ(member->processed, std::vector<int>{64});
        EXPECT_EQ(member->rate, 48000.0f);
        EXPECT_EQ(member->resets, 1);
    }
    EXPECT_EQ(collection.getSampleRate(), 48000.0f);
    for (int i = 0; i < kMaxBlockFrames; ++i)
    {
        ASSERT_EQ(collection.getOutput()[i], 0.0f);
    }

    SynthComponentCollection empty;
    empty.process(8192);
    EXPECT_EQ(empty.getParameterCount(), 0);
}

TEST(ComponentCollections, EffectsWorkInPlaceInOrder)
{
    float left[2] = {1.0f, 2.0f};
    float right[2] = {0.0f, 0.0f};
    float* channels[2] = {left, right};

    EffectComponentCollection none;
    none.process(channels, channels, 2);
    EXPECT_EQ(left[1], 2.0f);
    EXPECT_EQ(right[0], 0.0f);

    GainEffect doubler(2.0f);
    GainEffect tripler(3.0f);
    EffectComponentCollection chain;
    chain.add(&doubler);
    chain.add(&tripler);
    chain.process(channels, channels, 2);
    EXPECT_EQ(left[1], 12.0f);
    EXPECT_EQ(right[0], 2.0f);
    EXPECT_EQ(chain.getParameterCount(), 2);
}
