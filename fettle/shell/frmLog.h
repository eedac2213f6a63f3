#pragma once
#include <QWidget>
#include <string>

class QPlainTextEdit;

namespace fettle {

// The event log: one line per entry, "[time] text".
class frmLog : public QWidget {
    Q_OBJECT
public:
    explicit frmLog(QWidget* parent = nullptr);

    void addLogEvent(const std::string& text);
    void addLogWarning(const std::string& text);
    void addLogError(const std::string& text);
    void clearLog();
    // The whole log: each entry is CR LF + "[" + time + "] " + text.
    const std::string& text() const { return log_; }

Q_SIGNALS:
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void append(const std::string& entry);

    QPlainTextEdit* txtLog_;
    std::string log_;
};

}  // namespace fettle
