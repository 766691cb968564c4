#include "ui/desktop/clipboard.h"
#include "ui/document/celleditor.h"
#include "ui/document/documentwindow.h"
#include "ui/grid/gridview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QTest>
#include <memory>

Q_DECLARE_METATYPE(Qt::Key)

class TestClipboard : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DocumentWindow> m_a;
    std::unique_ptr<DocumentWindow> m_b;

    static void showActive(QWidget *w)
    {
        w->show();
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
    }
    static void selectRange(DocumentWindow *win, int row, int col, int rowSel, int colSel)
    {
        win->runnerTable->setCurrentCell(row, col);
        win->runnerTable->setSelectionCorner(rowSel, colSel);
    }
    static void setClipboard(const QString &plain, const QString &rtf)
    {
        auto *data = new QMimeData;
        if (!plain.isNull())
            data->setText(plain);
        if (!rtf.isNull())
            data->setData(QStringLiteral("text/rtf"), rtf.toUtf8());
        QApplication::clipboard()->setMimeData(data);
    }
    static QString clipboardText() { return GetClipboardTexts().plain; }

private Q_SLOTS:
    void init()
    {
        m_a = std::make_unique<DocumentWindow>(QString());
        m_a->buildTable();
        m_b = std::make_unique<DocumentWindow>(QString());
        m_b->buildTable();
        showActive(m_a.get());
    }
    void cleanup()
    {
        m_a.reset();
        m_b.reset();
    }

    void bothFormatsHoldTheSameText()
    {
        const QString text = QStringLiteral("1\tｷﾙﾚﾙ\r\n2\t①\r\n");
        SetClipboardText(text);
        const QMimeData *data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->text(), text);
        QCOMPARE(QString::fromUtf8(data->data(QStringLiteral("text/rtf"))), text);
        const ClipboardTexts read = GetClipboardTexts();
        QCOMPARE(read.plain, text);
        QCOMPARE(read.rtf, text);
    }

    void pasteReadsRtfWhenPlainIsEmpty_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QString>("cell");
        QTest::newRow("plain text wins") << "7"
                                         << "9"
                                         << "7";
        QTest::newRow("empty plain text: rich-text entry") << ""
                                                           << "9"
                                                           << "9";
        QTest::newRow("no plain text: rich-text entry") << QString() << "9"
                                                        << "9";
        QTest::newRow("nothing: cell unchanged, snapshot taken") << QString() << QString() << "500";
    }
    void pasteReadsRtfWhenPlainIsEmpty()
    {
        QFETCH(QString, plain);
        QFETCH(QString, rtf);
        QFETCH(QString, cell);
        m_a->document().runnerTable.setText(2, 7, QStringLiteral("500"));
        selectRange(m_a.get(), 2, 7, 2, 7);
        setClipboard(plain, rtf);
        m_a->clipboardKey(86, 2);
        QCOMPARE(m_a->document().runnerTable.text(2, 7), cell);
        QCOMPARE(m_a->undoRing().UndoPos(), 1);
    }

    void copyRangeIntoAnotherDocument()
    {
        Grid &a = m_a->document().runnerTable;
        a.setText(2, 7, QStringLiteral("500"));
        a.setText(2, 8, QStringLiteral("2.3"));
        a.setText(3, 7, QStringLiteral("300"));
        a.setText(4, 8, QStringLiteral("①"));
        selectRange(m_a.get(), 4, 8, 2, 7);
        QTest::keyClick(m_a->runnerTable, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(clipboardText(), QStringLiteral("500\t2.3\r\n300\t\r\n\t①\r\n"));

        showActive(m_b.get());
        Grid &b = m_b->document().runnerTable;
        b.setText(7, 8, QStringLiteral("old"));
        selectRange(m_b.get(), 5, 7, 7, 8);
        QTest::keyClick(m_b->runnerTable, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(b.text(5, 7), QStringLiteral("500"));
        QCOMPARE(b.text(5, 8), QStringLiteral("2.3"));
        QCOMPARE(b.text(6, 7), QStringLiteral("300"));
        QCOMPARE(b.text(6, 8), QString());
        QCOMPARE(b.text(7, 8), QStringLiteral("①"));
        QCOMPARE(m_b->undoRing().UndoPos(), 1);
        QCOMPARE(m_a->undoRing().UndoPos(), 0);
    }

    void pasteLineEndsOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("rtf");
        QTest::addColumn<QStringList>("cells"); // (2,7) (2,8) (3,7) (3,8)
        QTest::newRow("LF line ends fill the rows like CR LF")
            << "a\tb\nc\td\n"
            << QString() << QStringList{"a", "b", "c", "d"};
        QTest::newRow("LF without a final line end")
            << "a\tb\nc\td" << QString() << QStringList{"a", "b", "c", "d"};
        QTest::newRow("LF in the rich-text entry as well") << QString() << "a\tb\nc\td\n"
                                                           << QStringList{"a", "b", "c", "d"};
        QTest::newRow("with CR LF present an LF stays in its cell")
            << "a\tb\nc\r\n"
            << QString() << QStringList{"a", "b\nc", "", ""};
    }
    void pasteLineEndsOfOtherPrograms()
    {
        QFETCH(QString, plain);
        QFETCH(QString, rtf);
        QFETCH(QStringList, cells);
        setClipboard(plain, rtf);
        selectRange(m_a.get(), 2, 7, 3, 8);
        QTest::keyClick(m_a->runnerTable, Qt::Key_V, Qt::ControlModifier);
        const Grid &g = m_a->document().runnerTable;
        QCOMPARE((QStringList{g.text(2, 7), g.text(2, 8), g.text(3, 7), g.text(3, 8)}), cells);
    }

    void pasteIntoRangeSelectedUpwards()
    {
        SetClipboardText(QStringLiteral("1\t2\r\n3\t4\r\n"));
        selectRange(m_a.get(), 5, 8, 4, 7);
        m_a->clipboardKey(86, 2);
        const Grid &g = m_a->document().runnerTable;
        QCOMPARE(g.text(4, 7), QStringLiteral("1"));
        QCOMPARE(g.text(4, 8), QStringLiteral("2"));
        QCOMPARE(g.text(5, 7), QStringLiteral("3"));
        QCOMPARE(g.text(5, 8), QStringLiteral("4"));
        // The selection stays as the user made it.
        QCOMPARE(g.row(), 5);
        QCOMPARE(g.col(), 8);
        QCOMPARE(g.rowSel(), 4);
        QCOMPARE(g.colSel(), 7);
    }

    void cutRules_data()
    {
        QTest::addColumn<QRect>("range"); // columns as x, rows as y
        QTest::addColumn<QList<int>>("clearedCols");
        QTest::addColumn<int>("clipboardLines");
        QTest::newRow("runner rows: names and data only")
            << QRect(QPoint(1, 2), QPoint(8, 3)) << QList<int>{2, 7, 8} << 2;
        QTest::newRow("header and ratio rows stay")
            << QRect(QPoint(2, 0), QPoint(8, 1)) << QList<int>{} << 2;
        QTest::newRow("computed columns stay")
            << QRect(QPoint(3, 4), QPoint(6, 6)) << QList<int>{} << 3;
    }
    void cutRules()
    {
        QFETCH(QRect, range);
        QFETCH(QList<int>, clearedCols);
        QFETCH(int, clipboardLines);
        Grid &g = m_a->document().runnerTable;
        for (int r = range.top(); r <= range.bottom(); ++r)
            for (int c = range.left(); c <= range.right(); ++c)
                g.setText(r, c, QStringLiteral("v%1.%2").arg(r).arg(c));
        QStringList expectedLines;
        for (int r = range.top(); r <= range.bottom(); ++r) {
            QStringList cells;
            for (int c = range.left(); c <= range.right(); ++c)
                cells << g.text(r, c);
            expectedLines << cells.join(QLatin1Char('\t'));
        }
        selectRange(m_a.get(), range.top(), range.left(), range.bottom(), range.right());
        QTest::keyClick(m_a->runnerTable, Qt::Key_X, Qt::ControlModifier);

        QCOMPARE(clipboardText(), expectedLines.join(QStringLiteral("\r\n")) + "\r\n");
        QCOMPARE(expectedLines.size(), clipboardLines);
        for (int r = range.top(); r <= range.bottom(); ++r) {
            for (int c = range.left(); c <= range.right(); ++c) {
                const QString expected =
                    clearedCols.contains(c) ? QString() : QStringLiteral("v%1.%2").arg(r).arg(c);
                QCOMPARE(g.text(r, c), expected);
            }
        }
        QCOMPARE(m_a->undoRing().UndoPos(), 0);
    }

    void keyCombinations_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("clipboardAfter");
        QTest::addColumn<QString>("cellAfter");
        QTest::addColumn<int>("snapshots");
        const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
        const auto shift = Qt::KeyboardModifiers(Qt::ShiftModifier);
        QTest::newRow("Ctrl+C copies") << Qt::Key_C << ctrl << "grid"
                                       << "500\r\n"
                                       << "500" << 0;
        QTest::newRow("Ctrl+Insert copies") << Qt::Key_Insert << ctrl << "grid"
                                            << "500\r\n"
                                            << "500" << 0;
        QTest::newRow("Ctrl+X cuts") << Qt::Key_X << ctrl << "grid"
                                     << "500\r\n"
                                     << "" << 0;
        QTest::newRow("Ctrl+V pastes") << Qt::Key_V << ctrl << "grid"
                                       << "9"
                                       << "9" << 1;
        QTest::newRow("Shift+Insert pastes") << Qt::Key_Insert << shift << "grid"
                                             << "9"
                                             << "9" << 1;
        QTest::newRow("Ctrl+V in a title field pastes into the table")
            << Qt::Key_V << ctrl << "title"
            << "9"
            << "9" << 1;
        QTest::newRow("Ctrl+C in the editor copies the table range")
            << Qt::Key_C << ctrl << "editor"
            << "500\r\n"
            << "500" << 0;
        QTest::newRow("Ctrl+Shift+C does nothing")
            << Qt::Key_C << (ctrl | Qt::ShiftModifier) << "grid"
            << "9"
            << "500" << 0;
        QTest::newRow("Alt+Insert does nothing")
            << Qt::Key_Insert << Qt::KeyboardModifiers(Qt::AltModifier) << "grid"
            << "9"
            << "500" << 0;
        QTest::newRow("Ctrl+Alt+V does nothing") << Qt::Key_V << (ctrl | Qt::AltModifier) << "grid"
                                                 << "9"
                                                 << "500" << 0;
    }
    void keyCombinations()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(QString, focus);
        QFETCH(QString, clipboardAfter);
        QFETCH(QString, cellAfter);
        QFETCH(int, snapshots);
        Grid &g = m_a->document().runnerTable;
        g.setText(2, 7, QStringLiteral("500"));
        m_a->runnerTable->setFocus();
        selectRange(m_a.get(), 2, 7, 2, 7);
        SetClipboardText(QStringLiteral("9"));
        if (focus == QLatin1String("title")) {
            m_a->titleBoxes[0]->setFocus();
        } else if (focus == QLatin1String("editor")) {
            QTest::keyClick(m_a->runnerTable, Qt::Key_1);
            QVERIFY(m_a->isEditing());
        }
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, key, mods);
        QCOMPARE(clipboardText(), clipboardAfter);
        QCOMPARE(g.text(2, 7), cellAfter);
        QCOMPARE(m_a->undoRing().UndoPos(), snapshots);
        if (focus == QLatin1String("title"))
            QCOMPARE(m_a->titleBoxes[0]->text(), QStringLiteral("タイトル"));
    }

    void menuShortcutActsOnce_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::newRow("grid") << "grid";
        QTest::newRow("title field") << "title";
        QTest::newRow("cell editor") << "editor";
    }
    void menuShortcutActsOnce()
    {
        QFETCH(QString, focus);
        QMainWindow main;
        auto *doc = new DocumentWindow(QString());
        doc->buildTable();
        main.setCentralWidget(doc);
        int triggered = 0;
        auto *paste = new QAction(QStringLiteral("貼り付け(&P)"), &main);
        paste->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
        main.addAction(paste);
        connect(paste, &QAction::triggered, doc, [&] {
            ++triggered;
            doc->clipboardKey(86, 2);
        });
        showActive(&main);

        doc->runnerTable->setFocus();
        selectRange(doc, 3, 7, 3, 7);
        SetClipboardText(QStringLiteral("42"));
        if (focus == QLatin1String("title")) {
            doc->titleBoxes[2]->setFocus();
        } else if (focus == QLatin1String("editor")) {
            QTest::keyClick(doc->runnerTable, Qt::Key_1);
            QVERIFY(doc->isEditing());
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(triggered, 1);
        QCOMPARE(doc->undoRing().UndoPos(), 1);
        QCOMPARE(doc->document().runnerTable.text(3, 7), QStringLiteral("42"));
        if (focus == QLatin1String("editor"))
            QCOMPARE(doc->cellEditor->text(), QStringLiteral("1"));
    }

    void undoAcrossEditsAndPastes()
    {
        Grid &g = m_a->document().runnerTable;
        m_a->runnerTable->setFocus();
        m_a->runnerTable->setCurrentCell(2, 7);
        QTest::keyClick(m_a->runnerTable, Qt::Key_5);
        QTest::keyClick(m_a->cellEditor, Qt::Key_Return);
        QTest::keyClick(m_a->cellEditor, Qt::Key_Escape);
        const QString odds = g.text(2, 4);

        SetClipboardText(QStringLiteral("9\r\n"));
        selectRange(m_a.get(), 3, 7, 3, 7);
        QTest::keyClick(m_a->runnerTable, Qt::Key_V, Qt::ControlModifier);
        m_a->setTitleText(0, QStringLiteral("Race 11"));

        m_a->runnerTable->setCurrentCell(4, 7);
        QTest::keyClick(m_a->runnerTable, Qt::Key_7);
        QTest::keyClick(m_a->cellEditor, Qt::Key_Return);
        QCOMPARE(m_a->undoRing().UndoPos(), 3);

        m_a->undo();
        QCOMPARE(g.text(4, 7), QString());
        QCOMPARE(g.text(3, 7), QStringLiteral("9"));
        QCOMPARE(m_a->titleBoxes[0]->text(), QStringLiteral("Race 11"));
        m_a->undo();
        QCOMPARE(g.text(3, 7), QString());
        QCOMPARE(g.text(2, 7), QStringLiteral("5"));
        QCOMPARE(m_a->titleBoxes[0]->text(), QStringLiteral("タイトル"));
        QCOMPARE(g.text(2, 4), odds); // restored as stored, not recalculated
        m_a->undo();
        QCOMPARE(g.text(2, 7), QString());
        const QString before = g.clip();
        m_a->undo();
        QCOMPARE(g.text(2, 7), QString());
        QCOMPARE(g.clip(), before);
        // Undo keeps the current cell: the editor had moved on to the next runner.
        QCOMPARE(g.row(), 5);
        QCOMPARE(g.col(), 7);
    }
};

QTEST_MAIN(TestClipboard)
#include "tst_clipboard_ui.moc"
