#pragma once
#include <QAbstractItemModel>
#include <QColor>
#include <memory>
#include <string>
#include <vector>

namespace modkit {
class BGLCommand;
class BGLCommandList;
}

namespace fettle {

// The command stream as a tree for a view: the root "MDL Object" (key "root")
// and under it each command under its parent, keyed by its position and "opc"
// ("3opc"), showing its opcode's name. The nesting is indexed once, so a model
// of half a million commands is shown without a node object per command.
class BGLCommandTree : public QAbstractItemModel {
    Q_OBJECT
public:
    static constexpr int KeyRole = Qt::UserRole;
    static QColor targetColor() { return QColor(192, 64, 64); }

    explicit BGLCommandTree(QObject* parent = nullptr);

    // Shows list (its parents already linked); nullptr shows the root alone.
    // A parent that is not an earlier command of the list puts the command
    // under the root.
    void setCommands(std::shared_ptr<modkit::BGLCommandList> list);
    const std::shared_ptr<modkit::BGLCommandList>& commands() const { return list_; }
    // Commands indexed by the last setCommands (the list may have changed since).
    int commandCount() const { return static_cast<int>(parentOf_.size()) - 1; }
    // The command at position, or nullptr when it is no longer in the list:
    // edits change the list in place and the view may paint before the tree
    // is built again.
    const modkit::BGLCommand* command(int position) const;

    // The node of command position (1-based), or of the root for 0.
    QModelIndex nodeOf(int position) const;
    // The command position of a node; 0 for the root.
    static int positionOf(const QModelIndex& node);
    static std::string keyOf(int position) { return position > 0 ? std::to_string(position) + "opc" : "root"; }

    // Positions of the commands that the command at position jumps to (each
    // once, in parameter order); destinations outside the list are left out.
    std::vector<int> jumpTargets(int position) const;
    // Marks these commands in the target colour and every other node white.
    void setHighlighted(std::vector<int> positions);
    const std::vector<int>& highlighted() const { return highlighted_; }

    // The command's parameters, one (index, value) pair per dictionary
    // parameter; simulator variables in hexadecimal ("33B").
    std::vector<std::pair<int, std::string>> parameters(int position) const;
    // True for the parameters of the condition commands that name a simulator variable.
    static bool isVariableParameter(int opcode, int index);

    QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

private:
    bool holds(int position) const;
    int childCount(int node) const { return childStart_[static_cast<size_t>(node) + 1] - childStart_[static_cast<size_t>(node)]; }

    std::shared_ptr<modkit::BGLCommandList> list_;
    // Node n is command n, node 0 the root. Children of node n are
    // children_[childStart_[n] .. childStart_[n + 1]), in list order.
    std::vector<int> parentOf_;
    std::vector<int> rowOf_;
    std::vector<int> childStart_;
    std::vector<int> children_;
    std::vector<int> highlighted_;
};

}  // namespace fettle
