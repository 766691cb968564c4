#include "ui/document/fieldtextvalidator.h"

#include "core/editing/cellrules.h"

QValidator::State FieldTextValidator::validate(QString &input, int &pos) const
{
    const QString cleaned = removeFieldSeparators(input);
    if (cleaned.size() != input.size()) {
        pos = int(removeFieldSeparators(input.left(pos)).size());
        input = cleaned;
    }
    return Acceptable;
}
