#include "editors/VertexGridModel.h"

#include <QColor>
#include <QFont>
#include <algorithm>
#include <cmath>
#include <limits>

#include "modkit/bgl/BGLCommandList.h"
#include "modkit/bgl/CommandWalk.h"
#include "document/FieldRule.h"
#include "modkit/core/NumText.h"
#include "modkit/lists/VertexList.h"

namespace fettle {
namespace nt = modkit::numtext;
namespace {
const char* const kHeaders[VertexGridModel::columns] = {"#", "x", "y", "z", "nx", "ny", "nz", "tx", "ty"};


}  // namespace

VertexGridModel::VertexGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void VertexGridModel::setVertices(std::shared_ptr<modkit::VertexList> list) {
    const int rows = list ? list->Count() : 0;
    if (rows == rowCount()) {
        // The same pool, or a copy of it after Undo: the view keeps its place.
        list_ = std::move(list);
        allChanged();
        return;
    }
    beginResetModel();
    list_ = std::move(list);
    for (auto it = edits_.begin(); it != edits_.end();)
        it = it->first / columns >= rows ? edits_.erase(it) : std::next(it);
    if (row_ >= rows) row_ = column_ = -1;
    endResetModel();
}

void VertexGridModel::clearEdits() {
    edits_.clear();
    editing_ = false;
    before_.reset();
    touched_ = false;
    fresh_ = true;
    allChanged();
}

void VertexGridModel::allChanged() {
    if (rowCount() > 0) Q_EMIT dataChanged(index(0, 0), index(rowCount() - 1, columns - 1));
}

const char* VertexGridModel::columnName(int column) {
    return column >= 0 && column < columns ? kHeaders[column] : "";
}

int VertexGridModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() || !list_ ? 0 : list_->Count();
}

int VertexGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns; }

QString VertexGridModel::valueText(float v) { return QString::number(static_cast<double>(v), 'f', 3); }

float VertexGridModel::vertexValue(const modkit::Vertex& v, int column) {
    switch (column) {
    case 1: return v.x();
    case 2: return v.y();
    case 3: return v.z();
    case 4: return v.nx();
    case 5: return v.ny();
    case 6: return v.nz();
    case 7: return v.tx();
    case 8: return v.ty();
    default: return 0;
    }
}

void VertexGridModel::setVertexValue(modkit::Vertex& v, int column, float value) {
    switch (column) {
    case 1: v.setX(value); break;
    case 2: v.setY(value); break;
    case 3: v.setZ(value); break;
    case 4: v.setNx(value); break;
    case 5: v.setNy(value); break;
    case 6: v.setNz(value); break;
    case 7: v.setTx(value); break;
    case 8: v.setTy(value); break;
    default: break;
    }
}

FieldRule VertexGridModel::cellRule(int row, int column) {
    return FieldRule::real(std::string(columnName(column)) + " of vertex " + std::to_string(row + 1));
}

QString VertexGridModel::cellText(int row, int column) const {
    if (!list_ || row < 0 || row >= list_->Count() || column < 0 || column >= columns) return {};
    if (column == 0) return QString::number(row + 1);
    if (auto it = edits_.find(key(row, column)); it != edits_.end())
        return it->second.exact ? valueText(*it->second.exact) : it->second.text;
    return valueText(vertexValue(list_->at(row + 1), column));
}

bool VertexGridModel::isChanged(int row, int column) const { return edits_.count(key(row, column)) > 0; }

QVariant VertexGridModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    const int row = index.row(), column = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return cellText(row, column);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    case Qt::BackgroundRole:
        if (isEditingCell(row, column)) return QColor(255, 128, 128);
        return {};
    case Qt::ForegroundRole:
        // A typed text that Update would refuse.
        if (auto it = edits_.find(key(row, column));
            it != edits_.end() && !it->second.exact && !cellRule(row, column).accepts(it->second.text.toStdString()))
            return QColor(Qt::red);
        return {};
    case Qt::FontRole:
        // Cells that Update will write stand out.
        if (column > 0 && isChanged(row, column)) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    default:
        return {};
    }
}

QVariant VertexGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns)
        return QString(columnName(section));
    return QAbstractTableModel::headerData(section, orientation, role);
}

void VertexGridModel::cellChanged(int row, int column) {
    if (row < 0 || column < 0 || row >= rowCount()) return;
    QModelIndex i = index(row, column);
    Q_EMIT dataChanged(i, i);
}

void VertexGridModel::setEdit(int row, int column, Edit e) {
    edits_[key(row, column)] = std::move(e);
    cellChanged(row, column);
}

void VertexGridModel::setEditing(bool on) {
    editing_ = on;
    fresh_ = true;
    touched_ = false;
    before_.reset();
    if (auto it = edits_.find(key(row_, column_)); it != edits_.end()) before_ = it->second;
    cellChanged(row_, column_);
}

void VertexGridModel::setCurrentCell(int row, int column) {
    const int oldRow = row_, oldColumn = column_;
    row_ = row;
    column_ = column;
    cellChanged(oldRow, oldColumn);
    setEditing(editing_);
}

bool VertexGridModel::typeChar(char c) {
    if (!editing_ || column_ < 1 || row_ < 0 || row_ >= rowCount()) return false;
    QString text = fresh_ ? QString() : cellText(row_, column_);
    if (c >= '0' && c <= '9') text += QChar(c);
    else if (c == '.' && !text.contains('.')) text += '.';
    else if (c == '-' && text.isEmpty()) text = "-";
    else return false;
    fresh_ = false;
    touched_ = true;
    setEdit(row_, column_, Edit{text, std::nullopt});
    return true;
}

bool VertexGridModel::backspace() {
    if (!editing_ || column_ < 1 || row_ < 0 || row_ >= rowCount()) return false;
    QString text = cellText(row_, column_);
    text.chop(1);
    fresh_ = false;
    touched_ = true;
    setEdit(row_, column_, Edit{text, std::nullopt});
    return true;
}

void VertexGridModel::cancelCell() {
    if (editing_ && touched_ && row_ >= 0 && column_ >= 1) {
        if (before_) edits_[key(row_, column_)] = *before_;
        else edits_.erase(key(row_, column_));
    }
    editing_ = false;
    touched_ = false;
    before_.reset();
    cellChanged(row_, column_);
}

void VertexGridModel::unifyNormals(const std::vector<int>& rows, float nx, float ny, float nz) {
    const float n[3] = {nx, ny, nz};
    int lo = std::numeric_limits<int>::max(), hi = -1;
    edits_.reserve(edits_.size() + rows.size() * 3);
    for (int row : rows) {
        if (row < 0 || row >= rowCount()) continue;
        for (int c = 0; c < 3; ++c) edits_[key(row, 4 + c)] = Edit{QString(), n[c]};
        lo = std::min(lo, row);
        hi = std::max(hi, row);
    }
    if (hi >= 0) Q_EMIT dataChanged(index(lo, 4), index(hi, 6));
}

std::vector<VertexGridModel::Change> VertexGridModel::changes(std::optional<Change>* badCell) const {
    std::vector<Change> out;
    out.reserve(edits_.size());
    for (const auto& [k, e] : edits_) {
        const int row = static_cast<int>(k / columns), column = static_cast<int>(k % columns);
        // A typed text the cell refuses ("-", ".", empty) stands for no value at all.
        const std::optional<double> typed = e.exact ? std::nullopt : cellRule(row, column).value(e.text.toStdString());
        const float v = e.exact ? *e.exact : typed ? static_cast<float>(*typed) : std::numeric_limits<float>::quiet_NaN();
        out.push_back(Change{row, column, v, e.text});
    }
    std::sort(out.begin(), out.end(),
              [](const Change& a, const Change& b) { return a.row != b.row ? a.row < b.row : a.column < b.column; });
    if (badCell) {
        badCell->reset();
        for (const Change& c : out)
            if (!std::isfinite(c.value)) {
                *badCell = c;
                break;
            }
    }
    return out;
}

std::optional<VertexRange> verticesOfTexture(const modkit::BGLCommandList& commands, int textureIndex) {
    class Range : public modkit::GeometrySink {
    public:
        explicit Range(int texture) : texture_(texture) {}
        bool wantsVertices() const override { return inUse_; }
        void material(const modkit::DrawState& s, int32_t) override { inUse_ = s.texture == texture_; }
        void triangle(const modkit::WalkTriangle& t) override {
            if (!inUse_) return;
            for (int32_t v : t.v) {
                if (!range) range = VertexRange{v, v};
                range->first = std::min<int64_t>(range->first, v);
                range->last = std::max<int64_t>(range->last, v);
            }
        }
        std::optional<VertexRange> range;

    private:
        const int texture_;
        bool inUse_ = false;  // nothing is selected before the first SET_MATERIAL
    } r(textureIndex);
    modkit::walkCommands(commands, r);
    return r.range;
}

}  // namespace fettle
