#include "editors/frmTEXT.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "document/FieldRule.h"
#include "editors/FieldMarks.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/preview/TextureImage.h"
#include "shell/ConfigFunctions.h"
#include "shell/Dialogs.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

namespace fettle {
namespace {

namespace numtext = modkit::numtext;
using modkit::TextureGroups;

const char* const kTitle = "Fettle II";
const char* const kErrorTitle = "Fettle II error";

// The configuration elements of the seasons, by textureVariant.
const char* const kSeasonElements[5] = {"TexSufSU", "TexSufFA", "TexSufWI", "TexSufHW", "TexSufSP"};

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& t) { return t.toStdString(); }

const char* const kColorNames[3] = {"red", "green", "blue"};
const char* const kSeasonNames[5] = {"Summer", "Autumn", "Winter", "Heavywinter", "Spring"};
const char* const kFieldsInvalid = "Please make sure all required fields are valid";

FieldRule colorRule(int i) { return FieldRule::whole(std::string("Alternative colour ") + kColorNames[i], 0, 255); }
FieldRule sizeRule() { return FieldRule::real("Texture size", 0, 3.4028234663852886e38); }

// A colour component as typed; -1 while the field refuses it (never put into range).
int componentOf(const QString& text) {
    const std::optional<double> v = FieldRule::whole({}, 0, 255).value(s(text));
    return v ? static_cast<int>(*v) : -1;
}

}  // namespace

frmTEXT::frmTEXT(Form1& form) : ToolWindow(form, "frmTEXT", "Texture List", "mViewList_1") { build(); }

void frmTEXT::build() {
    auto named = [this](auto* w, const QString& name) {
        w->setObjectName(name);
        return w;
    };
    lstTEXT_ = named(new QListWidget(this), "lstTEXT");
    // A base texture's variants are highlighted with it.
    lstTEXT_->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lstTEXT_->setMinimumWidth(200);
    lstTEXT_->setAccessibleName("Textures");

    cmbTexType_ = named(new QComboBox(this), "cmbTexType");
    cmbTexType_->addItems({"TEXTURE_AIRCRAFT", "TEXTURE_MAP", "TEXTURE_WATER", "TEXTURE_SKY", "TEXTURE_GROUND",
                           "TEXTURE_BUILDING", "TEXTURE_EFFECT", "TEXTURE_DAMAGE", "TEXTURE_NIGHTMAP", "TEXTURE2_NIGHT",
                           "TEXTURE2_REFLECT", "TEXTURE2_LIGHTMAP", "TEXTURE2_LIGHTMAP_A", "TEXTURE2_DETAIL",
                           "TEXTURE2_SHADER"});
    txt_size_ = named(new QLineEdit(this), "txt_size");

    auto* fraColor = named(new QGroupBox("Alternative color", this), "fraColor");
    auto* colorRow = new QHBoxLayout(fraColor);
    for (int i = 0; i < 3; ++i) {
        txt_col_[static_cast<size_t>(i)] = named(new QLineEdit(fraColor), QString("txt_col_%1").arg(i));
        txt_col_[static_cast<size_t>(i)]->setMaximumWidth(48);
        colorRow->addWidget(txt_col_[static_cast<size_t>(i)]);
    }
    for (int i = 0; i < 3; ++i) {
        txt_col_[static_cast<size_t>(i)]->setToolTip(QString("%1 (0-255)").arg(kColorNames[i]));
        txt_col_[static_cast<size_t>(i)]->setAccessibleName(QString::fromStdString(colorRule(i).field()));
    }
    lbl_col_ = named(new QLabel(fraColor), "lbl_col");
    lbl_col_->setFixedSize(32, 22);
    lbl_col_->setAutoFillBackground(true);
    lbl_col_->setFrameShape(QFrame::Box);
    colorRow->addWidget(lbl_col_);
    cmdColPick_ = named(new QPushButton("...", fraColor), "cmdColPick");
    cmdColPick_->setToolTip("Choose the colour");
    cmdColPick_->setAccessibleName("Choose the alternative colour");
    cmdColPick_->setMaximumWidth(32);
    colorRow->addWidget(cmdColPick_);
    colorRow->addStretch();

    picTexPreview_ = named(new QLabel(this), "picTexPreview");
    picTexPreview_->setFixedSize(160, 160);
    picTexPreview_->setFrameShape(QFrame::Box);

    auto* fraVariants = named(new QGroupBox("Texture variants", this), "fraVariants");
    auto* variantColumn = new QVBoxLayout(fraVariants);
    for (int j = 0; j < 5; ++j) {
        auto* box = named(new QCheckBox(kSeasonNames[j], fraVariants), QString("chkTexVariant_%1").arg(j));
        chkTexVariant_[static_cast<size_t>(j)] = box;
        variantColumn->addWidget(box);
        connect(box, &QCheckBox::toggled, this, &frmTEXT::updateSeasonFields);
    }
    // The base texture is the summer texture itself.
    chkTexVariant_[0]->setToolTip("The base texture is the summer texture");
    chkTexNight_ = named(new QCheckBox("Nightmap", fraVariants), "chkTexNight");
    variantColumn->addWidget(chkTexNight_);

    auto* fraSeasons = named(new QGroupBox("Season settings: day of the year", this), "fraSeasons");
    auto* seasonGrid = new QGridLayout(fraSeasons);
    seasonGrid->addWidget(new QLabel("start", fraSeasons), 0, 1);
    seasonGrid->addWidget(new QLabel("end", fraSeasons), 0, 2);
    for (int j = 0; j < 5; ++j) {
        seasonGrid->addWidget(new QLabel(kSeasonNames[j], fraSeasons), j + 1, 0);
        auto* start = named(new QLineEdit(fraSeasons), QString("txtSeasonStart_%1").arg(j));
        auto* end = named(new QLineEdit(fraSeasons), QString("txtSeasonEnd_%1").arg(j));
        start->setMaximumWidth(56);
        end->setMaximumWidth(56);
        start->setAccessibleName(QString("%1 start day").arg(kSeasonNames[j]));
        end->setAccessibleName(QString("%1 end day").arg(kSeasonNames[j]));
        seasonGrid->addWidget(start, j + 1, 1);
        seasonGrid->addWidget(end, j + 1, 2);
        txtSeasonStart_[static_cast<size_t>(j)] = start;
        txtSeasonEnd_[static_cast<size_t>(j)] = end;
    }

    cmdUpdate_ = named(new QPushButton("Update texture", this), "cmdUpdate");
    cmdReplace_ = named(new QPushButton("Replace bitmap", this), "cmdReplace");
    cmdTexSize_ = named(new QPushButton("Check texture sizes", this), "cmdTexSize");
    cmdTexSize_->setToolTip("Recompute every texture's size from the triangles that use it");
    cmdReplace_->setToolTip("Name another bitmap file for the selected texture (the file is not copied)");

    auto* properties = new QGridLayout;
    auto* lblTexType = named(new QLabel("Texture type:", this), "lblTexType");
    lblTexType->setBuddy(cmbTexType_);
    properties->addWidget(lblTexType, 0, 0);
    properties->addWidget(cmbTexType_, 0, 1);
    auto* lblSize = named(new QLabel("Texture size (m per repeat)", this), "lblSize");
    lblSize->setBuddy(txt_size_);
    properties->addWidget(lblSize, 1, 0);
    properties->addWidget(txt_size_, 1, 1);
    properties->addWidget(fraColor, 2, 0, 1, 2);

    auto* top = new QHBoxLayout;
    top->addLayout(properties, 1);
    top->addWidget(picTexPreview_, 0, Qt::AlignTop);
    auto* seasons = new QHBoxLayout;
    seasons->addWidget(fraVariants);
    seasons->addWidget(fraSeasons);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdUpdate_);
    buttons->addWidget(cmdReplace_);
    buttons->addWidget(cmdTexSize_);
    auto* right = new QVBoxLayout;
    right->addLayout(top);
    right->addLayout(seasons);
    right->addStretch();
    right->addLayout(buttons);
    auto* outer = new QHBoxLayout(this);
    outer->addWidget(lstTEXT_);
    outer->addLayout(right);

    connect(lstTEXT_, &QListWidget::currentRowChanged, this, &frmTEXT::showTexture);
    for (int i = 0; i < 3; ++i) {
        connect(txt_col_[static_cast<size_t>(i)], &QLineEdit::textChanged, this, &frmTEXT::repaintSwatch);
        connect(txt_col_[static_cast<size_t>(i)], &QLineEdit::editingFinished, this, [this, i] { colorFieldLeft(i); });
    }
    connect(cmdColPick_, &QPushButton::clicked, this, &frmTEXT::pickColor);
    connect(cmdUpdate_, &QPushButton::clicked, this, &frmTEXT::updateTexture);
    connect(cmdReplace_, &QPushButton::clicked, this, &frmTEXT::replaceBitmap);
    connect(cmdTexSize_, &QPushButton::clicked, this, &frmTEXT::checkTextureSizes);
}

void frmTEXT::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) readConfiguration();
    ToolWindow::showEvent(e);
    if (!e->spontaneous())
        if (QAction* item = form().action("mViewList_1")) item->setChecked(true);
}

void frmTEXT::hideEvent(QHideEvent* e) {
    ToolWindow::hideEvent(e);
    if (e->spontaneous()) return;  // minimised, not closed
    reopened_ = true;
    if (QAction* item = form().action("mViewList_1")) item->setChecked(false);
}

void frmTEXT::readConfiguration() {
    modkit::SeasonSuffixes sfx;  // the defaults stand for elements the file lacks
    for (size_t j = 0; j < 5; ++j) {
        if (!config().node(kSeasonElements[j])) continue;
        sfx.suffix[j] = config().text(kSeasonElements[j]);
        sfx.dayStart[j] = config().attribute(kSeasonElements[j], "start");
        sfx.dayEnd[j] = config().attribute(kSeasonElements[j], "end");
    }
    if (config().node("TexSufLM")) sfx.night = config().text("TexSufLM");
    groups_.setSuffixes(sfx);
}

bool frmTEXT::isBase(int position) const {
    try {
        return groups_.roleOf(position) == TextureGroups::Role::base;
    } catch (const modkit::Error&) {
        return false;  // not grouped yet
    }
}

int frmTEXT::selectedPosition() const {
    const modkit::MDLObject* m = model();
    const int row = lstTEXT_->currentRow();
    if (!m || row < 0 || row >= m->TextureList()->Count()) return 0;
    return row + 1;
}

void frmTEXT::refresh() {
    const int keep = reopened_ ? 0 : std::max(lstTEXT_->currentRow(), 0);
    reopened_ = false;
    {
        QSignalBlocker block(lstTEXT_);
        lstTEXT_->clear();
    }
    const modkit::MDLObject* m = model();
    const int n = m ? m->TextureList()->Count() : 0;
    for (QWidget* w : std::initializer_list<QWidget*>{cmbTexType_, txt_size_, txt_col_[0], txt_col_[1], txt_col_[2],
                                                      cmdColPick_, cmdUpdate_, cmdReplace_, cmdTexSize_})
        w->setEnabled(n > 0);
    if (n == 0) {
        picTexPreview_->clear();
        for (QCheckBox* box : chkTexVariant_) box->setEnabled(false);
        chkTexNight_->setEnabled(false);
        updateSeasonFields();
        return;
    }
    auto& list = *m->TextureList();
    try {
        groups_.recognise(list);
    } catch (const modkit::Error& e) {
        form().log().addLogError(e.description());
        return;
    }
    {
        QSignalBlocker block(lstTEXT_);
        for (const auto& t : list) lstTEXT_->addItem(q(modkit::upperCase(t->bitmap())));
        lstTEXT_->setCurrentRow(std::min(keep, n - 1));
    }
    showTexture(lstTEXT_->currentRow());
}

void frmTEXT::showTexture(int row) {
    modkit::MDLObject* m = model();
    if (!m || row < 0 || row >= m->TextureList()->Count()) return;
    const auto& list = *m->TextureList();
    const int16_t position = static_cast<int16_t>(row + 1);
    const modkit::Texture& t = *list.Item(position);

    const modkit::Color& c = *t.Color();
    shownColor_ = {numtext::intText(c.Ri()), numtext::intText(c.Gi()), numtext::intText(c.Bi())};
    for (size_t i = 0; i < 3; ++i) txt_col_[i]->setText(q(shownColor_[i]));
    repaintSwatch();
    cmbTexType_->setCurrentIndex(cmbTexType_->findText(q(t.getTypeString())));
    txt_size_->setText(q(numtext::singleText(t.size())));
    showPreview(t.file());

    const bool base_ = isBase(position);
    const int16_t base = base_ ? position : t.parent();
    const auto seasons = TextureGroups::seasonPositions(list, base);
    const int16_t night = groups_.nightPosition(list, base);
    {
        QSignalBlocker block(lstTEXT_);
        // The group's lines are highlighted with the one shown.
        lstTEXT_->clearSelection();
        for (int16_t p : seasons)
            if (p > 0) lstTEXT_->item(p - 1)->setSelected(true);
        if (night > 0) lstTEXT_->item(night - 1)->setSelected(true);
        lstTEXT_->item(row)->setSelected(true);
    }
    const bool variantsAllowed = base_ && TextureGroups::canHaveVariants(list, base);
    for (size_t j = 0; j < 5; ++j) {
        QSignalBlocker block(chkTexVariant_[j]);
        chkTexVariant_[j]->setChecked(seasons[j] != 0);
        chkTexVariant_[j]->setEnabled(j > 0 && variantsAllowed);
    }
    {
        QSignalBlocker block(chkTexNight_);
        chkTexNight_->setChecked(night != 0);
        chkTexNight_->setEnabled(variantsAllowed);
    }
    cmdReplace_->setEnabled(base_);

    // The days coded for the texture's seasons; the configured days elsewhere.
    std::array<std::string, 5> start = groups_.suffixes().dayStart, end = groups_.suffixes().dayEnd;
    if (seasons[1] || seasons[2] || seasons[3] || seasons[4]) {
        try {
            const modkit::seasonalTextures r = m->readSeasonalDates(base);
            for (size_t j = 0; j < 5; ++j) {
                if (!r.active[j]) continue;
                start[j] = numtext::intText(r.dayStart[j]);
                end[j] = numtext::intText(r.dayEnd[j]);
            }
        } catch (const modkit::Error& e) {
            form().log().addLogWarning("the seasons of " + t.bitmap() + " could not be read: " + e.description());
        }
    }
    for (size_t j = 0; j < 5; ++j) {
        txtSeasonStart_[j]->setText(q(start[j]));
        txtSeasonEnd_[j]->setText(q(end[j]));
    }
    updateSeasonFields();
    shownFields_ = fieldState();
}

std::string frmTEXT::fieldState() const {
    std::string s = cmbTexType_->currentText().toStdString() + '|' + txt_size_->text().toStdString();
    for (QLineEdit* e : txt_col_) s += '|' + e->text().toStdString();
    for (QCheckBox* b : chkTexVariant_) s += b->isChecked() ? "|1" : "|0";
    s += chkTexNight_->isChecked() ? "|1" : "|0";
    for (size_t j = 0; j < 5; ++j)
        s += '|' + txtSeasonStart_[j]->text().toStdString() + '-' + txtSeasonEnd_[j]->text().toStdString();
    return s;
}

bool frmTEXT::hasUnappliedWork() const { return !shownFields_.empty() && fieldState() != shownFields_; }

bool frmTEXT::canKeepUnappliedWork() const {
    const modkit::MDLObject* m = model();
    if (!m || m->TextureList()->Count() != lstTEXT_->count()) return false;
    int row = 0;
    for (const auto& t : *m->TextureList())
        if (lstTEXT_->item(row++)->text() != q(modkit::upperCase(t->bitmap()))) return false;
    return true;
}

void frmTEXT::showPreview(const std::string& file) {
    picTexPreview_->clear();
    if (file.empty()) return;
    try {
        const QImage image = modkit::readTextureImage(file);
        picTexPreview_->setPixmap(QPixmap::fromImage(
            image.scaled(picTexPreview_->contentsRect().size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
    } catch (const modkit::Error&) {
        // A picture that cannot be read leaves the preview empty.
    }
}

void frmTEXT::updateSeasonFields() {
    const int position = selectedPosition();
    const bool base = position > 0 && isBase(position);
    int checked = 0;
    for (QCheckBox* box : chkTexVariant_) checked += box->isChecked() ? 1 : 0;
    for (size_t j = 0; j < 5; ++j) {
        const bool on = base && chkTexVariant_[j]->isChecked() && (j > 0 || checked >= 2);
        txtSeasonStart_[j]->setEnabled(on);
        txtSeasonEnd_[j]->setEnabled(on);
    }
}

void frmTEXT::repaintSwatch() {
    QPalette p = lbl_col_->palette();
    p.setColor(QPalette::Window, QColor(std::max(componentOf(txt_col_[0]->text()), 0),
                                        std::max(componentOf(txt_col_[1]->text()), 0),
                                        std::max(componentOf(txt_col_[2]->text()), 0)));
    lbl_col_->setPalette(p);
}

void frmTEXT::colorFieldLeft(int i) {
    // A refused text stays where it was typed, marked; Update refuses it.
    QLineEdit* field = txt_col_[static_cast<size_t>(i)];
    if (markField(field, colorRule(i))) shownColor_[static_cast<size_t>(i)] = s(field->text());
}

void frmTEXT::pickColor() {
    const auto chosen = dialogs().chooseColor(RgbColor{std::max(componentOf(txt_col_[0]->text()), 0),
                                                       std::max(componentOf(txt_col_[1]->text()), 0),
                                                       std::max(componentOf(txt_col_[2]->text()), 0)});
    if (!chosen) return;
    const int rgb[3] = {chosen->r, chosen->g, chosen->b};
    for (size_t i = 0; i < 3; ++i) {
        shownColor_[i] = std::to_string(rgb[i]);
        txt_col_[i]->setText(q(shownColor_[i]));
    }
    repaintSwatch();
}

void frmTEXT::updateTexture() {
    const int position = selectedPosition();
    if (position == 0) return;
    modkit::TextureUpdate u;
    u.position = static_cast<int16_t>(position);
    for (size_t j = 0; j < 5; ++j) {
        u.seasons[j] = chkTexVariant_[j]->isChecked();
        u.dayStart[j] = s(txtSeasonStart_[j]->text());
        u.dayEnd[j] = s(txtSeasonEnd_[j]->text());
    }
    u.night = chkTexNight_->isChecked();
    for (size_t i = 0; i < 3; ++i) u.rgb[i] = s(txt_col_[i]->text());
    u.size = s(txt_size_->text());
    u.typeName = s(cmbTexType_->currentText());

    const auto& list = *model()->TextureList();
    if (isBase(position)) {
        if (std::string msg = TextureGroups::seasonCheck(u.seasons, u.dayStart, u.dayEnd); !msg.empty()) {
            dialogs().messageBox(kTitle, msg, MsgIcon::Critical);
            return;
        }
    }
    std::vector<std::pair<QLineEdit*, FieldRule>> fields;
    for (int i = 0; i < 3; ++i) fields.emplace_back(txt_col_[static_cast<size_t>(i)], colorRule(i));
    fields.emplace_back(txt_size_, sizeRule());
    for (size_t j = 0; j < 5; ++j)
        if (u.seasons[j] && txtSeasonStart_[j]->isEnabled()) {
            // Empty days were refused by the season check already.
            fields.emplace_back(txtSeasonStart_[j], FieldRule::whole(std::string(kSeasonNames[j]) + " start day", 1, 366));
            fields.emplace_back(txtSeasonEnd_[j], FieldRule::whole(std::string(kSeasonNames[j]) + " end day", 1, 366));
        }
    for (const auto& [field, rule] : fields)
        if (!rule.accepts(s(field->text()))) {
            showErrorBox(kErrorTitle, std::string(kFieldsInvalid) + "\n\n" +
                                          rule.refusal(s(field->text())) + " The texture was not changed.");
            field->setFocus();
            return;
        }
    if (std::string msg = groups_.fieldCheck(list, u); !msg.empty()) {
        showErrorBox(kErrorTitle, msg);
        return;
    }
    const modkit::SeasonSuffixes suffixes = groups_.suffixes();
    // Variants added or removed renumber the stream's texture references; the
    // document looks up the files of new variants.
    const uint32_t parts = modkit::partTextures | modkit::partCommands;
    if (change("Update texture", "", [&](modkit::MDLObject& m) {
            modkit::TextureGroups g(suffixes);
            g.recognise(*m.TextureList());
            g.applyUpdate(*m.TextureList(), *m.BGLCommandList(), u);
        }, parts) == EditOutcome::refused)
        return;
    refresh();
    form().log().addLogEvent("updated texture");
}

void frmTEXT::replaceBitmap() {
    const int position = selectedPosition();
    if (position == 0 || !isBase(position)) return;
    const std::string path = dialogs().openFileDialog("BMP file (*.bmp)|*.bmp", "Select BMP file", config().text("LastBMP"));
    if (path.empty() || !modkit::fileExists(path)) return;
    config().setText("LastBMP", path);
    const std::string name = modkit::upperCase(modkit::fileNameOf(path));
    if (name.size() > 64) {
        dialogs().messageBox(kErrorTitle, "The texture name " + name + " is longer than 64 characters.",
                             MsgIcon::Critical);
        return;
    }
    if (change("Replace bitmap", "", [&](modkit::MDLObject& m) {
            const auto& t = m.TextureList()->Item(position);
            t->setBitmap(name);
            t->setFile(path);
        }, modkit::partTextures) != EditOutcome::refused)
        refresh();
}

void frmTEXT::checkTextureSizes() {
    const modkit::SeasonSuffixes suffixes = groups_.suffixes();
    const EditOutcome done = change("Check texture sizes", "", [&](modkit::MDLObject& m) {
        modkit::TextureGroups(suffixes).recognise(*m.TextureList());
        m.updateTextureSize();
    }, modkit::partTextures);
    if (done == EditOutcome::refused) return;
    refresh();
    form().log().addLogEvent(done == EditOutcome::applied ? "texture size corrected" : "texture sizes already correct");
}

}  // namespace fettle
