#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

class QLabel;
class QListWidget;
class QPushButton;

namespace modkit {
class BGLObject;
class MDLObject;
}

namespace fettle {

class Form1;

// "BGL Browser": opens a compiled scenery library, lists the models it holds
// ("Object 1" onwards), makes the clicked one the main window's model and
// writes the selected one out as an MDL file.
class frmBGLBrowser : public QWidget {
    Q_OBJECT
public:
    explicit frmBGLBrowser(Form1& form);
    ~frmBGLBrowser() override;

    // Opens the library at path in place of the one open; a failure is shown
    // (trapped in handler) and leaves the open library as it was.
    bool openLibrary(const std::string& path, const std::string& handler = "cmdLoadLib_Click");
    void cmdLoadLib_Click();
    // Loads object row + 1 as the main window's model.
    void lstObject_Click(int row);
    void cmdExtract_Click();

    const modkit::BGLObject* library() const { return lib_.get(); }
    QListWidget& lstObject() { return *lst_; }

protected:
    void closeEvent(QCloseEvent* e) override;
    // Escape closes the window, as it does every tool window.
    void keyPressEvent(QKeyEvent* e) override;

private:
    void updateButtons();
    std::function<void(const std::string&)> logError();

    Form1& form_;
    std::unique_ptr<modkit::BGLObject> lib_;
    QLabel* lblLibrary_;
    QListWidget* lst_;
    QPushButton* cmdLoadLib_;
    QPushButton* cmdExtract_;
    // The model this window made current, so that a second click on its line
    // does not read it again while it is unchanged.
    std::shared_ptr<modkit::MDLObject> loaded_;
    int loadedRow_ = -1;
    bool loading_ = false;
};

}  // namespace fettle
