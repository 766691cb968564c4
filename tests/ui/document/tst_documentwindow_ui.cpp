#include "core/editing/cellrules.h"
#include "core/file/documentfile.h"
#include "core/file/fieldnames.h"
#include "core/text/datetext.h"
#include "core/text/numbertext.h"
#include "ui/controls/skinbutton.h"
#include "ui/document/celleditor.h"
#include "ui/document/documentwindow.h"
#include "ui/grid/gridview.h"

#include <QAccessible>
#include <QApplication>
#include <QDate>
#include <QDir>
#include <QFile>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

class TestDocumentWindow : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DocumentWindow> m_win;

    static QString race18() { return QStringLiteral(KIRREL_TEST_DATA "/files/race18.csv"); }

    QString snapshot() const
    {
        const OddsDocument &d = m_win->document();
        return documentText(d, d.runnerTable);
    }
    void clickButton(int k)
    {
        SkinButton *b = m_win->commandButtons[k];
        QTest::mouseMove(b, b->rect().center());
        QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center());
    }
    // Typed through key events so the field sees it as the user's own edit.
    static void typeInto(QLineEdit *edit, const QString &text)
    {
        edit->setFocus();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Backspace);
        for (const QChar ch : text)
            QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(ch), {});
    }

private Q_SLOTS:
    void init()
    {
        m_win = std::make_unique<DocumentWindow>(QString());
        m_win->setWindowTitle(QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
        m_win->buildTable();
        m_win->show();
        QApplication::setActiveWindow(m_win.get());
        QVERIFY(QTest::qWaitForWindowActive(m_win.get()));
    }
    void cleanup() { m_win.reset(); }

    void newWindow()
    {
        QVERIFY(DocumentWindow::isDocumentWindow(m_win.get()));
        QVERIFY(!DocumentWindow::isDocumentWindow(m_win->headerPanel));
        QCOMPARE(m_win->size(), QSize(960, 620));
        QCOMPARE(m_win->titleBoxes[1]->text(),
                 formatDate(QDate::currentDate(), QStringLiteral("yyyy年mm月dd日(aaa)")));
        QCOMPARE(m_win->statusText(), QStringLiteral("ステータス"));
        QCOMPARE(m_win->countBoxes[0]->text(), QStringLiteral("18"));
        QCOMPARE(m_win->poolBox->text(), m_win->document().poolText());
        QCOMPARE(m_win->gridInView(), &m_win->document().runnerTable);
    }

    void headerLayout_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QRect>("rect");
        QTest::addColumn<QString>("caption");
        QTest::newRow("fieldLabels(0)") << "fieldLabels0" << QRect(0, 0, 50, 24) << "縦枠";
        QTest::newRow("fieldLabels(1)") << "fieldLabels1" << QRect(50, 0, 50, 24) << "横枠";
        QTest::newRow("titleText(0)") << "titleBoxes0" << QRect(100, 0, 180, 24) << "";
        QTest::newRow("titleText(1)") << "titleBoxes1" << QRect(280, 0, 180, 24) << "";
        QTest::newRow("titleText(2)") << "titleBoxes2" << QRect(460, 0, 180, 24) << "";
        QTest::newRow("fieldLabels(2)") << "fieldLabels2" << QRect(640, 0, 50, 24) << "控除";
        QTest::newRow("fieldLabels(3)") << "fieldLabels3" << QRect(690, 0, 100, 24) << "投票金";
        QTest::newRow("countText(0)") << "countBoxes0" << QRect(0, 24, 50, 24) << "";
        QTest::newRow("countText(1)") << "countBoxes1" << QRect(50, 24, 50, 24) << "";
        QTest::newRow("titleText(3)") << "titleBoxes3" << QRect(100, 24, 180, 24) << "";
        QTest::newRow("titleText(4)") << "titleBoxes4" << QRect(280, 24, 180, 24) << "";
        QTest::newRow("titleText(5)") << "titleBoxes5" << QRect(460, 24, 180, 24) << "";
        QTest::newRow("payoutRatioBox") << "payoutRatioBox" << QRect(640, 24, 50, 24) << "";
        QTest::newRow("poolBox") << "poolBox" << QRect(690, 24, 100, 24) << "";
        QTest::newRow("commandButtons(0)") << "commandButtons0" << QRect(790, 0, 64, 50) << "馬連";
        QTest::newRow("commandButtons(1)") << "commandButtons1" << QRect(854, 0, 64, 50) << "集計";
    }
    void headerLayout()
    {
        QFETCH(QString, name);
        QFETCH(QRect, rect);
        QFETCH(QString, caption);
        auto *w = m_win->headerPanel->findChild<QWidget *>(name);
        QVERIFY(w);
        // The title boxes sit below their captions.
        if (name.startsWith(QLatin1String("titleBoxes")))
            rect.moveTop(m_win->titleLabels[0]->height() +
                         (rect.top() > 0 ? m_win->titleLabels[0]->height() + 24 : 0));
        QCOMPARE(w->geometry(), rect);
        if (auto *label = qobject_cast<QLabel *>(w)) {
            QCOMPARE(label->text(), caption);
            QCOMPARE(label->font().pointSize(), 13);
        } else if (auto *edit = qobject_cast<QLineEdit *>(w)) {
            QCOMPARE(edit->font().pointSize(), 13);
        } else if (auto *button = qobject_cast<SkinButton *>(w)) {
            QCOMPARE(button->caption(), caption);
            QCOMPARE(button->frameLayout(), 6);
            QCOMPARE(button->cornerSize(), 20);
        }
    }

    void gridsFollowResize_data()
    {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("gridHeight");
        QTest::newRow("designed size") << QSize(960, 620) << 620 - 21;
        QTest::newRow("larger") << QSize(1200, 800) << 800 - 21;
        QTest::newRow("lower than the panels: no room") << QSize(960, 60) << 0;
    }
    void gridsFollowResize()
    {
        QFETCH(QSize, size);
        QFETCH(int, gridHeight);
        clickButton(0); // both grids follow, the matrix too
        m_win->resize(size);
        // The header holds the title boxes' captions as well.
        const int headerH = 2 * (m_win->titleLabels[0]->height() + 24) + 2;
        QVERIFY(headerH > 52);
        gridHeight = std::max(gridHeight - headerH, 0);
        const QRect expected(0, headerH, size.width(), gridHeight);
        QCOMPARE(m_win->headerPanel->geometry(), QRect(0, 0, size.width(), headerH));
        QCOMPARE(m_win->statusPanel->height(), 21);
        QCOMPARE(m_win->runnerTable->geometry(), expected);
        QCOMPARE(m_win->quinellaMatrix->geometry(), expected);
        if (gridHeight > 0)
            QCOMPARE(m_win->statusPanel->y(), size.height() - 21);
        QCOMPARE(m_win->statusLine->pos(), QPoint(4, 4));
        m_win->resize(960, 620);
        QCOMPARE(m_win->runnerTable->geometry(), QRect(0, headerH, 960, 620 - 21 - headerH));
        // Too narrow for one line (a large scale): the right-hand group wraps below the titles.
        m_win->resize(600, 620);
        for (QWidget *w : {static_cast<QWidget *>(m_win->commandButtons[1]),
                           static_cast<QWidget *>(m_win->poolBox)})
            QVERIFY(m_win->headerPanel->rect().contains(w->geometry()));
        QCOMPARE(m_win->runnerTable->y(), m_win->headerPanel->height());
    }

    void buttonsByMouse()
    {
        OddsDocument &d = m_win->document();
        clickButton(0);
        QVERIFY(d.quinellaVisible());
        QVERIFY(m_win->quinellaMatrix->isVisible());
        QCOMPARE(m_win->quinellaMatrix->geometry(), m_win->runnerTable->geometry());
        QCOMPARE(m_win->gridInView(), &d.quinellaMatrix);
        QCOMPARE(d.quinellaList.size(), 18 * 17 / 2);
        // Typing with the keyboard focus still on the table behind the matrix edits nothing.
        const QString name = d.runnerTable.text(2, ColName);
        d.runnerTable.setCurrent(2, ColName);
        QTest::keyClicks(m_win->runnerTable, QStringLiteral("x"));
        QVERIFY(!m_win->isEditing());
        QCOMPARE(d.runnerTable.text(2, ColName), name);
        clickButton(1);
        QVERIFY(!d.quinellaVisible());
        QVERIFY(!m_win->quinellaMatrix->isVisible());
        QCOMPARE(m_win->gridInView(), &d.runnerTable);
    }

    void quinellaWithoutLayout_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<bool>("rebuild");
        QTest::newRow("20 runners") << "20" << true;
        QTest::newRow("count field 1, not confirmed") << "1" << false;
    }
    void quinellaWithoutLayout()
    {
        QFETCH(QString, count);
        QFETCH(bool, rebuild);
        typeInto(m_win->countBoxes[0], count);
        if (rebuild)
            QTest::keyClick(m_win->countBoxes[0], Qt::Key_Return);
        const QString before = snapshot();
        clickButton(0);
        QVERIFY(!m_win->quinellaMatrix->isVisible());
        QCOMPARE(m_win->gridInView(), &m_win->document().runnerTable);
        QVERIFY(m_win->statusText().contains(QStringLiteral("馬連")));
        QVERIFY(m_win->statusText().contains(count));
        QCOMPARE(snapshot(), before);
    }

    void fieldRules_data()
    {
        QTest::addColumn<int>("field");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("whileTyping");
        QTest::addColumn<QString>("shown"); // once the field is left
        QTest::newRow("runner count above 36") << 0 << "40" << QString("36") << "36";
        QTest::newRow("letters read as 0 and stay") << 1 << "ab" << QString("ab") << "ab";
        QTest::newRow("negative column count") << 1 << "-5" << QString("0") << "0";
        QTest::newRow("ratio typed freely") << 2 << "75" << QString("75") << "75";
        QTest::newRow("ratio above 100") << 2 << "150" << QString("150") << "100";
        QTest::newRow("empty ratio becomes 1") << 2 << "" << QString() << "1";
    }
    void fieldRules()
    {
        QFETCH(int, field);
        QFETCH(QString, typed);
        QFETCH(QString, whileTyping);
        QFETCH(QString, shown);
        QLineEdit *edit = field < 2 ? m_win->countBoxes[field] : m_win->payoutRatioBox;
        typeInto(edit, typed);
        QCOMPARE(edit->text(), whileTyping);
        m_win->runnerTable->setFocus();
        QCOMPARE(edit->text(), shown);
        const OddsDocument &d = m_win->document();
        QCOMPARE(field < 2 ? d.countText(field) : d.payoutRatioText(), shown);
    }

    void enterInFields()
    {
        OddsDocument &d = m_win->document();
        typeInto(m_win->countBoxes[0], QStringLiteral("10"));
        QCOMPARE(d.runnerTable.rows(), 20); // takes effect on Enter only
        QTest::keyClick(m_win->countBoxes[0], Qt::Key_Return);
        QCOMPARE(d.runnerTable.rows(), 12);
        typeInto(m_win->countBoxes[1], QStringLiteral("3"));
        QTest::keyClick(m_win->countBoxes[1], Qt::Key_Return);
        QCOMPARE(d.runnerTable.cols(), 10);

        d.runnerTable.setText(2, 7, QStringLiteral("100"));
        d.runnerTable.setText(3, 7, QStringLiteral("100"));
        typeInto(m_win->payoutRatioBox, QStringLiteral("50"));
        QTest::keyClick(m_win->payoutRatioBox, Qt::Key_Return);
        QCOMPARE(m_win->poolBox->text(), QStringLiteral("200"));
        QCOMPARE(textToNumber(d.runnerTable.text(2, 4)), 1.0); // 50% of a pool shared by two
    }

    void titleSnapshots_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("snapshots");
        QTest::newRow("changed text: one snapshot holding it") << "Race 11" << 1;
        QTest::newRow("unchanged: none") << "abc" << 0;
        QTest::newRow("case and width only: none") << "ＡＢＣ" << 0;
    }
    void titleSnapshots()
    {
        QFETCH(QString, typed);
        QFETCH(int, snapshots);
        m_win->setTitleText(0, QStringLiteral("abc"));
        QLineEdit *box = m_win->titleBoxes[0];
        box->setFocus();
        QCOMPARE(box->selectedText(), QStringLiteral("abc"));
        typeInto(box, typed);
        QCOMPARE(m_win->titleText(0), typed);
        m_win->runnerTable->setFocus();
        QCOMPARE(m_win->undoRing().undoPos(), snapshots);
        if (snapshots)
            QVERIFY(m_win->undoRing().undoHead(0).contains(typed));
    }

    void titleVisitSurvivesMenusAndOtherPrograms()
    {
        QLineEdit *box = m_win->titleBoxes[4];
        box->setFocus();
        typeInto(box, QStringLiteral("Race"));
        for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::ActiveWindowFocusReason}) {
            QFocusEvent out(QEvent::FocusOut, reason);
            QCoreApplication::sendEvent(box, &out);
            QFocusEvent in(QEvent::FocusIn, reason);
            QCoreApplication::sendEvent(box, &in);
        }
        QCOMPARE(m_win->undoRing().undoPos(), 0);
        m_win->runnerTable->setFocus();
        QCOMPARE(m_win->undoRing().undoPos(), 1);

        // A first visit that begins with the window's activation, left unchanged.
        QLineEdit *other = m_win->titleBoxes[5];
        QFocusEvent in(QEvent::FocusIn, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(other, &in);
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QCoreApplication::sendEvent(other, &out);
        QCOMPARE(m_win->undoRing().undoPos(), 1);
    }

    void undoShowsRestoredFieldsAndCounts()
    {
        m_win->pushUndo();
        m_win->setTitleText(2, QStringLiteral("本命"));
        typeInto(m_win->countBoxes[0], QStringLiteral("12"));
        QTest::keyClick(m_win->countBoxes[0], Qt::Key_Return); // a new shape: a snapshot first
        QCOMPARE(m_win->undoRing().undoPos(), 2);
        m_win->undo();
        QCOMPARE(m_win->titleBoxes[2]->text(), QStringLiteral("本命"));
        QCOMPARE(m_win->countBoxes[0]->text(), QStringLiteral("18"));
        QCOMPARE(m_win->document().runnerTable.rows(), 20);
        m_win->undo();
        QCOMPARE(m_win->titleBoxes[2]->text(), QStringLiteral("予想"));
    }

    void changedFlagAndStatus_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("changed");
        QTest::newRow("moving around") << "navigate" << false;
        QTest::newRow("typing a title") << "title" << true;
        QTest::newRow("committing a cell on the last row") << "commit" << true;
        QTest::newRow("Delete") << "delete" << true;
        QTest::newRow("undo") << "undo" << true;
    }
    void changedFlagAndStatus()
    {
        QFETCH(QString, action);
        QFETCH(bool, changed);
        GridView *grid = m_win->runnerTable;
        Grid &g = m_win->document().runnerTable;
        g.setText(g.rows() - 1, 7, QStringLiteral("300"));
        grid->setFocus();
        grid->setCurrentCell(g.rows() - 1, 7);
        if (action == QLatin1String("navigate")) {
            QTest::keyClick(grid, Qt::Key_Up, Qt::ShiftModifier);
        } else if (action == QLatin1String("title")) {
            typeInto(m_win->titleBoxes[2], QStringLiteral("x"));
        } else if (action == QLatin1String("commit")) {
            QTest::keyClicks(grid, QStringLiteral("5"));
            QTest::keyClick(m_win->cellEditor, Qt::Key_Return);
        } else if (action == QLatin1String("delete")) {
            QTest::keyClick(grid, Qt::Key_Delete);
        } else {
            m_win->pushUndo();
            g.setText(g.rows() - 1, 7, QStringLiteral("7"));
            m_win->document().setChanged(false);
            m_win->undo();
        }
        QCOMPARE(m_win->document().isChanged(), changed);
        QCOMPARE(m_win->windowTitle().endsWith(QStringLiteral(" *")), changed);
        QCOMPARE(m_win->statusText(), selectionStatus(g));
    }

    void loadFile()
    {
        const FileResult r = m_win->loadDocument(race18());
        QVERIFY2(r.ok, qPrintable(r.message));
        QCOMPARE(m_win->windowTitle(), race18());
        const OddsDocument &d = m_win->document();
        QCOMPARE(m_win->titleBoxes[0]->text(), d.titleText(0));
        QCOMPARE(m_win->titleBoxes[3]->text(), QStringLiteral("備考～あり"));
        QCOMPARE(d.runnerTable.text(2, 2), QStringLiteral("ｷﾙﾚﾙﾎﾞｰｲ"));
        QCOMPARE(m_win->undoRing().undoPos(), 0);
        QVERIFY(!d.isChanged());
        OddsDocument refitted = d; // widths fit the file's texts
        refitted.fitColumnWidths();
        QCOMPARE(d.runnerTable.colWidth(ColName), refitted.runnerTable.colWidth(ColName));
    }

    void loadFailureLeavesDocument_data()
    {
        QTest::addColumn<QByteArray>("content"); // empty: no file at all
        QTest::newRow("missing file") << QByteArray();
        QTest::newRow("header part short of fields") << QByteArray("a,b,c,d\r\n18,8\r\n");
    }
    void loadFailureLeavesDocument()
    {
        QFETCH(QByteArray, content);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bad.csv"));
        if (!content.isEmpty()) {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const QString before = snapshot();
        const QString caption = m_win->windowTitle();
        const FileResult r = m_win->loadDocument(path);
        QVERIFY(!r.ok);
        QCOMPARE(snapshot(), before);
        QCOMPARE(m_win->titleBoxes[0]->text(), QStringLiteral("タイトル"));
        QCOMPARE(m_win->windowTitle(), caption);
        QVERIFY(m_win->statusText().contains(path));
        QVERIFY(m_win->statusText().contains(r.message));
    }

    // Every control the keyboard reaches has a name a screen reader says; the header fields
    // are named by their visible labels.
    void controlsNamedForScreenReaders()
    {
        m_win->openEditor(ImeFree);
        for (QWidget *w : m_win->findChildren<QWidget *>()) {
            if (w->focusPolicy() == Qt::NoFocus || w->isWindow() ||
                qobject_cast<QWidget *>(w->parent()) != w->parentWidget() ||
                w->parentWidget()->inherits("QAbstractScrollArea"))
                continue;
            QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
            QVERIFY2(a && !a->text(QAccessible::Name).isEmpty(), qPrintable(w->objectName()));
        }
        for (int i = 0; i < 6; ++i) {
            QCOMPARE(m_win->titleLabels[i]->text(), titleFieldCaption(i));
            QVERIFY(m_win->titleLabels[i]->isVisible());
            QCOMPARE(QAccessible::queryAccessibleInterface(m_win->titleBoxes[i])
                         ->text(QAccessible::Name),
                     titleFieldCaption(i));
        }
        QCOMPARE(QAccessible::queryAccessibleInterface(m_win->poolBox)->text(QAccessible::Name),
                 QStringLiteral("投票金"));
        QCOMPARE(QAccessible::queryAccessibleInterface(m_win->commandButtons[0])->role(),
                 QAccessible::Button);
        QCOMPARE(QAccessible::queryAccessibleInterface(m_win->statusPanel)->role(),
                 QAccessible::StatusBar);
        QVERIFY(m_win->cellEditor->accessibleName().contains(
            m_win->document().runnerTable.text(HeaderRow, m_win->document().runnerTable.col())));
    }

    // 馬連 and 集計 by key, with a visible focus frame; F2 reopens a cell with its text.
    void keyboardPaths()
    {
        OddsDocument &d = m_win->document();
        SkinButton *quinella = m_win->commandButtons[0];
        const QImage unfocused = quinella->grab().toImage();
        quinella->setFocus(Qt::TabFocusReason);
        QVERIFY(quinella->hasFocus());
        QVERIFY(quinella->grab().toImage() != unfocused);
        QTest::keyClick(quinella, Qt::Key_Space);
        QVERIFY(d.quinellaVisible());
        m_win->commandButtons[1]->setFocus(Qt::TabFocusReason);
        QTest::keyClick(m_win->commandButtons[1], Qt::Key_Return);
        QVERIFY(!d.quinellaVisible());
        QAccessibleInterface *button = QAccessible::queryAccessibleInterface(quinella);
        QVERIFY(button->actionInterface());
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(d.quinellaVisible());
        m_win->recalculate();

        // F2 on a name cell: the editor shows the text, and typing goes on after it.
        const QString name = d.runnerTable.text(2, ColName);
        m_win->runnerTable->setFocus();
        m_win->runnerTable->setCurrentCell(2, ColName);
        QTest::keyClick(m_win->runnerTable, Qt::Key_F2);
        QVERIFY(m_win->isEditing());
        QCOMPARE(m_win->cellEditor->text(), name);
        QTest::keyClicks(m_win->cellEditor, QStringLiteral("X"));
        QTest::keyClick(m_win->cellEditor, Qt::Key_Return);
        QCOMPARE(d.runnerTable.text(2, ColName), name + QStringLiteral("X"));
        // Enter opened the next row's cell; Escape leaves it. Not in a computed column, as a
        // double click is not.
        QVERIFY(m_win->isEditing());
        QTest::keyClick(m_win->cellEditor, Qt::Key_Escape);
        QVERIFY(!m_win->isEditing());
        m_win->runnerTable->setCurrentCell(3, ColOdds);
        QTest::keyClick(m_win->runnerTable, Qt::Key_F2);
        QVERIFY(!m_win->isEditing());
    }

    void loadTemplateCases()
    {
        QTemporaryDir dir;
        const QString folder = dir.path() + QLatin1Char('/');
        DocumentWindow other(folder);
        QVERIFY(!other.loadTemplate());
        QVERIFY(QFile::copy(race18(), folder + QStringLiteral("Default.def")));
        QVERIFY(other.loadTemplate());
        QCOMPARE(other.windowTitle(), folder + QStringLiteral("Default.def"));
        QCOMPARE(other.titleBoxes[3]->text(), QStringLiteral("備考～あり"));
    }

    // Committed by the input method, − becomes －; red, with the reason, while no finishing order.
    void resultField()
    {
        QVERIFY(m_win->loadDocument(race18()).ok);
        QLineEdit *box = m_win->titleBoxes[5];
        auto commit = [box](const QString &text) {
            typeInto(box, QString());
            QInputMethodEvent event;
            event.setCommitString(text);
            QApplication::sendEvent(box, &event);
        };
        commit(QStringLiteral("7−14−3"));
        QCOMPARE(m_win->titleText(5), QStringLiteral("7－14－3"));
        QCOMPARE(box->toolTip(), QString());
        commit(QStringLiteral("7-14-x"));
        QVERIFY(box->toolTip().contains(QStringLiteral("数字と区切り")));
    }

    void saveFailureReportsReason()
    {
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("taken.csv")));
        const QString before = snapshot();
        const FileResult r = m_win->saveDocument(dir.filePath(QStringLiteral("taken.csv")));
        QVERIFY(!r.ok);
        QVERIFY(!r.message.isEmpty());
        QCOMPARE(snapshot(), before);
        QCOMPARE(m_win->windowTitle(), QStringLiteral("新規ｵｯｽﾞﾄﾞｷｭﾒﾝﾄ 1"));
    }
};

QTEST_MAIN(TestDocumentWindow)
#include "tst_documentwindow_ui.moc"
