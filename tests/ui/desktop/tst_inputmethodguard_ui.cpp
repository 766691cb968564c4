// Input-method events as a desktop input method sends them, through the whole program: readings
// given up and sent again, commits that are typed, and the number boxes.
#include "ui/desktop/inputmethodguard.h"
#include "ui/document/celleditor.h"
#include "ui/document/documentwindow.h"
#include "ui/grid/gridview.h"

#include <QApplication>
#include <QClipboard>
#include <QDoubleSpinBox>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QTest>
#include <functional>
#include <memory>

namespace {

// What an input method sends to the focus.
void imSend(const QString &preedit, const QString &commit = QString())
{
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit);
    QApplication::sendEvent(QApplication::focusWidget(), &event);
}

// Runs once when the focus is about to leave the widget, while it still has it: where Qt asks
// the input method to commit what it holds.
class BeforeFocusLeaves : public QObject
{
public:
    BeforeFocusLeaves(QWidget *widget, std::function<void()> action)
        : QObject(widget), m_action(std::move(action))
    {
        widget->installEventFilter(this);
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::FocusAboutToChange && m_action)
            std::exchange(m_action, nullptr)();
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

class TestInputMethodGuard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DocumentWindow> m_win;
    std::unique_ptr<DocumentWindow> m_other;

    Grid &grid() { return m_win->document().runnerTable; }
    static void activate(QWidget *window)
    {
        QApplication::setActiveWindow(window);
        QVERIFY(QTest::qWaitForWindowActive(window));
    }
    static void type(const QString &text)
    {
        for (const QChar ch : text)
            QTest::keyClick(QApplication::focusWidget(), ch.toLatin1());
    }

private Q_SLOTS:
    void initTestCase() { InputMethodGuard::install(); }
    void init()
    {
        m_win = std::make_unique<DocumentWindow>(QString());
        m_win->buildTable();
        m_win->show();
        activate(m_win.get());
    }
    void cleanup()
    {
        m_win.reset();
        m_other.reset();
    }

    // A reading given up in a cell or a title field comes back as a commit without a
    // composition: in the control that had the focus as the focus moves (a cancelled one), or
    // in the one that has it next, in the same or in another window (one left unfinished).
    void resentReadingIsDropped_data()
    {
        QTest::addColumn<bool>("inCell");
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<bool>("otherWindow");
        QTest::newRow("cancelled in a cell, then a number typed in this window")
            << true << true << false;
        QTest::newRow("cancelled in a cell, then a field of another window")
            << true << true << true;
        QTest::newRow("left unfinished in a cell for a field of another window")
            << true << false << true;
        QTest::newRow("cancelled in a title field, then a number typed in a cell")
            << false << true << false;
        QTest::newRow("left unfinished in a title field for another window")
            << false << false << true;
    }
    void resentReadingIsDropped()
    {
        QFETCH(bool, inCell);
        QFETCH(bool, cancelled);
        QFETCH(bool, otherWindow);
        const QString reading = QStringLiteral("さくら");
        QWidget *start = inCell ? static_cast<QWidget *>(m_win->runnerTable) : m_win->titleBoxes[4];
        m_win->setTitleText(4, QString());
        start->setFocus();
        if (inCell)
            m_win->runnerTable->setCurrentCell(3, 2);
        imSend(reading);
        if (cancelled)
            imSend({});
        // Qt asks the input method to commit as the focus leaves; it gives the reading it held.
        new BeforeFocusLeaves(QApplication::focusWidget(), [&] { imSend({}, reading); });
        if (otherWindow) {
            m_other = std::make_unique<DocumentWindow>(QString());
            m_other->buildTable();
            m_other->show();
            activate(m_other.get());
            m_other->titleBoxes[3]->setFocus();
            imSend({}, reading); // and once more to the new focus
            QCOMPARE(m_other->titleText(3), m_other->titleBoxes[3]->text());
            QVERIFY(!m_other->titleText(3).contains(reading));
            QVERIFY(!m_other->isEditing());
        } else {
            m_win->runnerTable->setFocus();
            m_win->runnerTable->setCurrentCell(4, 7);
            type(QStringLiteral("12.5"));
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(grid().text(4, 7), QStringLiteral("12.5"));
            QCOMPARE(m_win->undoRing().undoPos(), 1);
        }
        QCOMPARE(grid().text(3, 2), QString());
        QCOMPARE(m_win->titleText(4), !inCell && !cancelled ? reading : QString());
    }

    // Commits without a composition that are typed: a full-width space right after a commit in
    // another control, and the same reading typed again after it was given up.
    void typedCommitsGoThrough()
    {
        m_win->titleBoxes[4]->setFocus();
        imSend(QStringLiteral("よそう"));
        imSend({}, QStringLiteral("予想"));
        imSend({});
        m_win->runnerTable->setFocus();
        m_win->runnerTable->setCurrentCell(3, 9);
        imSend({}, QStringLiteral("　"));
        QVERIFY(m_win->isEditing());
        QTRY_VERIFY(m_win->cellEditor->hasFocus());
        imSend(QStringLiteral("ｘ"));
        imSend({}, QStringLiteral("ｘ"));
        QTest::keyClick(m_win->cellEditor, Qt::Key_Return);
        QCOMPARE(grid().text(3, 9), QStringLiteral("　ｘ"));
        QCOMPARE(m_win->titleText(4), QStringLiteral("予想"));

        m_win->runnerTable->setCurrentCell(5, 2);
        imSend(QStringLiteral("さくら"));
        imSend({});
        imSend(QStringLiteral("さくら"));
        imSend({}, QStringLiteral("さくら"));
        QTRY_VERIFY(m_win->cellEditor->hasFocus());
        QTest::keyClick(m_win->cellEditor, Qt::Key_Return);
        QCOMPARE(grid().text(5, 2), QStringLiteral("さくら"));
    }

    // Every spin box of the program: the input method is off, full-width numbers are read.
    void numberBoxesTakeFullWidth_data()
    {
        QTest::addColumn<bool>("decimals");
        QTest::addColumn<bool>("paste");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("value");
        QTest::newRow("committed yen amount") << false << false << "５０００" << 5000.0;
        QTest::newRow("pasted yen amount") << false << true << "１２３４" << 1234.0;
        QTest::newRow("committed ratio with a point") << true << false << "０．２５" << 0.25;
        QTest::newRow("pasted ratio, ideographic full stop") << true << true << "１。５" << 1.5;
    }
    void numberBoxesTakeFullWidth()
    {
        QFETCH(bool, decimals);
        QFETCH(bool, paste);
        QFETCH(QString, text);
        QFETCH(double, value);
        QWidget window;
        QAbstractSpinBox *box = nullptr;
        if (decimals) {
            auto *d = new QDoubleSpinBox(&window);
            d->setRange(0, 10);
            d->setValue(3);
            box = d;
        } else {
            auto *s = new QSpinBox(&window);
            s->setRange(0, 1000000);
            s->setSuffix(QStringLiteral(" 円"));
            s->setValue(10000);
            box = s;
        }
        window.show();
        activate(&window);
        box->setFocus();
        QCOMPARE(QInputMethod::queryFocusObject(Qt::ImEnabled, {}).toBool(), false);
        box->selectAll();
        QTest::keyClick(box, Qt::Key_Delete);
        if (paste) {
            QApplication::clipboard()->setText(text);
            QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        } else {
            imSend({}, text);
        }
        QTest::keyClick(box, Qt::Key_Return);
        const double got = decimals ? static_cast<QDoubleSpinBox *>(box)->value()
                                    : static_cast<QSpinBox *>(box)->value();
        QCOMPARE(got, value);
    }
};

QTEST_MAIN(TestInputMethodGuard)
#include "tst_inputmethodguard_ui.moc"
