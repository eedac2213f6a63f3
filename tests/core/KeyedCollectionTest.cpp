#include <gtest/gtest.h>

#include "TestUtil.h"
#include "modkit/core/KeyedCollection.h"

using modkit::KeyedCollection;

namespace {
struct Thing {
    int v = 0;
};
using Things = KeyedCollection<Thing>;

std::shared_ptr<Thing> make(int v) {
    auto t = std::make_shared<Thing>();
    t->v = v;
    return t;
}

std::string order(const Things& c) {
    std::string s;
    for (const auto& t : c) s += std::to_string(t->v);
    return s;
}
}  // namespace

TEST(KeyedCollection, PositionsKeysAndInsertion) {
    Things c("Test.Things");
    c.Add(make(1));
    c.Add(make(2), "two");
    c.Add(make(3), "", 1);        // before position 1
    c.Add(make(4), "four", "two");  // before key
    c.Add(make(5), "", "");         // empty before-key appends
    EXPECT_EQ(order(c), "31425");
    EXPECT_EQ(c.Count(), 5);
    EXPECT_EQ(c.Item("two")->v, 2);
    EXPECT_EQ(c.Item(3)->v, 4);
    EXPECT_EQ(c.keyOf(3), "four");
    auto added = c.Add();
    EXPECT_EQ(added->v, 0);
    EXPECT_EQ(c.Item(6), added);  // shared, not a copy

    c.Remove("four");
    c.Remove(1);
    EXPECT_EQ(order(c), "1250");
    EXPECT_MODKIT_ERROR(c.Item("four"), 5);
    c.Add(make(9), "four");  // a removed key is free again
    EXPECT_EQ(c.Item("four")->v, 9);
}

TEST(KeyedCollection, Errors) {
    Things c("Test.Things");
    c.Add(make(1), "a");
    EXPECT_MODKIT_ERROR(c.Item(0), 5);
    EXPECT_MODKIT_ERROR(c.Item(2), 5);
    EXPECT_MODKIT_ERROR(c.Remove(2), 5);
    EXPECT_MODKIT_ERROR(c.Item("b"), 5);
    EXPECT_MODKIT_ERROR(c.Add(make(2), "", 3), 5);
    EXPECT_MODKIT_ERROR(c.Add(make(2), "", "nokey"), 5);
    auto e = testutil::errorOf([&] { c.Add(make(2), "a"); });
    EXPECT_EQ(e.number(), 457);
    EXPECT_EQ(e.source(), "Test.Things");
    EXPECT_EQ(c.Count(), 1);
}

TEST(KeyedCollection, BulkEditsKeepKeysRight) {
    Things c;
    for (int i = 1; i <= 6; ++i) c.Add(make(i), i % 2 ? "k" + std::to_string(i) : "");
    c.retainIf([](int pos, const std::shared_ptr<Thing>&) { return pos % 3 != 0; });
    EXPECT_EQ(order(c), "1245");
    EXPECT_MODKIT_ERROR(c.Item("k3"), 5);
    EXPECT_EQ(c.Item("k5")->v, 5);
    c.insertRange(2, {make(7), make(8)});
    EXPECT_EQ(order(c), "178245");
    c.Remove("k5");
    EXPECT_EQ(order(c), "17824");
}

TEST(KeyedCollection, SpliceRangesInOnePass) {
    Things c("Test");
    for (int i = 1; i <= 6; ++i) c.Add(make(i), i == 2 ? "two" : i == 5 ? "five" : "");
    using S = Things::Splice;
    EXPECT_MODKIT_ERROR(c.spliceRanges({S{3, 1, {}}, S{2, 1, {}}}), 5);  // out of order
    EXPECT_MODKIT_ERROR(c.spliceRanges({S{6, 2, {}}}), 5);               // past the end
    EXPECT_EQ(c.Count(), 6);
    c.spliceRanges({S{1, 0, {make(0)}}, S{2, 2, {make(7), make(8), make(9)}}, S{7, 0, {make(3)}}});
    EXPECT_EQ(order(c), "017894563");
    EXPECT_MODKIT_ERROR(c.Item("two"), 5);
    EXPECT_EQ(c.Item("five")->v, 5);
    c.Add(nullptr, "two");  // the key is free again
}
