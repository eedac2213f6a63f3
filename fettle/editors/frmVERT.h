#pragma once
#include <QTableView>

#include "editors/ToolWindow.h"

class QComboBox;
class QPushButton;

namespace fettle {

class VertexGridModel;

// The vertex grid: Enter switches typing into the current cell on and off, F2
// and a double-click switch it on; the cell being typed into is red.
class VertexGridView : public QTableView {
    Q_OBJECT
public:
    VertexGridView(VertexGridModel* model, QWidget* parent);
    VertexGridModel& grid() const { return *grid_; }

protected:
    void keyPressEvent(QKeyEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;

private:
    VertexGridModel* grid_;
};

// "Vertex List": the model's vertex pool in a grid, edited cell by cell and
// written back by "Update".
class frmVERT : public ToolWindow {
    Q_OBJECT
public:
    explicit frmVERT(Form1& form);

    VertexGridView& grdVertex() const { return *grdVertex_; }
    VertexGridModel& grid() const { return *grid_; }

    void cmdSelectByTexture_Click();
    void cmdNormalize_Click();
    void cmdUpdate_Click();

protected:
    void refresh() override;
    uint32_t shownParts() const override { return modkit::partVertices; }
    bool hasUnappliedWork() const override;
    void modelLoaded() override;

private:
    VertexGridModel* grid_;
    VertexGridView* grdVertex_;
    QComboBox* cmbTexture_;
    QPushButton* cmdSelectByTexture_;
    QPushButton* cmdNormalize_;
    QPushButton* cmdUpdate_;
};

}  // namespace fettle
