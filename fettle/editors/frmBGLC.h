#pragma once
#include <QWidget>

class QTableWidget;
class QTreeView;

namespace fettle {

class BGLCommandTree;
class Form1;

// "BGL Command List": the current model's command stream as a tree, each
// command under the one that contains it, the selected command's parameters
// and the commands its jumps lead to. Read-only.
class frmBGLC : public QWidget {
    Q_OBJECT
public:
    explicit frmBGLC(Form1& form);

    QTreeView& trvBGLC() { return *trv_; }
    QTableWidget& grdProp() { return *grd_; }
    BGLCommandTree& tree() { return *tree_; }
    // Shows the current model again, keeping the selected and opened commands.
    void refresh();
    // Selects the node of command position (0: the root) and shows it.
    void selectCommand(int position);

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void nodeSelected(const QModelIndex& node);

    Form1& form_;
    QTreeView* trv_;
    QTableWidget* grd_;
    BGLCommandTree* tree_;
    bool stale_ = true;
};

}  // namespace fettle
