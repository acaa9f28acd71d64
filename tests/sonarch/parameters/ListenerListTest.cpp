// The fixed-capacity listener list: order, skipping, duplicates, capacity.
#include "sonarch/parameters/ListenerList.h"

#include <gtest/gtest.h>

#include <vector>

using Sonarch::Parameters::ListenerList;

namespace
{

struct Probe
{
    int id;
};

std::vector<int> walk(const ListenerList<Probe, 4>& list, const Probe* except = nullptr)
{
    std::vector<int> ids;
    list.forEach(except, [&ids](Probe* probe) { ids.push_back(probe->id); });
    return ids;
}

TEST(ListenerListTest, KeepsRegistrationOrderAndSkipsTheExcepted)
{
    ListenerList<Probe, 4> list;
    Probe a{1}, b{2}, c{3};
    EXPECT_TRUE(list.add(&a));
    EXPECT_TRUE(list.add(&b));
    EXPECT_TRUE(list.add(&c));
    EXPECT_EQ(walk(list), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(walk(list, &b), (std::vector<int>{1, 3}));

    list.remove(&a);
    EXPECT_EQ(walk(list), (std::vector<int>{2, 3}));
    EXPECT_TRUE(list.add(&a));
    EXPECT_EQ(walk(list), (std::vector<int>{2, 3, 1}));
}

TEST(ListenerListTest, DuplicatesAreAllRemovedAndAFullListRefuses)
{
    ListenerList<Probe, 4> list;
    Probe a{1}, b{2};
    EXPECT_FALSE(list.add(nullptr));
    EXPECT_TRUE(list.add(&a));
    EXPECT_TRUE(list.add(&b));
    EXPECT_TRUE(list.add(&a));
    EXPECT_TRUE(list.add(&b));
    EXPECT_FALSE(list.add(&a));
    EXPECT_EQ(list.size(), 4);
    EXPECT_EQ(walk(list, &a), (std::vector<int>{2, 2}));

    list.remove(&a);
    EXPECT_EQ(walk(list), (std::vector<int>{2, 2}));
    list.remove(&b);
    EXPECT_EQ(list.size(), 0);
    EXPECT_TRUE(walk(list).empty());
}

} // namespace
