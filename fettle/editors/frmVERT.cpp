#include "editors/frmVERT.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <set>

#include "editors/EditorErrors.h"
#include "document/FieldRule.h"
#include "editors/VertexGridModel.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "shell/ConfigFunctions.h"
#include "shell/Dialogs.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

namespace fettle {
namespace nt = modkit::numtext;
namespace {

// The cell being typed into keeps its red over the selection colour and shows
// a caret after its text, so that it is seen where typing goes.
class TypingDelegate : public QStyledItemDelegate {
public:
    TypingDelegate(const VertexGridModel* grid, QObject* parent) : QStyledItemDelegate(parent), grid_(grid) {}

protected:
    void initStyleOption(QStyleOptionViewItem* o, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(o, index);
        if (!grid_->isEditingCell(index.row(), index.column())) return;
        o->state &= ~QStyle::State_Selected;
        o->text += QChar(0x2502);
    }

private:
    const VertexGridModel* grid_;
};

}  // namespace

VertexGridView::VertexGridView(VertexGridModel* model, QWidget* parent) : QTableView(parent), grid_(model) {
    setModel(model);
    setItemDelegate(new TypingDelegate(model, this));
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    verticalHeader()->hide();
    // Fixed row heights keep a pool of 65,535 vertices as quick as a small one.
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setDefaultSectionSize(72);
    setColumnWidth(0, 52);
}

void VertexGridView::keyPressEvent(QKeyEvent* e) {
    const int k = e->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
        grid_->setEditing(!grid_->editing());
        return;
    }
    if (k == Qt::Key_F2) {  // as in every other grid: F2 starts typing into the cell
        if (!grid_->editing()) grid_->setEditing(true);
        return;
    }
    if (!grid_->editing()) {
        QTableView::keyPressEvent(e);
        return;
    }
    switch (k) {
    case Qt::Key_Escape:
        grid_->cancelCell();
        return;
    case Qt::Key_Backspace:
        grid_->backspace();
        return;
    case Qt::Key_Up: case Qt::Key_Down: case Qt::Key_Left: case Qt::Key_Right:
    case Qt::Key_PageUp: case Qt::Key_PageDown: case Qt::Key_Home: case Qt::Key_End:
    case Qt::Key_Tab: case Qt::Key_Backtab:
        QTableView::keyPressEvent(e);
        return;
    default:
        break;
    }
    const QString text = e->text();
    if (text.size() == 1 && text[0].unicode() < 128) grid_->typeChar(static_cast<char>(text[0].unicode()));
    // Every other key is ignored while typing.
}

void VertexGridView::mouseDoubleClickEvent(QMouseEvent* e) {
    QTableView::mouseDoubleClickEvent(e);
    const QModelIndex i = indexAt(e->position().toPoint());
    if (i.isValid() && i.column() > 0 && !grid_->editing()) grid_->setEditing(true);
}

void VertexGridView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    QTableView::currentChanged(current, previous);
    grid_->setCurrentCell(current.isValid() ? current.row() : -1, current.isValid() ? current.column() : -1);
}

frmVERT::frmVERT(Form1& form) : ToolWindow(form, "frmVERT", "Vertex List", "mViewList_2") {
    grid_ = new VertexGridModel(this);
    grdVertex_ = new VertexGridView(grid_, this);
    grdVertex_->setObjectName("grdVertex");
    grdVertex_->setAccessibleName("Vertices");
    grdVertex_->setToolTip("Enter, F2 or a double-click types into a cell; Enter again ends it, Escape undoes it. "
                           "Update writes the changed cells to the model.");

    cmbTexture_ = new QComboBox(this);
    cmbTexture_->setObjectName("cmbTexture");
    cmbTexture_->setMinimumContentsLength(16);
    cmdSelectByTexture_ = new QPushButton("Select by texture", this);
    cmdSelectByTexture_->setObjectName("cmdSelectByTexture");
    connect(cmdSelectByTexture_, &QPushButton::clicked, this, &frmVERT::cmdSelectByTexture_Click);
    cmdNormalize_ = new QPushButton("Unify normals", this);
    cmdNormalize_->setObjectName("cmdNormalize");
    connect(cmdNormalize_, &QPushButton::clicked, this, &frmVERT::cmdNormalize_Click);
    cmdUpdate_ = new QPushButton("Update", this);
    cmdUpdate_->setObjectName("cmdUpdate");
    connect(cmdUpdate_, &QPushButton::clicked, this, &frmVERT::cmdUpdate_Click);
    // Buttons stay out of the keyboard's way: Enter and the digits belong to the grid.
    for (QPushButton* b : {cmdSelectByTexture_, cmdNormalize_, cmdUpdate_}) b->setAutoDefault(false);
    cmdSelectByTexture_->setToolTip("Select the rows of the vertices that the chosen texture's triangles use");
    cmdNormalize_->setToolTip("Write the normal direction set in Options into the selected rows (Update applies it)");
    cmdUpdate_->setToolTip("Write the changed cells to the model's vertices");

    auto* buttons = new QHBoxLayout;
    auto* textureLabel = new QLabel("Select a texture", this);
    textureLabel->setBuddy(cmbTexture_);
    buttons->addWidget(textureLabel);
    buttons->addWidget(cmbTexture_);
    buttons->addWidget(cmdSelectByTexture_);
    buttons->addStretch(1);
    buttons->addWidget(cmdNormalize_);
    buttons->addWidget(cmdUpdate_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grdVertex_, 1);
    layout->addLayout(buttons);
    resize(52 + 8 * 72 + 40, 480);
}

void frmVERT::refresh() {
    modkit::MDLObject* m = model();
    grid_->setVertices(m ? m->VertexList() : nullptr);
    const int selected = cmbTexture_->currentIndex();
    cmbTexture_->clear();
    if (m)
        for (const auto& t : *m->TextureList()) cmbTexture_->addItem(QString::fromStdString(t->bitmap()));
    if (cmbTexture_->count() > 0) cmbTexture_->setCurrentIndex(std::clamp(selected, 0, cmbTexture_->count() - 1));
    cmdSelectByTexture_->setEnabled(cmbTexture_->count() > 0);
    const bool rows = grid_->rowCount() > 0;
    cmdNormalize_->setEnabled(rows);
    cmdUpdate_->setEnabled(rows);
}

void frmVERT::modelLoaded() { grid_->clearEdits(); }

bool frmVERT::hasUnappliedWork() const { return grid_->changedCount() > 0; }

void frmVERT::cmdSelectByTexture_Click() {
    modkit::MDLObject* m = model();
    const int t = cmbTexture_->currentIndex();
    if (!m || t < 0) return;
    std::optional<VertexRange> r;
    if (!trapErrors("cmdSelectByTexture_Click", "frmVERT", [&] { r = verticesOfTexture(*m->BGLCommandList(), t); }))
        return;
    const int rows = grid_->rowCount();
    if (!r || r->last < 0 || r->first >= rows) return;
    const int first = static_cast<int>(std::max<int64_t>(r->first, 0));
    const int last = static_cast<int>(std::min<int64_t>(r->last, rows - 1));
    QItemSelectionModel* sel = grdVertex_->selectionModel();
    sel->setCurrentIndex(grid_->index(first, 0), QItemSelectionModel::NoUpdate);
    sel->select(QItemSelection(grid_->index(first, 0), grid_->index(last, VertexGridModel::columns - 1)),
                QItemSelectionModel::ClearAndSelect);
    // Grid rows count from 1 (vertex index + 1): the top row becomes m - 5 for
    // the first vertex m, at least the first row.
    grdVertex_->scrollTo(grid_->index(std::max(first - 6, 0), 0), QAbstractItemView::PositionAtTop);
}

void frmVERT::cmdNormalize_Click() {
    float n[3];
    static const char* const names[3] = {"nx", "ny", "nz"};
    for (int i = 0; i < 3; ++i) {
        const std::string text = config().attribute("NormVector", names[i]);
        try {
            n[i] = nt::toSingle(text);
        } catch (const modkit::Error&) {
            dialogs().messageBox("Fettle II error",
                                 "The normal vector of the options is not valid: " + std::string(names[i]) + " is \"" +
                                     text + "\".",
                                 MsgIcon::Critical);
            return;
        }
    }
    // The rows from the current one to the end of the selection, whichever way it was made.
    std::set<int> rows;
    for (const QItemSelectionRange& range : grdVertex_->selectionModel()->selection())
        for (int r = range.top(); r <= range.bottom(); ++r) rows.insert(r);
    if (rows.empty() && grdVertex_->currentIndex().isValid()) rows.insert(grdVertex_->currentIndex().row());
    if (rows.empty()) return;
    grid_->unifyNormals(std::vector<int>(rows.begin(), rows.end()), n[0], n[1], n[2]);
    form().log().addLogEvent("normals unified");
}

void frmVERT::cmdUpdate_Click() {
    if (!model()) return;
    std::optional<VertexGridModel::Change> bad;
    std::vector<VertexGridModel::Change> changes = grid_->changes(&bad);
    if (bad) {
        showErrorBox("Fettle II error",
                     "The " + std::string(VertexGridModel::columnName(bad->column)) + " value of vertex " +
                         std::to_string(bad->row + 1) + " is not valid. " +
                         VertexGridModel::cellRule(bad->row, bad->column).refusal(bad->text.toStdString()) +
                         " No vertex was updated.");
        grdVertex_->setCurrentIndex(grid_->index(bad->row, bad->column));
        return;
    }
    if (!changes.empty()) {
        // Only the changed cells are written: untouched vertices keep their exact values.
        const bool ok = change("Update vertices", "", [&](modkit::MDLObject& m) {
            const auto& list = *m.VertexList();
            for (const auto& c : changes)
                if (c.row < list.Count()) VertexGridModel::setVertexValue(*list.Item(c.row + 1), c.column, c.value);
        }, modkit::partVertices) != EditOutcome::refused;
        if (!ok) return;
        grid_->clearEdits();
        refresh();
    }
    form().log().addLogEvent("vertices updated");
}

}  // namespace fettle
