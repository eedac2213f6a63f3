#include "preview/PreviewStatePanel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include "modkit/bgl/CommandWalk.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/core/NumText.h"

namespace fettle {
namespace {

constexpr int32_t kTime = 0x28C, kDistance = 0x33B, kComplexity = 0x346, kDay = 0x38A, kSeason = 0x6F8;

// A day in the middle of each northern season, in the Season variable's order.
constexpr int kSeasonDays[4] = {15, 105, 196, 288};

QComboBox* namedValues(const modkit::ConditionVariable& v, QWidget* parent) {
    auto* c = new QComboBox(parent);
    for (const auto& text : v.values)
        c->addItem(QString::fromStdString(text), static_cast<int>(modkit::numtext::leadingNumber(text)));
    c->setCurrentIndex(std::max(0, c->findData(v.defaultValue)));
    return c;
}

}  // namespace

PreviewStatePanel::PreviewStatePanel(QWidget* parent) : QWidget(parent) {
    setObjectName("fraState");
    chkState_ = new QCheckBox("Show as the simulator would, under this state", this);
    chkState_->setObjectName("chkState");
    chkState_->setAccessibleName("Simulator state");
    fields_ = new QWidget(this);
    form_ = new QFormLayout(fields_);
    form_->setContentsMargins(0, 0, 0, 0);

    cmbTime_ = new QComboBox(fields_);
    cmbTime_->setObjectName("cmbTime");
    cmbTime_->addItem("Day", modkit::WalkState::day);
    cmbTime_->addItem("Dusk", modkit::WalkState::dusk);
    cmbTime_->addItem("Night", modkit::WalkState::night);
    cmbSeason_ = new QComboBox(fields_);
    cmbSeason_->setObjectName("cmbSeason");
    for (const char* s : {"Winter", "Spring", "Summer", "Autumn"}) cmbSeason_->addItem(s);
    cmbSeason_->setCurrentIndex(2);
    txtDay_ = new QSpinBox(fields_);
    txtDay_->setObjectName("txtDay");
    txtDay_->setRange(1, 365);
    txtDay_->setValue(modkit::WalkState().dayOfYear());
    txtDistance_ = new QSpinBox(fields_);
    txtDistance_->setObjectName("txtDistance");
    txtDistance_->setRange(0, 1000000);
    txtDistance_->setSingleStep(100);
    txtDistance_->setSuffix(" m");
    const modkit::ConditionVariable* complexity = modkit::variableAt(kComplexity);
    cmbComplexity_ = namedValues(*complexity, fields_);
    cmbComplexity_->setObjectName("cmbComplexity");

    // The labels are the controls' buddies, which also gives them their accessible names.
    auto row = [&](const char* text, QWidget* w) {
        auto* label = new QLabel(text, fields_);
        label->setBuddy(w);
        w->setAccessibleName(QString(text).remove('&').remove(':'));
        form_->addRow(label, w);
    };
    row("&Time of day:", cmbTime_);
    row("S&eason:", cmbSeason_);
    row("Day of the &year:", txtDay_);
    row("&Distance:", txtDistance_);
    row("Scenery &complexity:", cmbComplexity_);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(chkState_);
    layout->addWidget(fields_);
    fields_->setEnabled(false);

    connect(chkState_, &QCheckBox::toggled, this, [this](bool on) {
        fields_->setEnabled(on);
        Q_EMIT stateChanged();
    });
    connect(cmbSeason_, &QComboBox::activated, this, &PreviewStatePanel::seasonChosen);
    connect(txtDay_, &QSpinBox::valueChanged, this, [this](int day) {
        const QSignalBlocker block(cmbSeason_);
        cmbSeason_->setCurrentIndex(modkit::seasonOfDay(day));
        Q_EMIT stateChanged();
    });
    for (QComboBox* c : {cmbTime_, cmbComplexity_})
        connect(c, &QComboBox::currentIndexChanged, this, [this] { Q_EMIT stateChanged(); });
    connect(txtDistance_, &QSpinBox::valueChanged, this, [this] { Q_EMIT stateChanged(); });
}

void PreviewStatePanel::seasonChosen(int index) {
    if (index < 0 || index > 3) return;
    txtDay_->setValue(kSeasonDays[index]);  // its own signal redraws
}

QWidget* PreviewStatePanel::variableControl(int32_t address) const {
    for (const Extra& e : extras_)
        if (e.address == address) return e.control;
    return nullptr;
}

int32_t PreviewStatePanel::valueOf(const Extra& e) const {
    if (auto* c = qobject_cast<QComboBox*>(e.control)) return c->currentData().toInt();
    return static_cast<QSpinBox*>(e.control)->value();
}

void PreviewStatePanel::setModel(const modkit::BGLCommandList* commands) {
    std::vector<int32_t> wanted;
    if (commands) wanted = modkit::testedVariables(*commands);
    // Keep the controls of variables still tested, drop the others.
    for (auto it = extras_.begin(); it != extras_.end();) {
        if (std::find(wanted.begin(), wanted.end(), it->address) != wanted.end()) {
            ++it;
            continue;
        }
        form_->removeRow(it->control);  // deletes the control and its label
        it = extras_.erase(it);
    }
    for (int32_t address : wanted) {
        if (address == kTime || address == kDistance || address == kComplexity || address == kDay || address == kSeason ||
            variableControl(address))
            continue;
        const modkit::ConditionVariable* v = modkit::variableAt(address);
        if (!v) continue;
        QWidget* control;
        if (!v->values.empty()) {
            auto* c = namedValues(*v, fields_);
            connect(c, &QComboBox::currentIndexChanged, this, [this] { Q_EMIT stateChanged(); });
            control = c;
        } else {
            auto* s = new QSpinBox(fields_);
            s->setRange(v->minValue, v->maxValue);
            s->setValue(v->defaultValue);
            connect(s, &QSpinBox::valueChanged, this, [this] { Q_EMIT stateChanged(); });
            control = s;
        }
        control->setObjectName(QString::fromStdString("txtVar" + v->address));
        control->setAccessibleName(QString::fromStdString(v->name));
        control->setToolTip(QString::fromStdString(v->helpText()));
        auto* label = new QLabel(QString::fromStdString(v->name + ":"), fields_);
        label->setBuddy(control);
        form_->addRow(label, control);
        extras_.push_back(Extra{address, control, label});
    }
}

std::optional<modkit::WalkState> PreviewStatePanel::state() const {
    if (!chkState_->isChecked()) return std::nullopt;
    modkit::WalkState s;
    s.setDayOfYear(txtDay_->value());
    s.setTimeOfDay(cmbTime_->currentData().toInt());
    s.setDistance(txtDistance_->value());
    s.setAddress(kComplexity, cmbComplexity_->currentData().toInt());
    for (const Extra& e : extras_) s.setAddress(e.address, valueOf(e));
    return s;
}

}  // namespace fettle
