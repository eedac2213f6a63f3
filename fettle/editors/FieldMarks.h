#pragma once

class QLineEdit;

namespace fettle {

class FieldRule;

// Shows in box whether rule accepts its text: a refused text is red, with the
// field's allowed range as its tooltip. True when accepted.
bool markField(QLineEdit* box, const FieldRule& rule);
void clearFieldMark(QLineEdit* box);

}  // namespace fettle
