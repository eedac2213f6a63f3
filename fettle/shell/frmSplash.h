#pragma once
#include <QDialog>
#include <QWidget>
#include <string>

class QLabel;

namespace fettle {

// The start-up window.
class frmSplash : public QWidget {
    Q_OBJECT
public:
    explicit frmSplash(QWidget* parent = nullptr);
    void setSplashText(const std::string& text);

private:
    QLabel* lblProgress_;
};

// The about box.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* parent = nullptr);
};

// "major.minor.revision" of the program.
std::string programVersion();

}  // namespace fettle
