#pragma once
#include <QDialog>
#include <array>
#include <string>
#include <vector>

#include <pugixml.hpp>

class QLineEdit;
class QListWidget;
class QPushButton;
class QRadioButton;

namespace fettle {

class FieldRule;

class Form1;

// "Options": texture search paths, texture name suffixes, default season days,
// the direction "Unify normals" writes and the OpenFlight texture type, all in
// the configuration. Nothing is written before OK, which refuses a day or a
// normal component that is not a number in range; Cancel leaves the
// configuration as it was, search paths included.
class frmOptions : public QDialog {
    Q_OBJECT
public:
    explicit frmOptions(QWidget* parent);

    // A chosen or typed folder as it is stored: one trailing "/" or "\" less,
    // unless that would leave nothing (the root folder stays "/").
    static std::string storedPath(const std::string& folder);

    void cmdAddPath_Click();
    void cmdAddRelativePath_Click();
    void cmdDeletePath_Click();
    void cmdOK_Click();

    // What a season day box (empty leaves the season unset) and a normal component accept.
    static FieldRule dayRule(int season, bool end);
    static FieldRule normalRule(int component);

protected:
    void showEvent(QShowEvent* e) override;

private:
    void fill();
    void addPath(const std::string& folder);
    void refreshPaths();

    QListWidget* lstTexSearch_;
    QPushButton *cmdAddRelativePath_, *cmdAddPath_, *cmdDeletePath_, *cmdOK_, *cmdCancel_;
    std::array<QLineEdit*, 5> txtTexSuffix_{};
    std::array<QLineEdit*, 5> txtSeasStart_{}, txtSeasEnd_{};
    std::array<QLineEdit*, 3> txtNorm_{};
    std::array<QRadioButton*, 3> optFLTTex_{};
    // The search paths as edited, in the order of the list's lines; OK writes them.
    std::vector<std::string> paths_;
};

}  // namespace fettle
