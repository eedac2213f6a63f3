#pragma once
#include <array>
#include <functional>
#include <optional>
#include <string>

#include "editors/ToolWindow.h"

class QLabel;
class QLineEdit;

namespace fettle {

class FieldRule;

// "Object information": counts of the model's lists, and its creation tool,
// bounding box and header parameters, edited in place. A value is applied
// when committed; a text the field refuses stays red where it was typed and
// leaves the model's value alone.
class frmStats : public ToolWindow {
    Q_OBJECT
public:
    explicit frmStats(Form1& form);

protected:
    void refresh() override;
    uint32_t shownParts() const override { return modkit::partAll & ~modkit::partSections; }

private:
    // A box whose committed text, when rule accepts it, sets a number of the model.
    void numberBox(QLineEdit* box, const std::string& label, uint32_t parts, const FieldRule& rule,
                   std::function<void(modkit::MDLObject&, double)> set);
    void showBox(QLineEdit* box);

    QLabel *lblNumVert_, *lblNumTri_, *lblNumMate_, *lblNumStateChg_, *lblNumText_, *lblNumTextNight_,
        *lblNumTextSeas_, *lblNumTextOther_;
    QLineEdit* txtISFT_;
    std::array<QLineEdit*, 3> txtBBoxMin_{}, txtBBoxMax_{};
    std::array<QLineEdit*, 8> txtMDLH_{};
    // The model's value of each number box as text.
    std::function<std::string(const QLineEdit*)> modelText_;
};

}  // namespace fettle
