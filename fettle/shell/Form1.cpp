#include "shell/Form1.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>
#include <filesystem>

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "preview/PreviewSurface.h"
#include "preview/frmPreview.h"
#include "shell/ConfigFunctions.h"
#include "shell/Dialogs.h"
#include "shell/frmLoadingProgress.h"
#include "shell/frmLog.h"
#include "shell/frmSplash.h"

namespace fettle {
namespace {

const char* const kTitle = "Fettle II";
const char* const kMdlFilter = "MDL file (*.mdl)|*.mdl";

bool hasSuffix(const std::string& path, const char* suffix) {
    return QString::fromStdString(path).endsWith(QLatin1String(suffix), Qt::CaseInsensitive);
}

// Lets window events run for ms milliseconds.
void waitWithEvents(int ms) {
    QElapsedTimer t;
    t.start();
    do {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    } while (t.elapsed() < ms);
}

}  // namespace

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle(kTitle);
    setAcceptDrops(true);
    log_ = new frmLog(this);
    preview_ = new frmPreview([this] { return currentModel_; }, this);
    progress_ = new frmLoadingProgress(this);
    buildMenus();
    buildButtons();
    resize(sizeHint().expandedTo(QSize(640, 150)));

    connect(preview_, &frmPreview::previewDisabled, this, [this] {
        log_->addLogEvent("an error occured in the preview window and the preview will now be disabled");
    });
    // A surface made after a model was loaded builds its preview then.
    connect(&preview_->openGLPreviewObject(), &PreviewSurface::glInitialized, this, [this] {
        const std::string& failure = preview_->openGLPreviewObject().initError();
        if (!failure.empty()) log_->addLogError(failure);
        if (currentModel_ && !busy_) {
            preparePreview(*currentModel_);
            preview_->drawMDLOnce();
        }
    });

    config().refreshRecentFileMenu = [this] { refreshRecentFileMenu(); };
    modkit::setEventPump([this] {
        if (progress_->isVisible()) progress_->showStatus();
        QCoreApplication::processEvents();
        // The preview's draw list may be being compiled: its context stays current.
        if (busy_) preview_->openGLPreviewObject().makeCurrent();
    });
    setButtonsValid();
    refreshRecentFileMenu();
}

Form1::~Form1() {
    modkit::setEventPump({});
    config().refreshRecentFileMenu = nullptr;
}

QAction* Form1::addAction(QMenu* menu, const char* name, const char* caption) {
    auto* a = new QAction(QString::fromUtf8(caption), this);
    a->setObjectName(name);
    menu->addAction(a);
    return a;
}

void Form1::buildMenus() {
    mFile_ = menuBar()->addMenu("&File");
    mFile_->setObjectName("mFile");
    QAction* open = addAction(mFile_, "mOpen", "&Open...");
    open->setShortcut(QKeySequence::Open);
    connect(open, &QAction::triggered, this, &Form1::mOpen_Click);
    QAction* save = addAction(mFile_, "mSave", "&Save...");
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &Form1::mSave_Click);
    mExport_ = mFile_->addMenu("&Export");
    mExport_->setObjectName("mExport");
    mExport_->menuAction()->setObjectName("mExport");
    connect(addAction(mExport_, "mASMExport", "&BGLC source..."), &QAction::triggered, this, &Form1::mASMExport_Click);
    connect(addAction(mExport_, "mFLTExport", "&OpenFlight..."), &QAction::triggered, this, &Form1::mFLTExport_Click);
    mFile_->addSeparator()->setObjectName("mFileLine1");
    for (int i = 0; i < 8; ++i) {
        mLastFile_[static_cast<size_t>(i)] = addAction(mFile_, ("mLastFile_" + std::to_string(i)).c_str(), "");
        connect(mLastFile_[static_cast<size_t>(i)], &QAction::triggered, this, [this, i] { mLastFile_Click(i); });
    }
    mFileLine2_ = mFile_->addSeparator();
    mFileLine2_->setObjectName("mFileLine2");
    QAction* exit = addAction(mFile_, "mExit", "E&xit");
    exit->setShortcut(QKeySequence::Quit);
    connect(exit, &QAction::triggered, this, &Form1::mExit_Click);
    connect(mFile_, &QMenu::aboutToShow, this, [this] {
        const bool can = currentModel_ && !loadedFromLibrary_ && !busy_;
        action("mSave")->setEnabled(can);
        mExport_->menuAction()->setEnabled(can);
    });

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("mEdit");
    QAction* undoAction = addAction(edit, "mUndo", "&Undo");
    undoAction->setShortcut(QKeySequence::Undo);
    connect(undoAction, &QAction::triggered, this, &Form1::undo);
    QAction* redoAction = addAction(edit, "mRedo", "&Redo");
    redoAction->setShortcut(QKeySequence::Redo);
    connect(redoAction, &QAction::triggered, this, &Form1::redo);

    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->setObjectName("mTools");
    QAction* browser = addAction(tools, "mViewBGLBrowser", "&BGL browser...");
    browser->setCheckable(true);
    connect(browser, &QAction::triggered, this, [this, browser] { toggleTool(Tool::BGLBrowser, browser); });
    connect(addAction(tools, "mOpenFlightConv", "&OpenFlight converter..."), &QAction::triggered, this,
            [this] { showModal(Tool::OpenFlightConverter); });
    connect(addAction(tools, "mOptions", "&Options..."), &QAction::triggered, this,
            [this] { showModal(Tool::Options); });

    QMenu* window = menuBar()->addMenu("&Window");
    window->setObjectName("mWindow");
    QAction* viewPreview = addAction(window, "mViewPreview", "&Object preview");
    viewPreview->setCheckable(true);
    connect(viewPreview, &QAction::triggered, this, [this, viewPreview] { toggleWindow(preview_, viewPreview); });
    static const char* const lists[6] = {"&Material list", "&Texture list", "&Vertex list",
                                         "BGL &command list", "Tran&slation list", "&Statistics"};
    static const Tool listTools[6] = {Tool::MaterialList, Tool::TextureList, Tool::VertexList,
                                      Tool::CommandTree, Tool::CommandTree, Tool::Statistics};
    for (int i = 0; i < 6; ++i) {
        QAction* a = addAction(window, ("mViewList_" + std::to_string(i)).c_str(), lists[i]);
        mViewList_[static_cast<size_t>(i)] = a;
        if (i == 4) continue;  // no window of its own
        a->setCheckable(true);
        Tool t = listTools[i];
        connect(a, &QAction::triggered, this, [this, t, a] { toggleTool(t, a); });
    }
    QAction* logItem = addAction(window, "mLog", "Event &log");
    logItem->setCheckable(true);
    connect(logItem, &QAction::triggered, this, [this, logItem] { toggleWindow(log_, logItem); });
    // The check marks follow the windows however they are shown or closed.
    connect(preview_, &frmPreview::closed, this, [viewPreview] { viewPreview->setChecked(false); });
    connect(log_, &frmLog::closed, this, [logItem] { logItem->setChecked(false); });

    QMenu* help = menuBar()->addMenu("&Help");
    help->setObjectName("mHelp");
    addAction(help, "mManual", "&Manual...")->setEnabled(false);
    connect(addAction(help, "mAbout", "&About..."), &QAction::triggered, this, [this] {
        frmAbout about(this);
        about.exec();
    });
}

void Form1::buildButtons() {
    auto* central = new QWidget(this);
    auto* grid = new QGridLayout(central);
    static const char* const listCaptions[6] = {"Materials", "Textures", "Vertices",
                                                "BGL commands", "Translations", "Statistics"};
    static const char* const listTips[6] = {"Display material list", "Display texture list",
                                            "Display vertex list", "Display BGL command list",
                                            "Display translation matrix list", "Display statistics"};
    static const char* const tweakCaptions[6] = {"Remove shadow", "Add object condition", "Add seasonal textures",
                                                 "Fix BGL_LIGHT problem", "", ""};
    for (int i = 0; i < 6; ++i) {
        auto* b = new QPushButton(listCaptions[i], central);
        b->setObjectName(QString("cmd_list_%1").arg(i));
        b->setToolTip(listTips[i]);
        connect(b, &QPushButton::clicked, this, [this, i] { cmd_list_Click(i); });
        grid->addWidget(b, 0, i);
        cmd_list_[static_cast<size_t>(i)] = b;
        auto* t = new QPushButton(tweakCaptions[i], central);
        t->setObjectName(QString("cmdSimpleTweak_%1").arg(i));
        if (i < 4) connect(t, &QPushButton::clicked, this, [this, i] { cmdSimpleTweak_Click(i); });
        else t->setVisible(false);  // reserved, no action
        grid->addWidget(t, 1, i);
        cmdSimpleTweak_[static_cast<size_t>(i)] = t;
    }
    setCentralWidget(central);
}

QAction* Form1::action(const QString& name) const { return findChild<QAction*>(name); }
QPushButton* Form1::button(const QString& name) const { return findChild<QPushButton*>(name); }

void Form1::startUp(const std::string& configPath, int stepMs) {
    frmSplash splash;
    splash.show();
    splash.setSplashText("Loading configuration file");
    QCoreApplication::processEvents();
    config().loadConfiguration(configPath, dialogs());
    refreshRecentFileMenu();
    waitWithEvents(stepMs);
    splash.setSplashText("Initializing OpenFlight exporter");
    waitWithEvents(stepMs);
    splash.setSplashText("Trying to hide beta version errors");
    waitWithEvents(stepMs);
    show();
    preview_->show();
    action("mViewPreview")->setChecked(true);
    setButtonsValid();
    splash.close();
}

void Form1::refreshRecentFileMenu() {
    std::vector<std::string> files = config().recentFiles();
    mFileLine2_->setVisible(!files.empty());
    for (size_t i = 0; i < mLastFile_.size(); ++i) {
        QAction* a = mLastFile_[i];
        if (i < files.size()) {
            // "&" would become a mnemonic in the caption.
            a->setText(QString::fromStdString(files[i]).replace("&", "&&"));
            a->setData(QString::fromStdString(files[i]));
            a->setVisible(true);
        } else {
            a->setVisible(false);
        }
    }
}

void Form1::setButtonsValid() {
    const bool model = currentModel_ && !busy_;
    for (size_t i = 0; i < 6; ++i) {
        bool on = false;
        if (model) {
            switch (i) {
            case 0: on = currentModel_->MaterialList()->Count() > 0; break;
            case 1: on = currentModel_->TextureList()->Count() > 0; break;
            case 2: on = currentModel_->VertexList()->Count() > 0; break;
            case 3: on = currentModel_->BGLCommandList()->Count() > 0; break;
            default: on = true; break;
            }
        }
        static const Tool listTools[6] = {Tool::MaterialList, Tool::TextureList, Tool::VertexList,
                                          Tool::CommandTree, Tool::CommandTree, Tool::Statistics};
        const bool available = i == 4 || hasTool(listTools[i]);
        cmd_list_[i]->setEnabled(on && available);
        mViewList_[i]->setEnabled(on && (i == 4 || available));
        cmdSimpleTweak_[i]->setEnabled(model);
    }
    if (model) {
        int16_t s = currentModel_->getRIFFSectionIndex("SHAD");
        QPushButton* shadow = cmdSimpleTweak_[0];
        if (currentModel_->getRIFFSectionSize(s) > 0) {
            shadow->setText("Add shadow");
            shadow->setToolTip("Remove the code that kills the shadow so that the shadow of the object is again displayed in FS");
        } else {
            shadow->setText("Remove shadow");
            shadow->setToolTip("Add code to kill the shadow of the object in FS");
        }
        cmdSimpleTweak_[1]->setEnabled(hasTool(Tool::ConditionManager));
        cmdSimpleTweak_[2]->setEnabled(hasTool(Tool::TextureList));
    }
    action("mOpen")->setEnabled(!busy_);
    for (QAction* a : mLastFile_) a->setEnabled(!busy_);
    action("mViewBGLBrowser")->setEnabled(!busy_ && hasTool(Tool::BGLBrowser));
    action("mOpenFlightConv")->setEnabled(!busy_ && hasTool(Tool::OpenFlightConverter));
    action("mOptions")->setEnabled(!busy_ && hasTool(Tool::Options));
    const bool can = currentModel_ && !loadedFromLibrary_ && !busy_;
    action("mSave")->setEnabled(can);
    mExport_->menuAction()->setEnabled(can);
    updateUndoActions();
}

void Form1::updateUndoActions() {
    QAction* u = action("mUndo");
    QAction* r = action("mRedo");
    u->setEnabled(!busy_ && history_.canUndo());
    r->setEnabled(!busy_ && history_.canRedo());
    u->setText(history_.canUndo() ? QString::fromStdString("&Undo " + history_.undoLabel()) : QString("&Undo"));
    r->setText(history_.canRedo() ? QString::fromStdString("&Redo " + history_.redoLabel()) : QString("&Redo"));
}

void Form1::updateTitle() {
    setWindowTitle(QString::fromStdString(
        ModelHistory::windowTitle(currentModel_ ? documentPath_ : std::string(), history_.isModified())));
}

void Form1::setBusy(bool busy) {
    busy_ = busy;
    preview_->setSuspended(busy);
    setButtonsValid();
}

void Form1::locateTextures(modkit::MDLObject& m, const std::string& modelPath, const std::string& firstFolder) {
    std::vector<std::string> search;
    if (!firstFolder.empty()) search.push_back(firstFolder);
    for (const std::string& p : config().texts("TexturePath")) search.push_back(p);
    const std::string folder = modkit::folderOf(modelPath);
    for (const auto& t : *m.TextureList()) {
        t->setFile("");
        std::string found = modkit::locateTextureFile(t->bitmap(), folder, search);
        if (!found.empty() && (found.find("/../") != std::string::npos || found.find("/./") != std::string::npos)) {
            // A relative search folder gives the file's plain absolute path.
            std::error_code ec;
            std::filesystem::path abs = std::filesystem::absolute(found, ec);
            if (!ec) found = abs.lexically_normal().string();
        }
        if (found.empty()) log_->addLogWarning("could not locate texture file \"" + t->bitmap() + "\"");
        else t->setFile(found);
    }
}

void Form1::preparePreview(modkit::MDLObject& m) {
    PreviewSurface& surface = preview_->openGLPreviewObject();
    if (!surface.previewObject().openGLInit() || !surface.makeCurrent()) {
        // Built when the preview window first shows its surface.
        m.setLoaded(false);
        return;
    }
    // Building lets events run: no command may start on the model meanwhile.
    const bool wasBusy = busy_;
    if (!wasBusy) setBusy(true);
    try {
        for (const modkit::TextureLoadFailure& f : m.glPreparepreview(surface.previewObject(), preview_->stateFor(m)))
            log_->addLogWarning(f.error.description());
    } catch (...) {
        if (!wasBusy) setBusy(false);
        throw;
    }
    if (!wasBusy) setBusy(false);
}

void Form1::releasePreview(const ModelPtr& m) {
    // Only a model that was prepared on this surface holds GL names of its own.
    PreviewSurface& surface = preview_->openGLPreviewObject();
    if (m && surface.previewObject().openGLInit() && surface.makeCurrent()) m->glReleasePreview();
}

void Form1::loadMDLObject(const std::string& path, const std::string& title, bool fromLibrary) {
    if (path.empty() || busy_) return;
    auto m = std::make_shared<modkit::MDLObject>();
    // Cleared first, so that the load's own warnings stay to be read.
    log_->clearLog();
    setBusy(true);
    progress_->setModel(m.get());
    progress_->show();
    progress_->start();
    try {
        m->readMDL(path);
        locateTextures(*m, path);
        preparePreview(*m);
    } catch (...) {
        releasePreview(m);
        progress_->hide();
        progress_->setModel(nullptr);
        setBusy(false);
        throw;
    }
    progress_->hide();
    progress_->setModel(nullptr);
    setBusy(false);
    config().setText("LastMDL", path);
    config().addRecentFile(path);
    documentPath_ = path;
    setCurrentModel(std::move(m), title, fromLibrary);
}

void Form1::loadReadModel(ModelPtr model, const std::string& title, const std::string& libraryFolder) {
    if (!model || busy_) return;
    log_->clearLog();
    setBusy(true);
    try {
        locateTextures(*model, model->MDLPath(), libraryFolder);
        preparePreview(*model);
    } catch (...) {
        releasePreview(model);
        setBusy(false);
        throw;
    }
    setBusy(false);
    documentPath_ = title;
    setCurrentModel(std::move(model), title, true);
}

void Form1::setCurrentModel(ModelPtr model, const std::string& title, bool fromLibrary) {
    releasePreview(currentModel_);
    currentModel_ = std::move(model);
    loadedFromLibrary_ = fromLibrary;
    history_.reset();
    preview_->setCaption("Object preview - [ " + title + "]");
    setButtonsValid();
    updateTitle();
    preview_->drawMDLOnce();
    Q_EMIT modelLoaded();
    Q_EMIT modelChanged();
}

void Form1::applyModelChange(const std::string& label, const std::string& mergeKey, const ModelChange& change) {
    if (!currentModel_ || busy_) return;
    const bool merge = history_.merges(mergeKey);
    ModelPtr before = merge ? nullptr : currentModel_->clone();
    try {
        change(*currentModel_);
    } catch (...) {
        // The model goes back to how it was; nothing is recorded.
        if (before) replaceCurrent(before);
        modelReplaced();
        throw;
    }
    history_.record(label, mergeKey, std::move(before));
    modelReplaced();
}

void Form1::undo() {
    if (busy_ || !history_.canUndo()) return;
    replaceCurrent(history_.undo(currentModel_));
    modelReplaced();
}

void Form1::redo() {
    if (busy_ || !history_.canRedo()) return;
    replaceCurrent(history_.redo(currentModel_));
    modelReplaced();
}

void Form1::replaceCurrent(ModelPtr model) {
    // The model leaving gives back its GL names; kept copies never hold any.
    releasePreview(currentModel_);
    currentModel_ = std::move(model);
}

void Form1::modelReplaced() {
    // The draw list follows the model (its commands or textures may have changed).
    try {
        preparePreview(*currentModel_);
    } catch (const modkit::Error& e) {
        log_->addLogError(e.description());
    }
    preview_->ticker().requestFrame();
    setButtonsValid();
    updateTitle();
    Q_EMIT modelChanged();
}

void Form1::showTrapped(const std::string& handler, int number, const std::string& description) {
    dialogs().messageBox(kTitle,
                         "Error " + std::to_string(number) + " (" + description + ") in procedure " + handler +
                             " of Form Form1",
                         MsgIcon::None);
}

bool Form1::trap(const std::string& handler, const std::function<void()>& f) {
    try {
        f();
        return true;
    } catch (const modkit::Error& e) {
        showTrapped(handler, e.number(), e.description());
    } catch (const std::bad_alloc&) {
        showTrapped(handler, 7, "Out of memory");
    } catch (const std::exception& e) {
        showTrapped(handler, 5, e.what());
    }
    return false;
}

bool Form1::maybeSaveChanges() {
    if (!currentModel_ || !history_.isModified()) return true;
    MsgAnswer a = dialogs().messageBox(
        kTitle, "The model \"" + modkit::fileNameOf(documentPath_) + "\" has unsaved changes. Save them first?",
        MsgIcon::Exclamation, MsgButtons::SaveDiscardCancel);
    if (a == MsgAnswer::Discard) return true;
    if (a == MsgAnswer::Save) return !loadedFromLibrary_ && saveModel("mSave_Click");
    return false;
}

bool Form1::openModelFile(const std::string& path, const std::string& handler) {
    if (busy_ || !maybeSaveChanges()) return false;
    return trap(handler, [&] {
        loadMDLObject(path, path, false);
        log_->addLogEvent(path + " opened");
    });
}

void Form1::openArgument(const std::string& path) {
    if (hasSuffix(path, ".bgl")) {
        if (bglOpener_) bglOpener_(path);
        else
            dialogs().messageBox(kTitle, "\"" + path + "\" is a BGL scenery file; this Fettle II opens MDL model files.",
                                 MsgIcon::Information);
        return;
    }
    openModelFile(path, "Form_Load");
}

void Form1::mOpen_Click() {
    if (busy_ || !maybeSaveChanges()) return;
    trap("mOpen_Click", [&] {
        std::string path = dialogs().openFileDialog(kMdlFilter, "Select MDL file", config().text("LastMDL"));
        if (path.empty() || !modkit::fileExists(path)) return;
        loadMDLObject(path, path, false);
        log_->addLogEvent(path + " opened");
    });
}

void Form1::mLastFile_Click(int index) {
    if (busy_) return;
    std::string path = mLastFile_[static_cast<size_t>(index)]->data().toString().toStdString();
    if (modkit::fileExists(path)) openModelFile(path, "mLastFile_Click");
    else config().removeRecentFile(path);
}

std::string Form1::lastMdlDefault(const std::string& lastMdl, const std::string& extension) {
    // Only the final ".mdl", written in lower case, gives way.
    if (lastMdl.size() >= 4 && lastMdl.compare(lastMdl.size() - 4, 4, ".mdl") == 0)
        return lastMdl.substr(0, lastMdl.size() - 4) + extension;
    return lastMdl;
}

bool Form1::saveModel(const std::string& handler) {
    if (!currentModel_ || loadedFromLibrary_ || busy_) return false;
    std::string path = dialogs().saveFileDialog(kMdlFilter, "Select MDL file",
                                                lastMdlDefault(config().text("LastMDL"), "_tweaked.mdl"));
    if (path.empty()) return false;
    return trap(handler, [&] {
        currentModel_->saveMDL(path);
        config().addRecentFile(path);
        log_->addLogEvent(path + " saved");
        history_.markSaved();
        documentPath_ = path;
        updateTitle();
    });
}

void Form1::mSave_Click() { saveModel("mSave_Click"); }

void Form1::exportModel(const char* filter, const char* title, const char* extension, const std::string& handler,
                        const std::function<void(const std::string&)>& write) {
    if (!currentModel_ || loadedFromLibrary_ || busy_) return;
    trap(handler, [&] {
        std::string path = dialogs().saveFileDialog(filter, title, lastMdlDefault(config().text("LastMDL"), extension));
        if (path.empty()) return;
        modkit::refuseOutputOverInput(path, {documentPath_}, "Fettle");
        write(path);
        log_->addLogEvent(path + " exported");
    });
}

void Form1::mASMExport_Click() {
    exportModel("BGLC source file (*.asm)|*.asm", "Select ASM file", ".asm", "mASMExport_Click",
                [this](const std::string& path) { currentModel_->exportASM(path); });
}

void Form1::mFLTExport_Click() {
    exportModel("OpenFlight file (*.flt)|*.flt", "Select FLT file", ".flt", "mFLTExport_Click",
                [this](const std::string& path) { currentModel_->exportFLT(path, config().text("FLTTex")); });
}

void Form1::cmdSimpleTweak_Click(int index) {
    if (!currentModel_ || busy_) return;
    trap("cmdSimpleTweak_Click", [&] {
        switch (index) {
        case 0: {
            int16_t i = currentModel_->getRIFFSectionIndex("SHAD");
            if (currentModel_->getRIFFSectionSize(i) >= 1) {
                applyModelChange("Add shadow", "", [](modkit::MDLObject& m) { m.removeKillShadow(); });
                log_->addLogEvent("Shadow added to the object");
            } else {
                applyModelChange("Remove shadow", "", [](modkit::MDLObject& m) { m.addKillShadow(); });
                log_->addLogEvent("Shadow killed of the object");
            }
            break;
        }
        case 1:
            if (QWidget* w = toolWindow(Tool::ConditionManager)) w->show();
            break;
        case 2:
            if (QWidget* w = toolWindow(Tool::TextureList)) w->show();
            break;
        case 3:
            applyModelChange("Fix BGL_LIGHT problem", "", [](modkit::MDLObject& m) { m.fixLights(); });
            log_->addLogEvent("BGL_LIGHT problem fixed");
            break;
        default:
            return;
        }
    });
    setButtonsValid();
}

void Form1::cmd_list_Click(int index) {
    static const Tool tools[6] = {Tool::MaterialList, Tool::TextureList, Tool::VertexList,
                                  Tool::CommandTree, Tool::CommandTree, Tool::Statistics};
    if (index == 4) {
        dialogs().messageBox(kTitle, "Here will come some sort of list, probably the translations matrices",
                             MsgIcon::Information);
        return;
    }
    if (QWidget* w = toolWindow(tools[index])) {
        w->show();
        w->raise();
        if (mViewList_[static_cast<size_t>(index)]->isCheckable())
            mViewList_[static_cast<size_t>(index)]->setChecked(true);
    }
}

void Form1::setToolWindowFactory(Tool tool, ToolFactory factory) {
    factories_[tool] = std::move(factory);
    setButtonsValid();
}

QWidget* Form1::toolWindow(Tool tool) {
    if (auto it = tools_.find(tool); it != tools_.end() && it->second) return it->second;
    auto f = factories_.find(tool);
    if (f == factories_.end() || busy_) return nullptr;
    QWidget* w = f->second(*this);
    tools_[tool] = w;
    return w;
}

void Form1::showModal(Tool tool) {
    if (QWidget* w = toolWindow(tool)) {
        w->setWindowModality(Qt::ApplicationModal);
        w->show();
    }
}

void Form1::toggleWindow(QWidget* w, QAction* item) {
    if (w->isVisible()) {
        w->hide();
        item->setChecked(false);
    } else {
        w->show();
        w->raise();
        item->setChecked(true);
    }
}

void Form1::toggleTool(Tool tool, QAction* item) {
    if (QWidget* w = toolWindow(tool)) toggleWindow(w, item);
    else item->setChecked(false);
}

void Form1::mExit_Click() { close(); }

void Form1::closeEvent(QCloseEvent* e) {
    // A model half read must not be released under the reader.
    if (busy_ || !maybeSaveChanges()) {
        e->ignore();
        return;
    }
    try {
        config().saveConfiguration();
    } catch (const modkit::Error& err) {
        showTrapped("Form_Unload", err.number(), err.description());
    }
    currentModel_.reset();
    history_.reset();
    for (auto& [tool, w] : tools_)
        if (w) w->close();
    preview_->close();
    log_->close();
    progress_->close();
    e->accept();
}

void Form1::dragEnterEvent(QDragEnterEvent* e) {
    const QMimeData* data = e->mimeData();
    if (busy_ || !data->hasUrls() || data->urls().size() != 1 || !data->urls()[0].isLocalFile()) return;
    std::string path = data->urls()[0].toLocalFile().toStdString();
    if (hasSuffix(path, ".mdl") || (hasSuffix(path, ".bgl") && bglOpener_)) e->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* e) {
    if (!e->mimeData()->hasUrls() || e->mimeData()->urls().isEmpty()) return;
    std::string path = e->mimeData()->urls()[0].toLocalFile().toStdString();
    e->acceptProposedAction();
    // Opened after the drop has finished, so that dialogs do not run inside it.
    QTimer::singleShot(0, this, [this, path] {
        if (hasSuffix(path, ".bgl")) openArgument(path);
        else openModelFile(path, "Form_OLEDragDrop");
    });
}

}  // namespace fettle
