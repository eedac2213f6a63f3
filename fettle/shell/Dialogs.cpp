#include "shell/Dialogs.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace fettle {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

QWidget* owner() { return QApplication::activeWindow(); }

class QtDialogs : public Dialogs {
public:
    MsgAnswer messageBox(const std::string& title, const std::string& text, MsgIcon icon,
                         MsgButtons buttons) override {
        QMessageBox box(owner());
        box.setWindowTitle(q(title));
        box.setText(q(text));
        switch (icon) {
        case MsgIcon::None: box.setIcon(QMessageBox::NoIcon); break;
        case MsgIcon::Critical: box.setIcon(QMessageBox::Critical); break;
        case MsgIcon::Question: box.setIcon(QMessageBox::Question); break;
        case MsgIcon::Exclamation: box.setIcon(QMessageBox::Warning); break;
        case MsgIcon::Information: box.setIcon(QMessageBox::Information); break;
        }
        switch (buttons) {
        case MsgButtons::OK: box.setStandardButtons(QMessageBox::Ok); break;
        case MsgButtons::OKCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
        case MsgButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
        case MsgButtons::YesNoCancel:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            break;
        case MsgButtons::SaveDiscardCancel:
            box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            box.setDefaultButton(QMessageBox::Save);
            break;
        }
        switch (box.exec()) {
        case QMessageBox::Ok: return MsgAnswer::OK;
        case QMessageBox::Yes: return MsgAnswer::Yes;
        case QMessageBox::No: return MsgAnswer::No;
        case QMessageBox::Save: return MsgAnswer::Save;
        case QMessageBox::Discard: return MsgAnswer::Discard;
        default: return MsgAnswer::Cancel;
        }
    }

    std::string openFileDialog(const std::string& filter, const std::string& title,
                               const std::string& initialFile) override {
        return QFileDialog::getOpenFileName(owner(), q(title), q(initialFile), q(qtFilter(filter))).toStdString();
    }

    std::vector<std::string> openFilesDialog(const std::string& filter, const std::string& title,
                                             const std::string& initialFile) override {
        std::vector<std::string> out;
        for (const QString& f : QFileDialog::getOpenFileNames(owner(), q(title), q(initialFile), q(qtFilter(filter))))
            out.push_back(f.toStdString());
        return out;
    }

    std::string saveFileDialog(const std::string& filter, const std::string& title,
                               const std::string& initialFile) override {
        return QFileDialog::getSaveFileName(owner(), q(title), q(initialFile), q(qtFilter(filter))).toStdString();
    }

    std::string browseForFolder(QWidget* parent) override {
        QString d = QFileDialog::getExistingDirectory(parent ? parent : owner(), "Choose a directory from the list.");
        if (d.isEmpty()) return {};
        if (!d.endsWith('/')) d += '/';
        return d.toStdString();
    }

    std::optional<RgbColor> chooseColor(const RgbColor& initial) override {
        QColor c = QColorDialog::getColor(QColor(initial.r, initial.g, initial.b), owner());
        if (!c.isValid()) return std::nullopt;
        return RgbColor{c.red(), c.green(), c.blue()};
    }

    std::optional<std::string> inputBox(const std::string& prompt, const std::string& title,
                                        const std::string& initialText) override {
        bool ok = false;
        QString s = QInputDialog::getText(owner(), q(title), q(prompt), QLineEdit::Normal, q(initialText), &ok);
        if (!ok) return std::nullopt;
        return s.toStdString();
    }
};

Dialogs* installed = nullptr;

}  // namespace

Dialogs& dialogs() {
    static QtDialogs real;
    return installed ? *installed : real;
}

void setDialogs(Dialogs* d) { installed = d; }

std::string qtFilter(const std::string& filter) {
    // Pairs of "description|pattern"; Qt shows the description, which carries the pattern.
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
        size_t bar = filter.find('|', start);
        parts.push_back(filter.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    std::string out;
    for (size_t i = 0; i < parts.size(); i += 2) {
        std::string entry = parts[i];
        if (i + 1 < parts.size() && entry.find('(') == std::string::npos) entry += " (" + parts[i + 1] + ")";
        if (!out.empty()) out += ";;";
        out += entry;
    }
    return out;
}

void showErrorBox(const std::string& title, const std::string& text) {
    dialogs().messageBox(title, text, MsgIcon::Critical);
}

}  // namespace fettle
