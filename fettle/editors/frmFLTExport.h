#pragma once
#include <QWidget>
#include <array>
#include <string>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace fettle {

class Form1;

// "OpenFlight Converter": converts any number of model files to OpenFlight
// databases, each through its own model object, leaving the main window's
// model alone. Reports every model's outcome as it goes.
class frmFLTExport : public QWidget {
    Q_OBJECT
public:
    explicit frmFLTExport(Form1& form);

    void cmdSelectMDL_Click();
    void cmd_outdir_Click();
    void cmdCancel_Click();
    // Converts the given files with the window's settings (what cmdSelectMDL
    // does after its dialog). False when the settings were refused.
    bool convert(const std::vector<std::string>& files);
    bool isConverting() const { return converting_; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    // Escape closes the window, as it does every tool window.
    void keyPressEvent(QKeyEvent* e) override;

private:
    // The settings checked before any dialog: false after the message.
    bool checkSettings(std::string& outFolder, float& rotation);
    void setControlsEnabled(bool on);
    void addResult(const std::string& line);
    void outdirChanged();
    std::string textureType() const;

    Form1& form_;
    std::array<QRadioButton*, 3> optFLTTex_{};
    QLineEdit* txt_flt_rot_;
    QCheckBox* chk_write_attr_;
    QCheckBox* chk_outdir_;
    QLabel* lbl_outdir_;
    QLineEdit* txt_outdir_;
    QPushButton* cmd_outdir_;
    QPushButton* cmdSelectMDL_;
    QPushButton* cmdCancel_;
    QProgressBar* prgConvert_;
    QListWidget* lstResult_;
    QLabel* lblStatus_;
    bool converting_ = false;
    bool stopRequested_ = false;
};

}  // namespace fettle
