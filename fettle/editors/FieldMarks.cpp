#include "editors/FieldMarks.h"

#include <QLineEdit>

#include "document/FieldRule.h"

namespace fettle {

bool markField(QLineEdit* box, const FieldRule& rule) {
    const std::string text = box->text().toStdString();
    if (rule.accepts(text)) {
        clearFieldMark(box);
        return true;
    }
    box->setStyleSheet("color: red;");
    box->setToolTip(QString::fromStdString(rule.refusal(text) + " It is not applied."));
    return false;
}

void clearFieldMark(QLineEdit* box) {
    box->setStyleSheet(QString());
    box->setToolTip(QString());
}

}  // namespace fettle
