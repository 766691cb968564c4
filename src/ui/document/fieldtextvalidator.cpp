#include "ui/document/fieldtextvalidator.h"

#include "core/editing/cellrules.h"
#include "core/text/narrownumber.h"

QValidator::State FieldTextValidator::validate(QString &input, int &pos) const
{
    // Narrowing and the code page's own forms keep every position; removing separators does
    // not.
    if (m_numbers)
        input = narrowNumberText(input);
    const QString cleaned = removeFieldSeparators(input);
    if (cleaned != input) {
        pos = int(removeFieldSeparators(input.left(pos)).size());
        input = cleaned;
    }
    return Acceptable;
}

QValidator::State NumberTextValidator::validate(QString &input, int &) const
{
    input = narrowNumberText(input);
    return Acceptable;
}
