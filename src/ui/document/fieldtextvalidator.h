#pragma once
// Keeps what a document file cannot hold out of a header field, whether typed, pasted or
// committed by the input method: the line edit applies the cleaned text and caret itself.

#include <QValidator>

class FieldTextValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
