#pragma once
#include <QAbstractTableModel>
#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

namespace modkit {
class BGLCommandList;
class Vertex;
class VertexList;
}  // namespace modkit

namespace fettle {

class FieldRule;

// The vertex grid's contents: "#", x, y, z, nx, ny, nz, tx, ty for every vertex
// of the model, read from the list as they are drawn (so a pool of 65,535
// vertices costs nothing to show), plus the cells changed in the grid and not
// yet written back. Typing follows the grid's keyboard rules: Enter switches
// typing into the current cell on and off; then a digit is appended, "." once,
// "-" only as the first character, Backspace takes the last character off.
// The first key typed into a cell replaces its text, as in a spreadsheet.
class VertexGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    static constexpr int columns = 9;
    struct Change {
        int row;     // 0-based vertex index
        int column;  // 1..8
        float value;  // NaN when the typed text is refused
        QString text;  // as typed (empty for a unified normal)
    };

    explicit VertexGridModel(QObject* parent = nullptr);

    // Shows list; changed cells are kept (their rows as far as the list reaches).
    void setVertices(std::shared_ptr<modkit::VertexList> list);
    // Forgets every changed cell and ends typing.
    void clearEdits();

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    QString cellText(int row, int column) const;
    bool isChanged(int row, int column) const;
    size_t changedCount() const { return edits_.size(); }

    // Typing into the current cell.
    bool editing() const { return editing_; }
    bool isEditingCell(int row, int column) const { return editing_ && row == row_ && column == column_; }
    void setEditing(bool on);
    void setCurrentCell(int row, int column);
    // False when the key does nothing (not typing, column 0, or a character the rules refuse).
    bool typeChar(char c);
    bool backspace();
    // Puts the current cell back as it was before typing into it began and ends typing.
    void cancelCell();

    // Writes the normal into columns 4..6 of rows (the value itself is kept; the
    // cell shows it with three decimals).
    void unifyNormals(const std::vector<int>& rows, float nx, float ny, float nz);

    // The changed cells in row and column order, each with the value it stands
    // for. The first cell whose typed text cellRule refuses (not a number, "-",
    // ".", empty, or beyond single precision) is reported through badCell.
    std::vector<Change> changes(std::optional<Change>* badCell = nullptr) const;

    // What cell (row, column) accepts: any number single precision holds.
    static FieldRule cellRule(int row, int column);
    static float vertexValue(const modkit::Vertex& v, int column);
    static void setVertexValue(modkit::Vertex& v, int column, float value);
    static QString valueText(float v);
    static const char* columnName(int column);

private:
    struct Edit {
        QString text;                // as typed
        std::optional<float> exact;  // a unified normal: its whole value, shown with three decimals
    };
    static int64_t key(int row, int column) { return static_cast<int64_t>(row) * columns + column; }
    void setEdit(int row, int column, Edit e);
    void cellChanged(int row, int column);
    void allChanged();

    std::shared_ptr<modkit::VertexList> list_;
    std::unordered_map<int64_t, Edit> edits_;
    bool editing_ = false;
    int row_ = -1, column_ = -1;
    bool fresh_ = true;                // the next key replaces the cell's text
    std::optional<Edit> before_;       // the current cell before typing into it began
    bool touched_ = false;             // typed into since it became current
};

// The range of vertices (0-based pool indices) that the triangles drawn with the
// texture textureIndex use, over the whole stream.
struct VertexRange {
    int64_t first = 0, last = 0;
};
std::optional<VertexRange> verticesOfTexture(const modkit::BGLCommandList& commands, int textureIndex);

}  // namespace fettle
