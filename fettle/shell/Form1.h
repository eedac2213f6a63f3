#pragma once
#include <QMainWindow>
#include <array>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <QRect>

#include "document/FailureText.h"
#include "document/ModelDocument.h"

class QAction;
class QDockWidget;
class QLabel;
class QMenu;
class QPushButton;
class QTimer;

namespace modkit {
class Error;
class MDLObject;
}

namespace fettle {

class frmLog;
class frmLoadingProgress;
class frmPreview;

// The main window: shows the model document (document()) and offers every command on it.
class Form1 : public QMainWindow {
    Q_OBJECT
public:
    using ModelPtr = std::shared_ptr<modkit::MDLObject>;
    using ModelChange = std::function<void(modkit::MDLObject&)>;

    // The editor and tool windows that the buttons and the Window and Tools
    // menus open; they are registered by whoever builds them.
    enum class Tool { MaterialList, TextureList, VertexList, CommandTree, Statistics, BGLBrowser,
                      OpenFlightConverter, Options, ConditionManager };
    using ToolFactory = std::function<QWidget*(Form1&)>;

    explicit Form1(QWidget* parent = nullptr);
    ~Form1() override;

    // Splash, configuration (read from configPath), recent files, preview.
    // stepMs is the pause between the splash texts.
    void startUp(const std::string& configPath, int stepMs = 1000);

    ModelDocument& document() { return doc_; }
    const ModelPtr& currentModel() const { return doc_.model(); }
    bool loadedFromLibrary() const { return doc_.fromLibrary(); }
    // True while a model loads; commands on the model are refused meanwhile.
    bool isBusy() const { return doc_.isBusy(); }

    // Reads path into a new model and makes it current. Throws modkit::Error;
    // then the model that was open before stays current.
    void loadMDLObject(const std::string& path, const std::string& title, bool fromLibrary);
    // Makes an already read model current (a model taken from a BGL library):
    // locates its textures (libraryFolder first) and builds its preview.
    void loadReadModel(ModelPtr model, const std::string& title, const std::string& libraryFolder);
    void setButtonsValid();

    // Runs change through the document (ModelDocument::apply); parts are the
    // ModelPart flags it may touch.
    EditOutcome applyModelChange(const std::string& label, const std::string& mergeKey, const ModelChange& change,
                                 uint32_t parts = modkit::partAll);
    void undo() { doc_.undo(); }
    void redo() { doc_.redo(); }

    // Opens path after asking about unsaved changes; errors are shown as
    // trapped in procedure `handler`. True when the model was opened.
    bool openModelFile(const std::string& path, const std::string& handler);
    // Asks to save, discard or cancel when the model has unsaved changes; true to go on.
    bool maybeSaveChanges();
    // Save writes to the current file; a model never saved (or from a library) asks first.
    bool saveModel(const std::string& handler, bool askForName = false);

    frmLog& log() { return *log_; }
    frmPreview& preview() { return *preview_; }
    frmLoadingProgress& loadingProgress() { return *progress_; }
    QAction* action(const QString& name) const;
    QPushButton* button(const QString& name) const;

    void setToolWindowFactory(Tool tool, ToolFactory factory);

    // The dock that holds a panel (an editor window, the event log), if it is one.
    QDockWidget* dockOf(const QWidget* content) const;
    // Puts every panel back where it starts (shown panels stay shown) and the
    // window on the screen.
    void resetLayout();
    // The layout, window geometry and column widths in the configuration's
    // Workspace element, and back (the panels open then are opened again).
    void storeWorkspace();
    void restoreWorkspace();
    // Moves and shrinks the window and the floating panels onto the screen.
    void keepOnScreen();
    // What a .bgl file given on the command line or dropped opens.
    void setBglOpener(std::function<void(const std::string&)> opener) { bglOpener_ = std::move(opener); }
    // Opens a model or BGL file given to the program at start.
    void openArgument(const std::string& path);

Q_SIGNALS:
    // The given ModelPart flags of the current model changed (all of them when
    // another model was opened); open windows show what they depend on again.
    void modelChanged(uint32_t parts);
    // Another model was opened (just before modelChanged): windows drop what
    // they kept for the previous one.
    void modelLoaded();

public Q_SLOTS:
    void mOpen_Click();
    void mSave_Click();
    void mSaveAs_Click();
    void mASMExport_Click();
    void mFLTExport_Click();
    void mGLTFExport_Click();
    void mLastFile_Click(int index);
    void mExit_Click();
    void cmdSimpleTweak_Click(int index);
    void cmd_list_Click(int index);
    void refreshRecentFileMenu();

protected:
    void closeEvent(QCloseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildMenus();
    void buildButtons();
    QAction* addAction(QMenu* menu, const char* name, const char* caption);
    // Runs f; a modkit::Error (or any other failure) is shown as trapped in `handler`.
    bool trap(const std::string& handler, const std::function<void()>& f);
    void showTrapped(const std::string& handler, const modkit::Error& e);
    // The file an open, save or export is working on, so that its failure names it (and is logged).
    void workOnFile(FileTask task, const std::string& path) { fileWork_ = {task, path}; }
    void exportModel(const char* filter, const char* title, const char* extension, const std::string& handler,
                     const std::function<void(const std::string&)>& write);
    void setCurrentModel(ModelPtr model, const std::string& path, bool fromLibrary);
    void preparePreview(modkit::MDLObject& m);
    void releasePreview(const ModelPtr& m);
    // Rebuilds what of the preview depends on the changed parts, once for a burst of changes.
    void refreshPreview();
    void updateTitle();
    void updateUndoActions();
    void setBusy(bool busy);
    void toggleWindow(QWidget* w, QAction* item);
    void toggleTool(Tool tool, QAction* item);
    void showModal(Tool tool);
    QWidget* toolWindow(Tool tool);
    bool hasTool(Tool tool) const { return factories_.count(tool) > 0; }

    // A panel: an editor window (or the log) in a dock of the main window.
    struct Panel {
        QDockWidget* dock = nullptr;
        QWidget* content = nullptr;
        QAction* item = nullptr;
        int area = 0;  // Qt::DockWidgetArea where it starts
    };
    Panel* panelOf(const QWidget* content);
    void dockPanel(QWidget* content, QAction* item, int area);
    void placePanel(Panel& p);
    void showPanel(Panel& p);
    // Column widths of the panel's tables and trees, as stored and as shown.
    void restoreColumns(const Panel& p);
    void storeColumns(const Panel& p);
    void updateStatus();

    ModelDocument doc_;
    struct FileWork {
        FileTask task = FileTask::open;
        std::string path;
    };
    std::optional<FileWork> fileWork_;
    // Where the last failed load stopped in a damaged file.
    std::string failedSection_;
    uint32_t pendingPreview_ = 0;
    QTimer* previewRefresh_ = nullptr;
    bool closing_ = false;
    frmLog* log_;
    frmPreview* preview_;
    frmLoadingProgress* progress_;
    std::array<QAction*, 8> mLastFile_{};
    std::array<QAction*, 6> mViewList_{};
    std::array<QPushButton*, 6> cmd_list_{};
    std::array<QPushButton*, 6> cmdSimpleTweak_{};
    QAction* mFileLine2_ = nullptr;
    QMenu* mFile_ = nullptr;
    QMenu* mExport_ = nullptr;
    std::map<Tool, ToolFactory> factories_;
    std::map<Tool, QWidget*> tools_;
    std::function<void(const std::string&)> bglOpener_;
    std::deque<Panel> panels_;  // panels keep their place
    std::map<QString, QByteArray> columns_;
    bool layoutRestored_ = false;
    int sizedAreas_ = 0;  // Qt::DockWidgetArea flags
    QLabel* lblStatusCounts_ = nullptr;
    QLabel* lblStatusFile_ = nullptr;
};

// r moved and, where it is larger, shrunk to lie inside area.
QRect fitInside(const QRect& r, const QRect& area);

}  // namespace fettle
