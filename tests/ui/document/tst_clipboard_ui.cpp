#include "ui/desktop/clipboard.h"
#include "ui/document/celleditor.h"
#include "ui/document/documentwindow.h"
#include "ui/grid/gridview.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMimeData>
#include <QTemporaryDir>
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
    static void setClipboard(const QString &plain, const QString &second,
                             const QString &format = QString::fromLatin1(ClipboardRangeFormat))
    {
        auto *data = new QMimeData;
        if (!plain.isNull())
            data->setText(plain);
        if (!second.isNull())
            data->setData(format, second.toUtf8());
        QApplication::clipboard()->setMimeData(data);
    }
    static QString clipboardText() { return getClipboardTexts().plain; }

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

    void plainTextAndOwnTypeHoldTheSameText()
    {
        const QString text = QStringLiteral("1\tｷﾙﾚﾙ\r\n2\t①\r\n");
        setClipboardText(text);
        const QMimeData *data = QApplication::clipboard()->mimeData();
        QVERIFY(data);
        QCOMPARE(data->text(), text);
        QCOMPARE(QString::fromUtf8(data->data(QStringLiteral("application/x-kirrel-range"))), text);
        // Spreadsheets prefer rich text and expect real markup under it.
        QVERIFY(!data->hasFormat(QStringLiteral("text/rtf")));
        const ClipboardTexts read = getClipboardTexts();
        QCOMPARE(read.plain, text);
        QCOMPARE(read.second, text);
    }

    void pasteFallsBackToOwnEntry_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QString>("format");
        QTest::addColumn<QString>("cell");
        const QString own = QString::fromLatin1(ClipboardRangeFormat);
        QTest::newRow("plain text wins") << "7"
                                         << "9" << own << "7";
        QTest::newRow("empty plain text: own entry") << ""
                                                     << "9" << own << "9";
        QTest::newRow("no plain text: own entry") << QString() << "9" << own << "9";
        QTest::newRow("another program's rich text is never cell text") << QString() << "{\\rtf1 9}"
                                                                        << "text/rtf"
                                                                        << "500";
        QTest::newRow("nothing: cell unchanged, snapshot taken")
            << QString() << QString() << own << "500";
    }
    void pasteFallsBackToOwnEntry()
    {
        QFETCH(QString, plain);
        QFETCH(QString, second);
        QFETCH(QString, format);
        QFETCH(QString, cell);
        m_a->document().runnerTable.setText(2, 7, QStringLiteral("500"));
        selectRange(m_a.get(), 2, 7, 2, 7);
        setClipboard(plain, second, format);
        m_a->paste();
        QCOMPARE(m_a->document().runnerTable.text(2, 7), cell);
        QCOMPARE(m_a->undoRing().undoPos(), 1);
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
        QCOMPARE(m_b->undoRing().undoPos(), 1);
        QCOMPARE(m_a->undoRing().undoPos(), 0);
    }

    void pasteLineEndsOfOtherPrograms_data()
    {
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("second");
        QTest::addColumn<QStringList>("cells"); // (2,7) (2,8) (3,7) (3,8)
        QTest::addColumn<QString>("status");    // after the paste; "" = no word of the paste
        QTest::newRow("LF line ends fill the rows like CR LF")
            << "a\tb\nc\td\n"
            << QString() << QStringList{"a", "b", "c", "d"} << QString();
        QTest::newRow("LF without a final line end")
            << "a\tb\nc\td" << QString() << QStringList{"a", "b", "c", "d"} << QString();
        QTest::newRow("LF in the own entry as well")
            << QString() << "a\tb\nc\td\n"
            << QStringList{"a", "b", "c", "d"} << QString();
        QTest::newRow("with CR LF present an LF inside a cell is dropped")
            << "a\tb\nc\r\n"
            << QString() << QStringList{"a", "bc", "", ""} << QString();
        QTest::newRow("a spreadsheet's thousands separator is dropped, full-width digits of a "
                      "number column narrowed")
            << "1,234\t12.5%\n牝4(地)\t１，０００\n"
            << QString() << QStringList{"1234", "12.5%", "牝4(地)", "1000"} << QString();
        QTest::newRow("a larger block fills the selection and says so")
            << "1\t2\t3\t4\n5\t6\t7\t8\n9\t10\t11\t12\n"
            << QString() << QStringList{"1", "2", "5", "6"}
            << "12 セルのうち 4 セルを貼り付けました（選択範囲に合わせました）";
    }
    void pasteLineEndsOfOtherPrograms()
    {
        QFETCH(QString, plain);
        QFETCH(QString, second);
        QFETCH(QStringList, cells);
        QFETCH(QString, status);
        setClipboard(plain, second);
        selectRange(m_a.get(), 2, 7, 3, 8);
        QTest::keyClick(m_a->runnerTable, Qt::Key_V, Qt::ControlModifier);
        const Grid &g = m_a->document().runnerTable;
        QCOMPARE((QStringList{g.text(2, 7), g.text(2, 8), g.text(3, 7), g.text(3, 8)}), cells);
        if (status.isEmpty())
            QVERIFY2(!m_a->statusText().contains(QStringLiteral("貼り付け")),
                     qPrintable(m_a->statusText()));
        else
            QCOMPARE(m_a->statusText(), status);
    }

    void pasteIntoRangeSelectedUpwards()
    {
        setClipboardText(QStringLiteral("1\t2\r\n3\t4\r\n"));
        selectRange(m_a.get(), 5, 8, 4, 7);
        m_a->paste();
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
        QCOMPARE(m_a->undoRing().undoPos(), 0);
    }

    void keyCombinations_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("clipboardAfter");
        QTest::addColumn<QString>("cellAfter");
        QTest::addColumn<QString>("fieldAfter"); // the focused text field, if any
        QTest::addColumn<int>("snapshots");
        const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
        const auto shift = Qt::KeyboardModifiers(Qt::ShiftModifier);
        const auto alt = Qt::KeyboardModifiers(Qt::AltModifier);
        const QString title = QStringLiteral("タイトル");
        // On the grid, the table's selection (cell 500).
        QTest::newRow("Ctrl+C copies") << Qt::Key_C << ctrl << "grid"
                                       << "500\r\n"
                                       << "500"
                                       << "" << 0;
        QTest::newRow("Ctrl+Insert copies") << Qt::Key_Insert << ctrl << "grid"
                                            << "500\r\n"
                                            << "500"
                                            << "" << 0;
        QTest::newRow("Ctrl+X cuts") << Qt::Key_X << ctrl << "grid"
                                     << "500\r\n"
                                     << ""
                                     << "" << 0;
        QTest::newRow("Ctrl+V pastes") << Qt::Key_V << ctrl << "grid"
                                       << "9"
                                       << "9"
                                       << "" << 1;
        QTest::newRow("Shift+Insert pastes") << Qt::Key_Insert << shift << "grid"
                                             << "9"
                                             << "9"
                                             << "" << 1;
        QTest::newRow("Shift+Delete clears, as Delete does") << Qt::Key_Delete << shift << "grid"
                                                             << "9"
                                                             << ""
                                                             << "" << 0;
        QTest::newRow("Ctrl+Shift+C does nothing")
            << Qt::Key_C << (ctrl | Qt::ShiftModifier) << "grid"
            << "9"
            << "500"
            << "" << 0;
        QTest::newRow("Alt+Insert does nothing") << Qt::Key_Insert << alt << "grid"
                                                 << "9"
                                                 << "500"
                                                 << "" << 0;
        QTest::newRow("Ctrl+Alt+V does nothing") << Qt::Key_V << (ctrl | Qt::AltModifier) << "grid"
                                                 << "9"
                                                 << "500"
                                                 << "" << 0;
        // In a title field (its whole text selected on focus) and in the open editor (holding
        // the typed 1, caret at its end), that field's text.
        QTest::newRow("Ctrl+V in a title field pastes into it") << Qt::Key_V << ctrl << "title"
                                                                << "9"
                                                                << "500"
                                                                << "9" << 0;
        QTest::newRow("Shift+Insert in a title field pastes into it")
            << Qt::Key_Insert << shift << "title"
            << "9"
            << "500"
            << "9" << 0;
        QTest::newRow("Ctrl+C in a title field copies its text")
            << Qt::Key_C << ctrl << "title" << title << "500" << title << 0;
        QTest::newRow("Ctrl+X in a title field cuts its text")
            << Qt::Key_X << ctrl << "title" << title << "500"
            << "" << 0;
        QTest::newRow("Shift+Delete in a title field cuts its text")
            << Qt::Key_Delete << shift << "title" << title << "500"
            << "" << 0;
        QTest::newRow("Ctrl+V in the editor pastes into it") << Qt::Key_V << ctrl << "editor"
                                                             << "9"
                                                             << "500"
                                                             << "19" << 0;
    }
    void keyCombinations()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(QString, focus);
        QFETCH(QString, clipboardAfter);
        QFETCH(QString, cellAfter);
        QFETCH(QString, fieldAfter);
        QFETCH(int, snapshots);
        Grid &g = m_a->document().runnerTable;
        g.setText(2, 7, QStringLiteral("500"));
        m_a->runnerTable->setFocus();
        selectRange(m_a.get(), 2, 7, 2, 7);
        setClipboardText(QStringLiteral("9"));
        QLineEdit *field = nullptr;
        if (focus == QLatin1String("title")) {
            field = m_a->titleBoxes[0];
            field->setFocus();
        } else if (focus == QLatin1String("editor")) {
            QTest::keyClick(m_a->runnerTable, Qt::Key_1);
            QVERIFY(m_a->isEditing());
            field = m_a->cellEditor;
        }
        QWidget *target = QApplication::focusWidget();
        QVERIFY(target);
        QTest::keyClick(target, key, mods);
        QCOMPARE(clipboardText(), clipboardAfter);
        QCOMPARE(g.text(2, 7), cellAfter);
        QCOMPARE(m_a->undoRing().undoPos(), snapshots);
        if (field) {
            QCOMPARE(field->text(), fieldAfter);
            QCOMPARE(QApplication::focusWidget(), field);
        }
    }

    void menuShortcutActsOnce_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("cellAfter");
        QTest::addColumn<QString>("fieldAfter");
        QTest::addColumn<int>("snapshots");
        QTest::newRow("grid") << "grid"
                              << "42"
                              << "" << 1;
        QTest::newRow("title field") << "title"
                                     << ""
                                     << "42" << 0;
        QTest::newRow("cell editor") << "editor"
                                     << ""
                                     << "142" << 0;
    }
    void menuShortcutActsOnce()
    {
        QFETCH(QString, focus);
        QFETCH(QString, cellAfter);
        QFETCH(QString, fieldAfter);
        QFETCH(int, snapshots);
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
            doc->paste();
        });
        showActive(&main);

        doc->runnerTable->setFocus();
        selectRange(doc, 3, 7, 3, 7);
        setClipboardText(QStringLiteral("42"));
        QLineEdit *field = nullptr;
        if (focus == QLatin1String("title")) {
            field = doc->titleBoxes[2];
            field->setFocus();
        } else if (focus == QLatin1String("editor")) {
            QTest::keyClick(doc->runnerTable, Qt::Key_1);
            QVERIFY(doc->isEditing());
            field = doc->cellEditor;
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(triggered, 1);
        QCOMPARE(doc->undoRing().undoPos(), snapshots);
        QCOMPARE(doc->document().runnerTable.text(3, 7), cellAfter);
        if (field)
            QCOMPARE(field->text(), fieldAfter);
        if (field == doc->cellEditor) {
            QTest::keyClick(field, Qt::Key_Return);
            QCOMPARE(doc->document().runnerTable.text(3, 7), fieldAfter);
        }
    }

    void quinellaViewCopiesOnlyAndChangesNothing_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<Qt::KeyboardModifiers>("mods");
        QTest::addColumn<bool>("copies");
        const auto ctrl = Qt::KeyboardModifiers(Qt::ControlModifier);
        QTest::newRow("Ctrl+C copies the matrix") << Qt::Key_C << ctrl << true;
        QTest::newRow("Ctrl+X refuses") << Qt::Key_X << ctrl << false;
        QTest::newRow("Ctrl+V refuses") << Qt::Key_V << ctrl << false;
        QTest::newRow("Delete refuses") << Qt::Key_Delete << Qt::KeyboardModifiers() << false;
    }
    void quinellaViewCopiesOnlyAndChangesNothing()
    {
        QFETCH(Qt::Key, key);
        QFETCH(Qt::KeyboardModifiers, mods);
        QFETCH(bool, copies);
        Grid &table = m_a->document().runnerTable;
        for (int r = 2; r < table.rows(); ++r)
            table.setText(r, 7, QString::number(100 * r));
        table.setText(1, 7, QStringLiteral("1"));
        m_a->recalculate();
        m_a->estimateQuinella();
        QVERIFY(m_a->quinellaMatrix->isVisible());
        const Grid &matrix = m_a->document().quinellaMatrix;
        m_a->quinellaMatrix->setFocus();
        m_a->quinellaMatrix->setCurrentCell(1, 1);
        m_a->quinellaMatrix->setSelectionCorner(2, 2);
        const QString matrixRange = matrix.text(1, 1) + "\t" + matrix.text(1, 2) + "\r\n" +
                                    matrix.text(2, 1) + "\t" + matrix.text(2, 2) + "\r\n";
        selectRange(m_a.get(), 2, 0, 4, 8);
        const OddsDocument before = m_a->document();
        setClipboardText(QStringLiteral("9\r\n"));
        m_a->statusLine->clear();

        QTest::keyClick(m_a->quinellaMatrix, key, mods);

        QCOMPARE(clipboardText(), copies ? matrixRange : QStringLiteral("9\r\n"));
        for (int r = 0; r < table.rows(); ++r)
            for (int c = 0; c < table.cols(); ++c)
                QCOMPARE(table.text(r, c), before.runnerTable.text(r, c));
        QCOMPARE(m_a->undoRing().undoPos(), 0);
        QVERIFY(m_a->quinellaMatrix->isVisible());
        QCOMPARE(m_a->statusText().startsWith(QStringLiteral("馬連表は計算結果")), !copies);
    }

    void fieldsDropWhatTheFileCannotHold_data()
    {
        QTest::addColumn<QString>("how"); // typed, pasted
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("text");
        QTest::newRow("typed comma") << "typed"
                                     << "A,B"
                                     << "AB";
        QTest::newRow("typed full-width comma") << "typed"
                                                << "A，B"
                                                << "AB";
        QTest::newRow("pasted commas") << "pasted"
                                       << "1,2，3"
                                       << "123";
        QTest::newRow("pasted lines") << "pasted"
                                      << "上\r\n下\r中\n"
                                      << "上下中";
        QTest::newRow("pasted sex, age, going and a percentage stay") << "pasted"
                                                                      << "牝4(地)12.5%"
                                                                      << "牝4(地)12.5%";
    }
    void fieldsDropWhatTheFileCannotHold()
    {
        QFETCH(QString, how);
        QFETCH(QString, input);
        QFETCH(QString, text);
        QLineEdit *field = m_a->titleBoxes[3];
        field->setFocus();
        field->clear();
        if (how == QLatin1String("typed")) {
            for (const QChar ch : input)
                QTest::sendKeyEvent(QTest::KeyAction::Click, field, Qt::Key_unknown, QString(ch),
                                    Qt::NoModifier);
        } else {
            setClipboardText(input);
            QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
        }
        QCOMPARE(field->text(), text);
        QCOMPARE(m_a->titleText(3), text);
        QCOMPARE(field->cursorPosition(), int(text.size()));
    }

    void commaSurvivesSaveAndReopen()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        m_a->titleBoxes[0]->setFocus();
        m_a->titleBoxes[0]->clear();
        QTest::keyClicks(m_a->titleBoxes[0], QStringLiteral("Race,11"));
        m_a->runnerTable->setFocus();
        setClipboardText(QStringLiteral("ｷﾙ,ﾚﾙ"));
        selectRange(m_a.get(), 2, 2, 2, 2);
        m_a->paste();
        setClipboardText(QStringLiteral("1,234\r\n"));
        selectRange(m_a.get(), 2, 7, 2, 7);
        QTest::keyClick(m_a->runnerTable, Qt::Key_V, Qt::ControlModifier);
        const QString path = dir.filePath(QStringLiteral("race.csv"));
        QVERIFY(m_a->saveDocument(path).ok);
        QVERIFY(m_b->loadDocument(path).ok);
        QCOMPARE(m_b->titleText(0), QStringLiteral("Race11"));
        QCOMPARE(m_b->titleText(1), m_a->titleText(1));
        const Grid &b = m_b->document().runnerTable;
        QCOMPARE(b.text(2, 2), QStringLiteral("ｷﾙﾚﾙ"));
        QCOMPARE(b.text(2, 7), QStringLiteral("1234"));
        QCOMPARE(b.text(2, 8), m_a->document().runnerTable.text(2, 8));
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

        setClipboardText(QStringLiteral("9\r\n"));
        selectRange(m_a.get(), 3, 7, 3, 7);
        QTest::keyClick(m_a->runnerTable, Qt::Key_V, Qt::ControlModifier);
        m_a->setTitleText(0, QStringLiteral("Race 11"));

        m_a->runnerTable->setCurrentCell(4, 7);
        QTest::keyClick(m_a->runnerTable, Qt::Key_7);
        QTest::keyClick(m_a->cellEditor, Qt::Key_Return);
        QCOMPARE(m_a->undoRing().undoPos(), 3);

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
