#include "editors/frmBGLBrowser.h"

#include <QAction>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "editors/EditorErrors.h"
#include "modkit/bglfile/BGLObject.h"
#include "modkit/core/Error.h"
#include "modkit/core/FileIO.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "shell/Dialogs.h"
#include "shell/Form1.h"
#include "shell/frmLog.h"

namespace fettle {
namespace {

const char* const kForm = "frmBGLBrowser";

// "lib.BGL" -> "lib": the start of the names of extracted models.
std::string baseName(const std::string& path) {
    std::string name = modkit::fileNameOf(path);
    if (name.size() > 4 && modkit::lowerCase(name.substr(name.size() - 4)) == ".bgl") name.resize(name.size() - 4);
    return name;
}

}  // namespace

frmBGLBrowser::frmBGLBrowser(Form1& form) : QWidget(&form, Qt::Window), form_(form) {
    setObjectName("frmBGLBrowser");
    setWindowTitle("BGL Browser");
    cmdLoadLib_ = new QPushButton("Select BGL file...", this);
    cmdLoadLib_->setObjectName("cmdLoadLib");
    cmdExtract_ = new QPushButton("Extract...", this);
    cmdExtract_->setObjectName("cmdExtract");
    cmdExtract_->setToolTip("Write the selected object as an MDL file");
    lblLibrary_ = new QLabel(this);
    lblLibrary_->setObjectName("lblLibrary");
    lblLibrary_->setWordWrap(true);
    lst_ = new QListWidget(this);
    lst_->setObjectName("lstObject");
    lst_->setAccessibleName("Models in the library");

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdLoadLib_);
    buttons->addWidget(cmdExtract_);
    buttons->addStretch();
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(buttons);
    layout->addWidget(lblLibrary_);
    layout->addWidget(lst_);
    resize(320, 400);

    connect(cmdLoadLib_, &QPushButton::clicked, this, &frmBGLBrowser::cmdLoadLib_Click);
    connect(cmdExtract_, &QPushButton::clicked, this, &frmBGLBrowser::cmdExtract_Click);
    connect(lst_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) { lstObject_Click(lst_->row(item)); });
    // Enter on a line loads it too.
    connect(lst_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { lstObject_Click(lst_->row(item)); });
    connect(lst_, &QListWidget::currentRowChanged, this, [this] { updateButtons(); });
    updateButtons();
}

frmBGLBrowser::~frmBGLBrowser() = default;

std::function<void(const std::string&)> frmBGLBrowser::logError() {
    return [this](const std::string& line) { form_.log().addLogError(line); };
}

void frmBGLBrowser::updateButtons() { cmdExtract_->setEnabled(lib_ && lst_->currentRow() >= 0); }

bool frmBGLBrowser::openLibrary(const std::string& path, const std::string& handler) {
    return trapFileErrors(handler, kForm, FileTask::open, path, logError(), [&] {
        // The reader quietly does nothing for a missing file; the user named one.
        modkit::requireRegularFile(path, "Modkit.BGLObject");
        // Only the tables and the index are read here: every model is listed,
        // also one that would not load, and each is read when it is chosen.
        auto lib = std::make_unique<modkit::BGLObject>();
        lib->scanXMLBGL(path);
        lib_ = std::move(lib);
        loaded_.reset();
        loadedRow_ = -1;
        lst_->clear();
        for (int k = 1; k <= lib_->modelCount(); ++k) {
            auto* item = new QListWidgetItem("Object " + QString::number(k), lst_);
            item->setToolTip(QString::number(lib_->modelSize(k)) + " bytes");
        }
        const int n = lib_->modelCount();
        lblLibrary_->setText(QString::fromStdString(path) + "\n" +
                             (n == 0   ? QStringLiteral("No models in this library")
                              : n == 1 ? QStringLiteral("1 model")
                                       : QStringLiteral("%1 models").arg(n)));
        updateButtons();
    });
}

void frmBGLBrowser::cmdLoadLib_Click() {
    std::string path = dialogs().openFileDialog("BGL file (*.bgl)|*.bgl", "Select BGL file", "");
    if (!path.empty()) openLibrary(path);
}

void frmBGLBrowser::lstObject_Click(int row) {
    if (!lib_ || row < 0 || row >= lib_->modelCount() || loading_ || form_.isBusy()) return;
    // The same object, unchanged, is already the current model.
    if (loaded_ && form_.currentModel() == loaded_ && row == loadedRow_ && !form_.document().isModified()) return;
    if (!form_.maybeSaveChanges()) return;
    const std::string path = lib_->path();
    const std::string number = std::to_string(row + 1);
    loading_ = true;
    trapFileErrors("lstObject_Click", kForm, FileTask::open, path + " (object " + number + ")", logError(), [&] {
        auto m = std::make_shared<modkit::MDLObject>();
        m->readMDLBytes(lib_->modelBytes(row + 1), path);
        m->setMDLPath(path);
        form_.loadReadModel(m, path + " - Object " + number, modkit::folderOf(path));
        if (form_.currentModel() != m) return;  // the main window was busy
        form_.log().addLogEvent("Object " + number + " loaded from " + path);
        loaded_ = m;
        loadedRow_ = row;
    });
    loading_ = false;
}

void frmBGLBrowser::cmdExtract_Click() {
    const int row = lst_->currentRow();
    if (!lib_ || row < 0 || row >= lib_->modelCount()) return;
    const std::string number = std::to_string(row + 1);
    const std::string proposal =
        modkit::joinPath(modkit::folderOf(lib_->path()), baseName(lib_->path()) + "_object_" + number + ".mdl");
    std::string path = dialogs().saveFileDialog("MDL file (*.mdl)|*.mdl", "Extract model as", proposal);
    if (path.empty() || !lib_) return;
    trapFileErrors("cmdExtract_Click", kForm, FileTask::save, path, logError(), [&] {
        // The bytes as the library holds them, also of a model that would not load.
        modkit::refuseOutputOverInput(path, {lib_->path()}, "Modkit.BGLObject");
        modkit::writeFileAtomically(path, lib_->modelBytes(row + 1), "Modkit.BGLObject");
        form_.log().addLogEvent("Object " + number + " extracted to " + path);
    });
}

void frmBGLBrowser::closeEvent(QCloseEvent* e) {
    lib_.reset();
    loaded_.reset();
    loadedRow_ = -1;
    lst_->clear();
    lblLibrary_->clear();
    updateButtons();
    if (QAction* item = form_.action("mViewBGLBrowser")) item->setChecked(false);
    e->accept();
}

void frmBGLBrowser::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
        close();
        return;
    }
    QWidget::keyPressEvent(e);
}

}  // namespace fettle
