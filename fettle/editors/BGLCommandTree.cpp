#include "editors/BGLCommandTree.h"

#include <algorithm>
#include <cmath>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/bgl/BGLOpcode.h"
#include "modkit/bgl/BGLOpcodeDictionary.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/core/NumText.h"

namespace fettle {

BGLCommandTree::BGLCommandTree(QObject* parent) : QAbstractItemModel(parent) { setCommands(nullptr); }

void BGLCommandTree::setCommands(std::shared_ptr<modkit::BGLCommandList> list) {
    beginResetModel();
    list_ = std::move(list);
    highlighted_.clear();
    const int n = list_ ? list_->Count() : 0;
    parentOf_.assign(static_cast<size_t>(n) + 1, 0);
    rowOf_.assign(static_cast<size_t>(n) + 1, 0);
    childStart_.assign(static_cast<size_t>(n) + 2, 0);
    children_.assign(static_cast<size_t>(n), 0);
    // Counting pass, then each child into its parent's run: two passes, no node objects.
    for (int i = 1; i <= n; ++i) {
        const int p = list_->view(i).parent();  // no command object made
        const int node = p >= 1 && p < i ? p : 0;
        parentOf_[static_cast<size_t>(i)] = node;
        ++childStart_[static_cast<size_t>(node) + 1];
    }
    for (size_t k = 1; k < childStart_.size(); ++k) childStart_[k] += childStart_[k - 1];
    std::vector<int> fill(childStart_.begin(), childStart_.end() - 1);
    for (int i = 1; i <= n; ++i) {
        const size_t node = static_cast<size_t>(parentOf_[static_cast<size_t>(i)]);
        rowOf_[static_cast<size_t>(i)] = fill[node] - childStart_[node];
        children_[static_cast<size_t>(fill[node]++)] = i;
    }
    endResetModel();
}

QModelIndex BGLCommandTree::nodeOf(int position) const {
    if (position == 0) return createIndex(0, 0, quintptr(0));
    if (position < 0 || position > commandCount()) return {};
    return createIndex(rowOf_[static_cast<size_t>(position)], 0, quintptr(position));
}

int BGLCommandTree::positionOf(const QModelIndex& node) {
    return node.isValid() ? static_cast<int>(node.internalId()) : 0;
}

bool BGLCommandTree::holds(int position) const {
    return list_ && position >= 1 && position <= commandCount() && position <= list_->Count();
}

const modkit::BGLCommand* BGLCommandTree::command(int position) const {
    return holds(position) ? list_->Item(position).get() : nullptr;
}

std::vector<int> BGLCommandTree::jumpTargets(int position) const {
    std::vector<int> out;
    // Read in place: looking at commands makes no command objects.
    if (!holds(position)) return out;
    const modkit::BGLCommandView cmd = list_->view(position);
    if (!modkit::BGLOpcodeDictionary::hasJump(cmd.opcodeValue())) return out;
    const modkit::BGLCommandDictEntry& e = modkit::BGLOpcodeDictionary::entry(cmd.opcodeValue());
    for (int i = 0; i < e.numParam; ++i) {
        if (!e.isJump[static_cast<size_t>(i)]) continue;
        const int d = cmd.jumpDest(i);
        if (d >= 1 && d <= commandCount() && std::find(out.begin(), out.end(), d) == out.end()) out.push_back(d);
    }
    return out;
}

void BGLCommandTree::setHighlighted(std::vector<int> positions) {
    std::vector<int> before = std::move(highlighted_);
    highlighted_.clear();
    for (int p : positions)
        if (p >= 1 && p <= commandCount()) highlighted_.push_back(p);
    // Only the nodes whose colour changes are repainted.
    const QList<int> roles{Qt::BackgroundRole};
    for (const auto* set : {&before, &highlighted_})
        for (int p : *set) {
            QModelIndex i = nodeOf(p);
            Q_EMIT dataChanged(i, i, roles);
        }
}

std::vector<std::pair<int, std::string>> BGLCommandTree::parameters(int position) const {
    std::vector<std::pair<int, std::string>> out;
    if (!holds(position)) return out;
    const modkit::BGLCommandView cmd = list_->view(position);
    if (modkit::BGLOpcodeDictionary::lengthOf(cmd.opcodeValue()) == 0) return out;
    const int n = modkit::BGLOpcodeDictionary::entry(cmd.opcodeValue()).numParam;
    for (int i = 0; i < n; ++i) {
        // Simulator variables read in hexadecimal, as in the condition manager.
        std::string text = cmd.param(i);
        if (isVariableParameter(cmd.opcodeValue(), i) && modkit::numtext::isNumber(text)) {
            const double v = modkit::numtext::toDouble(text);
            if (v >= 0 && v <= 0xFFFF && v == std::floor(v)) text = modkit::hexText(static_cast<int64_t>(v));
        }
        out.emplace_back(i, text);
    }
    return out;
}

bool BGLCommandTree::isVariableParameter(int opcode, int index) {
    using modkit::BGLOpcode;
    switch (static_cast<BGLOpcode>(opcode)) {
    case BGLOpcode::IFIN1:
    case BGLOpcode::IFMSK: return index == 1;
    case BGLOpcode::IFIN2: return index == 1 || index == 4;
    case BGLOpcode::IFIN3: return index == 1 || index == 4 || index == 7;
    default: return false;
    }
}

QModelIndex BGLCommandTree::index(int row, int column, const QModelIndex& parent) const {
    if (column != 0 || row < 0) return {};
    if (!parent.isValid()) return row == 0 ? nodeOf(0) : QModelIndex();
    const int node = positionOf(parent);
    if (row >= childCount(node)) return {};
    const int child = children_[static_cast<size_t>(childStart_[static_cast<size_t>(node)] + row)];
    return createIndex(row, 0, quintptr(child));
}

QModelIndex BGLCommandTree::parent(const QModelIndex& child) const {
    const int position = positionOf(child);
    if (!child.isValid() || position == 0) return {};
    return nodeOf(parentOf_[static_cast<size_t>(position)]);
}

int BGLCommandTree::rowCount(const QModelIndex& parent) const {
    if (!parent.isValid()) return 1;
    if (parent.column() != 0) return 0;
    return childCount(positionOf(parent));
}

int BGLCommandTree::columnCount(const QModelIndex&) const { return 1; }

QVariant BGLCommandTree::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int position = positionOf(index);
    switch (role) {
    case Qt::DisplayRole: {
        if (position == 0) return QStringLiteral("MDL Object");
        if (!holds(position)) return {};
        const int op = list_->opcodeAt(position);
        const std::string name =
            modkit::BGLOpcodeDictionary::lengthOf(op) ? modkit::BGLOpcodeDictionary::entry(op).name : std::string();
        return name.empty() ? QStringLiteral("Opcode %1").arg(op) : QString::fromStdString(name);
    }
    case Qt::ToolTipRole:
        return position == 0 ? QVariant() : QVariant(QStringLiteral("Command %1").arg(position));
    case Qt::BackgroundRole:
        return std::find(highlighted_.begin(), highlighted_.end(), position) != highlighted_.end()
                   ? targetColor()
                   : QColor(Qt::white);
    case KeyRole:
        return QString::fromStdString(keyOf(position));
    default:
        return {};
    }
}

}  // namespace fettle
