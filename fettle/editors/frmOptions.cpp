#include "editors/frmOptions.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "document/FieldRule.h"
#include "editors/FieldMarks.h"
#include "shell/ConfigFunctions.h"
#include "shell/Dialogs.h"

namespace fettle {
namespace {

// txtTexSuffix(0..4) and txtSeasStart/End(0..4) name these elements.
const char* const kSuffixElements[5] = {"TexSufSP", "TexSufFA", "TexSufWI", "TexSufHW", "TexSufLM"};
const char* const kSuffixNames[5] = {"Spring", "Autumn", "Winter", "Heavy winter", "Night"};
const char* const kSeasonElements[5] = {"TexSufSU", "TexSufFA", "TexSufWI", "TexSufHW", "TexSufSP"};
const char* const kSeasonNames[5] = {"Summer", "Autumn", "Winter", "Heavy winter", "Spring"};
const char* const kNormal[3] = {"nx", "ny", "nz"};
const char* const kFLTTex[3] = {"RGB", "DDS", "TIF"};

QLineEdit* box(QWidget* parent, const QString& name, int width) {
    auto* b = new QLineEdit(parent);
    b->setObjectName(name);
    b->setFixedWidth(width);
    return b;
}

QString q(const std::string& s) { return QString::fromStdString(s); }

}  // namespace

frmOptions::frmOptions(QWidget* parent) : QDialog(parent) {
    setObjectName("frmOptions");
    setWindowTitle("Options");

    auto* search = new QGroupBox("Texture searchpath", this);
    lstTexSearch_ = new QListWidget(search);
    lstTexSearch_->setObjectName("lstTexSearch");
    lstTexSearch_->setAccessibleName("Texture search paths");
    connect(lstTexSearch_, &QListWidget::currentRowChanged, this,
            [this](int row) { cmdDeletePath_->setEnabled(row >= 0); });
    cmdAddRelativePath_ = new QPushButton("Add a new relative texture path", search);
    cmdAddRelativePath_->setObjectName("cmdAddRelativePath");
    connect(cmdAddRelativePath_, &QPushButton::clicked, this, &frmOptions::cmdAddRelativePath_Click);
    cmdAddPath_ = new QPushButton("Add a new absolute texture path", search);
    cmdAddPath_->setObjectName("cmdAddPath");
    connect(cmdAddPath_, &QPushButton::clicked, this, &frmOptions::cmdAddPath_Click);
    cmdDeletePath_ = new QPushButton("Remove the selected texture path", search);
    cmdDeletePath_->setObjectName("cmdDeletePath");
    connect(cmdDeletePath_, &QPushButton::clicked, this, &frmOptions::cmdDeletePath_Click);
    auto* searchButtons = new QVBoxLayout;
    searchButtons->addWidget(cmdAddRelativePath_);
    searchButtons->addWidget(cmdAddPath_);
    searchButtons->addWidget(cmdDeletePath_);
    searchButtons->addStretch(1);
    auto* searchLayout = new QHBoxLayout(search);
    searchLayout->addWidget(lstTexSearch_, 1);
    searchLayout->addLayout(searchButtons);

    auto* suffixes = new QGroupBox("Texture name suffixes", this);
    auto* suffixGrid = new QGridLayout(suffixes);
    for (int i = 0; i < 5; ++i) {
        auto* label = new QLabel(kSuffixNames[i], suffixes);
        suffixGrid->addWidget(label, i, 0);
        txtTexSuffix_[static_cast<size_t>(i)] = box(suffixes, QString("txtTexSuffix_%1").arg(i), 70);
        label->setBuddy(txtTexSuffix_[static_cast<size_t>(i)]);
        suffixGrid->addWidget(txtTexSuffix_[static_cast<size_t>(i)], i, 1);
    }
    suffixGrid->setRowStretch(5, 1);

    auto* days = new QGroupBox("Default season days", this);
    auto* dayGrid = new QGridLayout(days);
    dayGrid->addWidget(new QLabel("Start (day 1-366)", days), 0, 1);
    dayGrid->addWidget(new QLabel("End", days), 0, 2);
    for (int i = 0; i < 5; ++i) {
        dayGrid->addWidget(new QLabel(kSeasonNames[i], days), i + 1, 0);
        txtSeasStart_[static_cast<size_t>(i)] = box(days, QString("txtSeasStart_%1").arg(i), 50);
        txtSeasEnd_[static_cast<size_t>(i)] = box(days, QString("txtSeasEnd_%1").arg(i), 50);
        dayGrid->addWidget(txtSeasStart_[static_cast<size_t>(i)], i + 1, 1);
        dayGrid->addWidget(txtSeasEnd_[static_cast<size_t>(i)], i + 1, 2);
        for (bool end : {false, true}) {
            QLineEdit* b = (end ? txtSeasEnd_ : txtSeasStart_)[static_cast<size_t>(i)];
            const FieldRule rule = dayRule(i, end);
            b->setAccessibleName(QString::fromStdString(rule.field()));
            connect(b, &QLineEdit::textChanged, this, [b, rule] {
                if (b->text().isEmpty()) clearFieldMark(b);
                else markField(b, rule);
            });
        }
    }

    auto* normal = new QGroupBox("Unify normals direction", this);
    auto* normalLayout = new QHBoxLayout(normal);
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(kNormal[i], normal);
        normalLayout->addWidget(label);
        txtNorm_[static_cast<size_t>(i)] = box(normal, QString("txtNorm_%1").arg(i), 60);
        label->setBuddy(txtNorm_[static_cast<size_t>(i)]);
        QLineEdit* b = txtNorm_[static_cast<size_t>(i)];
        connect(b, &QLineEdit::textChanged, this, [b, i] { markField(b, normalRule(i)); });
        normalLayout->addWidget(txtNorm_[static_cast<size_t>(i)]);
    }
    normalLayout->addStretch(1);

    auto* flt = new QGroupBox("OpenFlight options", this);
    auto* fltLayout = new QHBoxLayout(flt);
    fltLayout->addWidget(new QLabel("Texture type:", flt));
    for (int i = 0; i < 3; ++i) {
        optFLTTex_[static_cast<size_t>(i)] = new QRadioButton(kFLTTex[i], flt);
        optFLTTex_[static_cast<size_t>(i)]->setObjectName(QString("optFLTTex_%1").arg(i));
        fltLayout->addWidget(optFLTTex_[static_cast<size_t>(i)]);
    }
    fltLayout->addStretch(1);

    cmdOK_ = new QPushButton("OK", this);
    cmdOK_->setObjectName("cmdOK");
    cmdOK_->setDefault(true);
    connect(cmdOK_, &QPushButton::clicked, this, &frmOptions::cmdOK_Click);
    cmdCancel_ = new QPushButton("Cancel", this);
    cmdCancel_->setObjectName("cmdCancel");
    connect(cmdCancel_, &QPushButton::clicked, this, &QDialog::reject);
    for (QPushButton* b : {cmdAddRelativePath_, cmdAddPath_, cmdDeletePath_, cmdCancel_}) b->setAutoDefault(false);

    auto* middle = new QHBoxLayout;
    middle->addWidget(suffixes);
    middle->addWidget(days);
    auto* okCancel = new QHBoxLayout;
    okCancel->addStretch(1);
    okCancel->addWidget(cmdOK_);
    okCancel->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(search);
    layout->addLayout(middle);
    layout->addWidget(normal);
    layout->addWidget(flt);
    layout->addLayout(okCancel);
}

std::string frmOptions::storedPath(const std::string& folder) {
    if (folder.size() > 1 && (folder.back() == '/' || folder.back() == '\\'))
        return folder.substr(0, folder.size() - 1);
    return folder;
}

void frmOptions::showEvent(QShowEvent* e) {
    fill();
    QDialog::showEvent(e);
}

void frmOptions::fill() {
    const ConfigFunctions& c = config();
    for (int i = 0; i < 5; ++i) {
        txtTexSuffix_[static_cast<size_t>(i)]->setText(q(c.text(kSuffixElements[i])));
        txtSeasStart_[static_cast<size_t>(i)]->setText(q(c.attribute(kSeasonElements[i], "start")));
        txtSeasEnd_[static_cast<size_t>(i)]->setText(q(c.attribute(kSeasonElements[i], "end")));
    }
    for (int i = 0; i < 3; ++i) txtNorm_[static_cast<size_t>(i)]->setText(q(c.attribute("NormVector", kNormal[i])));
    const std::string flt = c.text("FLTTex");
    for (int i = 0; i < 3; ++i) {
        // None checked when the stored type is none of the three (OK then writes "RGB").
        optFLTTex_[static_cast<size_t>(i)]->setAutoExclusive(false);
        optFLTTex_[static_cast<size_t>(i)]->setChecked(flt == kFLTTex[i]);
        optFLTTex_[static_cast<size_t>(i)]->setAutoExclusive(true);
    }
    paths_ = c.texts("TexturePath");
    refreshPaths();
}

void frmOptions::refreshPaths() {
    QSignalBlocker block(lstTexSearch_);
    lstTexSearch_->clear();
    for (const std::string& p : paths_) lstTexSearch_->addItem(QString::fromUtf8(p.c_str()));
    cmdDeletePath_->setEnabled(false);
}

void frmOptions::addPath(const std::string& folder) {
    if (folder.empty()) return;
    paths_.push_back(storedPath(folder));
    refreshPaths();
}

void frmOptions::cmdAddPath_Click() { addPath(dialogs().browseForFolder(this)); }

void frmOptions::cmdAddRelativePath_Click() {
    std::optional<std::string> path =
        dialogs().inputBox("Please enter the new relative texture searchpath:", "Fettle II", "");
    if (path) addPath(*path);
}

void frmOptions::cmdDeletePath_Click() {
    const int row = lstTexSearch_->currentRow();
    if (row < 0 || static_cast<size_t>(row) >= paths_.size()) return;
    paths_.erase(paths_.begin() + row);
    refreshPaths();
    if (!paths_.empty()) lstTexSearch_->setCurrentRow(std::min(row, static_cast<int>(paths_.size()) - 1));
}

FieldRule frmOptions::dayRule(int season, bool end) {
    return FieldRule::whole(std::string(kSeasonNames[season]) + (end ? " end day" : " start day"), 1, 366);
}

FieldRule frmOptions::normalRule(int component) {
    return FieldRule::real(std::string("Unify normals direction ") + kNormal[component]);
}

void frmOptions::cmdOK_Click() {
    ConfigFunctions& c = config();
    auto text = [](const QLineEdit* b) { return b->text().toStdString(); };
    // Nothing is written while one box is refused. An empty day leaves the season unset.
    std::vector<std::pair<QLineEdit*, FieldRule>> checks;
    for (int i = 0; i < 5; ++i) {
        checks.emplace_back(txtSeasStart_[static_cast<size_t>(i)], dayRule(i, false));
        checks.emplace_back(txtSeasEnd_[static_cast<size_t>(i)], dayRule(i, true));
    }
    for (int i = 0; i < 3; ++i) checks.emplace_back(txtNorm_[static_cast<size_t>(i)], normalRule(i));
    for (const auto& [b, rule] : checks) {
        const std::string t = text(b);
        if (rule.kind() == FieldRule::Kind::whole && t.empty()) continue;
        if (!rule.accepts(t)) {
            showErrorBox("Fettle II error", rule.refusal(t) + " The options were not changed.");
            b->setFocus();
            return;
        }
    }
    if (paths_ != c.texts("TexturePath")) {
        for (const pugi::xml_node& n : c.all("TexturePath")) c.removeChild(n);
        for (const std::string& p : paths_) c.appendChild("TexturePath", p);
    }
    for (int i = 0; i < 5; ++i) {
        c.setText(kSuffixElements[i], text(txtTexSuffix_[static_cast<size_t>(i)]));
        c.setAttribute(kSeasonElements[i], "start", text(txtSeasStart_[static_cast<size_t>(i)]));
        c.setAttribute(kSeasonElements[i], "end", text(txtSeasEnd_[static_cast<size_t>(i)]));
    }
    for (int i = 0; i < 3; ++i) c.setAttribute("NormVector", kNormal[i], text(txtNorm_[static_cast<size_t>(i)]));
    c.setText("FLTTex", optFLTTex_[1]->isChecked() ? "DDS" : optFLTTex_[2]->isChecked() ? "TIF" : "RGB");
    accept();
}

}  // namespace fettle
