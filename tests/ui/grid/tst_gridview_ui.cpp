#include "core/document/grid.h"
#include "ui/desktop/fonts.h"
#include "ui/desktop/screenmetrics.h"
#include "ui/grid/gridview.h"

#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <memory>

Q_DECLARE_METATYPE(Qt::Key)

class TestGridView : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<Grid> m_grid;
    std::unique_ptr<GridView> m_view;

    void makeGrid(int rows, int cols, int fixedRows, int fixedCols)
    {
        m_grid = std::make_unique<Grid>();
        m_grid->setSize(rows, cols);
        m_grid->setFixedRows(fixedRows);
        m_grid->setFixedCols(fixedCols);
        m_grid->setFontSize(12);
        for (int c = 0; c < cols; ++c)
            m_grid->setColWidth(c, c == 0 ? 450 : 900 + 15 * c);
        m_view = std::make_unique<GridView>();
        m_view->resize(400, 300);
        m_view->setGrid(m_grid.get());
        m_view->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
    }

    void sendKey(Qt::Key key, Qt::KeyboardModifiers mods, const QString &text = QString())
    {
        QKeyEvent press(QEvent::KeyPress, key, mods, text);
        QCoreApplication::sendEvent(m_view.get(), &press);
        QKeyEvent release(QEvent::KeyRelease, key, mods, text);
        QCoreApplication::sendEvent(m_view.get(), &release);
    }

    QPoint centre(int row, int col) const
    {
        // Viewport coordinates, where the mouse events of a scroll area arrive.
        return m_view->cellRect(row, col).center() - m_view->viewport()->geometry().topLeft();
    }

    void sendMouse(QEvent::Type type, const QPoint &viewportPos, Qt::MouseButton button,
                   Qt::MouseButtons buttons, Qt::KeyboardModifiers mods)
    {
        QMouseEvent event(type, viewportPos, m_view->viewport()->mapToGlobal(viewportPos), button,
                          buttons, mods);
        QCoreApplication::sendEvent(m_view->viewport(), &event);
    }

    QImage grabImage() const { return m_view->grab().toImage(); }

private Q_SLOTS:
    void init() { QCOMPARE(twipsPerPixelX(), 15.0); }

    void cleanup()
    {
        m_view.reset();
        m_grid.reset();
    }

    void keys_data()
    {
        QTest::addColumn<int>("fixedRows");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("rowSel");
        QTest::addColumn<int>("colSel");
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<int>("wantRow");
        QTest::addColumn<int>("wantCol");
        QTest::addColumn<int>("wantRowSel");
        QTest::addColumn<int>("wantColSel");

        const int none = Qt::NoModifier;
        const int shift = Qt::ShiftModifier;
        const int ctrl = Qt::ControlModifier;
        // 20 rows, 15 columns, one fixed column.
        QTest::newRow("Right moves one column")
            << 0 << 2 << 2 << 2 << 2 << Qt::Key_Right << none << 2 << 3 << 2 << 3;
        QTest::newRow("Left stops before the fixed column")
            << 0 << 2 << 1 << 2 << 1 << Qt::Key_Left << none << 2 << 1 << 2 << 1;
        QTest::newRow("Left leaves a cell put in the fixed column where it is")
            << 0 << 2 << 0 << 2 << 0 << Qt::Key_Left << none << 2 << 0 << 2 << 0;
        QTest::newRow("Right from the fixed column enters the table")
            << 0 << 2 << 0 << 2 << 0 << Qt::Key_Right << none << 2 << 1 << 2 << 1;
        QTest::newRow("Down in the fixed column stays in it")
            << 0 << 2 << 0 << 2 << 0 << Qt::Key_Down << none << 3 << 0 << 3 << 0;
        QTest::newRow("Right stops at the last column")
            << 0 << 2 << 14 << 2 << 14 << Qt::Key_Right << none << 2 << 14 << 2 << 14;
        QTest::newRow("Up reaches row 0 without fixed rows")
            << 0 << 1 << 3 << 1 << 3 << Qt::Key_Up << none << 0 << 3 << 0 << 3;
        QTest::newRow("Up stops below a fixed row")
            << 1 << 1 << 3 << 1 << 3 << Qt::Key_Up << none << 1 << 3 << 1 << 3;
        QTest::newRow("Down stops at the last row")
            << 0 << 19 << 3 << 19 << 3 << Qt::Key_Down << none << 19 << 3 << 19 << 3;
        QTest::newRow("Shift+Down moves the corner, the current cell stays")
            << 0 << 2 << 2 << 2 << 2 << Qt::Key_Down << shift << 2 << 2 << 3 << 2;
        QTest::newRow("Shift+Left extends from the corner")
            << 0 << 2 << 5 << 4 << 3 << Qt::Key_Left << shift << 2 << 5 << 4 << 2;
        QTest::newRow("Shift extension may cross the current cell")
            << 0 << 4 << 4 << 5 << 4 << Qt::Key_Up << shift << 4 << 4 << 4 << 4;
        QTest::newRow("A plain arrow collapses the range, moving from the current cell")
            << 0 << 2 << 2 << 6 << 5 << Qt::Key_Down << none << 3 << 2 << 3 << 2;
        QTest::newRow("Home goes to the first scrollable column")
            << 0 << 5 << 6 << 5 << 6 << Qt::Key_Home << none << 5 << 1 << 5 << 1;
        QTest::newRow("End goes to the last column")
            << 0 << 5 << 6 << 5 << 6 << Qt::Key_End << none << 5 << 14 << 5 << 14;
        QTest::newRow("Ctrl+Home goes to the first scrollable cell")
            << 1 << 5 << 6 << 5 << 6 << Qt::Key_Home << ctrl << 1 << 1 << 1 << 1;
        QTest::newRow("Ctrl+End goes to the last cell")
            << 0 << 5 << 6 << 5 << 6 << Qt::Key_End << ctrl << 19 << 14 << 19 << 14;
        QTest::newRow("Shift+Ctrl+End selects to the last cell")
            << 0 << 5 << 6 << 5 << 6 << Qt::Key_End << (ctrl | shift) << 5 << 6 << 19 << 14;
        QTest::newRow("Shift+Home selects to the first scrollable column")
            << 0 << 5 << 6 << 5 << 6 << Qt::Key_Home << shift << 5 << 6 << 5 << 1;
        QTest::newRow("Ctrl+Down goes to the last row")
            << 0 << 5 << 6 << 5 << 6 << Qt::Key_Down << ctrl << 19 << 6 << 19 << 6;
        QTest::newRow("Alt+Down does not move")
            << 0 << 5 << 6 << 5 << 6 << Qt::Key_Down << int(Qt::AltModifier) << 5 << 6 << 5 << 6;
        QTest::newRow("Page Up stops at the first row")
            << 0 << 2 << 6 << 2 << 6 << Qt::Key_PageUp << none << 0 << 6 << 0 << 6;
        QTest::newRow("Page Down stops at the last row")
            << 0 << 18 << 6 << 18 << 6 << Qt::Key_PageDown << none << 19 << 6 << 19 << 6;
    }

    void keys()
    {
        QFETCH(int, fixedRows);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(int, rowSel);
        QFETCH(int, colSel);
        QFETCH(Qt::Key, key);
        QFETCH(int, mods);
        makeGrid(20, 15, fixedRows, 1);
        m_grid->setCurrent(row, col);
        m_grid->setSelection(rowSel, colSel);
        m_view->refresh();
        const bool changes = [&] {
            QFETCH(int, wantRow);
            QFETCH(int, wantCol);
            QFETCH(int, wantRowSel);
            QFETCH(int, wantColSel);
            return wantRow != row || wantCol != col || wantRowSel != rowSel || wantColSel != colSel;
        }();
        QSignalSpy sel(m_view.get(), &GridView::selChange);

        sendKey(key, Qt::KeyboardModifiers(mods));

        QTEST(m_grid->row(), "wantRow");
        QTEST(m_grid->col(), "wantCol");
        QTEST(m_grid->rowSel(), "wantRowSel");
        QTEST(m_grid->colSel(), "wantColSel");
        QCOMPARE(sel.count(), changes ? 1 : 0);
        // The moved-to corner is in view.
        int seenRow = -1;
        int seenCol = -1;
        QFETCH(int, wantRowSel);
        QFETCH(int, wantColSel);
        QVERIFY(
            m_view->cellAt(m_view->cellRect(wantRowSel, wantColSel).center(), &seenRow, &seenCol));
        QCOMPARE(seenRow, wantRowSel);
        QCOMPARE(seenCol, wantColSel);
    }

    void pageDownMovesByTheRowsShown()
    {
        makeGrid(60, 5, 0, 1);
        m_grid->setCurrent(2, 2);
        m_view->refresh();
        const int shown = m_view->viewport()->height() / m_view->rowHeight();
        QVERIFY(shown > 2);
        sendKey(Qt::Key_PageDown, Qt::NoModifier);
        QCOMPARE(m_grid->row(), 2 + shown);
        QCOMPARE(m_view->topRow(), shown);
        sendKey(Qt::Key_PageUp, Qt::NoModifier);
        QCOMPARE(m_grid->row(), 2);
        QCOMPARE(m_view->topRow(), 0);
    }

    void keyDownHandledStopsNavigation()
    {
        makeGrid(20, 15, 0, 1);
        m_grid->setCurrent(2, 2);
        m_view->refresh();
        QList<Qt::Key> keys;
        connect(m_view.get(), &GridView::keyDown, this, [&](QKeyCombination key, bool *handled) {
            keys << key.key();
            *handled = key.key() == Qt::Key_Down;
        });
        QSignalSpy sel(m_view.get(), &GridView::selChange);
        sendKey(Qt::Key_Down, Qt::NoModifier);
        QCOMPARE(m_grid->row(), 2);
        QCOMPARE(sel.count(), 0);
        sendKey(Qt::Key_Right, Qt::NoModifier);
        QCOMPARE(m_grid->col(), 3);
        QCOMPARE(keys, QList<Qt::Key>({Qt::Key_Down, Qt::Key_Right}));
    }

    void keySignals_data()
    {
        QTest::addColumn<Qt::Key>("key");
        QTest::addColumn<int>("mods");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("keyDown");
        QTest::addColumn<QString>("character"); // empty = no keyPress

        const int none = Qt::NoModifier;
        QTest::newRow("Enter types CR") << Qt::Key_Return << none << "\r" << true << "\r";
        QTest::newRow("keypad Enter types CR too")
            << Qt::Key_Enter << int(Qt::KeypadModifier) << "\r" << true << "\r";
        QTest::newRow("Escape types ESC") << Qt::Key_Escape << none << "\x1b" << true << "\x1b";
        QTest::newRow("Delete types nothing") << Qt::Key_Delete << none << "\x7f" << true << "";
        QTest::newRow("Shift+Insert types nothing")
            << Qt::Key_Insert << int(Qt::ShiftModifier) << "" << true << "";
        QTest::newRow("Ctrl+A types character 1")
            << Qt::Key_A << int(Qt::ControlModifier) << "" << true << "\x01";
        QTest::newRow("Ctrl+V types character 22")
            << Qt::Key_V << int(Qt::ControlModifier) << "\x16" << true << "\x16";
        QTest::newRow("a types a") << Qt::Key_A << none << "a" << true << "a";
        QTest::newRow("Shift+a types A")
            << Qt::Key_A << int(Qt::ShiftModifier) << "A" << true << "A";
        QTest::newRow("keypad 5 types 5")
            << Qt::Key_5 << int(Qt::KeypadModifier) << "5" << true << "5";
        QTest::newRow("Alt+X types nothing")
            << Qt::Key_X << int(Qt::AltModifier) << "x" << true << "";
        QTest::newRow("Down types nothing") << Qt::Key_Down << none << "" << true << "";
        QTest::newRow("a Japanese character types itself")
            << Qt::Key_unknown << none << QString::fromUtf8("あ") << false
            << QString::fromUtf8("あ");
        QTest::newRow("full-width digit types itself")
            << Qt::Key_unknown << none << QString::fromUtf8("５") << false
            << QString::fromUtf8("５");
    }

    void keySignals()
    {
        QFETCH(Qt::Key, key);
        QFETCH(int, mods);
        QFETCH(QString, text);
        QFETCH(bool, keyDown);
        QFETCH(QString, character);
        makeGrid(20, 15, 0, 1);
        QStringList events;
        connect(m_view.get(), &GridView::keyDown, this, [&](QKeyCombination k, bool *handled) {
            events << QStringLiteral("down %1").arg(k.toCombined());
            *handled = true; // keep the grid still; the character must still come
        });
        connect(m_view.get(), &GridView::keyPress, this,
                [&](const QString &t) { events << QStringLiteral("press ") + t; });

        sendKey(key, Qt::KeyboardModifiers(mods), text);

        QStringList expected;
        if (keyDown)
            expected << QStringLiteral("down %1").arg(
                QKeyCombination(Qt::KeyboardModifiers(mods), key).toCombined());
        if (!character.isEmpty())
            expected << QStringLiteral("press ") + character;
        QCOMPARE(events, expected);
    }

    void inputMethodCommitTypes()
    {
        makeGrid(20, 15, 0, 1);
        QSignalSpy press(m_view.get(), &GridView::keyPress);
        QStringList seen;
        connect(m_view.get(), &GridView::inputMethod, this, [&](QInputMethodEvent *event) {
            seen << event->preeditString() + QLatin1Char('|') + event->commitString();
        });
        QInputMethodEvent preedit(QString::fromUtf8("ばれん"), {});
        QCoreApplication::sendEvent(m_view.get(), &preedit);
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("馬連"));
        QCoreApplication::sendEvent(m_view.get(), &commit);
        QCOMPARE(seen, QStringList({QString::fromUtf8("ばれん|"), QString::fromUtf8("|馬連")}));
        QCOMPARE(press.count(), 0);
        QVERIFY(m_view->testAttribute(Qt::WA_InputMethodEnabled));

        QCOMPARE(m_view->inputMethodQuery(Qt::ImCursorRectangle).toRect(),
                 m_view->cellRect(m_grid->row(), m_grid->col()));
    }

    void clickSelectsCell()
    {
        makeGrid(20, 15, 0, 1);
        m_grid->setCurrent(2, 2);
        m_view->refresh();
        QSignalSpy sel(m_view.get(), &GridView::selChange);
        QSignalSpy down(m_view.get(), &GridView::mouseDown);
        const QPoint at = centre(4, 3);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(m_grid->row(), 4);
        QCOMPARE(m_grid->col(), 3);
        QCOMPARE(m_grid->rowSel(), 4);
        QCOMPARE(m_grid->colSel(), 3);
        QCOMPARE(sel.count(), 1);
        QCOMPARE(down.count(), 1);
        const QPoint widgetAt = m_view->viewport()->mapTo(m_view.get(), at);
        QCOMPARE(down.at(0),
                 QVariantList({QVariant::fromValue(Qt::LeftButton),
                               QVariant::fromValue(Qt::KeyboardModifiers()), widgetAt}));

        // The same cell again changes nothing, but the press is still raised.
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, at);
        QCOMPARE(sel.count(), 1);
        QCOMPARE(down.count(), 2);

        // A click in the fixed column makes it current.
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, centre(6, 0));
        QCOMPARE(m_grid->row(), 6);
        QCOMPARE(m_grid->col(), 0);
    }

    void rightClickAndEmptyAreaDoNotMove()
    {
        makeGrid(3, 2, 0, 1); // leaves empty area right of and below the cells
        m_grid->setCurrent(1, 1);
        m_view->refresh();
        QSignalSpy sel(m_view.get(), &GridView::selChange);
        QSignalSpy down(m_view.get(), &GridView::mouseDown);
        QTest::mouseClick(m_view->viewport(), Qt::RightButton, Qt::ShiftModifier, centre(2, 0));
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(m_view->viewport()->width() - 2, 5));
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(5, m_view->viewport()->height() - 2));
        QCOMPARE(m_grid->row(), 1);
        QCOMPARE(m_grid->col(), 1);
        QCOMPARE(sel.count(), 0);
        QCOMPARE(down.count(), 3);
        QCOMPARE(down.at(0).at(0).value<Qt::MouseButton>(), Qt::RightButton);
        QCOMPARE(down.at(0).at(1).value<Qt::KeyboardModifiers>(),
                 Qt::KeyboardModifiers(Qt::ShiftModifier));
    }

    void shiftClickExtends()
    {
        makeGrid(20, 15, 0, 1);
        m_grid->setCurrent(2, 2);
        m_view->refresh();
        QSignalSpy sel(m_view.get(), &GridView::selChange);
        QTest::mouseClick(m_view->viewport(), Qt::LeftButton, Qt::ShiftModifier, centre(5, 4));
        QCOMPARE(m_grid->row(), 2);
        QCOMPARE(m_grid->col(), 2);
        QCOMPARE(m_grid->rowSel(), 5);
        QCOMPARE(m_grid->colSel(), 4);
        QCOMPARE(sel.count(), 1);
        QCOMPARE(m_grid->clip().count(QLatin1Char('\r')), 3);
    }

    void dragExtends()
    {
        makeGrid(20, 15, 0, 1);
        QSignalSpy sel(m_view.get(), &GridView::selChange);
        sendMouse(QEvent::MouseButtonPress, centre(1, 2), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
        sendMouse(QEvent::MouseMove, centre(2, 2) + QPoint(3, 0), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier);
        sendMouse(QEvent::MouseMove, centre(2, 2), Qt::NoButton, Qt::LeftButton,
                  Qt::NoModifier); // same cell: no new event
        sendMouse(QEvent::MouseMove, centre(3, 3), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        sendMouse(QEvent::MouseButtonRelease, centre(3, 3), Qt::LeftButton, Qt::NoButton,
                  Qt::NoModifier);
        QCOMPARE(m_grid->row(), 1);
        QCOMPARE(m_grid->col(), 2);
        QCOMPARE(m_grid->rowSel(), 3);
        QCOMPARE(m_grid->colSel(), 3);
        QCOMPARE(sel.count(), 3);

        // Moving without the button after the release selects nothing.
        sendMouse(QEvent::MouseMove, centre(5, 5), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCOMPARE(m_grid->rowSel(), 3);
    }

    void dragPastTheEdgeScrolls()
    {
        makeGrid(60, 30, 0, 1);
        sendMouse(QEvent::MouseButtonPress, centre(2, 2), Qt::LeftButton, Qt::LeftButton,
                  Qt::NoModifier);
        const QPoint outside(m_view->viewport()->width() + 20, m_view->viewport()->height() + 20);
        for (int i = 0; i < 100; ++i)
            sendMouse(QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCOMPARE(m_grid->rowSel(), 59);
        QCOMPARE(m_grid->colSel(), 29);
        QVERIFY(m_view->topRow() > 0);
        QVERIFY(m_view->leftCol() > 1);
        sendMouse(QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton,
                  Qt::NoModifier);
        QCOMPARE(m_grid->row(), 2);
        QCOMPARE(m_grid->col(), 2);
    }

    void doubleClickRaisedOnce()
    {
        makeGrid(20, 15, 0, 1);
        QSignalSpy dbl(m_view.get(), &GridView::doubleClicked);
        QTest::mouseDClick(m_view->viewport(), Qt::LeftButton, Qt::NoModifier, centre(3, 4));
        QCOMPARE(dbl.count(), 1);
        QCOMPARE(m_grid->row(), 3);
        QCOMPARE(m_grid->col(), 4);
    }

    void gotFocusRaised()
    {
        makeGrid(5, 5, 0, 1);
        QWidget other;
        other.setFocusPolicy(Qt::StrongFocus);
        m_view->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(m_view.get()));
        m_view->clearFocus();
        QSignalSpy focus(m_view.get(), &GridView::gotFocus);
        m_view->setFocus();
        QCOMPARE(focus.count(), 1);
    }

    void cellRectFollowsTwipWidths()
    {
        makeGrid(30, 20, 0, 1);
        const QPoint origin = m_view->viewport()->geometry().topLeft();
        QCOMPARE(m_view->cellRect(0, 0).topLeft(), origin);
        int x = origin.x();
        for (int c = 0; c < 4; ++c) {
            const QRect rect = m_view->cellRect(3, c);
            QCOMPARE(rect.left(), x);
            QCOMPARE(rect.width(), m_grid->colWidth(c) / 15);
            QCOMPARE(rect.top(), origin.y() + 3 * m_view->rowHeight());
            QCOMPARE(rect.height(), m_view->rowHeight());
            x += rect.width();
        }

        m_view->ensureVisible(25, 17);
        const int left = m_view->leftCol();
        const int top = m_view->topRow();
        QVERIFY(left > 1);
        QVERIFY(top > 0);
        // Fixed column where it was; the first shown column right after it.
        QCOMPARE(m_view->cellRect(25, 0).left(), origin.x());
        QCOMPARE(m_view->cellRect(25, left).left(), origin.x() + 30);
        QCOMPARE(m_view->cellRect(25, left + 1).left(),
                 origin.x() + 30 + m_grid->colWidth(left) / 15);
        QCOMPARE(m_view->cellRect(top, 5).top(), origin.y());
        // The target lies whole inside the viewport.
        QVERIFY(m_view->viewport()->geometry().contains(m_view->cellRect(25, 17)));
        QVERIFY(!m_view->viewport()->geometry().contains(m_view->cellRect(25, left - 1)));
        QCOMPARE(m_view->cellRect(30, 0), QRect());
    }

    void cellRectSeesGridChangesWithoutRefresh()
    {
        makeGrid(10, 5, 0, 1);
        m_grid->setColWidth(1, 3000);
        QCOMPARE(m_view->cellRect(0, 1).width(), 200);
        QCOMPARE(m_view->cellRect(0, 2).left(), m_view->cellRect(0, 1).left() + 200);
        m_grid->setCols(7);
        QVERIFY(m_view->cellRect(0, 6).isValid());
    }

    void refreshScrollsToAMovedCurrentCell()
    {
        makeGrid(60, 30, 0, 1);
        m_grid->setCurrent(50, 25);
        m_view->refresh();
        QVERIFY(m_view->viewport()->geometry().contains(m_view->cellRect(50, 25)));
        // Scrolling by hand is not undone by the next refresh.
        m_view->verticalScrollBar()->setValue(0);
        m_view->refresh();
        QCOMPARE(m_view->topRow(), 0);
    }

    void shrinkingTheGridKeepsTheViewValid()
    {
        makeGrid(60, 30, 0, 1);
        m_view->ensureVisible(59, 29);
        m_grid->setSize(4, 3);
        m_view->refresh();
        QCOMPARE(m_view->topRow(), 0);
        QCOMPARE(m_view->leftCol(), 1);
        QCOMPARE(m_view->cellRect(3, 2).top(),
                 m_view->viewport()->geometry().top() + 3 * m_view->rowHeight());
        grabImage(); // paints without touching cells that are gone
    }

    void fixedColumnStaysWhenScrolled()
    {
        makeGrid(40, 30, 1, 1);
        for (int r = 0; r < 40; ++r)
            for (int c = 0; c < 30; ++c)
                m_grid->setCellBackColor(r, c, rgb(r * 5, 100 + c, 50));
        m_view->ensureVisible(35, 25);
        const int top = m_view->topRow();
        const int left = m_view->leftCol();
        QVERIFY(top > 1);
        QVERIFY(left > 1);
        const QImage image = grabImage();
        auto pixel = [&](int r, int c) {
            const QRect rect = m_view->cellRect(r, c);
            return image.pixel(rect.left() + 5, rect.top() + 5) & 0xffffff;
        };
        QCOMPARE(pixel(0, 0), rgb(0, 100, 50));
        QCOMPARE(pixel(top, 0), rgb(top * 5, 100, 50));
        QCOMPARE(pixel(0, left), rgb(0, 100 + left, 50));
        QCOMPARE(pixel(top, left), rgb(top * 5, 100 + left, 50));
        QCOMPARE(pixel(top + 1, left + 1), rgb((top + 1) * 5, 101 + left, 50));
        QCOMPARE(m_view->cellRect(top, left).topLeft(),
                 m_view->cellRect(0, 0).bottomRight() + QPoint(1, 1));
    }

    void paintedColours()
    {
        makeGrid(10, 6, 0, 1);
        m_grid->setGridLineWidth(1);
        m_grid->setCellBackColor(3, 2, rgb(10, 200, 30));
        m_grid->setCellBackColor(3, 4, rgb(250, 0, 0));
        m_grid->setCurrent(3, 4);
        m_grid->setSelection(5, 5);
        m_view->refresh();
        const QImage image = grabImage();
        auto at = [&](int r, int c, int dx, int dy) {
            const QRect rect = m_view->cellRect(r, c);
            return image.pixel(rect.left() + dx, rect.top() + dy) & 0xffffff;
        };
        const QColor highlight = m_view->palette().color(QPalette::Highlight);
        // Own colour, the grid's white, and the fixed column's grey.
        QCOMPARE(at(3, 2, 4, 4), rgb(10, 200, 30));
        QCOMPARE(at(2, 2, 4, 4), rgb(255, 255, 255));
        QCOMPARE(at(2, 0, 4, 4), rgb(192, 192, 192));
        // The current cell keeps its colour inside its frame; the rest of the range is
        // highlighted, cells outside it are not.
        QCOMPARE(at(3, 4, 5, 5), rgb(250, 0, 0));
        QCOMPARE(at(4, 5, 4, 4), rgb(highlight.red(), highlight.green(), highlight.blue()));
        QCOMPARE(at(5, 4, 4, 4), rgb(highlight.red(), highlight.green(), highlight.blue()));
        QCOMPARE(at(6, 4, 4, 4), rgb(255, 255, 255));
        // Grid lines on the right and bottom edge of a cell.
        const QRect cell = m_view->cellRect(2, 2);
        QCOMPARE(image.pixel(cell.right(), cell.center().y()) & 0xffffff, rgb(192, 192, 192));
        QCOMPARE(image.pixel(cell.center().x(), cell.bottom()) & 0xffffff, rgb(192, 192, 192));

        m_grid->setGridLineWidth(0);
        m_view->refresh();
        const QImage noLines = grabImage();
        QCOMPARE(noLines.pixel(cell.right(), cell.center().y()) & 0xffffff, rgb(255, 255, 255));
    }

    void textPlacement_data()
    {
        QTest::addColumn<int>("alignment");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("side"); // where the ink lies: left, right, centre

        QTest::newRow("general: numbers right") << 9 << "123"
                                                << "right";
        QTest::newRow("general: negative decimals right") << 9 << "-12.5"
                                                          << "right";
        QTest::newRow("general: text left") << 9 << "abc"
                                            << "left";
        QTest::newRow("general: a number followed by text is text") << 9 << "1st"
                                                                    << "left";
        QTest::newRow("left centre") << 1 << "123"
                                     << "left";
        QTest::newRow("centre centre") << 4 << "88"
                                       << "centre";
        QTest::newRow("right centre") << 7 << "abc"
                                      << "right";
        QTest::newRow("right top") << 6 << "abc"
                                   << "right";
    }

    void textPlacement()
    {
        QFETCH(int, alignment);
        QFETCH(QString, text);
        QFETCH(QString, side);
        makeGrid(4, 4, 0, 1);
        m_grid->setColWidth(2, 3000); // 200 pixels
        m_grid->setColAlignment(2, alignment);
        m_grid->setText(1, 2, text);
        m_grid->setCellForeColor(1, 2, rgb(0, 0, 255));
        m_view->refresh();
        const QImage image = grabImage();
        const QRect rect = m_view->cellRect(1, 2);
        int first = -1;
        int last = -1;
        for (int x = rect.left(); x <= rect.right(); ++x)
            for (int y = rect.top(); y <= rect.bottom(); ++y)
                if (QColor(image.pixel(x, y)).blue() > 200 &&
                    QColor(image.pixel(x, y)).red() < 80) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
        QVERIFY2(first >= 0, "no text drawn");
        const int mid = rect.center().x();
        if (side == QLatin1String("left"))
            QVERIFY(last < mid);
        else if (side == QLatin1String("right"))
            QVERIFY(first > mid);
        else
            QVERIFY(first < mid && last > mid &&
                    qAbs((first - rect.left()) - (rect.right() - last)) <= 6);
    }

    void longTextStaysInItsCell()
    {
        makeGrid(4, 4, 0, 1);
        m_grid->setColWidth(1, 600);
        m_grid->setText(1, 1, QString(40, QLatin1Char('W')));
        m_grid->setCellForeColor(1, 1, rgb(0, 0, 255));
        m_grid->setText(2, 1, QStringLiteral("line one\r\nline two"));
        m_grid->setCurrent(3, 3);
        m_view->refresh();
        const QImage image = grabImage();
        const QRect next = m_view->cellRect(1, 2);
        for (int x = next.left(); x < next.right(); ++x)
            for (int y = next.top(); y < next.bottom(); ++y)
                QCOMPARE(image.pixel(x, y) & 0xffffff, rgb(255, 255, 255));
        // Something was drawn in the cell itself.
        const QRect own = m_view->cellRect(1, 1);
        bool ink = false;
        for (int x = own.left(); x < own.right() && !ink; ++x)
            for (int y = own.top(); y < own.bottom() && !ink; ++y)
                ink = (image.pixel(x, y) & 0xffffff) == rgb(0, 0, 255);
        QVERIFY(ink);
    }

    void rowHeightFollowsFont()
    {
        makeGrid(4, 4, 0, 1);
        const int small = m_view->rowHeight();
        m_grid->setFontSize(24);
        m_view->refresh();
        QVERIFY(m_view->rowHeight() > small);
        QCOMPARE(m_view->gridFont().pointSizeF(), 24.0);
        QCOMPARE(m_view->cellRect(2, 1).top() - m_view->cellRect(1, 1).top(), m_view->rowHeight());
        // An empty font name falls back to a face that has Japanese glyphs.
        QVERIFY(!defaultFontFamily().isEmpty());
        QCOMPARE(m_view->gridFont().family(), defaultFontFamily());
    }

    // A system font above the designed 10 pt enlarges text, rows and columns alike; the
    // grid's own font (printing uses it) stays.
    void largerSystemFontEnlargesTheView()
    {
        makeGrid(4, 4, 0, 1);
        QFont system = m_view->font();
        system.setPointSizeF(9);
        m_view->setFont(system);
        const int width = m_view->colPixelWidth(2);
        QCOMPARE(m_view->gridFont().pointSizeF(), 12.0);
        system.setPointSizeF(20);
        m_view->setFont(system);
        QCOMPARE(m_view->gridFont().pointSizeF(), 24.0);
        QCOMPARE(m_grid->fontSize(), 12.0);
        QVERIFY(qAbs(m_view->colPixelWidth(2) - 2 * width) <= 1);
        QCOMPARE(m_view->cellRect(1, 2).width(), m_view->colPixelWidth(2));
    }

    void viewMethodsRaiseSelChange()
    {
        makeGrid(20, 15, 0, 1);
        QSignalSpy sel(m_view.get(), &GridView::selChange);
        m_view->setCurrentCell(15, 12);
        QCOMPARE(sel.count(), 1);
        QVERIFY(m_view->viewport()->geometry().contains(m_view->cellRect(15, 12)));
        m_view->setCurrentCell(15, 12);
        QCOMPARE(sel.count(), 1);
        m_view->setSelectionCorner(19, 14);
        QCOMPARE(sel.count(), 2);
        QCOMPARE(m_grid->row(), 15);
        QCOMPARE(m_grid->rowSel(), 19);
        m_view->setCurrentCell(99, -3); // clamped into the grid
        QCOMPARE(m_grid->row(), 19);
        QCOMPARE(m_grid->col(), 0);
    }

    void noGridIsHarmless()
    {
        GridView view;
        view.resize(200, 100);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QCOMPARE(view.cellRect(0, 0), QRect());
        view.grab();
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
        QCoreApplication::sendEvent(&view, &down);
        QTest::mouseClick(view.viewport(), Qt::LeftButton);
        view.setCurrentCell(1, 1);
    }
};

QTEST_MAIN(TestGridView)
#include "tst_gridview_ui.moc"
