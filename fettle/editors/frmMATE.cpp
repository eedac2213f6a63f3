#include "editors/frmMATE.h"

#include <QGridLayout>
#include <QShowEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <cctype>
#include <cmath>

#include "document/FieldRule.h"
#include "editors/FieldMarks.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "shell/Dialogs.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

namespace fettle {
namespace nt = modkit::numtext;
namespace {

const char* const kRows[4] = {"Ambient", "Diffuse", "Specular", "Emissive"};
const char* const kColumns[4] = {"Red", "Green", "Blue", "Alpha"};

std::string lowerCase(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// The 0..255 view of a component for its box; a value too large for the view
// (a damaged file) shows as the nearest it can hold.
std::string viewText(float v) {
    try {
        return nt::intText(modkit::Color::toView(v));
    } catch (const modkit::Error&) {
        return std::isnan(v) || v < 0 ? "-32768" : "32767";
    }
}

void setView(modkit::Color& c, int column, int16_t v) {
    switch (column) {
    case 0: c.setRi(v); break;
    case 1: c.setGi(v); break;
    case 2: c.setBi(v); break;
    default: c.setAi(v); break;
    }
}

float component(const modkit::Color& c, int column) {
    switch (column) {
    case 0: return c.r();
    case 1: return c.g();
    case 2: return c.b();
    default: return c.a();
    }
}

}  // namespace

frmMATE::frmMATE(Form1& form) : ToolWindow(form, "frmMATE", "Material List", "mViewList_0") {
    lstMATE_ = new QListWidget(this);
    lstMATE_->setObjectName("lstMATE");
    lstMATE_->setAccessibleName("Materials");
    lstMATE_->setFixedWidth(110);
    connect(lstMATE_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0) showMaterial(row);
    });

    auto* grid = new QGridLayout;
    for (int c = 0; c < 4; ++c) grid->addWidget(new QLabel(kColumns[c], this), 0, c + 1, Qt::AlignCenter);
    for (int r = 0; r < 4; ++r) {
        grid->addWidget(new QLabel(kRows[r], this), r + 1, 0);
        for (int c = 0; c < 4; ++c) {
            const int k = 4 * r + c;
            auto* box = new QLineEdit(this);
            box->setObjectName(QString("txt_col_%1").arg(k));
            box->setFixedWidth(48);
            box->setAlignment(Qt::AlignRight);
            box->setAccessibleName(QString("%1 %2").arg(kRows[r], QString(kColumns[c]).toLower()));
            // A text the box refuses shows red where it is typed; it is never put into range.
            connect(box, &QLineEdit::textChanged, this, [this, r, box, k] {
                markField(box, boxRule(k));
                repaintSwatch(r);
            });
            txt_col_[static_cast<size_t>(k)] = box;
            grid->addWidget(box, r + 1, c + 1);
        }
        auto* swatch = new QLabel(this);
        swatch->setObjectName(QString("lblColPrev_%1").arg(r));
        swatch->setFixedSize(40, 20);
        swatch->setFrameShape(QFrame::Box);
        lblColPrev_[static_cast<size_t>(r)] = swatch;
        grid->addWidget(swatch, r + 1, 5);
        auto* pick = new QPushButton("Pick...", this);
        pick->setObjectName(QString("cmdColPick_%1").arg(r));
        pick->setToolTip(QString("Choose the %1 colour").arg(QString(kRows[r]).toLower()));
        pick->setAccessibleName(pick->toolTip());
        connect(pick, &QPushButton::clicked, this, [this, r] { cmdColPick_Click(r); });
        cmdColPick_[static_cast<size_t>(r)] = pick;
        grid->addWidget(pick, r + 1, 6);
    }
    auto* powerLabel = new QLabel("Power", this);
    grid->addWidget(powerLabel, 5, 0);
    txt_power_ = new QLineEdit(this);
    txt_power_->setObjectName("txt_power");
    powerLabel->setBuddy(txt_power_);
    connect(txt_power_, &QLineEdit::textChanged, this, [this] { markField(txt_power_, FieldRule::real("Power")); });
    txt_power_->setAlignment(Qt::AlignRight);
    grid->addWidget(txt_power_, 5, 1, 1, 2);
    cmdUpdCol_ = new QPushButton("Update material", this);
    cmdUpdCol_->setObjectName("cmdUpdCol");
    connect(cmdUpdCol_, &QPushButton::clicked, this, &frmMATE::cmdUpdCol_Click);
    grid->addWidget(cmdUpdCol_, 6, 3, 1, 4);
    grid->setRowStretch(7, 1);

    auto* layout = new QHBoxLayout(this);
    layout->addWidget(lstMATE_);
    layout->addLayout(grid);
}

std::shared_ptr<modkit::Color> frmMATE::rowColor(const modkit::Material& m, int row) {
    switch (row) {
    case 0: return m.Ambient();
    case 1: return m.Diffuse();
    case 2: return m.Specular();
    default: return m.Emmisive();
    }
}

FieldRule frmMATE::boxRule(int box) {
    return FieldRule::whole(std::string(kRows[box / 4]) + " " + lowerCase(kColumns[box % 4]), 0, 255);
}

int frmMATE::boxValue(const std::string& text) {
    return static_cast<int>(FieldRule::whole({}, 0, 255).value(text).value_or(0));
}

void frmMATE::showEvent(QShowEvent* e) {
    // Opening starts at the first material; a change of the model keeps the line.
    if (!e->spontaneous()) lstMATE_->setCurrentRow(-1);
    ToolWindow::showEvent(e);
}

void frmMATE::refresh() {
    modkit::MDLObject* m = model();
    const int count = m ? m->MaterialList()->Count() : 0;
    int row = lstMATE_->currentRow();
    QSignalBlocker block(lstMATE_);
    lstMATE_->clear();
    for (int i = 0; i < count; ++i) lstMATE_->addItem(QString("MATE%1").arg(i, 2, 10, QChar('0')));
    if (row < 0 || row >= count) row = 0;
    if (count > 0) {
        lstMATE_->setCurrentRow(row);
        showMaterial(row);
    } else {
        shownIndex_ = -1;
    }
    cmdUpdCol_->setEnabled(count > 0);
}

void frmMATE::showMaterial(int index) {
    modkit::MDLObject* m = model();
    if (!m || index < 0 || index >= m->MaterialList()->Count()) return;
    const modkit::Material& mat = *m->MaterialList()->Item(index + 1);
    for (int r = 0; r < 4; ++r) {
        const modkit::Color& c = *rowColor(mat, r);
        for (int col = 0; col < 4; ++col) {
            const size_t k = static_cast<size_t>(4 * r + col);
            shown_[k] = viewText(component(c, col));
            txt_col_[k]->setText(QString::fromStdString(shown_[k]));
            txt_col_[k]->setModified(false);
        }
    }
    shownPower_ = nt::singleText(mat.Power());
    txt_power_->setText(QString::fromStdString(shownPower_));
    shownIndex_ = index;
}

bool frmMATE::hasUnappliedWork() const {
    if (shownIndex_ < 0) return false;
    for (size_t k = 0; k < 16; ++k)
        if (txt_col_[k]->text().toStdString() != shown_[k]) return true;
    return txt_power_->text().toStdString() != shownPower_;
}

void frmMATE::repaintSwatch(int row) {
    int v[3];
    for (int c = 0; c < 3; ++c) v[c] = boxValue(txt_col_[static_cast<size_t>(4 * row + c)]->text().toStdString());
    lblColPrev_[static_cast<size_t>(row)]->setStyleSheet(
        QString("background-color: rgb(%1, %2, %3);").arg(v[0]).arg(v[1]).arg(v[2]));
}

void frmMATE::cmdColPick_Click(int row) {
    RgbColor initial;
    initial.r = boxValue(txt_col_[static_cast<size_t>(4 * row)]->text().toStdString());
    initial.g = boxValue(txt_col_[static_cast<size_t>(4 * row + 1)]->text().toStdString());
    initial.b = boxValue(txt_col_[static_cast<size_t>(4 * row + 2)]->text().toStdString());
    std::optional<RgbColor> chosen = dialogs().chooseColor(initial);
    if (!chosen) return;
    txt_col_[static_cast<size_t>(4 * row)]->setText(QString::number(chosen->r & 0xFF));
    txt_col_[static_cast<size_t>(4 * row + 1)]->setText(QString::number(chosen->g & 0xFF));
    txt_col_[static_cast<size_t>(4 * row + 2)]->setText(QString::number(chosen->b & 0xFF));
}

void frmMATE::cmdUpdCol_Click() {
    modkit::MDLObject* m = model();
    const int index = lstMATE_->currentRow();
    if (!m || index < 0 || index >= m->MaterialList()->Count() || index != shownIndex_) return;

    // Only what was changed is written: an untouched component keeps its exact
    // value instead of coming back as a multiple of 1/255.
    std::array<int, 16> values{};
    std::array<bool, 16> changed{};
    bool any = false;
    for (size_t k = 0; k < 16; ++k) {
        const std::string text = txt_col_[k]->text().toStdString();
        if (text == shown_[k]) continue;
        const FieldRule rule = boxRule(static_cast<int>(k));
        const std::optional<double> v = rule.value(text);
        if (!v) {
            showErrorBox("Fettle II error", rule.refusal(text) + " The material was not changed.");
            txt_col_[k]->setFocus();
            return;
        }
        values[k] = static_cast<int>(*v);
        changed[k] = any = true;
    }
    const std::string powerText = txt_power_->text().toStdString();
    float power = 0;
    const bool powerChanged = powerText != shownPower_;
    if (powerChanged) {
        const FieldRule rule = FieldRule::real("Power");
        const std::optional<double> v = rule.value(powerText);
        if (!v) {
            showErrorBox("Fettle II error", "The power must be a number. " + rule.refusal(powerText));
            txt_power_->setFocus();
            return;
        }
        power = static_cast<float>(*v);
        any = true;
    }
    if (any) {
        const bool ok = change("Update material", "", [&](modkit::MDLObject& model) {
            const modkit::Material& mat = *model.MaterialList()->Item(index + 1);
            for (size_t k = 0; k < 16; ++k)
                if (changed[k]) setView(*rowColor(mat, static_cast<int>(k / 4)), static_cast<int>(k % 4),
                                        static_cast<int16_t>(values[k]));
            if (powerChanged) model.MaterialList()->Item(index + 1)->setPower(power);
        }, modkit::partMaterials) != EditOutcome::refused;
        if (!ok) return;
        showMaterial(index);
    }
    form().log().addLogEvent("updated material " + std::to_string(index));
}

}  // namespace fettle
