#pragma once
#include <array>
#include <string>

#include "editors/ToolWindow.h"
#include "modkit/lists/TextureGroups.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace fettle {

// "Texture List": the model's textures with their type, colour, size and
// picture, and a base texture's seasonal and night variants with the days of
// each season. Every change goes to the model at once, as one undo step.
class frmTEXT : public ToolWindow {
    Q_OBJECT
public:
    explicit frmTEXT(Form1& form);

    // The grouping the window shows.
    const modkit::TextureGroups& groups() const { return groups_; }

protected:
    // Groups the current model's textures and lists them, showing the first
    // line when the window opens or another model was loaded, else the one
    // shown before.
    void refresh() override;
    uint32_t shownParts() const override { return modkit::partTextures | modkit::partCommands; }
    void modelLoaded() override {
        reopened_ = true;
        shownFields_.clear();
    }
    // Fields changed since the texture was shown, not yet applied by Update.
    bool hasUnappliedWork() const override;
    // Only while the model still has the textures listed.
    bool canKeepUnappliedWork() const override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    void build();
    void readConfiguration();
    void showTexture(int row);
    void showPreview(const std::string& file);
    void updateSeasonFields();
    void repaintSwatch();
    void colorFieldLeft(int i);
    void pickColor();
    void updateTexture();
    void replaceBitmap();
    void checkTextureSizes();
    int selectedPosition() const;
    std::string fieldState() const;
    bool isBase(int position) const;

    modkit::TextureGroups groups_;
    bool reopened_ = true;
    std::array<std::string, 3> shownColor_;
    std::string shownFields_;  // fieldState() as the texture was shown

    QListWidget* lstTEXT_;
    QComboBox* cmbTexType_;
    QLineEdit* txt_size_;
    std::array<QLineEdit*, 3> txt_col_{};
    QLabel* lbl_col_;
    QPushButton* cmdColPick_;
    QLabel* picTexPreview_;
    std::array<QCheckBox*, 5> chkTexVariant_{};
    QCheckBox* chkTexNight_;
    std::array<QLineEdit*, 5> txtSeasonStart_{};
    std::array<QLineEdit*, 5> txtSeasonEnd_{};
    QPushButton* cmdUpdate_;
    QPushButton* cmdReplace_;
    QPushButton* cmdTexSize_;
};

}  // namespace fettle
