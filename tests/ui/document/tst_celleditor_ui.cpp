#include "testfiles.h"
#include "ui/desktop/inputmethodguard.h"
#include "ui/document/celleditor.h"
#include "ui/document/documentwindow.h"
#include "ui/grid/gridview.h"

#include <QApplication>
#include <QClipboard>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

Q_DECLARE_METATYPE(Qt::Key)

class TestCellEditor : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DocumentWindow> m_win;

    Grid &grid() { return m_win->document().runnerTable; }

    void select(int row, int col)
    {
        m_win->runnerTable->setFocus();
        m_win->runnerTable->setCurrentCell(row, col);
    }
    // Keys go where the focus is, as on a keyboard.
    void press(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier)
    {
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, key, mods);
    }
    void type(const QString &text)
    {
        for (const QChar ch : text) {
            QWidget *target = QApplication::focusWidget();
            QVERIFY(target);
            QTest::keyClick(target, ch.toLatin1());
        }
    }
    // What an input method sends to the focused widget.
    void imSend(const QString &preedit, const QString &commit = QString())
    {
        QInputMethodEvent event(preedit, {});
        event.setCommitString(commit);
        QApplication::sendEvent(QApplication::focusWidget(), &event);
    }
    QPoint viewportCentre(int row, int col) const
    {
        return m_win->runnerTable->cellRect(row, col).center() -
               m_win->runnerTable->viewport()->geometry().topLeft();
    }

private Q_SLOTS:
    void initTestCase() { InputMethodGuard::install(); }
    void init()
    {
        m_win = std::make_unique<DocumentWindow>(QString());
        m_win->buildTable();
        m_win->show();
        QApplication::setActiveWindow(m_win.get());
        QVERIFY(QTest::qWaitForWindowActive(m_win.get()));
    }
    void cleanup() { m_win.reset(); }

    void stripSeparatorsRule_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("delStr");
        QTest::addColumn<QString>("expected");
        QTest::newRow("comma is no digit separator") << "1,000"
                                                     << ""
                                                     << "1000";
        QTest::newRow("brackets go, the word stays") << "(予想)"
                                                     << ""
                                                     << "予想";
        QTest::newRow("every default character goes") << ",_=!#$%&'()~\"\r\n"
                                                      << ""
                                                      << "";
        QTest::newRow("full-width forms match as text") << "１，０００（円）＃"
                                                        << ""
                                                        << "１０００円";
        QTest::newRow("other symbols stay") << "+-*/.:;@◎"
                                            << ""
                                            << "+-*/.:;@◎";
        QTest::newRow("given set replaces the default") << "a,b-c\"d"
                                                        << "-"
                                                        << "a,bcd";
    }
    void stripSeparatorsRule()
    {
        QFETCH(QString, text);
        QFETCH(QString, delStr);
        QFETCH(QString, expected);
        QCOMPARE(stripSeparators(text, delStr), expected);
    }

    void imeMode_data()
    {
        QTest::addColumn<QString>("weight");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("expected");
        QTest::newRow("stake column: numbers only") << "1" << 2 << 7 << int(ImeDisabled);
        QTest::newRow("odds column: numbers only") << "-1" << 2 << 8 << int(ImeDisabled);
        QTest::newRow("weight 0: text column") << "0" << 2 << 9 << int(ImeFree);
        QTest::newRow("remarks column") << "備考" << 2 << 10 << int(ImeFree);
        QTest::newRow("weight without a number") << "ﾒﾓ" << 2 << 11 << int(ImeFree);
        QTest::newRow("header row of a stake column") << "1" << 0 << 7 << int(ImeFree);
        QTest::newRow("name column") << "1" << 5 << 2 << int(ImeFree);
    }
    void imeMode()
    {
        QFETCH(QString, weight);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, expected);
        Grid g;
        g.setSize(6, 12);
        g.setText(1, col, weight);
        QCOMPARE(imeModeForCell(g, row, col), expected);
    }

    void editorInputMethodFollowsCell()
    {
        select(2, 7);
        type(QStringLiteral("5"));
        QVERIFY(m_win->isEditing());
        QVERIFY(!m_win->cellEditor->testAttribute(Qt::WA_InputMethodEnabled));
        QVERIFY(m_win->cellEditor->inputMethodHints() & Qt::ImhLatinOnly);
        press(Qt::Key_Escape);
        select(2, 2);
        type(QStringLiteral("a"));
        QVERIFY(m_win->cellEditor->testAttribute(Qt::WA_InputMethodEnabled));
        QCOMPARE(m_win->cellEditor->inputMethodHints(), Qt::ImhNone);
    }

    void commitOnSelectedCellStoresOnce_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("commit");
        QTest::addColumn<QString>("stored");
        QTest::newRow("name") << 2 << QStringLiteral("桜") << QStringLiteral("桜");
        QTest::newRow("full-width stake")
            << 7 << QStringLiteral("１２００") << QStringLiteral("1200");
    }
    void commitOnSelectedCellStoresOnce()
    {
        QFETCH(int, col);
        QFETCH(QString, commit);
        QFETCH(QString, stored);
        select(3, col);
        const QString reading(30, u'さ'); // the editor widens to show it
        imSend(reading);
        QVERIFY(m_win->runnerTable->hasFocus());
        QCOMPARE(m_win->cellEditor->preeditText(), reading);
        QVERIFY(m_win->cellEditor->width() > m_win->runnerTable->cellRect(3, col).width() + 200);
        const QRect caret = QInputMethod::queryFocusObject(Qt::ImCursorRectangle, {}).toRect();
        QVERIFY(m_win->cellEditor->geometry().contains(
            caret.translated(m_win->runnerTable->pos()).center()));
        // The input method hands its text over once more while the first delivery is handled.
        connect(
            m_win->cellEditor, &QLineEdit::textChanged, this, [&] { imSend({}, commit); },
            Qt::SingleShotConnection);
        imSend({}, commit);
        QTRY_VERIFY(m_win->cellEditor->hasFocus());
        press(Qt::Key_Return);
        QCOMPARE(grid().text(3, col), stored);
        QCOMPARE(m_win->undoRing().undoPos(), 1);
        QCOMPARE(m_win->document().poolText(), col == 7 ? stored : QStringLiteral("100000"));
        QCOMPARE(m_win->cellEditor->width(), m_win->runnerTable->cellRect(4, col).width());
    }

    void compositionLeftUnfinished_data()
    {
        QTest::addColumn<int>("how");
        QTest::newRow("Escape takes it back") << 0;
        QTest::newRow("click on another cell") << 1;
        QTest::newRow("focus to a header field, the reading committed on the way") << 2;
        QTest::newRow("the same from an editor that was open") << 3;
    }
    void compositionLeftUnfinished()
    {
        QFETCH(int, how);
        select(3, 2);
        if (how == 3)
            type(QStringLiteral("a"));
        imSend(QStringLiteral("さくら"));
        if (how == 0)
            imSend({});
        if (how == 1)
            QTest::mouseClick(m_win->runnerTable->viewport(), Qt::LeftButton, {},
                              viewportCentre(5, 2));
        if (how >= 2) {
            imSend({}, QStringLiteral("さくら"));
            m_win->titleBoxes[0]->setFocus();
        }
        const QString title = m_win->titleText(0);
        // The input method may answer the reset by committing the reading to the new focus.
        if (how > 0)
            imSend({}, QStringLiteral("さくら"));
        QTest::qWait(0);
        QCOMPARE(m_win->titleText(0), title);
        QVERIFY(!m_win->isEditing());
        QCOMPARE(grid().text(3, 2), QString());
        QCOMPARE(m_win->undoRing().undoPos(), 0);
    }

    void inputMethodPerCell_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("name") << 2 << true;
        QTest::newRow("stake") << 7 << false;
        QTest::newRow("jockey (weight 0)") << 9 << true;
        QTest::newRow("computed odds: nothing is typed") << 4 << false;
    }
    void inputMethodPerCell()
    {
        QFETCH(int, col);
        QFETCH(bool, enabled);
        select(2, 9 - col % 2);
        QSignalSpy moved(QGuiApplication::inputMethod(), &QInputMethod::cursorRectangleChanged);
        m_win->runnerTable->setCurrentCell(3, col);
        QVERIFY(!moved.isEmpty());
        QCOMPARE(QInputMethod::queryFocusObject(Qt::ImCursorRectangle, {}).toRect(),
                 m_win->runnerTable->cellRect(3, col));
        QCOMPARE(QInputMethod::queryFocusObject(Qt::ImEnabled, {}).toBool(), enabled);
        if (col != 4) {
            m_win->openEditor(ImeMode(imeModeForCell(grid(), 3, col)));
            QCOMPARE(QInputMethod::queryFocusObject(Qt::ImEnabled, {}).toBool(), enabled);
        }
    }

    void fullWidthNumbers_data()
    {
        QTest::addColumn<QString>("field");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const auto row = [](const char *name, const char *field, const char *text, const char *ok) {
            QTest::newRow(name) << QString(field) << QString(text) << QString(ok);
        };
        row("runner count", "countBoxes0", "１２", "12");
        row("payout ratio", "payoutRatioBox", "８０．５", "80.5");
        row("pool", "poolBox", "＋１２００　", "+1200 ");
    }
    void fullWidthNumbers()
    {
        QFETCH(QString, field);
        QFETCH(QString, text);
        QFETCH(QString, expected);
        auto *edit = m_win->findChild<QLineEdit *>(field);
        edit->setFocus();
        QCOMPARE(QInputMethod::queryFocusObject(Qt::ImEnabled, {}).toBool(), text == expected);
        edit->clear();
        imSend({}, text);
        QCOMPARE(edit->text(), expected);
        edit->clear();
        QApplication::clipboard()->setText(text);
        edit->paste();
        QCOMPARE(edit->text(), expected);
    }

    void selectionStatus_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("rowSel");
        QTest::addColumn<int>("colSel");
        QTest::addColumn<QString>("expected");
        QTest::newRow("stakes of three runners")
            << 2 << 7 << 4 << 7 << QStringLiteral("7:1～7:3=1500   ☆１番の投票金=500");
        QTest::newRow("corner above the current cell")
            << 4 << 7 << 2 << 7 << QStringLiteral("7:1～7:3=1500   ☆３番の投票金=700");
        QTest::newRow("line breaks removed, decimals kept")
            << 5 << 8 << 5 << 8 << QStringLiteral("8:4～8:4=12.5   ☆４番の単勝=12.5x");
    }
    void selectionStatus()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, rowSel);
        QFETCH(int, colSel);
        QFETCH(QString, expected);
        Grid &g = grid();
        g.setText(2, 7, QStringLiteral("500"));
        g.setText(3, 7, QStringLiteral("300"));
        g.setText(4, 7, QStringLiteral("700"));
        g.setText(5, 8, QStringLiteral("12.5\r\nx"));
        m_win->runnerTable->setCurrentCell(row, col);
        m_win->runnerTable->setSelectionCorner(rowSel, colSel);
        QCOMPARE(m_win->statusText(), expected);
    }

    void typeStakeAndEnter()
    {
        Grid &g = grid();
        g.setText(3, 7, QStringLiteral("300"));
        const QString oddsBefore = g.text(2, 4);
        select(2, 7);
        type(QStringLiteral("5"));
        QVERIFY(m_win->isEditing());
        QCOMPARE(m_win->cellEditor->text(), QStringLiteral("5"));
        QCOMPARE(m_win->cellEditor->geometry(),
                 m_win->runnerTable->cellRect(2, 7).translated(m_win->runnerTable->pos()));
        type(QStringLiteral("00"));
        press(Qt::Key_Return);

        QCOMPARE(g.text(2, 7), QStringLiteral("500"));
        QCOMPARE(m_win->undoRing().undoPos(), 1);
        // The snapshot holds the table before the edit.
        QVERIFY(!m_win->undoRing().undoClip(0).contains(QStringLiteral("500")));
        QVERIFY(g.text(2, 4) != oddsBefore);
        QVERIFY(!g.text(2, 4).isEmpty());
        QCOMPARE(m_win->document().poolText(), QStringLiteral("800"));
        // The editor is open again on the next runner's stake, its text all selected.
        QCOMPARE(g.row(), 3);
        QCOMPARE(g.col(), 7);
        QVERIFY(m_win->isEditing());
        QVERIFY(m_win->cellEditor->hasFocus());
        QCOMPARE(m_win->cellEditor->selectedText(), QStringLiteral("300"));
    }

    void editorKeys_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<QString>("cellText");
        QTest::addColumn<int>("rowAfter");
        QTest::addColumn<bool>("openAfter");
        QTest::addColumn<int>("snapshots");
        QTest::newRow("Enter commits and reopens below") << Qt::Key_Return << "9" << 4 << true << 1;
        QTest::newRow("keypad Enter as Enter") << Qt::Key_Enter << "9" << 4 << true << 1;
        QTest::newRow("Down discards and reopens below") << Qt::Key_Down << "300" << 4 << true << 0;
        QTest::newRow("Up discards, moves up, stays closed")
            << Qt::Key_Up << "300" << 2 << false << 0;
        QTest::newRow("Escape discards and closes") << Qt::Key_Escape << "300" << 3 << false << 0;
    }
    void editorKeys()
    {
        QFETCH(Qt::Key, key);
        QFETCH(QString, cellText);
        QFETCH(int, rowAfter);
        QFETCH(bool, openAfter);
        QFETCH(int, snapshots);
        grid().setText(3, 7, QStringLiteral("300"));
        select(3, 7);
        type(QStringLiteral("9"));
        press(key);
        QCOMPARE(grid().text(3, 7), cellText);
        QCOMPARE(grid().row(), rowAfter);
        QCOMPARE(m_win->isEditing(), openAfter);
        QCOMPARE(m_win->undoRing().undoPos(), snapshots);
        if (!openAfter)
            QVERIFY(m_win->runnerTable->hasFocus());
    }

    void columnRules_data()
    {
        QTest::addColumn<int>("col");
        QTest::addColumn<bool>("opensOnType");
        QTest::addColumn<bool>("opensOnDoubleClick");
        QTest::newRow("name") << 2 << true << true;
        QTest::newRow("rank is computed") << 3 << false << false;
        QTest::newRow("odds are computed") << 4 << false << false;
        QTest::newRow("payout is computed") << 5 << false << false;
        QTest::newRow("support: typing only") << 6 << true << false;
        QTest::newRow("data column") << 7 << true << true;
    }
    void columnRules()
    {
        QFETCH(int, col);
        QFETCH(bool, opensOnType);
        QFETCH(bool, opensOnDoubleClick);
        select(4, col);
        type(QStringLiteral("1"));
        QCOMPARE(m_win->isEditing(), opensOnType);
        if (opensOnType)
            press(Qt::Key_Escape);

        const QPoint pos = viewportCentre(5, col);
        QTest::mouseDClick(m_win->runnerTable->viewport(), Qt::LeftButton, {}, pos);
        QCOMPARE(grid().row(), 5);
        QCOMPARE(m_win->isEditing(), opensOnDoubleClick);
        if (opensOnDoubleClick)
            QCOMPARE(m_win->cellEditor->selectedText(), grid().text(5, col));
    }

    void commitRules_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("star");
        QTest::addColumn<int>("snapshots");
        QTest::addColumn<int>("rowAfter");
        QTest::addColumn<bool>("openAfter");
        QTest::newRow("unchanged text: no snapshot") << 2 << 7 << "" << false << 0 << 3 << true;
        QTest::newRow("unchanged text with * at top left: snapshot")
            << 2 << 7 << "" << true << 1 << 3 << true;
        QTest::newRow("last row: commits, editor stays closed")
            << 19 << 7 << "4" << false << 1 << 19 << false;
        QTest::newRow("moving into the support column leaves it closed")
            << 0 << 6 << "x" << false << 1 << 1 << false;
    }
    void commitRules()
    {
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, typed);
        QFETCH(bool, star);
        QFETCH(int, snapshots);
        QFETCH(int, rowAfter);
        QFETCH(bool, openAfter);
        if (star)
            grid().setText(0, 0, QStringLiteral("*"));
        grid().setText(row, col, QStringLiteral("12"));
        select(row, col);
        if (typed.isEmpty()) {
            QTest::mouseDClick(m_win->runnerTable->viewport(), Qt::LeftButton, {},
                               viewportCentre(row, col));
            QVERIFY(m_win->isEditing());
        } else {
            type(typed);
        }
        press(Qt::Key_Return);
        QCOMPARE(m_win->undoRing().undoPos(), snapshots);
        QCOMPARE(grid().row(), rowAfter);
        QCOMPARE(m_win->isEditing(), openAfter);
        if (!typed.isEmpty())
            QCOMPARE(grid().text(row, col), typed);
    }

    void upOnHeaderRowStays()
    {
        select(0, 7);
        type(QStringLiteral("a"));
        press(Qt::Key_Up);
        QCOMPARE(grid().row(), 0);
        QVERIFY(!m_win->isEditing());
    }

    void commitRemovesSeparators()
    {
        select(2, 2);
        type(QStringLiteral("a"));
        m_win->cellEditor->setText(QStringLiteral("(予想),１，０"));
        press(Qt::Key_Return);
        QCOMPARE(grid().text(2, 2), QStringLiteral("予想１０"));
    }

    void selectAllThenDelete()
    {
        Grid &g = grid();
        g.setText(2, 2, QStringLiteral("ｷﾙﾚﾙ"));
        g.setText(2, 7, QStringLiteral("500"));
        select(4, 8);
        press(Qt::Key_A, Qt::ControlModifier);
        QCOMPARE(g.row(), 0);
        QCOMPARE(g.col(), 0);
        QCOMPARE(g.rowSel(), g.rows() - 1);
        QCOMPARE(g.colSel(), g.cols() - 1);
        QVERIFY(!m_win->isEditing()); // the character of Ctrl+A is swallowed
        QVERIFY(g.colWidth(2) > 320);
        press(Qt::Key_Delete);
        for (int r = 0; r < g.rows(); ++r) {
            for (int c : {0, 1, 2, 7, 8, 14}) {
                QCOMPARE(g.text(r, c), QString());
            }
        }
        QCOMPARE(m_win->undoRing().undoPos(), 0);
        // Recalculated: the emptied name column is fitted to its minimum width.
        QCOMPARE(g.colWidth(2), 320);
    }

    void characterAfterSelectAllOpensEditor()
    {
        select(3, 7);
        press(Qt::Key_A, Qt::ControlModifier);
        type(QStringLiteral("7"));
        QVERIFY(m_win->isEditing());
        QCOMPARE(m_win->cellEditor->text(), QStringLiteral("7"));
    }

    void controlCharactersDoNotOpenEditor()
    {
        select(3, 7);
        press(Qt::Key_Backspace);
        press(Qt::Key_Return);
        press(Qt::Key_B, Qt::ControlModifier);
        QVERIFY(!m_win->isEditing());
        QCOMPARE(grid().text(3, 7), QString());
    }

    void headerHighlight()
    {
        Grid &g = grid();
        const Color highlight = rgb(50, 200, 255);
        select(3, 7);
        QCOMPARE(g.cellBackColor(3, 0), highlight);
        QCOMPARE(g.cellBackColor(0, 7), highlight);
        select(4, 8);
        QCOMPARE(g.cellBackColor(3, 0), rgb(240, 240, 240));
        QCOMPARE(g.cellBackColor(0, 7), rgb(200, 200, 200));
        QCOMPARE(g.cellBackColor(4, 0), highlight);
        select(5, 1);
        QCOMPARE(g.cellBackColor(4, 0), rgb(255, 255, 255));
        QCOMPARE(g.cellBackColor(0, 8), rgb(200, 200, 200));
        QVERIFY(g.cellBackColor(5, 0) != highlight);
        QCOMPARE(m_win->focusRow(), 4);
        QCOMPARE(m_win->focusCol(), 8);
    }

    // Save first stores the editor's text (committed, not yet entered) as Enter does.
    void saveCommitsOpenEditor()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("race.csv"));
        QVERIFY(m_win->saveDocumentAs(path).ok);
        select(3, 7);
        imSend(QStringLiteral("４２"));
        imSend({}, QStringLiteral("４２"));
        QVERIFY(m_win->hasUnsavedChanges());
        QVERIFY(m_win->saveDocument(path).ok);
        QCOMPARE(m_win->undoRing().undoPos(), 1);
        QCOMPARE(m_win->document().poolText(), QStringLiteral("42")); // recalculated
        QVERIFY(!m_win->hasUnsavedChanges());
        QVERIFY(readAll(path).contains(",42,"));
    }

    // A reading given up comes back as a commit without a composition, also in another window.
    void resentReadingDropped_data()
    {
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<bool>("otherWindow");
        QTest::newRow("cancelled, then a number typed") << true << false;
        QTest::newRow("left unfinished for another window") << false << true;
    }
    void resentReadingDropped()
    {
        QFETCH(bool, cancelled);
        QFETCH(bool, otherWindow);
        const QString reading = QStringLiteral("さくら");
        select(3, 2);
        imSend(reading);
        if (cancelled)
            imSend({});
        if (otherWindow) {
            DocumentWindow other((QString()));
            other.show();
            QApplication::setActiveWindow(&other);
            QVERIFY(QTest::qWaitForWindowActive(&other));
            other.titleBoxes[3]->setFocus();
            imSend({}, reading);
            QCOMPARE(other.titleText(3), QStringLiteral("備考"));
        } else {
            m_win->runnerTable->setCurrentCell(4, 7);
            imSend({}, reading);
            type(QStringLiteral("12.5"));
            press(Qt::Key_Return);
            QCOMPARE(grid().text(4, 7), QStringLiteral("12.5"));
        }
        QCOMPARE(grid().text(3, 2), QString());
    }

    // mozc's full-width space comes without a composition, right after a commit elsewhere.
    void spaceWithoutCompositionTyped()
    {
        m_win->titleBoxes[4]->setFocus();
        imSend(QStringLiteral("よそう"));
        imSend({}, QStringLiteral("予想"));
        select(3, 9);
        imSend({}, QStringLiteral("　"));
        QCOMPARE(m_win->cellEditor->text(), QStringLiteral("　"));
    }

    // Every spin box: the input method is off, full-width numbers are read.
    void spinBoxesTakeFullWidth()
    {
        QSpinBox yen(m_win.get());
        yen.setRange(0, 100000);
        yen.show();
        yen.setFocus();
        QVERIFY(!QInputMethod::queryFocusObject(Qt::ImEnabled, {}).toBool());
        yen.selectAll();
        imSend({}, QStringLiteral("５０００"));
        press(Qt::Key_Return);
        QCOMPARE(yen.value(), 5000);
    }

    void leavingEditorByMouseDiscards()
    {
        select(3, 7);
        type(QStringLiteral("42"));
        QTest::mouseClick(m_win->runnerTable->viewport(), Qt::LeftButton, {}, viewportCentre(6, 7));
        QVERIFY(!m_win->isEditing());
        QCOMPARE(grid().text(3, 7), QString());
        QCOMPARE(m_win->undoRing().undoPos(), 0);
    }
};

QTEST_MAIN(TestCellEditor)
#include "tst_celleditor_ui.moc"
