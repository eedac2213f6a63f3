#include "editors/frmCond.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>
#include <QVBoxLayout>

#include "document/FieldRule.h"
#include "modkit/bgl/BGLCommandList.h"
#include "modkit/bgl/ConditionVariables.h"
#include "modkit/core/Error.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/NumText.h"
#include "shell/Dialogs.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

namespace fettle {
namespace {

using modkit::CondType;
namespace numtext = modkit::numtext;

const char* const kTitle = "Fettle II";
const char* const kErrorTitle = "Fettle II error";

QString q(const std::string& s) { return QString::fromStdString(s); }
std::string s(const QString& t) { return t.toStdString(); }

bool isVariableType(int type) {
    return type == static_cast<int>(CondType::Between) || type == static_cast<int>(CondType::mask);
}

const std::vector<modkit::ConditionVariable>& table() { return modkit::conditionVariables(); }

}  // namespace

frmCond::frmCond(Form1& form) : ToolWindow(form, "frmCond", "Condition manager") { build(); }

void frmCond::build() {
    auto named = [this](auto* w, const char* name) {
        w->setObjectName(name);
        return w;
    };
    lstCond_ = named(new QListWidget(this), "lstCond");
    cmdNewCondition_ = named(new QPushButton("New condition", this), "cmdNewCondition");
    cmdRmvCondition_ = named(new QPushButton("Remove condition", this), "cmdRmvCondition");
    cmbType_ = named(new QComboBox(this), "cmbType");
    cmbType_->addItems({"Between", "Mask", "Rotate to user", "Rotate with wind"});
    cmbVar_ = named(new QComboBox(this), "cmbVar");
    for (const auto& v : table()) {
        cmbVar_->addItem(q(v.name));
        // Each variable tells what it holds, and its values by name.
        cmbVar_->setItemData(cmbVar_->count() - 1, q(v.helpText()).replace("\r\n", "\n"), Qt::ToolTipRole);
    }
    txtVar_ = named(new QLineEdit(this), "txtVar");
    txtVar_->setMaximumWidth(80);
    cmbVarType_ = named(new QComboBox(this), "cmbVarType");
    cmbVarType_->addItems({"Dec", "Hex"});
    txtMin_ = named(new QLineEdit(this), "txtMin");
    txtMax_ = named(new QLineEdit(this), "txtMax");
    cmbMinNamed_ = named(new QComboBox(this), "cmbMinNamed");
    cmbMaxNamed_ = named(new QComboBox(this), "cmbMaxNamed");
    cmbMinNamed_->setToolTip("The variable's values by name");
    cmbMaxNamed_->setToolTip("The variable's values by name");
    cmbMinNamed_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cmbMaxNamed_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    cmbMultiCond_ = named(new QComboBox(this), "cmbMultiCond");
    cmbMultiCond_->addItems({"AND", "OR", "NOT", "NOR"});
    cmbMultiCond_->setToolTip("How the variable conditions combine");
    txtHelp_ = named(new QPlainTextEdit(this), "txtHelp");
    txtHelp_->setReadOnly(true);
    // Names for assistive technology where no label stands beside the control.
    const std::pair<QWidget*, const char*> names[] = {
        {lstCond_, "Conditions"}, {cmbType_, "Condition type"}, {cmbVar_, "Variable"},
        {txtVar_, "Variable address (hexadecimal)"}, {cmbVarType_, "Values written in"}, {txtMin_, "Minimum value"},
        {txtMax_, "Maximum value"}, {cmbMinNamed_, "Minimum value by name"}, {cmbMaxNamed_, "Maximum value by name"},
        {cmbMultiCond_, "Combination of the conditions"}, {txtHelp_, "Help"}};
    for (const auto& [w, name] : names) w->setAccessibleName(name);
    txtVar_->setToolTip("The variable's address in hexadecimal, 0 to FFFF");
    cmbVarType_->setToolTip("Whether min and max are written in decimal or hexadecimal");
    cmdOK_ = named(new QPushButton("Apply to object", this), "cmdOK");
    cmdCancel_ = named(new QPushButton("Cancel", this), "cmdCancel");
    auto* lblType = named(new QLabel("Condition type:", this), "lblType");
    lblVar_ = named(new QLabel("Variable:", this), "lblVar");
    lblValue_ = named(new QLabel("Value:", this), "lblValue");
    lblMin_ = named(new QLabel("min", this), "lblMin");
    lblMax_ = named(new QLabel("max", this), "lblMax");

    auto* left = new QVBoxLayout;
    left->addWidget(lstCond_);
    auto* listButtons = new QHBoxLayout;
    listButtons->addWidget(cmdNewCondition_);
    listButtons->addWidget(cmdRmvCondition_);
    left->addLayout(listButtons);
    left->addWidget(cmbMultiCond_);

    auto* grid = new QGridLayout;
    grid->addWidget(lblType, 0, 0);
    grid->addWidget(cmbType_, 0, 1, 1, 4);
    grid->addWidget(lblVar_, 1, 0);
    grid->addWidget(cmbVar_, 1, 1, 1, 3);
    grid->addWidget(txtVar_, 1, 4);
    grid->addWidget(lblValue_, 2, 0);
    grid->addWidget(cmbVarType_, 2, 1);
    grid->addWidget(lblMin_, 2, 2);
    grid->addWidget(txtMin_, 2, 3);
    grid->addWidget(cmbMinNamed_, 2, 4);
    grid->addWidget(lblMax_, 3, 2);
    grid->addWidget(txtMax_, 3, 3);
    grid->addWidget(cmbMaxNamed_, 3, 4);
    grid->addWidget(txtHelp_, 4, 0, 1, 5);
    grid->setRowStretch(4, 1);

    auto* top = new QHBoxLayout;
    top->addLayout(left, 2);
    top->addLayout(grid, 3);
    auto* bottom = new QHBoxLayout;
    bottom->addStretch();
    bottom->addWidget(cmdOK_);
    bottom->addWidget(cmdCancel_);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addLayout(bottom);
    lstCond_->setMinimumWidth(280);
    resize(720, 360);

    connect(lstCond_, &QListWidget::currentRowChanged, this, &frmCond::showCondition);
    connect(cmdNewCondition_, &QPushButton::clicked, this, &frmCond::newCondition);
    connect(cmdRmvCondition_, &QPushButton::clicked, this, &frmCond::removeCondition);
    connect(cmbType_, &QComboBox::currentIndexChanged, this, [this](int type) {
        showHelp();
        if (!ready_) return;
        updateVisibility(type);
        storeCurrentCondition();
    });
    connect(cmbVar_, &QComboBox::currentIndexChanged, this, [this](int row) {
        if (row < 0 || static_cast<size_t>(row) >= table().size()) return;
        txtVar_->setText(q(table()[static_cast<size_t>(row)].address));
        showHelp();
        storeCurrentCondition();
    });
    connect(txtVar_, &QLineEdit::textChanged, this, [this](const QString& text) {
        // Only the exact upper-case address selects a variable.
        int row = -1;
        for (size_t i = 0; i < table().size(); ++i)
            if (q(table()[i].address) == text) row = static_cast<int>(i);
        {
            QSignalBlocker block(cmbVar_);
            cmbVar_->setCurrentIndex(row);
        }
        showHelp();
        updateNamedValues();
    });
    for (QLineEdit* field : {txtVar_, txtMin_, txtMax_})
        connect(field, &QLineEdit::editingFinished, this, [this] { storeCurrentCondition(); });
    connect(txtMin_, &QLineEdit::textChanged, this, &frmCond::updateNamedValues);
    connect(txtMax_, &QLineEdit::textChanged, this, &frmCond::updateNamedValues);
    connect(cmbVarType_, &QComboBox::currentIndexChanged, this, &frmCond::switchVarType);
    for (auto [box, field] : {std::pair{cmbMinNamed_, txtMin_}, std::pair{cmbMaxNamed_, txtMax_}}) {
        connect(box, &QComboBox::activated, this, [this, box, field](int i) {
            field->setText(q(valueText(static_cast<int16_t>(box->itemData(i).toInt()))));
            storeCurrentCondition();
        });
    }
    connect(cmbMultiCond_, &QComboBox::currentIndexChanged, this, [this](int i) {
        if (!condList_ || i < 0) return;
        condList_->setMultiCondition(static_cast<modkit::eMultiCondition>(i));
        modified_ = true;
    });
    connect(cmdOK_, &QPushButton::clicked, this, &frmCond::apply);
    connect(cmdCancel_, &QPushButton::clicked, this, &QWidget::close);
}

void frmCond::showEvent(QShowEvent* e) {
    ToolWindow::showEvent(e);
    if (!e->spontaneous() && model() && !condList_)
        showErrorBox(kErrorTitle,
                     "This object has no BGL_CALL_32 or SPRITE_VICALL command, so it cannot be given display "
                     "conditions.");
}

void frmCond::refresh() {
    if (inApply_) return;  // a failed apply keeps the edits to be put right
    ready_ = false;
    modified_ = false;
    refused_.clear();
    currentIndex_ = -1;
    condList_.reset();
    {
        QSignalBlocker b1(cmbType_), b2(cmbVarType_), b3(cmbMultiCond_), b4(lstCond_);
        cmbType_->setCurrentIndex(0);
        cmbVarType_->setCurrentIndex(0);
        cmbMultiCond_->setCurrentIndex(0);
        lstCond_->clear();
    }
    for (QLineEdit* field : {txtVar_, txtMin_, txtMax_}) field->clear();
    if (modkit::MDLObject* m = model()) {
        try {
            condList_ = m->BGLCommandList()->getConditions(-1);
        } catch (const modkit::Error&) {
            condList_.reset();  // no body call to guard
        }
    }
    cmdNewCondition_->setEnabled(condList_ != nullptr);
    refreshConditionList();
    if (condList_ && condList_->Count() > 0) {
        selectLine(0);
    } else {
        setEditingEnabled(false);
        updateVisibility(0);
        cmbMultiCond_->setVisible(false);
    }
    showHelp();
    ready_ = true;
    modified_ = false;
    updateOkButton();
}

void frmCond::refreshConditionList() {
    QSignalBlocker block(lstCond_);
    const int n = condList_ ? condList_->Count() : 0;
    if (lstCond_->count() != n) {
        lstCond_->clear();
        for (int i = 0; i < n; ++i) lstCond_->addItem(QString());
    }
    for (int i = 0; i < n; ++i) lstCond_->item(i)->setText(q(modkit::conditionText(*condList_->Item(i + 1))));
    if (condList_) {
        QSignalBlocker b(cmbMultiCond_);
        cmbMultiCond_->setCurrentIndex(static_cast<int>(condList_->multiCondition()));
    }
    cmdRmvCondition_->setEnabled(n > 0);
}

void frmCond::selectLine(int row) {
    {
        QSignalBlocker block(lstCond_);
        lstCond_->setCurrentRow(row);
    }
    showCondition(row);
}

void frmCond::showCondition(int row) {
    if (!condList_ || row < 0 || row >= condList_->Count()) return;
    ready_ = false;
    const modkit::Condition& c = *condList_->Item(row + 1);
    const int type = static_cast<int>(c.cType());
    {
        QSignalBlocker block(cmbType_);
        cmbType_->setCurrentIndex(type);
    }
    // Rotations keep the fields they had, so that a rotation turned back into a
    // test finds its variable again.
    txtVar_->setText(q(modkit::addressText(c.var())));
    txtMin_->setText(q(valueText(c.min())));
    txtMax_->setText(q(valueText(c.max())));
    setEditingEnabled(true);
    updateVisibility(type);
    cmbMultiCond_->setVisible(countVariableConditions() >= 2);
    ready_ = true;
    currentIndex_ = row;
    showHelp();
}

void frmCond::setEditingEnabled(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{cmbType_, cmbVar_, txtVar_, txtMin_, txtMax_, cmbVarType_,
                                                      cmbMultiCond_, cmbMinNamed_, cmbMaxNamed_})
        w->setEnabled(on);
}

void frmCond::updateVisibility(int type) {
    const bool variable = isVariableType(type);
    const bool between = type == static_cast<int>(CondType::Between);
    for (QWidget* w : std::initializer_list<QWidget*>{lblVar_, cmbVar_, txtVar_, lblValue_, cmbVarType_, txtMin_})
        w->setVisible(variable);
    lblMin_->setVisible(between);
    lblMax_->setVisible(between);
    txtMax_->setVisible(between);
    updateNamedValues();
}

void frmCond::updateNamedValues() {
    const modkit::ConditionVariable* v = modkit::variableByAddress(s(txtVar_->text()));
    const int type = cmbType_->currentIndex();
    const bool hex = cmbVarType_->currentIndex() == 1;
    auto fill = [&](QComboBox* box, QLineEdit* field, bool shown) {
        QSignalBlocker block(box);
        box->clear();
        const bool any = v && !v->values.empty() && shown;
        box->setVisible(any);
        if (!any) return;
        int16_t now = 0;
        const bool known = modkit::conditionrules::readValue(s(field->text()), hex, now);
        for (const auto& line : v->values) {
            const auto value = static_cast<int>(numtext::leadingNumber(line));
            box->addItem(q(line), value);
            if (known && value == now) box->setCurrentIndex(box->count() - 1);
        }
        if (!known || box->itemData(box->currentIndex()).toInt() != now) box->setCurrentIndex(-1);
    };
    fill(cmbMinNamed_, txtMin_, isVariableType(type));
    fill(cmbMaxNamed_, txtMax_, type == static_cast<int>(CondType::Between));
}

int frmCond::countVariableConditions() const {
    int n = 0;
    if (condList_)
        for (const auto& c : *condList_)
            if (isVariableType(static_cast<int>(c->cType()))) ++n;
    return n;
}

void frmCond::showHelp() {
    static const char* const texts[4] = {
        "This condition displays the object only when the selected variable is between the two given values.",
        "This contain displays the object if the specified bits of the variable has been set.",
        "This condition rotates your object to the viewpoint of the user. The center of the rotation is the origin of "
        "the object.",
        "This condition rotates your object with the direction of the wind. The center of the rotation is the origin "
        "of the object. You need to have at least two objects with this condition on your screen before the rotation "
        "works."};
    const int type = cmbType_->currentIndex();
    if (type < 0 || type > 3) return;
    std::string help = texts[type];
    const int row = cmbVar_->currentIndex();
    if (isVariableType(type) && row >= 0) help += "\r\n\r\n" + table()[static_cast<size_t>(row)].helpText();
    txtHelp_->setPlainText(q(help).replace("\r\n", "\n"));
}

std::string frmCond::valueText(int16_t value) const {
    return cmbVarType_->currentIndex() == 1 ? modkit::hexText(value) : numtext::intText(value);
}

void frmCond::switchVarType(int index) {
    const bool toHex = index == 1;
    for (QLineEdit* field : {txtMin_, txtMax_}) {
        const std::string text = s(field->text());
        int16_t v = 0;
        // A field that does not read in the old mode, or lies outside 16 bits, is cleared.
        if (!text.empty() && modkit::conditionrules::readValue(text, !toHex, v)) field->setText(q(toHex ? modkit::hexText(v) : numtext::intText(v)));
        else field->clear();
    }
    updateNamedValues();
}

std::string frmCond::fieldRefusal(modkit::CondType type) const {
    const bool hex = cmbVarType_->currentIndex() == 1;
    auto valueRule = [hex](const char* name) {
        return hex ? FieldRule::hex(name, 0xFFFF) : FieldRule::whole(name, -32768, 32767);
    };
    std::vector<std::pair<const QLineEdit*, FieldRule>> fields{{txtVar_, FieldRule::hex("Variable", 0xFFFF)}};
    if (type == CondType::Between) {
        fields.emplace_back(txtMin_, valueRule("min"));
        fields.emplace_back(txtMax_, valueRule("max"));
    } else {
        fields.emplace_back(txtMin_, valueRule("Mask"));
    }
    for (const auto& [field, rule] : fields)
        if (!rule.accepts(s(field->text()))) return rule.refusal(s(field->text()));
    if (type == CondType::mask && !numtext::isNumber(s(txtMin_->text())))
        return "Mask: \"" + s(txtMin_->text()) + "\" is not valid; write the mask with the digits 0 to 9, in either mode.";
    return {};
}

bool frmCond::storeCurrentCondition() {
    if (!condList_ || condList_->Count() == 0 || !ready_ || storing_) return true;
    if (currentIndex_ < 0 || currentIndex_ >= condList_->Count()) return true;
    // A message box takes the focus, which would finish the editing again.
    storing_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{storing_};

    const auto& cond = condList_->Item(currentIndex_ + 1);
    const CondType old = cond->cType();
    const auto type = static_cast<CondType>(cmbType_->currentIndex());
    cond->setCType(type);
    if (type == CondType::RotUser || type == CondType::RotWind) {
        const std::string msg = modkit::conditionrules::rotationMessage(*condList_, type);
        if (!msg.empty()) {
            cond->setCType(old);
            ready_ = false;
            {
                QSignalBlocker block(cmbType_);
                cmbType_->setCurrentIndex(static_cast<int>(old));
            }
            updateVisibility(static_cast<int>(old));
            showHelp();
            ready_ = true;
            dialogs().messageBox(kTitle, msg, MsgIcon::Critical);
            return false;
        }
    } else {
        std::string msg = fieldRefusal(type);
        if (msg.empty())
            msg = modkit::conditionrules::storeVariableCondition(*cond, type, s(txtVar_->text()), s(txtMin_->text()),
                                                                 s(txtMax_->text()), cmbVarType_->currentIndex() == 1);
        else
            msg = std::string(modkit::conditionrules::fieldsInvalid) + "\n\n" + msg;
        if (!msg.empty()) {
            // The type stays as chosen; the values keep what was last stored.
            refused_.insert(cond.get());
            modified_ = true;
            refreshConditionList();
            updateOkButton();
            showErrorBox(kErrorTitle, msg);
            return false;
        }
    }
    refused_.erase(cond.get());
    refreshConditionList();
    selectLine(currentIndex_);
    modified_ = true;
    updateOkButton();
    return true;
}

void frmCond::newCondition() {
    if (!condList_) return;
    auto c = std::make_shared<modkit::Condition>();
    c->setCType(CondType::Between);
    c->setVar("827");  // 33B, "Distance to RefPoint"
    c->setMin(0);
    c->setMax(500);
    condList_->Add(c);
    refreshConditionList();
    selectLine(condList_->Count() - 1);
    modified_ = true;
}

void frmCond::removeCondition() {
    const int row = lstCond_->currentRow();
    if (!condList_ || row < 0 || row >= condList_->Count()) return;
    refused_.erase(condList_->Item(row + 1).get());
    condList_->Remove(row + 1);
    refreshConditionList();
    if (condList_->Count() == 0) {
        currentIndex_ = -1;
        setEditingEnabled(false);
        cmdRmvCondition_->setEnabled(false);
        cmbMultiCond_->setVisible(false);
    } else {
        selectLine(0);
    }
    modified_ = true;
    updateOkButton();
}

void frmCond::updateOkButton() { cmdOK_->setEnabled(condList_ != nullptr && refused_.empty()); }

void frmCond::apply() {
    if (!condList_) return;
    // A field still being typed in is stored first.
    if (currentIndex_ >= 0 && (txtVar_->isModified() || txtMin_->isModified() || txtMax_->isModified())) {
        txtVar_->setModified(false);
        txtMin_->setModified(false);
        txtMax_->setModified(false);
        if (!storeCurrentCondition()) return;
    }
    if (!refused_.empty() || !model()) return;
    if (modified_) {
        if (const std::string w = modkit::conditionrules::combinationWarning(*condList_); !w.empty()) {
            if (dialogs().messageBox(kTitle, w + "\r\n\r\nApply the conditions all the same?", MsgIcon::Exclamation,
                                     MsgButtons::YesNo) != MsgAnswer::Yes)
                return;
        }
        std::vector<modkit::Condition> wanted;
        for (const auto& c : *condList_) wanted.push_back(*c);
        modkit::eMultiCondition multi = condList_->multiCondition();
        // With fewer than two variable conditions the choice is hidden and
        // must not shape the stream: OR of one is AND of one, NOR of one NOT.
        if (countVariableConditions() < 2) {
            if (multi == modkit::eMultiCondition::mOR) multi = modkit::eMultiCondition::mAND;
            if (multi == modkit::eMultiCondition::mNOR) multi = modkit::eMultiCondition::mNOT;
        }
        inApply_ = true;
        const EditOutcome applied = change("Display conditions", "", [&](modkit::MDLObject& m) {
            auto& commands = *m.BGLCommandList();
            auto list = commands.getConditions(-1);
            list->clear();
            for (const auto& c : wanted) list->Add(std::make_shared<modkit::Condition>(c));
            list->setMultiCondition(multi);
            commands.addCondition(list);
        }, modkit::partCommands);
        inApply_ = false;
        if (applied == EditOutcome::refused) return;
        form().log().addLogEvent(applied == EditOutcome::applied ? "updated display condition of the object"
                                                                 : "display conditions unchanged");
    }
    condList_.reset();
    close();
}

}  // namespace fettle
