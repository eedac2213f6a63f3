#include "shell/frmLog.h"

#include <QCloseEvent>
#include <QLocale>
#include <QPlainTextEdit>
#include <QTime>
#include <QVBoxLayout>

namespace fettle {

frmLog::frmLog(QWidget* parent) : QWidget(parent, Qt::Window) {
    setObjectName("frmLog");
    setWindowTitle("Event log");
    txtLog_ = new QPlainTextEdit(this);
    txtLog_->setObjectName("txtLog");
    txtLog_->setAccessibleName("Event log");
    txtLog_->setReadOnly(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(txtLog_);
    resize(520, 260);
}

void frmLog::append(const std::string& entry) {
    std::string line = "[" + QLocale::system().toString(QTime::currentTime(), QLocale::ShortFormat).toStdString() + "] " + entry;
    log_ += "\r\n" + line;
    txtLog_->appendPlainText(QString::fromStdString(line));
}

void frmLog::addLogEvent(const std::string& text) { append(text); }
void frmLog::addLogWarning(const std::string& text) { append("Warning: " + text); }
void frmLog::addLogError(const std::string& text) { append("Error: " + text); }

void frmLog::clearLog() {
    log_.clear();
    txtLog_->clear();
}

void frmLog::closeEvent(QCloseEvent* e) {
    e->accept();
    Q_EMIT closed();
}

}  // namespace fettle
