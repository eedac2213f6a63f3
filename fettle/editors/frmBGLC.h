#pragma once
#include "editors/ToolWindow.h"

class QTableWidget;
class QTreeView;

namespace fettle {

class BGLCommandTree;

// "BGL Command List": the current model's command stream as a tree, each
// command under the one that contains it, the selected command's parameters
// and the commands its jumps lead to. Read-only.
class frmBGLC : public ToolWindow {
    Q_OBJECT
public:
    explicit frmBGLC(Form1& form);

    QTreeView& trvBGLC() { return *trv_; }
    QTableWidget& grdProp() { return *grd_; }
    BGLCommandTree& tree() { return *tree_; }
    // Selects the node of command position (0: the root) and shows it.
    void selectCommand(int position);

protected:
    // Shows the current model again, keeping the selected and opened commands.
    void refresh() override;
    uint32_t shownParts() const override { return modkit::partCommands; }
    void modelLoaded() override;

private:
    void nodeSelected(const QModelIndex& node);

    QTreeView* trv_;
    QTableWidget* grd_;
    BGLCommandTree* tree_;
};

}  // namespace fettle
