// The command tree's item model, without windows.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

#include "CommandLists.h"
#include "MainWindowFixture.h"
#include "editors/BGLCommandTree.h"

using fettle::BGLCommandTree;
using modkit::BGLOpcode;
using testcmds::cmd;

namespace {

std::shared_ptr<modkit::BGLCommandList> listOf(std::vector<std::shared_ptr<modkit::BGLCommand>> cmds) {
    auto l = std::make_shared<modkit::BGLCommandList>();
    for (auto& c : cmds) l->Add(c);
    return l;
}

// IFIN1 over a material, a triangle list of two, a line list of one; an
// animation with two jumps; the end.
std::shared_ptr<modkit::BGLCommandList> drawLists() {
    auto anim = cmd(BGLOpcode::BGL_ANIMATE, {"0", "12", "0", "6", "0", "0", "0"});
    anim->setJumpDest(1, 9);
    anim->setJumpDest(3, 3);
    return listOf({cmd(BGLOpcode::IFIN1, {"24", "827", "0", "5000"}, 9),
                   cmd(BGLOpcode::SET_MATERIAL, {"1", "-1"}),
                   cmd(BGLOpcode::DRAW_TRI_LIST_BEGIN, {"0", "3", "4"}),
                   cmd(BGLOpcode::DRAW_TRI_LIST_ITEM, {"0", "1", "2"}),
                   cmd(BGLOpcode::DRAW_TRI_LIST_ITEM, {"2", "1", "3"}),
                   cmd(BGLOpcode::DRAW_LINE_LIST_BEGIN, {"0", "2", "1"}),
                   cmd(BGLOpcode::DRAW_LINE_LIST_ITEM, {"0", "1"}),
                   anim,
                   cmd(BGLOpcode::BGL_END)});
}

std::vector<int> childrenOf(const BGLCommandTree& t, int position) {
    std::vector<int> out;
    QModelIndex node = t.nodeOf(position);
    for (int r = 0; r < t.rowCount(node); ++r) out.push_back(BGLCommandTree::positionOf(t.index(r, 0, node)));
    return out;
}

std::string text(const BGLCommandTree& t, int position, int role = Qt::DisplayRole) {
    return t.data(t.nodeOf(position), role).toString().toStdString();
}

}  // namespace

TEST(CommandTree, CommandsHangUnderTheirParentsOrTheRootWithTheirKeysAndNames) {
    auto list = drawLists();
    BGLCommandTree t;
    QAbstractItemModelTester tester(&t, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(t.rowCount(), 1);
    EXPECT_EQ(text(t, 0), "MDL Object");
    EXPECT_EQ(text(t, 0, BGLCommandTree::KeyRole), "root");
    EXPECT_TRUE(childrenOf(t, 0).empty());

    // Parents not linked yet: a flat list under the root.
    t.setCommands(list);
    EXPECT_EQ(childrenOf(t, 0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9}));

    list->processParent();
    t.setCommands(list);
    EXPECT_EQ(childrenOf(t, 0), (std::vector<int>{1, 2, 3, 6, 8, 9}));
    EXPECT_EQ(childrenOf(t, 3), (std::vector<int>{4, 5}));
    EXPECT_EQ(childrenOf(t, 6), (std::vector<int>{7}));
    EXPECT_EQ(t.parent(t.nodeOf(5)), t.nodeOf(3));
    EXPECT_EQ(t.nodeOf(5).row(), 1);
    EXPECT_EQ(text(t, 3, BGLCommandTree::KeyRole) + " " + text(t, 3) + " " + text(t, 9), "3opc DRAW_TRI_LIST_BEGIN BGL_END");
    EXPECT_EQ(text(t, 9, Qt::ToolTipRole), "Command 9");
    EXPECT_FALSE(t.nodeOf(10).isValid());  // other bad indexes are the model tester's

    // Parents that do not come first go under the root.
    list->Item(2)->setParent(2);   // itself
    list->Item(4)->setParent(9);   // a later command
    list->Item(5)->setParent(-3);
    list->Item(7)->setParent(100000);
    list->Item(8)->setParent(3);   // an earlier command of any kind
    t.setCommands(list);
    EXPECT_EQ(childrenOf(t, 0), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 9}));
    EXPECT_EQ(childrenOf(t, 3), (std::vector<int>{8}));
}

TEST(CommandTree, JumpTargetsAreMarkedAndParametersListed) {
    auto list = drawLists();
    list->processParent();
    BGLCommandTree t;
    t.setCommands(list);
    const QColor white(Qt::white), red(192, 64, 64);
    auto colour = [&](int p) { return t.data(t.nodeOf(p), Qt::BackgroundRole).value<QColor>(); };

    EXPECT_EQ(t.jumpTargets(1), std::vector<int>{9});
    EXPECT_EQ(t.jumpTargets(8), (std::vector<int>{9, 3}));
    EXPECT_TRUE(t.jumpTargets(2).empty() && t.jumpTargets(0).empty());

    std::vector<QModelIndex> repainted;
    QObject::connect(&t, &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& a, const QModelIndex&) { repainted.push_back(a); });
    t.setHighlighted(t.jumpTargets(8));
    EXPECT_EQ((std::vector<QColor>{colour(9), colour(3), colour(0), colour(4)}), (std::vector<QColor>{red, red, white, white}));
    EXPECT_EQ(repainted.size(), 2u);  // only the nodes that changed
    t.setHighlighted(t.jumpTargets(1));
    EXPECT_EQ(colour(3), white);

    // Destinations outside the list are not shown as targets.
    for (int outside : {0, 10}) {
        list->Item(1)->setJumpDest(0, outside);
        EXPECT_TRUE(t.jumpTargets(1).empty()) << outside;
    }

    using Rows = std::vector<std::pair<int, std::string>>;
    EXPECT_EQ(t.parameters(1), (Rows{{0, "24"}, {1, "33B"}, {2, "0"}, {3, "5000"}}));
    EXPECT_EQ(t.parameters(7), (Rows{{0, "0"}, {1, "1"}}));
    EXPECT_TRUE(t.parameters(0).empty());  // the root; BGL_END's none are the window test's

    // A new list forgets the marks.
    t.setCommands(list);
    EXPECT_EQ(colour(9), white);
    EXPECT_TRUE(t.highlighted().empty());
}

TEST(CommandTree, AListChangedInPlaceIsNeverReadPastItsEnd) {
    // Edits change the model's list before the window hears of it, and the
    // view may paint in between: stale rows show nothing instead of failing.
    auto list = drawLists();
    list->processParent();
    BGLCommandTree t;
    t.setCommands(list);
    list->removeWithJumpUpdate({2, 4, 5});
    ASSERT_EQ(list->Count(), 6);
    EXPECT_EQ(t.commandCount(), 9);
    EXPECT_EQ(text(t, 6), "BGL_END");
    EXPECT_EQ(text(t, 9), "");
    EXPECT_EQ(t.command(7), nullptr);
    EXPECT_TRUE(t.parameters(8).empty());
    EXPECT_TRUE(t.jumpTargets(8).empty());
    t.setHighlighted({9});
    EXPECT_EQ(t.rowCount(t.nodeOf(3)), 2);  // the index itself stays whole until rebuilt
    t.setCommands(list);
    EXPECT_EQ(childrenOf(t, 0), (std::vector<int>{1, 2, 3, 4, 5, 6}));
}

int main(int argc, char** argv) { return testutil::runTests(argc, argv, true); }
