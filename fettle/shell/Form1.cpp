#include "shell/Form1.h"

#include <algorithm>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDockWidget>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollArea>
#include <QStatusBar>
#include <QToolBar>
#include <QWindow>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include "modkit/core/Error.h"
#include "modkit/core/EventPump.h"
#include "modkit/core/MDLObject.h"
#include "modkit/core/Paths.h"
#include "modkit/bgl/CommandWalk.h"
#include "modkit/lists/TextureList.h"
#include "modkit/lists/VertexList.h"
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

// The panels: the windows that dock in the main window, where they start,
// and the Window-menu item that shows them.
struct PanelKind {
    const char* name;
    Form1::Tool tool;
    const char* item;
    Qt::DockWidgetArea area;
};
const PanelKind kPanels[] = {
    {"frmMATE", Form1::Tool::MaterialList, "mViewList_0", Qt::LeftDockWidgetArea},
    {"frmTEXT", Form1::Tool::TextureList, "mViewList_1", Qt::LeftDockWidgetArea},
    {"frmCond", Form1::Tool::ConditionManager, "mViewCond", Qt::LeftDockWidgetArea},
    {"frmBGLC", Form1::Tool::CommandTree, "mViewList_3", Qt::RightDockWidgetArea},
    {"frmStats", Form1::Tool::Statistics, "mViewList_5", Qt::RightDockWidgetArea},
    {"frmVERT", Form1::Tool::VertexList, "mViewList_2", Qt::BottomDockWidgetArea},
};  // and the event log, at the bottom
const PanelKind* panelKind(Form1::Tool tool) {
    for (const PanelKind& k : kPanels)
        if (k.tool == tool) return &k;
    return nullptr;
}

// Layouts saved by another arrangement of panels are not restored.
constexpr int kLayoutVersion = 1;

// Keeps the column widths of a table or tree through model resets, which
// would put them back to their defaults.
class ColumnMemory : public QObject {
public:
    ColumnMemory(QHeaderView* header, std::vector<int> widths) : QObject(header), header_(header), widths_(std::move(widths)) {
        setObjectName("columnMemory");
        connect(header, &QHeaderView::sectionResized, this, [this](int i, int, int size) {
            if (applying_ || i < 0 || !interactive()) return;
            if (static_cast<size_t>(i) >= widths_.size()) widths_.resize(static_cast<size_t>(i) + 1, 0);
            widths_[static_cast<size_t>(i)] = size;
        });
        connect(header, &QHeaderView::sectionCountChanged, this, [this] { apply(); });
        apply();
    }
    // Only widths the user can set are kept.
    bool interactive() const {
        return header_->count() > 0 && header_->sectionResizeMode(0) == QHeaderView::Interactive;
    }
    void apply() {
        if (!interactive()) return;
        applying_ = true;
        for (int i = 0; i < header_->count() && static_cast<size_t>(i) < widths_.size(); ++i)
            if (widths_[static_cast<size_t>(i)] > 0) header_->resizeSection(i, widths_[static_cast<size_t>(i)]);
        applying_ = false;
    }
    const std::vector<int>& widths() const { return widths_; }
    static ColumnMemory* of(const QHeaderView* h) {
        return dynamic_cast<ColumnMemory*>(h->findChild<QObject*>("columnMemory", Qt::FindDirectChildrenOnly));
    }

private:
    QHeaderView* header_;
    std::vector<int> widths_;
    bool applying_ = false;
};

QString headerKey(const QWidget* content, const QHeaderView* h) {
    return content->objectName() + "." + h->parentWidget()->objectName();
}

}  // namespace

QRect fitInside(const QRect& r, const QRect& area) {
    QRect out(r.topLeft(), r.size().boundedTo(area.size()));
    out.moveLeft(std::clamp(out.left(), area.left(), area.right() + 1 - out.width()));
    out.moveTop(std::clamp(out.top(), area.top(), area.bottom() + 1 - out.height()));
    return out;
}

Form1::Form1(QWidget* parent) : QMainWindow(parent) {
    setObjectName("Form1");
    setWindowTitle(kTitle);
    setAcceptDrops(true);
    log_ = new frmLog(this);
    preview_ = new frmPreview([this] { return doc_.model(); }, this);
    progress_ = new frmLoadingProgress(this);
    setCentralWidget(preview_);
    setDockOptions(AnimatedDocks | AllowTabbedDocks | AllowNestedDocks);
    buildMenus();
    buildButtons();
    dockPanel(log_, action("mLog"), Qt::BottomDockWidgetArea);
    lblStatusCounts_ = new QLabel(this);
    lblStatusCounts_->setObjectName("lblStatusCounts");
    lblStatusCounts_->setAccessibleName("Model counts");
    lblStatusFile_ = new QLabel(this);
    lblStatusFile_->setObjectName("lblStatusFile");
    lblStatusFile_->setAccessibleName("Model file");
    // A long path is cut rather than widening the window.
    lblStatusFile_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    statusBar()->setObjectName("sbrStatus");
    statusBar()->addWidget(lblStatusCounts_);
    statusBar()->addWidget(lblStatusFile_, 1);
    resize(1100, 760);

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
        lblStatusFile_->setText(QString::fromStdString(doc_.path()));
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
    // A surface made after a model was loaded builds its preview then. Queued: the surface
    // is made while its window is being shown, and building lets events run, which must not
    // delete widgets the show is still walking.
    connect(&preview_->openGLPreviewObject(), &PreviewSurface::glInitialized, this, [this] {
        const std::string& failure = preview_->openGLPreviewObject().initError();
        if (!failure.empty()) log_->addLogError(failure);
        if (doc_.model() && !doc_.isBusy()) {
            preparePreview(*doc_.model());
            preview_->drawMDLOnce();
        }
    }, Qt::QueuedConnection);

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

    QMenu* view = menuBar()->addMenu("&View");
    view->setObjectName("mView");
    view->addAction(preview_->frameAction());
    view->addSeparator();
    view->addActions(preview_->presetActions());

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
    viewPreview->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_0));
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
        static const int keys[6] = {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, 0, Qt::Key_5};
        a->setShortcut(QKeySequence(Qt::CTRL | keys[i]));
        Tool t = listTools[i];
        connect(a, &QAction::triggered, this, [this, t, a] { toggleTool(t, a); });
    }
    QAction* condItem = addAction(window, "mViewCond", "Co&ndition manager");
    condItem->setCheckable(true);
    condItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_6));
    connect(condItem, &QAction::triggered, this, [this, condItem] { toggleTool(Tool::ConditionManager, condItem); });
    QAction* logItem = addAction(window, "mLog", "Event &log");
    logItem->setCheckable(true);
    logItem->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_7));
    window->addSeparator();
    connect(addAction(window, "mResetLayout", "Reset la&yout"), &QAction::triggered, this, &Form1::resetLayout);
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
    // One row; what does not fit a narrow window moves behind the bar's extension button.
    auto* bar = new QToolBar("Commands", this);
    bar->setObjectName("tbrCommands");
    bar->setAccessibleName("Commands");
    static const char* const listCaptions[6] = {"Materials", "Textures", "Vertices",
                                                "BGL commands", "Translations", "Statistics"};
    static const char* const listTips[6] = {"Display material list", "Display texture list",
                                            "Display vertex list", "Display BGL command list",
                                            "Display translation matrix list", "Display statistics"};
    static const char* const tweakCaptions[6] = {"Remove shadow", "Add object condition", "Add seasonal textures",
                                                 "Fix BGL_LIGHT problem", "", ""};
    for (int i = 0; i < 6; ++i) {
        auto* b = new QPushButton(listCaptions[i], bar);
        b->setObjectName(QString("cmd_list_%1").arg(i));
        b->setToolTip(i == 4 ? kNoTranslationList : listTips[i]);
        connect(b, &QPushButton::clicked, this, [this, i] { cmd_list_Click(i); });
        bar->addWidget(b);
        cmd_list_[static_cast<size_t>(i)] = b;
    }
    bar->addSeparator();
    for (int i = 0; i < 6; ++i) {
        auto* t = new QPushButton(tweakCaptions[i], bar);
        t->setObjectName(QString("cmdSimpleTweak_%1").arg(i));
        if (i < 4) {
            connect(t, &QPushButton::clicked, this, [this, i] { cmdSimpleTweak_Click(i); });
            bar->addWidget(t);
        } else {
            t->setVisible(false);  // reserved, no action
        }
        cmdSimpleTweak_[static_cast<size_t>(i)] = t;
    }
    addToolBar(Qt::TopToolBarArea, bar);
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
    restoreWorkspace();
    show();
    preview_->show();
    keepOnScreen();
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
    action("mViewCond")->setEnabled(model && hasTool(Tool::ConditionManager));
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
    updateStatus();
    preview_->drawMDLOnce();
}

void Form1::updateStatus() {
    const ModelPtr& m = doc_.model();
    QString counts;
    if (m) {
        int64_t triangles = 0;
        try {
            triangles = modkit::countTriangles(*m->BGLCommandList());
        } catch (const modkit::Error&) {
            triangles = -1;  // a stream that cannot be walked
        }
        counts = QString("%1 vertices, %2 triangles, %3 textures")
                     .arg(m->VertexList()->Count())
                     .arg(triangles < 0 ? QString("?") : QString::number(triangles))
                     .arg(m->TextureList()->Count());
    }
    lblStatusCounts_->setText(counts);
    lblStatusFile_->setText(m ? QString::fromStdString(doc_.path()) : QString());
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
    // The triangles are counted by a walk of the commands: only when they may have changed.
    if (parts & (modkit::partCommands | modkit::partVertices | modkit::partTextures)) updateStatus();
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
            if (Panel* p = panelOf(tools_[Tool::ConditionManager])) showPanel(*p);
            break;
        case 2:
            if (QWidget* w = toolWindow(Tool::TextureList)) w->show();
            if (Panel* p = panelOf(tools_[Tool::TextureList])) showPanel(*p);
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
        if (Panel* p = panelOf(w)) showPanel(*p);
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
    if (const PanelKind* k = panelKind(tool)) dockPanel(w, action(k->item), k->area);
    return w;
}

void Form1::showModal(Tool tool) {
    if (QWidget* w = toolWindow(tool)) {
        w->setWindowModality(Qt::ApplicationModal);
        w->show();
    }
}

void Form1::toggleWindow(QWidget* w, QAction* item) {
    if (Panel* p = panelOf(w)) {
        // A panel behind another one's tab comes to the front.
        const bool inFront = w->isVisible() && !p->dock->visibleRegion().isEmpty();
        if (!p->dock->isHidden() && !w->isHidden() && (inFront || !isVisible())) {
            p->dock->hide();
            item->setChecked(false);
        } else {
            showPanel(*p);
        }
        return;
    }
    if (w->isVisible()) {
        w->hide();
        item->setChecked(false);
    } else {
        w->show();
        w->raise();
        item->setChecked(true);
        if (w == preview_) preview_->openGLPreviewObject().setFocus(Qt::ShortcutFocusReason);
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
    storeWorkspace();
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

Form1::Panel* Form1::panelOf(const QWidget* content) {
    for (Panel& p : panels_)
        if (p.content == content) return &p;
    return nullptr;
}

QDockWidget* Form1::dockOf(const QWidget* content) const {
    for (const Panel& p : panels_)
        if (p.content == content) return p.dock;
    return nullptr;
}

void Form1::dockPanel(QWidget* content, QAction* item, int area) {
    const QString caption = content->windowTitle();
    auto* dock = new QDockWidget(caption, this);
    dock->setObjectName("dock_" + content->objectName());
    dock->setAccessibleName(caption);
    dock->setFeatures(QDockWidget::DockWidgetClosable | QDockWidget::DockWidgetMovable |
                      QDockWidget::DockWidgetFloatable);
    // A panel larger than its share of a small screen scrolls instead of
    // pushing the window off the screen.
    auto* scroll = new QScrollArea(dock);
    scroll->setObjectName("scroll_" + content->objectName());
    scroll->setAccessibleName(caption);
    scroll->setWidgetResizable(true);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(content);
    dock->setWidget(scroll);
    dock->setAcceptDrops(true);
    dock->installEventFilter(this);
    content->installEventFilter(this);
    connect(content, &QWidget::windowTitleChanged, dock, [dock](const QString& t) {
        dock->setWindowTitle(t);
        dock->setAccessibleName(t);
    });
    if (item) connect(dock->toggleViewAction(), &QAction::toggled, item, &QAction::setChecked);
    panels_.push_back({dock, content, item, area});
    Panel& p = panels_.back();
    placePanel(p);
    dock->hide();
    restoreColumns(p);
}

void Form1::placePanel(Panel& p) {
    if (layoutRestored_ && restoreDockWidget(p.dock)) return;
    const auto area = static_cast<Qt::DockWidgetArea>(p.area);
    // Panels that start on the same side share it as tabs.
    for (const Panel& o : panels_) {
        if (&o == &p || o.area != p.area || o.dock->isFloating() || dockWidgetArea(o.dock) != area) continue;
        tabifyDockWidget(o.dock, p.dock);
        return;
    }
    addDockWidget(area, p.dock);
}

void Form1::showPanel(Panel& p) {
    // Without the main window on the screen (tests) a panel floats on its own.
    if (!isVisible() && !p.dock->isFloating()) p.dock->setFloating(true);
    p.dock->show();
    p.content->show();
    p.dock->raise();
    // A side gets its width (height) when its first panel shows; the preview keeps most of a small screen.
    if (!layoutRestored_ && !p.dock->isFloating() && !(sizedAreas_ & p.area)) {
        sizedAreas_ |= p.area;
        const QSize want = p.content->sizeHint() + QSize(24, 24);
        if (p.area == Qt::BottomDockWidgetArea)
            resizeDocks({p.dock}, {std::clamp(want.height(), 120, std::max(120, height() / 4))}, Qt::Vertical);
        else
            resizeDocks({p.dock}, {std::clamp(want.width(), 160, std::max(160, width() * 2 / 7))}, Qt::Horizontal);
    }
    if (p.item) p.item->setChecked(true);
    // Keyboard users land in the panel.
    for (QWidget* w : p.content->findChildren<QWidget*>())
        if (w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus)) {
            w->setFocus(Qt::ShortcutFocusReason);
            break;
        }
}

bool Form1::eventFilter(QObject* watched, QEvent* e) {
    switch (e->type()) {
    case QEvent::ShowToParent:
    case QEvent::HideToParent:
        // A panel's window shown or closed by itself takes its dock along.
        for (Panel& p : panels_) {
            if (p.content != watched) continue;
            if (e->type() == QEvent::HideToParent && !p.dock->isHidden()) p.dock->hide();
            if (e->type() == QEvent::ShowToParent && p.dock->isHidden()) showPanel(p);
        }
        break;
    case QEvent::DragEnter:
        if (qobject_cast<QDockWidget*>(watched)) {
            dragEnterEvent(static_cast<QDragEnterEvent*>(e));
            return true;
        }
        break;
    case QEvent::Drop:
        if (qobject_cast<QDockWidget*>(watched)) {
            dropEvent(static_cast<QDropEvent*>(e));
            return true;
        }
        break;
    default:
        break;
    }
    return QMainWindow::eventFilter(watched, e);
}

void Form1::resetLayout() {
    std::vector<bool> open;
    for (Panel& p : panels_) {
        open.push_back(!p.dock->isHidden());
        p.dock->setFloating(false);
        removeDockWidget(p.dock);
    }
    layoutRestored_ = false;
    sizedAreas_ = 0;
    for (size_t i = 0; i < panels_.size(); ++i) placePanel(panels_[i]);
    for (size_t i = 0; i < panels_.size(); ++i)
        if (open[i]) showPanel(panels_[i]);
    if (auto* bar = findChild<QToolBar*>("tbrCommands")) {
        addToolBar(Qt::TopToolBarArea, bar);
        bar->show();
    }
    keepOnScreen();
}

void Form1::restoreColumns(const Panel& p) {
    for (QHeaderView* h : p.content->findChildren<QHeaderView*>()) {
        if (h->orientation() != Qt::Horizontal || !h->parentWidget() || h->parentWidget()->objectName().isEmpty() ||
            ColumnMemory::of(h))
            continue;
        std::vector<int> widths;
        if (auto it = columns_.find(headerKey(p.content, h)); it != columns_.end())
            for (const QByteArray& w : it->second.split(',')) widths.push_back(w.toInt());
        new ColumnMemory(h, std::move(widths));
    }
}

void Form1::storeColumns(const Panel& p) {
    for (QHeaderView* h : p.content->findChildren<QHeaderView*>()) {
        ColumnMemory* memory = ColumnMemory::of(h);
        if (!memory || memory->widths().empty()) continue;
        QByteArrayList widths;
        for (int w : memory->widths()) widths.append(QByteArray::number(w));
        columns_[headerKey(p.content, h)] = widths.join(',');
    }
}

void Form1::storeWorkspace() {
    QStringList open, columns;
    for (const Panel& p : panels_) {
        if (!p.dock->isHidden()) open.append(p.content->objectName());
        storeColumns(p);
    }
    for (const auto& [key, widths] : columns_) columns.append(key + ":" + QString::fromLatin1(widths));
    ConfigFunctions& c = config();
    if (!c.configRoot()) return;
    c.setAttribute("Workspace", "geometry", saveGeometry().toBase64().toStdString());
    c.setAttribute("Workspace", "state", saveState(kLayoutVersion).toBase64().toStdString());
    c.setAttribute("Workspace", "open", open.join(' ').toStdString());
    c.setAttribute("Workspace", "columns", columns.join(';').toStdString());
}

void Form1::restoreWorkspace() {
    ConfigFunctions& c = config();
    if (!c.configRoot() || !c.node("Workspace")) return;
    columns_.clear();
    for (const QString& entry : QString::fromStdString(c.attribute("Workspace", "columns")).split(';', Qt::SkipEmptyParts)) {
        const qsizetype colon = entry.lastIndexOf(':');
        if (colon > 0) columns_[entry.left(colon)] = entry.mid(colon + 1).toLatin1();
    }
    restoreGeometry(QByteArray::fromBase64(QByteArray::fromStdString(c.attribute("Workspace", "geometry"))));
    // The panels open last time exist before the layout is laid over them.
    const QStringList open = QString::fromStdString(c.attribute("Workspace", "open")).split(' ', Qt::SkipEmptyParts);
    for (const PanelKind& k : kPanels)
        if (open.contains(k.name) && hasTool(k.tool) && toolWindow(k.tool)) panelOf(tools_[k.tool])->dock->show();
    if (open.contains(log_->objectName())) panelOf(log_)->dock->show();
    layoutRestored_ = restoreState(QByteArray::fromBase64(QByteArray::fromStdString(c.attribute("Workspace", "state"))),
                                   kLayoutVersion);
}

void Form1::keepOnScreen() {
    QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen();
    if (!s) return;
    const QRect area = s->availableGeometry();
    if (isMaximized() || isFullScreen()) return;
    // The frame (title bar) counts: it must stay reachable.
    const QRect frame = frameGeometry(), inner = geometry();
    const QMargins margins(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                           frame.bottom() - inner.bottom());
    const QRect fitted = fitInside(frame, area);
    if (fitted != frame) setGeometry(fitted.marginsRemoved(margins));
    for (const Panel& p : panels_)
        if (p.dock->isFloating()) p.dock->setGeometry(fitInside(p.dock->geometry(), area));
}

}  // namespace fettle
