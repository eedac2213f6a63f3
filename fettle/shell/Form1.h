#pragma once
#include <QMainWindow>
#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>

#include "shell/ModelHistory.h"

class QAction;
class QMenu;
class QPushButton;

namespace modkit {
class MDLObject;
}

namespace fettle {

class frmLog;
class frmLoadingProgress;
class frmPreview;

// The main window: holds the one loaded model and offers every command on it.
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

    const ModelPtr& currentModel() const { return currentModel_; }
    bool loadedFromLibrary() const { return loadedFromLibrary_; }
    // True while a model loads; commands on the model are refused meanwhile.
    bool isBusy() const { return busy_; }

    // Reads path into a new model and makes it current. Throws modkit::Error;
    // then the model that was open before stays current.
    void loadMDLObject(const std::string& path, const std::string& title, bool fromLibrary);
    // Makes an already read model current (a model taken from a BGL library):
    // locates its textures (libraryFolder first) and builds its preview.
    void loadReadModel(ModelPtr model, const std::string& title, const std::string& libraryFolder);
    void setButtonsValid();
    // Finds the file of every texture of m; modelPath is the model file's path.
    void locateTextures(modkit::MDLObject& m, const std::string& modelPath, const std::string& firstFolder = {});

    // THE way every command changes the model: keeps the model as it was for
    // Undo, runs change, marks the model changed, rebuilds the preview and tells
    // the open windows. Changes under the same non-empty mergeKey that follow
    // each other are one undo step (typing in one field). A change that throws
    // leaves the model as it was before and passes the error on.
    void applyModelChange(const std::string& label, const std::string& mergeKey, const ModelChange& change);
    void undo();
    void redo();
    const ModelHistory& history() const { return history_; }

    // Opens path after asking about unsaved changes; errors are shown as
    // trapped in procedure `handler`. True when the model was opened.
    bool openModelFile(const std::string& path, const std::string& handler);
    // Asks to save, discard or cancel when the model has unsaved changes; true to go on.
    bool maybeSaveChanges();

    frmLog& log() { return *log_; }
    frmPreview& preview() { return *preview_; }
    frmLoadingProgress& loadingProgress() { return *progress_; }
    QAction* action(const QString& name) const;
    QPushButton* button(const QString& name) const;

    void setToolWindowFactory(Tool tool, ToolFactory factory);
    // What a .bgl file given on the command line or dropped opens.
    void setBglOpener(std::function<void(const std::string&)> opener) { bglOpener_ = std::move(opener); }
    // Opens a model or BGL file given to the program at start.
    void openArgument(const std::string& path);

Q_SIGNALS:
    // The current model was replaced or changed; open windows show it again.
    void modelChanged();
    // Another model was opened (just before modelChanged): windows drop what
    // they kept for the previous one.
    void modelLoaded();

public Q_SLOTS:
    void mOpen_Click();
    void mSave_Click();
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

private:
    void buildMenus();
    void buildButtons();
    QAction* addAction(QMenu* menu, const char* name, const char* caption);
    // Runs f; a modkit::Error (or any other failure) is shown as trapped in `handler`.
    bool trap(const std::string& handler, const std::function<void()>& f);
    void showTrapped(const std::string& handler, int number, const std::string& description);
    bool saveModel(const std::string& handler);
    void exportModel(const char* filter, const char* title, const char* extension, const std::string& handler,
                     const std::function<void(const std::string&)>& write);
    void setCurrentModel(ModelPtr model, const std::string& title, bool fromLibrary);
    void preparePreview(modkit::MDLObject& m);
    void releasePreview(const ModelPtr& m);
    void replaceCurrent(ModelPtr model);
    void modelReplaced();
    void updateTitle();
    void updateUndoActions();
    void setBusy(bool busy);
    void toggleWindow(QWidget* w, QAction* item);
    void toggleTool(Tool tool, QAction* item);
    void showModal(Tool tool);
    QWidget* toolWindow(Tool tool);
    bool hasTool(Tool tool) const { return factories_.count(tool) > 0; }
    static std::string lastMdlDefault(const std::string& lastMdl, const std::string& extension);

    ModelPtr currentModel_;
    bool loadedFromLibrary_ = false;
    bool busy_ = false;
    bool closing_ = false;
    std::string documentPath_;
    ModelHistory history_;
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
};

}  // namespace fettle
