#include "editors/frmFLTExport.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/NumText.h"
#include "modkit/core/Paths.h"
#include "modkit/export/FLTBatch.h"
#include "document/FieldRule.h"
#include "shell/ConfigFunctions.h"
#include "shell/Dialogs.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

namespace fettle {
namespace {

const char* const kTextureTypes[3] = {"RGB", "DDS", "TIF"};

std::string errorText(const modkit::Error& e) {
    return "Error " + std::to_string(e.number()) + " (" + e.description() + ")";
}

}  // namespace

frmFLTExport::frmFLTExport(Form1& form) : QWidget(&form, Qt::Dialog), form_(form) {
    setObjectName("frmFLTExport");
    setWindowTitle("OpenFlight Converter");

    auto* textureBox = new QGroupBox("Texture type:", this);
    auto* textureRow = new QHBoxLayout(textureBox);
    for (int i = 0; i < 3; ++i) {
        optFLTTex_[static_cast<size_t>(i)] = new QRadioButton(kTextureTypes[i], textureBox);
        optFLTTex_[static_cast<size_t>(i)]->setObjectName(QString("optFLTTex_%1").arg(i));
        textureRow->addWidget(optFLTTex_[static_cast<size_t>(i)]);
    }
    optFLTTex_[0]->setChecked(true);

    auto* rotationLabel = new QLabel("Additional rotation (degrees):", this);
    txt_flt_rot_ = new QLineEdit("0.0", this);
    txt_flt_rot_->setObjectName("txt_flt_rot");
    txt_flt_rot_->setToolTip("Degrees, clockwise seen from above");
    chk_write_attr_ = new QCheckBox("Write texture attribute files", this);
    chk_write_attr_->setObjectName("chk_write_attr");
    chk_write_attr_->setChecked(true);
    chk_outdir_ = new QCheckBox("Place OpenFlight files in same folder as MDL file", this);
    chk_outdir_->setObjectName("chk_outdir");
    chk_outdir_->setChecked(true);
    lbl_outdir_ = new QLabel("Output folder:", this);
    lbl_outdir_->setObjectName("lbl_outdir");
    txt_outdir_ = new QLineEdit(this);
    txt_outdir_->setObjectName("txt_outdir");
    cmd_outdir_ = new QPushButton("...", this);
    cmd_outdir_->setObjectName("cmd_outdir");
    cmd_outdir_->setFixedWidth(32);
    cmd_outdir_->setToolTip("Choose the output folder");
    cmd_outdir_->setAccessibleName("Choose the output folder");
    rotationLabel->setBuddy(txt_flt_rot_);
    lbl_outdir_->setBuddy(txt_outdir_);
    cmdSelectMDL_ = new QPushButton("Select MDL files...", this);
    cmdSelectMDL_->setObjectName("cmdSelectMDL");
    cmdSelectMDL_->setDefault(true);
    cmdCancel_ = new QPushButton("Cancel", this);
    cmdCancel_->setObjectName("cmdCancel");
    prgConvert_ = new QProgressBar(this);
    prgConvert_->setObjectName("prgConvert");
    prgConvert_->setValue(0);
    lblStatus_ = new QLabel(this);
    lblStatus_->setObjectName("lblStatus");
    lstResult_ = new QListWidget(this);
    lstResult_->setObjectName("lstResult");
    lstResult_->setAccessibleName("Conversion results");
    prgConvert_->setAccessibleName("Conversion progress");

    auto* grid = new QGridLayout;
    grid->addWidget(rotationLabel, 0, 0);
    grid->addWidget(txt_flt_rot_, 0, 1, 1, 2);
    grid->addWidget(chk_write_attr_, 1, 0, 1, 3);
    grid->addWidget(chk_outdir_, 2, 0, 1, 3);
    grid->addWidget(lbl_outdir_, 3, 0);
    grid->addWidget(txt_outdir_, 3, 1);
    grid->addWidget(cmd_outdir_, 3, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdSelectMDL_);
    buttons->addWidget(cmdCancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(textureBox);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(prgConvert_);
    layout->addWidget(lblStatus_);
    layout->addWidget(lstResult_, 1);
    resize(560, 420);

    connect(chk_outdir_, &QCheckBox::toggled, this, [this] { outdirChanged(); });
    connect(cmd_outdir_, &QPushButton::clicked, this, &frmFLTExport::cmd_outdir_Click);
    connect(cmdSelectMDL_, &QPushButton::clicked, this, &frmFLTExport::cmdSelectMDL_Click);
    connect(cmdCancel_, &QPushButton::clicked, this, &frmFLTExport::cmdCancel_Click);
    outdirChanged();
}

void frmFLTExport::showEvent(QShowEvent* e) {
    if (!converting_) {
        const std::string configured = config().text("FLTTex");
        for (int i = 0; i < 3; ++i)
            if (configured == kTextureTypes[i]) optFLTTex_[static_cast<size_t>(i)]->setChecked(true);
        lstResult_->clear();
        lblStatus_->clear();
        prgConvert_->setValue(0);
        if (QScreen* s = screen()) move(s->availableGeometry().center() - rect().center());
    }
    QWidget::showEvent(e);
}

void frmFLTExport::closeEvent(QCloseEvent* e) {
    // A running batch ends after the model it is on.
    if (converting_) stopRequested_ = true;
    e->accept();
}

void frmFLTExport::outdirChanged() {
    const bool own = !chk_outdir_->isChecked() && !converting_;
    lbl_outdir_->setEnabled(own);
    txt_outdir_->setEnabled(own);
    cmd_outdir_->setEnabled(own);
}

void frmFLTExport::setControlsEnabled(bool on) {
    for (QRadioButton* o : optFLTTex_) o->setEnabled(on);
    txt_flt_rot_->setEnabled(on);
    chk_write_attr_->setEnabled(on);
    chk_outdir_->setEnabled(on);
    cmdSelectMDL_->setEnabled(on);
    outdirChanged();
}

std::string frmFLTExport::textureType() const {
    for (int i = 0; i < 3; ++i)
        if (optFLTTex_[static_cast<size_t>(i)]->isChecked()) return kTextureTypes[i];
    return kTextureTypes[0];
}

void frmFLTExport::addResult(const std::string& line) {
    auto* item = new QListWidgetItem(QString::fromStdString(line), lstResult_);
    item->setToolTip(item->text());  // paths are often wider than the list
    lstResult_->scrollToItem(item);
}

void frmFLTExport::cmd_outdir_Click() {
    std::string folder = dialogs().browseForFolder(this);
    if (!folder.empty()) txt_outdir_->setText(QString::fromStdString(folder));
}

void frmFLTExport::cmdCancel_Click() {
    if (converting_) stopRequested_ = true;
    else close();
}

bool frmFLTExport::checkSettings(std::string& outFolder, float& rotation) {
    outFolder.clear();
    if (!chk_outdir_->isChecked()) {
        outFolder = txt_outdir_->text().toStdString();
        if (!modkit::folderExists(outFolder)) {
            showErrorBox("Fettle II", "The selected output folder is not valid");
            return false;
        }
    }
    const std::string text = txt_flt_rot_->text().toStdString();
    const FieldRule rule = FieldRule::real("Additional rotation");
    const std::optional<double> v = rule.value(text);
    if (!v) {
        showErrorBox("Fettle II error", "The additional rotation must be a number of degrees. " + rule.refusal(text));
        txt_flt_rot_->setFocus();
        return false;
    }
    rotation = static_cast<float>(*v);
    return true;
}

void frmFLTExport::cmdSelectMDL_Click() {
    if (converting_) return;
    std::string outFolder;
    float rotation = 0;
    if (!checkSettings(outFolder, rotation)) return;
    std::vector<std::string> files = dialogs().openFilesDialog("MDL file (*.mdl)|*.mdl|All files (*.*)|*.*",
                                                               "Select MDL file", "");
    if (!files.empty()) convert(files);
}

bool frmFLTExport::convert(const std::vector<std::string>& files) {
    std::string outFolder;
    float rotation = 0;
    if (converting_ || !checkSettings(outFolder, rotation)) return false;
    converting_ = true;
    stopRequested_ = false;
    setControlsEnabled(false);
    lstResult_->clear();
    prgConvert_->setRange(0, static_cast<int>(files.size()));
    prgConvert_->setValue(0);

    modkit::FLTBatch batch({outFolder, textureType(), chk_write_attr_->isChecked(), rotation});
    int missing = 0, done = 0;
    const int total = static_cast<int>(files.size());
    for (const std::string& path : files) {
        lblStatus_->setText(QStringLiteral("Converting %1 (%2 of %3)")
                                .arg(QString::fromStdString(modkit::fileNameOf(path)))
                                .arg(done + 1)
                                .arg(total));
        modkit::pumpEventsNow();
        if (stopRequested_) break;
        if (!modkit::pathExists(path)) {  // a FIFO or folder fails in the batch, saying so
            ++missing;
            addResult(path + ": not found, skipped");
        } else {
            modkit::FLTBatchResult r = batch.convert(path);
            if (r.converted()) {
                addResult(path + " -> " + r.output);
                form_.log().addLogEvent(r.output + " exported");
            } else {
                addResult(path + ": " + errorText(*r.error));
                form_.log().addLogError(path + " not converted: " + errorText(*r.error));
            }
        }
        prgConvert_->setValue(++done);
    }
    QString summary = QStringLiteral("%1 converted, %2 failed").arg(batch.converted()).arg(batch.failed());
    if (missing) summary += QStringLiteral(", %1 not found").arg(missing);
    if (done < total) summary += QStringLiteral(", stopped before %1 more").arg(total - done);
    lblStatus_->setText(summary);
    converting_ = false;
    setControlsEnabled(true);
    return true;
}

void frmFLTExport::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace fettle
