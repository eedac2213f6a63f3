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

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "editors/ObjectStatistics.h"
#include "modkit/export/GltfExport.h"
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
const char* const kNoTranslationList =
    "Not available: Fettle II has no list of translation matrices. The BGL command list shows the model's "
    "transformation commands.";

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
    preview_ = new frmPreview([this] { return doc_.model(); }, this);
    progress_ = new frmLoadingProgress(this);
    buildMenus();
    buildButtons();
    resize(sizeHint().expandedTo(QSize(640, 150)));

    doc_.setTextureSearchPath([] { return config().texts("TexturePath"); });
    connect(&doc_, &ModelDocument::logged, this, [this](LogKind kind, const QString& text) {
        const std::string t = text.toStdString();
        if (kind == LogKind::event) log_->addLogEvent(t);
        else if (kind == LogKind::warning) log_->addLogWarning(t);
        else log_->addLogError(t);
    });
    connect(&doc_, &ModelDocument::stateChanged, this, [this] {
        updateTitle();
        updateUndoActions();
    });
    connect(&doc_, &ModelDocument::loaded, this, &Form1::modelLoaded);
    // Typing coalesces into one preview refresh.
    previewRefresh_ = new QTimer(this);
    previewRefresh_->setSingleShot(true);
    previewRefresh_->setInterval(30);
    connect(previewRefresh_, &QTimer::timeout, this, &Form1::refreshPreview);
    connect(&doc_, &ModelDocument::changed, this, [this](uint32_t parts) {
        pendingPreview_ |= parts;
        previewRefresh_->start();
        setButtonsValid();
        Q_EMIT modelChanged(parts);
    });

    connect(preview_, &frmPreview::previewDisabled, this, [this] {
        log_->addLogEvent("an error occured in the preview window and the preview will now be disabled");
    });
    // A surface made after a model was loaded builds its preview then.
    connect(&preview_->openGLPreviewObject(), &PreviewSurface::glInitialized, this, [this] {
        const std::string& failure = preview_->openGLPreviewObject().initError();
        if (!failure.empty()) log_->addLogError(failure);
        if (doc_.model() && !doc_.isBusy()) {
            preparePreview(*doc_.model());
            preview_->drawMDLOnce();
        }
    });

    config().refreshRecentFileMenu = [this] { refreshRecentFileMenu(); };
    modkit::setEventPump([this] {
        if (progress_->isVisible()) progress_->showStatus();
        QCoreApplication::processEvents();
        // The preview's draw list may be being compiled: its context stays current.
        if (doc_.isBusy()) preview_->openGLPreviewObject().makeCurrent();
    });
    setButtonsValid();
    refreshRecentFileMenu();
}

Form1::~Form1() {
    modkit::setEventPump({});
    doc_.disconnect(this);
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
    QAction* saveAs = addAction(mFile_, "mSaveAs", "Save &As...");
    saveAs->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S));
    connect(saveAs, &QAction::triggered, this, &Form1::mSaveAs_Click);
    mExport_ = mFile_->addMenu("&Export");
    mExport_->setObjectName("mExport");
    mExport_->menuAction()->setObjectName("mExport");
    connect(addAction(mExport_, "mASMExport", "&BGLC source..."), &QAction::triggered, this, &Form1::mASMExport_Click);
    connect(addAction(mExport_, "mFLTExport", "&OpenFlight..."), &QAction::triggered, this, &Form1::mFLTExport_Click);
    connect(addAction(mExport_, "mGLTFExport", "&glTF..."), &QAction::triggered, this, &Form1::mGLTFExport_Click);
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
    connect(mFile_, &QMenu::aboutToShow, this, &Form1::setButtonsValid);

    QMenu* edit = menuBar()->addMenu("&Edit");
    edit->setObjectName("mEdit");
    QAction* undoAction = addAction(edit, "mUndo", "&Undo");
    undoAction->setShortcut(QKeySequence::Undo);
    connect(undoAction, &QAction::triggered, this, &Form1::undo);
    QAction* redoAction = addAction(edit, "mRedo", "&Redo");
    QList<QKeySequence> redoKeys = QKeySequence::keyBindings(QKeySequence::Redo);
    for (const QKeySequence& k : {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z), QKeySequence(Qt::CTRL | Qt::Key_Y)})
        if (!redoKeys.contains(k)) redoKeys.append(k);
    redoAction->setShortcuts(redoKeys);
    // From every window of the program, docked or not; a text box with the
    // focus keeps the keys for its own typing.
    for (QAction* a : {undoAction, redoAction}) a->setShortcutContext(Qt::ApplicationShortcut);
    connect(redoAction, &QAction::triggered, this, &Form1::redo);

    QMenu* tools = menuBar()->addMenu("&Tools");
    tools->setObjectName("mTools");
    QAction* browser = addAction(tools, "mViewBGLBrowser", "&BGL browser...");
    browser->setCheckable(true);
    connect(browser, &QAction::triggered, this, [this, browser] { toggleTool(Tool::BGLBrowser, browser); });
    connect(addAction(tools, "mOpenFlightConv", "Open&Flight converter..."), &QAction::triggered, this,
            [this] { showModal(Tool::OpenFlightConverter); });
    connect(addAction(tools, "mOptions", "&Options..."), &QAction::triggered, this,
            [this] { showModal(Tool::Options); });

    QMenu* window = menuBar()->addMenu("&Window");
    window->setToolTipsVisible(true);
    window->setObjectName("mWindow");
    QAction* viewPreview = addAction(window, "mViewPreview", "&Object preview");
    viewPreview->setCheckable(true);
    connect(viewPreview, &QAction::triggered, this, [this, viewPreview] { toggleWindow(preview_, viewPreview); });
    static const char* const lists[6] = {"&Material list", "&Texture list", "&Vertex list",
                                         "BGL &command list", "T&ranslation list", "&Statistics"};
    static const Tool listTools[6] = {Tool::MaterialList, Tool::TextureList, Tool::VertexList,
                                      Tool::CommandTree, Tool::CommandTree, Tool::Statistics};
    for (int i = 0; i < 6; ++i) {
        QAction* a = addAction(window, ("mViewList_" + std::to_string(i)).c_str(), lists[i]);
        mViewList_[static_cast<size_t>(i)] = a;
        if (i == 4) {  // no window of its own
            a->setToolTip(kNoTranslationList);
            continue;
        }
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
        b->setToolTip(i == 4 ? kNoTranslationList : listTips[i]);
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
    const bool busy = doc_.isBusy();
    const bool model = doc_.model() && !busy;
    for (size_t i = 0; i < 6; ++i) {
        bool on = false;
        if (model) {
            switch (i) {
            case 0: on = doc_.model()->MaterialList()->Count() > 0; break;
            case 1: on = doc_.model()->TextureList()->Count() > 0; break;
            case 2: on = doc_.model()->VertexList()->Count() > 0; break;
            case 3: on = doc_.model()->BGLCommandList()->Count() > 0; break;
            default: on = true; break;
            }
        }
        static const Tool listTools[6] = {Tool::MaterialList, Tool::TextureList, Tool::VertexList,
                                          Tool::CommandTree, Tool::CommandTree, Tool::Statistics};
        // No window lists the translation matrices: the item stays disabled and says so.
        const bool available = i != 4 && hasTool(listTools[i]);
        cmd_list_[i]->setEnabled(on && available);
        mViewList_[i]->setEnabled(on && available);
        cmdSimpleTweak_[i]->setEnabled(model);
    }
    if (model) {
        int16_t s = doc_.model()->getRIFFSectionIndex("SHAD");
        QPushButton* shadow = cmdSimpleTweak_[0];
        if (doc_.model()->getRIFFSectionSize(s) > 0) {
            shadow->setText("Add shadow");
            shadow->setToolTip("Remove the code that kills the shadow so that the shadow of the object is again displayed in FS");
        } else {
            shadow->setText("Remove shadow");
            shadow->setToolTip("Add code to kill the shadow of the object in FS");
        }
        cmdSimpleTweak_[1]->setEnabled(hasTool(Tool::ConditionManager));
        cmdSimpleTweak_[2]->setEnabled(hasTool(Tool::TextureList));
    }
    action("mOpen")->setEnabled(!busy);
    for (QAction* a : mLastFile_) a->setEnabled(!busy);
    action("mViewBGLBrowser")->setEnabled(!busy && hasTool(Tool::BGLBrowser));
    action("mOpenFlightConv")->setEnabled(!busy && hasTool(Tool::OpenFlightConverter));
    action("mOptions")->setEnabled(!busy && hasTool(Tool::Options));
    // A library object is saved as a new file, never exported from the library.
    action("mSave")->setEnabled(model);
    action("mSaveAs")->setEnabled(model);
    mExport_->menuAction()->setEnabled(model && !doc_.fromLibrary());
    updateUndoActions();
}

void Form1::updateUndoActions() {
    QAction* u = action("mUndo");
    QAction* r = action("mRedo");
    const QUndoStack& h = doc_.undoStack();
    u->setEnabled(!doc_.isBusy() && h.canUndo());
    r->setEnabled(!doc_.isBusy() && h.canRedo());
    u->setText(h.canUndo() ? "&Undo " + h.undoText() : QString("&Undo"));
    r->setText(h.canRedo() ? "&Redo " + h.redoText() : QString("&Redo"));
}

void Form1::updateTitle() {
    setWindowTitle(QString::fromStdString(doc_.windowTitle()));
    if (doc_.model()) preview_->setCaption("Object preview - [ " + doc_.path() + "]");
}

void Form1::setBusy(bool busy) {
    doc_.setBusy(busy);
    preview_->setSuspended(busy);
    setButtonsValid();
}

void Form1::preparePreview(modkit::MDLObject& m) {
    PreviewSurface& surface = preview_->openGLPreviewObject();
    if (!surface.previewObject().openGLInit() || !surface.makeCurrent()) {
        // Built when the preview window first shows its surface.
        m.setLoaded(false);
        return;
    }
    // Building lets events run: no command may start on the model meanwhile.
    const bool wasBusy = doc_.isBusy();
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
    if (path.empty() || doc_.isBusy()) return;
    auto m = std::make_shared<modkit::MDLObject>();
    // Cleared first, so that the load's own warnings stay to be read.
    log_->clearLog();
    setBusy(true);
    progress_->setModel(m.get());
    progress_->show();
    progress_->start();
    try {
        workOnFile(FileTask::open, path);
        failedSection_.clear();
        try {
            m->readMDL(path);
        } catch (const modkit::Error& e) {
            failedSection_ = damagedSection(*m, e);
            throw;
        }
        doc_.locateTextures(*m, path);
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
    setCurrentModel(std::move(m), title, fromLibrary);
}

void Form1::loadReadModel(ModelPtr model, const std::string& title, const std::string& libraryFolder) {
    if (!model || doc_.isBusy()) return;
    log_->clearLog();
    setBusy(true);
    try {
        doc_.locateTextures(*model, model->MDLPath(), libraryFolder);
        preparePreview(*model);
    } catch (...) {
        releasePreview(model);
        setBusy(false);
        throw;
    }
    setBusy(false);
    setCurrentModel(std::move(model), title, true);
}

void Form1::setCurrentModel(ModelPtr model, const std::string& path, bool fromLibrary) {
    releasePreview(doc_.model());
    previewRefresh_->stop();
    pendingPreview_ = 0;
    // The new model's preview is built already.
    doc_.adopt(std::move(model), path, fromLibrary ? ModelOrigin::library : ModelOrigin::file);
    previewRefresh_->stop();
    pendingPreview_ = 0;
    setButtonsValid();
    updateTitle();
    preview_->drawMDLOnce();
}

EditOutcome Form1::applyModelChange(const std::string& label, const std::string& mergeKey, const ModelChange& change,
                                    uint32_t parts) {
    return doc_.apply(label, mergeKey, parts, change);
}

void Form1::refreshPreview() {
    const uint32_t parts = pendingPreview_;
    pendingPreview_ = 0;
    const ModelPtr& m = doc_.model();
    if (!m || doc_.isBusy()) return;
    const PreviewWork work = previewWorkFor(parts);
    if (work != PreviewWork::frame) {
        PreviewSurface& surface = preview_->openGLPreviewObject();
        try {
            if (m->Loaded() && surface.previewObject().openGLInit() && surface.makeCurrent()) {
                // Compiling lets events run: no command may start on the model meanwhile.
                setBusy(true);
                struct Done {
                    Form1* f;
                    ~Done() { f->setBusy(false); }
                } done{this};
                if (work == PreviewWork::texturesAndDrawList) {
                    // Only textures added, renamed or whose file was written since load.
                    for (const modkit::TextureLoadFailure& f :
                         m->glReloadChangedTextures(surface.previewObject(), preview_->stateFor(*m)))
                        log_->addLogWarning(f.error.description());
                } else {
                    m->glGenerateDrawList(preview_->stateFor(*m));
                }
            } else {
                preparePreview(*m);
            }
        } catch (const modkit::Error& e) {
            log_->addLogError(e.description());
        }
    }
    preview_->ticker().requestFrame();
}

void Form1::showTrapped(const std::string& handler, const modkit::Error& e) {
    std::string text = "Error " + std::to_string(e.number()) + " (" + e.description() + ") in procedure " + handler +
                       " of Form Form1";
    if (fileWork_) {
        const FileWork w = *std::exchange(fileWork_, std::nullopt);
        text = failureText(text, w.task, w.path, e, w.task == FileTask::open ? failedSection_ : std::string());
        log_->addLogError(failureLogLine(w.task, w.path, e));
    }
    showErrorBox(kTitle, text);
}

bool Form1::trap(const std::string& handler, const std::function<void()>& f) {
    fileWork_.reset();
    try {
        f();
        fileWork_.reset();
        return true;
    } catch (const modkit::Error& e) {
        showTrapped(handler, e);
    } catch (const std::bad_alloc&) {
        showTrapped(handler, modkit::Error(7, "Fettle", "Out of memory"));
    } catch (const std::exception& e) {
        showTrapped(handler, modkit::Error(modkit::err::InvalidCall, "Fettle", e.what()));
    }
    return false;
}

bool Form1::maybeSaveChanges() {
    if (!doc_.isModified()) return true;
    MsgAnswer a = dialogs().messageBox(
        kTitle, "The model \"" + modkit::fileNameOf(doc_.path()) + "\" has unsaved changes. Save them first?",
        MsgIcon::Exclamation, MsgButtons::SaveDiscardCancel);
    if (a == MsgAnswer::Discard) return true;
    // A library object is saved as a new model file.
    if (a == MsgAnswer::Save) return saveModel("mSave_Click");
    return false;
}

bool Form1::openModelFile(const std::string& path, const std::string& handler) {
    if (doc_.isBusy() || !maybeSaveChanges()) return false;
    return trap(handler, [&] {
        workOnFile(FileTask::open, path);
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
    if (doc_.isBusy() || !maybeSaveChanges()) return;
    trap("mOpen_Click", [&] {
        std::string path = dialogs().openFileDialog(kMdlFilter, "Open model", config().text("LastMDL"));
        // A path that is no regular file (a pipe, a device) is tried all the same, so the reader says why not.
        if (path.empty() || !modkit::pathExists(path)) return;
        loadMDLObject(path, path, false);
        log_->addLogEvent(path + " opened");
    });
}

void Form1::mLastFile_Click(int index) {
    if (doc_.isBusy()) return;
    std::string path = mLastFile_[static_cast<size_t>(index)]->data().toString().toStdString();
    if (modkit::pathExists(path)) openModelFile(path, "mLastFile_Click");
    else config().removeRecentFile(path);
}

bool Form1::saveModel(const std::string& handler, bool askForName) {
    if (!doc_.model() || doc_.isBusy()) return false;
    std::string path = askForName ? std::string() : doc_.saveTarget();
    if (path.empty()) path = dialogs().saveFileDialog(kMdlFilter, "Save model as", doc_.proposedSaveName());
    if (path.empty()) return false;
    bool saved = false;
    trap(handler, [&] {
        workOnFile(FileTask::save, path);
        if (!(saved = doc_.saveAs(path))) return;
        config().addRecentFile(path);
        log_->addLogEvent(path + " saved");
    });
    return saved;
}

void Form1::mSave_Click() { saveModel("mSave_Click"); }

void Form1::mSaveAs_Click() { saveModel("mSaveAs_Click", true); }

void Form1::exportModel(const char* filter, const char* title, const char* extension, const std::string& handler,
                        const std::function<void(const std::string&)>& write) {
    if (!doc_.model() || doc_.fromLibrary() || doc_.isBusy()) return;
    trap(handler, [&] {
        std::string path = dialogs().saveFileDialog(filter, title, doc_.defaultName(extension));
        if (path.empty()) return;
        workOnFile(FileTask::exportFile, path);
        modkit::refuseOutputOverInput(path, {doc_.path()}, "Fettle");
        write(path);
        log_->addLogEvent(path + " exported");
    });
}

void Form1::mASMExport_Click() {
    exportModel("BGLC source file (*.asm)|*.asm", "Export BGLC source as", ".asm", "mASMExport_Click",
                [this](const std::string& path) { doc_.model()->exportASM(path); });
}

void Form1::mFLTExport_Click() {
    exportModel("OpenFlight file (*.flt)|*.flt", "Export OpenFlight file as", ".flt", "mFLTExport_Click",
                [this](const std::string& path) { doc_.model()->exportFLT(path, config().text("FLTTex")); });
}

void Form1::mGLTFExport_Click() {
    exportModel("glTF binary (*.glb)|*.glb|glTF with separate files (*.gltf)|*.gltf", "Export glTF as", ".glb",
                "mGLTFExport_Click", [this](std::string path) {
                    modkit::GltfExportOptions options;
                    options.suffixes = seasonSuffixes(config());
                    const std::string lower = modkit::lowerCase(path);
                    if (lower.ends_with(".gltf")) options.format = modkit::GltfFormat::gltf;
                    for (const auto& f : modkit::exportGLTF(*doc_.model(), path, options).textureFailures)
                        log_->addLogWarning(f.error.description() + ": its triangles keep their colour");
                });
}

void Form1::cmdSimpleTweak_Click(int index) {
    if (!doc_.model() || doc_.isBusy()) return;
    trap("cmdSimpleTweak_Click", [&] {
        switch (index) {
        case 0: {
            int16_t i = doc_.model()->getRIFFSectionIndex("SHAD");
            if (doc_.model()->getRIFFSectionSize(i) >= 1) {
                applyModelChange("Add shadow", "", [](modkit::MDLObject& m) { m.removeKillShadow(); },
                                 modkit::partSections);
                log_->addLogEvent("Shadow added to the object");
            } else {
                applyModelChange("Remove shadow", "", [](modkit::MDLObject& m) { m.addKillShadow(); },
                                 modkit::partSections);
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
            if (applyModelChange("Fix BGL_LIGHT problem", "", [](modkit::MDLObject& m) { m.fixLights(); },
                                 modkit::partCommands | modkit::partSections) == EditOutcome::applied)
                log_->addLogEvent("BGL_LIGHT problem fixed");
            else
                log_->addLogEvent("no BGL_LIGHT problem found");
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
    if (index == 4) return;  // no list of its own (the button is disabled)
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
    if (f == factories_.end() || doc_.isBusy()) return nullptr;
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
    if (doc_.isBusy() || !maybeSaveChanges()) {
        e->ignore();
        return;
    }
    try {
        config().saveConfiguration();
    } catch (const modkit::Error& err) {
        showTrapped("Form_Unload", err);
    }
    releasePreview(doc_.model());
    doc_.close();
    for (auto& [tool, w] : tools_)
        if (w) w->close();
    preview_->close();
    log_->close();
    progress_->close();
    e->accept();
}

void Form1::dragEnterEvent(QDragEnterEvent* e) {
    const QMimeData* data = e->mimeData();
    if (doc_.isBusy() || !data->hasUrls() || data->urls().size() != 1 || !data->urls()[0].isLocalFile()) return;
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
