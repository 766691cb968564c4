#pragma once
// Keeps what a document file cannot hold out of a header field, whether typed, pasted or
// committed by the input method: the line edit applies the cleaned text and caret itself.
// Number fields also take full-width digits, points, signs and blanks as ASCII.

#include <QValidator>

class FieldTextValidator : public QValidator
{
    Q_OBJECT
public:
    explicit FieldTextValidator(bool numbers, QObject *parent = nullptr)
        : QValidator(parent), m_numbers(numbers)
    {
    }
    State validate(QString &input, int &pos) const override;

private:
    bool m_numbers;
};

// The cell editor in number cells: full-width number characters become ASCII as they arrive;
// nothing is refused.
class NumberTextValidator : public QValidator
{
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString &input, int &pos) const override;
};
