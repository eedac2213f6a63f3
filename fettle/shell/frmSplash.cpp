#include "shell/frmSplash.h"

#include <QFont>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

#include "modkit/Version.h"

namespace fettle {
namespace {

void centre(QWidget* w) {
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        QRect r = w->frameGeometry();
        r.moveCenter(s->availableGeometry().center());
        w->move(r.topLeft());
    }
}

QLabel* titleLabel(QWidget* parent) {
    auto* title = new QLabel("Fettle II", parent);
    title->setObjectName("lblTitle");
    QFont f = title->font();
    f.setPointSize(f.pointSize() * 2);
    f.setBold(true);
    title->setFont(f);
    return title;
}

}  // namespace

std::string programVersion() { return modkit::versionText; }

frmSplash::frmSplash(QWidget* parent) : QWidget(parent, Qt::SplashScreen | Qt::WindowStaysOnTopHint) {
    setObjectName("frmSplash");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel(this));
    auto* version = new QLabel(QString::fromStdString("Version: " + programVersion()), this);
    version->setObjectName("lbl_version");
    layout->addWidget(version);
    lblProgress_ = new QLabel(this);
    lblProgress_->setObjectName("lblProgress");
    layout->addWidget(lblProgress_);
    resize(360, 160);
    centre(this);
}

void frmSplash::setSplashText(const std::string& text) { lblProgress_->setText(QString::fromStdString(text)); }

frmAbout::frmAbout(QWidget* parent) : QDialog(parent) {
    setObjectName("frmAbout");
    setWindowTitle("About Fettle II");
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel(this));
    auto* version = new QLabel(QString::fromStdString("Beta version " + programVersion()), this);
    version->setObjectName("lblVersion");
    layout->addWidget(version);
    auto* description = new QLabel(
        "A tool for designers of flight-simulator scenery objects: it opens MDL model files, "
        "shows them in a 3-D preview, makes a fixed set of repairs and changes, and writes the "
        "model back or exports it as BGLC source and OpenFlight.",
        this);
    description->setObjectName("lblDescription");
    description->setWordWrap(true);
    layout->addWidget(description);
    auto* ok = new QPushButton("OK", this);
    ok->setObjectName("cmdOK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
    resize(400, 200);
    centre(this);
}

}  // namespace fettle
