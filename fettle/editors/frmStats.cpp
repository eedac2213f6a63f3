#include "editors/frmStats.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <cstdint>

#include "document/FieldRule.h"
#include "editors/FieldMarks.h"
#include "editors/ObjectStatistics.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "shell/ConfigFunctions.h"
#include "shell/Form1.h"

namespace fettle {
namespace nt = modkit::numtext;
namespace {

float boxValue(const modkit::BoundingBox& b, bool max, int axis) {
    switch (axis + (max ? 3 : 0)) {
    case 0: return b.xmin();
    case 1: return b.ymin();
    case 2: return b.zmin();
    case 3: return b.xmax();
    case 4: return b.ymax();
    default: return b.zmax();
    }
}

void setBoxValue(modkit::BoundingBox& b, bool max, int axis, float v) {
    switch (axis + (max ? 3 : 0)) {
    case 0: b.setXmin(v); break;
    case 1: b.setYmin(v); break;
    case 2: b.setZmin(v); break;
    case 3: b.setXmax(v); break;
    case 4: b.setYmax(v); break;
    default: b.setZmax(v); break;
    }
}

QString latin1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<qsizetype>(s.size())); }

}  // namespace

frmStats::frmStats(Form1& form) : ToolWindow(form, "frmStats", "Object information", "mViewList_5") {
    auto* counts = new QFormLayout;
    const struct {
        const char* caption;
        const char* name;
        QLabel* frmStats::*label;
    } countRows[] = {{"Vertices:", "lblNumVert", &frmStats::lblNumVert_},
                     {"Triangles:", "lblNumTri", &frmStats::lblNumTri_},
                     {"Materials:", "lblNumMate", &frmStats::lblNumMate_},
                     {"State changes:", "lblNumStateChg", &frmStats::lblNumStateChg_},
                     {"Textures:", "lblNumText", &frmStats::lblNumText_},
                     {"... night:", "lblNumTextNight", &frmStats::lblNumTextNight_},
                     {"... seasonal:", "lblNumTextSeas", &frmStats::lblNumTextSeas_},
                     {"... other:", "lblNumTextOther", &frmStats::lblNumTextOther_}};
    for (const auto& row : countRows) {
        auto* l = new QLabel(this);
        l->setObjectName(row.name);
        l->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        l->setMinimumWidth(60);
        counts->addRow(row.caption, l);
        this->*row.label = l;
    }

    txtISFT_ = new QLineEdit(this);
    txtISFT_->setObjectName("txtISFT");
    // Applied when the text is committed (Enter or leaving the box), not per keystroke.
    connect(txtISFT_, &QLineEdit::editingFinished, this, [this] {
        if (!txtISFT_->isModified()) return;
        txtISFT_->setModified(false);
        const std::string body = txtISFT_->text().toLatin1().toStdString();
        change("Change creation tool", "",
               [body](modkit::MDLObject& m) { m.setISFT(creationToolBody(body, m.getISFT())); }, modkit::partISFT);
    });
    auto* isft = new QHBoxLayout;
    auto* isftLabel = new QLabel("Creation tool:", this);
    isftLabel->setBuddy(txtISFT_);
    isft->addWidget(isftLabel);
    isft->addWidget(txtISFT_, 1);

    auto* bbox = new QGroupBox("Bounding box", this);
    auto* bgrid = new QGridLayout(bbox);
    static const char* const axes[3] = {"x", "y", "z"};
    for (int k = 0; k < 3; ++k) bgrid->addWidget(new QLabel(axes[k], bbox), 0, k + 1, Qt::AlignCenter);
    bgrid->addWidget(new QLabel("Minimum", bbox), 1, 0);
    bgrid->addWidget(new QLabel("Maximum", bbox), 2, 0);
    for (int k = 0; k < 3; ++k) {
        for (bool max : {false, true}) {
            auto* box = new QLineEdit(bbox);
            box->setObjectName(QString(max ? "txtBBoxMax_%1" : "txtBBoxMin_%1").arg(k));
            box->setAlignment(Qt::AlignRight);
            (max ? txtBBoxMax_ : txtBBoxMin_)[static_cast<size_t>(k)] = box;
            bgrid->addWidget(box, max ? 2 : 1, k + 1);
            const std::string name = std::string("Bounding box ") + (max ? "maximum " : "minimum ") + axes[k];
            box->setAccessibleName(QString::fromStdString(name));
            numberBox(box, "Change bounding box", modkit::partBBox, FieldRule::real(name),
                      [max, k](modkit::MDLObject& m, double v) {
                          setBoxValue(*m.BoundingBox(), max, k, static_cast<float>(v));
                      });
        }
    }

    auto* header = new QGroupBox("MDL Header parameters:", this);
    auto* hgrid = new QGridLayout(header);
    for (int i = 0; i < 8; ++i) {
        auto* box = new QLineEdit(header);
        box->setObjectName(QString("txtMDLH_%1").arg(i));
        box->setAlignment(Qt::AlignRight);
        txtMDLH_[static_cast<size_t>(i)] = box;
        auto* label = new QLabel(QString("Parameter %1:").arg(i + 1), header);
        label->setBuddy(box);
        hgrid->addWidget(label, i / 4, 2 * (i % 4));
        hgrid->addWidget(box, i / 4, 2 * (i % 4) + 1);
        numberBox(box, "Change header parameter", modkit::partHeader,
                  FieldRule::whole("MDL header parameter " + std::to_string(i + 1), INT32_MIN, INT32_MAX),
                  [i](modkit::MDLObject& m, double v) { m.MDLHeader()->setParam(i + 1, static_cast<int32_t>(v)); });
    }

    modelText_ = [this](const QLineEdit* box) -> std::string {
        modkit::MDLObject* m = model();
        if (!m) return {};
        for (int k = 0; k < 3; ++k) {
            if (box == txtBBoxMin_[static_cast<size_t>(k)]) return nt::singleText(boxValue(*m->BoundingBox(), false, k));
            if (box == txtBBoxMax_[static_cast<size_t>(k)]) return nt::singleText(boxValue(*m->BoundingBox(), true, k));
        }
        for (int i = 0; i < 8; ++i)
            if (box == txtMDLH_[static_cast<size_t>(i)]) return nt::intText(m->MDLHeader()->param(i + 1));
        return {};
    };

    auto* right = new QVBoxLayout;
    right->addLayout(isft);
    right->addWidget(bbox);
    right->addWidget(header);
    right->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(counts);
    layout->addSpacing(16);
    layout->addLayout(right, 1);
}

void frmStats::numberBox(QLineEdit* box, const std::string& label, uint32_t parts, const FieldRule& rule,
                         std::function<void(modkit::MDLObject&, double)> set) {
    // Typing only shows whether the text is acceptable; the value is applied
    // when committed (Enter or leaving the box), and only when valid.
    connect(box, &QLineEdit::textEdited, this, [box, rule] { markField(box, rule); });
    connect(box, &QLineEdit::editingFinished, this, [this, box, label, parts, rule, set] {
        if (!box->isModified()) return;
        const std::string t = box->text().toStdString();
        const std::optional<double> v = rule.value(t);
        if (!v) return;  // stays red where it was typed; the model keeps its value
        box->setModified(false);
        if (change(label, "", [&](modkit::MDLObject& m) { set(m, *v); }, parts) != EditOutcome::refused) showBox(box);
    });
}

void frmStats::showBox(QLineEdit* box) {
    if (!model()) return;
    box->setText(QString::fromStdString(modelText_(box)));
    box->setModified(false);
    clearFieldMark(box);
}

void frmStats::refresh() {
    modkit::MDLObject* m = model();
    setEnabled(m != nullptr);
    if (!m) return;
    const ObjectStatistics s = objectStatistics(*m, seasonSuffixes(config()));
    lblNumVert_->setNum(s.vertices);
    lblNumTri_->setNum(s.triangles);
    lblNumMate_->setNum(s.materials);
    lblNumStateChg_->setNum(s.stateChanges);
    lblNumText_->setNum(s.textures);
    lblNumTextNight_->setNum(s.night);
    lblNumTextSeas_->setNum(s.seasonal);
    lblNumTextOther_->setNum(s.other);
    txtISFT_->setText(latin1(creationToolText(m->getISFT())));
    for (QLineEdit* box : txtBBoxMin_) showBox(box);
    for (QLineEdit* box : txtBBoxMax_) showBox(box);
    for (QLineEdit* box : txtMDLH_) showBox(box);
}

}  // namespace fettle
