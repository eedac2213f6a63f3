#include "editors/frmBGLC.h"

#include <QHeaderView>
#include <QSplitter>
#include <QTableWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include "editors/BGLCommandTree.h"
#include "modkit/core/MDLObject.h"
#include "shell/Form1.h"

namespace fettle {

frmBGLC::frmBGLC(Form1& form) : ToolWindow(form, "frmBGLC", "BGL Command List", "mViewList_3") {
    tree_ = new BGLCommandTree(this);

    auto* split = new QSplitter(Qt::Horizontal, this);
    trv_ = new QTreeView(split);
    trv_->setObjectName("trvBGLC");
    trv_->setAccessibleName("BGL commands");
    trv_->setHeaderHidden(true);
    trv_->setUniformRowHeights(true);  // half a million rows are laid out without measuring each
    trv_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    trv_->setModel(tree_);

    grd_ = new QTableWidget(0, 2, split);
    grd_->setObjectName("grdProp");
    grd_->setAccessibleName("Parameters of the selected command");
    grd_->setHorizontalHeaderLabels({"Parameter", "Value"});
    grd_->verticalHeader()->setVisible(false);
    grd_->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);  // the columns share the width
    grd_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grd_->setSelectionBehavior(QAbstractItemView::SelectRows);
    split->setStretchFactor(0, 3);
    split->setStretchFactor(1, 2);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->addWidget(split);
    resize(640, 480);

    // Arrow keys select as well as clicks.
    connect(trv_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& current) { nodeSelected(current); });
}

void frmBGLC::modelLoaded() {
    // The old model's list goes at once, with the selection and opened lists.
    tree_->setCommands(nullptr);
    grd_->setRowCount(0);
}

void frmBGLC::refresh() {
    const int selected = BGLCommandTree::positionOf(trv_->currentIndex());
    // Only commands with children can be open; there are far fewer of those.
    std::vector<int> open;
    for (int i = 1; i <= tree_->commandCount(); ++i)
        if (tree_->rowCount(tree_->nodeOf(i)) > 0 && trv_->isExpanded(tree_->nodeOf(i))) open.push_back(i);

    std::shared_ptr<modkit::BGLCommandList> list;
    if (modkit::MDLObject* m = model()) {
        list = m->BGLCommandList();
        list->processParent();
    }
    tree_->setCommands(list);
    trv_->expand(tree_->nodeOf(0));
    for (int p : open) trv_->expand(tree_->nodeOf(p));
    grd_->setRowCount(0);
    if (list && selected >= 1 && selected <= list->Count()) selectCommand(selected);
}

void frmBGLC::selectCommand(int position) {
    QModelIndex node = tree_->nodeOf(position);
    if (!node.isValid()) return;
    trv_->setCurrentIndex(node);
    trv_->scrollTo(node);
    nodeSelected(node);
}

void frmBGLC::nodeSelected(const QModelIndex& node) {
    const int position = BGLCommandTree::positionOf(node);
    std::vector<int> targets = tree_->jumpTargets(position);
    tree_->setHighlighted(targets);
    // A target inside a closed list is opened, so its colour can be seen.
    for (int t : targets) trv_->expand(tree_->parent(tree_->nodeOf(t)));

    grd_->setRowCount(0);
    const auto params = tree_->parameters(position);
    grd_->setRowCount(static_cast<int>(params.size()));
    for (size_t r = 0; r < params.size(); ++r) {
        auto* index = new QTableWidgetItem(QString::number(params[r].first));
        auto* value = new QTableWidgetItem(QString::fromStdString(params[r].second));
        grd_->setItem(static_cast<int>(r), 0, index);
        grd_->setItem(static_cast<int>(r), 1, value);
    }
    // Jump parameters say where they land.
    if (const modkit::BGLCommand* cmd = tree_->command(position)) {
        const modkit::BGLCommandDictEntry& e = modkit::BGLOpcodeDictionary::entry(cmd->opcodeValue());
        for (size_t r = 0; r < params.size(); ++r)
            if (e.isJump[r])
                grd_->item(static_cast<int>(r), 1)->setToolTip(QStringLiteral("Jumps to command %1").arg(cmd->jumpDest(static_cast<int>(r))));
    }
}

}  // namespace fettle
