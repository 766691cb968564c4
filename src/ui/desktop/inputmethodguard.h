#pragma once
// What the input method delivers, checked once for the whole program before any window sees
// it.
//
// Readings sent again: an input method that was composing when the user gave the reading up
// (Escape, BackSpace, a click or a focus change in the middle of it) may deliver that reading
// once more as a commit, at the next focus change or reset, to the control that had the focus
// or to the one that has it now, in any window. Such a commit comes without a composition of its
// own and repeats the text of a reading that was given up or already committed; it is dropped.
// A commit without a composition whose text is anything else (a full-width space, a symbol) is
// typed and goes through. The reading is recognised by its text, not by the time it arrives.
//
// Number boxes: every spin box tells the input method it is off, as the number cells do, and
// full-width digits, points, signs and blanks that still reach it (a commit, a paste, a key)
// become ASCII before the box reads them.

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

class QAbstractSpinBox;
class QInputMethodEvent;

class InputMethodGuard : public QObject
{
    Q_OBJECT
public:
    // Installs the guard on the application once; later calls do nothing.
    static void install();
    static InputMethodGuard *instance();

    // The texts a commit without a composition of its own is dropped for, the latest last.
    QStringList givenUpReadings() const { return m_givenUp; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    explicit InputMethodGuard(QObject *parent);
    // True when the event is to be dropped.
    bool isResentReading(QObject *watched, const QInputMethodEvent *event);
    void giveUpComposition(const QString &committed = QString());
    bool spinBoxEvent(QAbstractSpinBox *box, QEvent *event);

    // The text of the composition in progress, empty when there is none, and where it is shown.
    QString m_preedit;
    QPointer<QObject> m_preeditIn;
    // The last texts of compositions that ended (the reading as last shown and what was
    // committed), the latest last, until a new composition starts.
    QStringList m_givenUp;
};
