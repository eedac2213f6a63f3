#pragma once
#include <array>
#include <string>

#include "editors/ToolWindow.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace modkit {
class Color;
class Material;
}  // namespace modkit

namespace fettle {

class FieldRule;

// "Material List": the model's materials, one line each, and the four colours
// and power of the selected one, edited in place.
class frmMATE : public ToolWindow {
    Q_OBJECT
public:
    explicit frmMATE(Form1& form);

    // Rows of the colour grid: Ambient, Diffuse, Specular, Emissive.
    static std::shared_ptr<modkit::Color> rowColor(const modkit::Material& m, int row);
    // What colour box k (4 * row + column) accepts: a whole number from 0 to 255.
    static FieldRule boxRule(int box);
    // A colour box's value for its swatch: 0 while the text is refused.
    static int boxValue(const std::string& text);

    void showMaterial(int index);
    void cmdColPick_Click(int row);
    void cmdUpdCol_Click();

protected:
    void refresh() override;
    uint32_t shownParts() const override { return modkit::partMaterials; }
    // Boxes typed since the material was shown (Update writes only those).
    bool hasUnappliedWork() const override;
    void showEvent(QShowEvent* e) override;

private:
    void repaintSwatch(int row);

    QListWidget* lstMATE_;
    std::array<QLineEdit*, 16> txt_col_{};
    std::array<QLabel*, 4> lblColPrev_{};
    std::array<QPushButton*, 4> cmdColPick_{};
    QLineEdit* txt_power_;
    QPushButton* cmdUpdCol_;
    // What the boxes showed for the material: only boxes changed since are written back.
    std::array<std::string, 16> shown_{};
    std::string shownPower_;
    int shownIndex_ = -1;
};

}  // namespace fettle
