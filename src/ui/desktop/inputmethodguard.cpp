#include "ui/desktop/inputmethodguard.h"

#include "core/text/narrownumber.h"

#include <QAbstractSpinBox>
#include <QApplication>
#include <QFocusEvent>
#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>
#include <QValidator>

namespace {

// At most this many given-up texts are remembered; an input method sends a reading again at
// the next focus change, not after several others were given up.
constexpr qsizetype MaxGivenUp = 8;

// Put in front of a spin box's own validator: the box reads full-width number characters as
// their ASCII forms, whichever way they arrived.
class NarrowingValidator : public QValidator
{
public:
    NarrowingValidator(const QValidator *inner, QObject *parent)
        : QValidator(parent), m_inner(inner)
    {
    }
    State validate(QString &input, int &pos) const override
    {
        input = narrowNumberText(input);
        return m_inner ? m_inner->validate(input, pos) : Acceptable;
    }
    void fixup(QString &input) const override
    {
        input = narrowNumberText(input);
        if (m_inner)
            m_inner->fixup(input);
    }

private:
    QPointer<const QValidator> m_inner;
};

QLineEdit *spinBoxEdit(QAbstractSpinBox *box)
{
    return box->findChild<QLineEdit *>(QString(), Qt::FindDirectChildrenOnly);
}

void narrowSpinBoxInput(QAbstractSpinBox *box)
{
    QLineEdit *edit = spinBoxEdit(box);
    if (!edit || dynamic_cast<const NarrowingValidator *>(edit->validator()))
        return;
    edit->setValidator(new NarrowingValidator(edit->validator(), edit));
}

// Focus changes for a menu or a popup keep a composition going.
bool keepsComposition(const QFocusEvent *event)
{
    return event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason;
}

} // namespace

InputMethodGuard::InputMethodGuard(QObject *parent) : QObject(parent) {}

void InputMethodGuard::install()
{
    if (instance() || !qApp)
        return;
    auto *guard = new InputMethodGuard(qApp);
    guard->setObjectName(QStringLiteral("inputMethodGuard"));
    qApp->installEventFilter(guard);
}

InputMethodGuard *InputMethodGuard::instance()
{
    return qApp ? qApp->findChild<InputMethodGuard *>(QStringLiteral("inputMethodGuard"),
                                                      Qt::FindDirectChildrenOnly)
                : nullptr;
}

bool InputMethodGuard::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::InputMethod:
        if (isResentReading(watched, static_cast<QInputMethodEvent *>(event)))
            return true;
        break;
    case QEvent::FocusOut:
        if (watched == m_preeditIn && !m_preedit.isEmpty() &&
            !keepsComposition(static_cast<QFocusEvent *>(event)))
            giveUpComposition();
        break;
    default:
        break;
    }
    if (auto *box = qobject_cast<QAbstractSpinBox *>(watched))
        return spinBoxEvent(box, event);
    return QObject::eventFilter(watched, event);
}

bool InputMethodGuard::isResentReading(QObject *watched, const QInputMethodEvent *event)
{
    const QString &preedit = event->preeditString();
    const QString &commit = event->commitString();
    // The input method talks to the focus; an event sent to another object is a window handing
    // one on (the runner table to its cell editor) or ending a composition itself.
    const bool fromInputMethod = watched == QGuiApplication::focusObject();
    if (!fromInputMethod) {
        if (preedit.isEmpty() && commit.isEmpty() && !m_preedit.isEmpty())
            giveUpComposition();
        return false;
    }
    const bool composing = !m_preedit.isEmpty();
    if (!commit.isEmpty() && !composing && m_givenUp.contains(commit))
        return true;
    if (!composing && preedit.isEmpty())
        return false;
    if (!commit.isEmpty() || preedit.isEmpty()) {
        // The composition ends: committed (typed; an input method that committed it at a
        // focus change may still send it again) or taken back.
        giveUpComposition(commit);
    }
    if (!preedit.isEmpty()) {
        if (!composing || !commit.isEmpty())
            m_givenUp.clear(); // a new composition: the input method holds no older reading
        m_preedit = preedit;
        m_preeditIn = watched;
    }
    return false;
}

void InputMethodGuard::giveUpComposition(const QString &committed)
{
    for (const QString &text : {m_preedit, committed}) {
        if (text.isEmpty())
            continue;
        m_givenUp.removeOne(text);
        m_givenUp.append(text);
    }
    while (m_givenUp.size() > MaxGivenUp)
        m_givenUp.removeFirst();
    m_preedit.clear();
    m_preeditIn = nullptr;
}

bool InputMethodGuard::spinBoxEvent(QAbstractSpinBox *box, QEvent *event)
{
    switch (event->type()) {
    case QEvent::Polish:
    case QEvent::FocusIn:
        narrowSpinBoxInput(box);
        break;
    case QEvent::InputMethodQuery: {
        auto *query = static_cast<QInputMethodQueryEvent *>(event);
        if (!(query->queries() & Qt::ImEnabled))
            break;
        // The box answers the rest; the input method is off, as in the number cells.
        for (int bit = 0; bit < 32; ++bit) {
            const auto q = Qt::InputMethodQuery(int(query->queries() & (1u << bit)));
            if (q && q != Qt::ImEnabled)
                query->setValue(q, box->inputMethodQuery(q));
        }
        query->setValue(Qt::ImEnabled, false);
        query->accept();
        return true;
    }
    default:
        break;
    }
    return false;
}
