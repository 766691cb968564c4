// The runner table and the quinella matrix as assistive technology reads them: a table of cells
// with texts and headers, hit testing, and the events of cursor moves, recalculation and
// changed counts.
#include "core/document/oddsdocument.h"
#include "ui/document/documentwindow.h"
#include "ui/grid/gridaccessible.h"
#include "ui/grid/gridview.h"

#include <QAccessible>
#include <QApplication>
#include <QTest>
#include <memory>

namespace {

struct SeenEvent
{
    QAccessible::Event type;
    QObject *object;
    int child;
    int change; // QAccessibleTableModelChangeEvent::ModelChangeType, -1 for other events
};

QList<SeenEvent> &seen()
{
    static QList<SeenEvent> events;
    return events;
}

void recordEvent(QAccessibleEvent *event)
{
    int change = -1;
    if (event->type() == QAccessible::TableModelChanged)
        change = static_cast<QAccessibleTableModelChangeEvent *>(event)->modelChangeType();
    seen().append({event->type(), event->object(), event->child(), change});
}

} // namespace

class TestGridAccessible : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<DocumentWindow> m_win;

    GridView *view(bool quinella) const
    {
        return quinella ? m_win->quinellaMatrix : m_win->runnerTable;
    }
    static QAccessibleInterface *of(QObject *object)
    {
        return QAccessible::queryAccessibleInterface(object);
    }
    QList<SeenEvent> eventsOf(QAccessible::Event type, QObject *object) const
    {
        QList<SeenEvent> out;
        for (const SeenEvent &e : seen())
            if (e.type == type && e.object == object)
                out.append(e);
        return out;
    }

private Q_SLOTS:
    void initTestCase() { setGridEventListener(recordEvent); }
    void init()
    {
        m_win = std::make_unique<DocumentWindow>(QString());
        QVERIFY(m_win->loadDocument(QStringLiteral(KIRREL_TEST_DATA "/files/race18.csv")).ok);
        m_win->show();
        QApplication::setActiveWindow(m_win.get());
        QVERIFY(QTest::qWaitForWindowActive(m_win.get()));
        // As the platform does when a screen reader connects.
        QAccessible::setActive(true);
        seen().clear();
    }
    void cleanup() { m_win.reset(); }

    void tableOfCells_data()
    {
        QTest::addColumn<bool>("quinella");
        QTest::newRow("runner table") << false;
        QTest::newRow("quinella matrix") << true;
    }
    void tableOfCells()
    {
        QFETCH(bool, quinella);
        if (quinella)
            m_win->estimateQuinella();
        GridView *v = view(quinella);
        const Grid &g = *v->grid();
        QAccessibleInterface *table = of(v);
        QVERIFY(table && table->tableInterface());
        QCOMPARE(table->role(), QAccessible::Table);
        QCOMPARE(table->text(QAccessible::Name),
                 quinella ? QStringLiteral("馬連表") : QStringLiteral("出走表"));
        QAccessibleTableInterface *t = table->tableInterface();
        // The runner table's header row heads the columns and is no row of its own.
        const int firstRow = quinella ? 0 : 1;
        QCOMPARE(t->rowCount(), g.rows() - firstRow);
        QCOMPARE(t->columnCount(), g.cols());
        QCOMPARE(table->childCount(), g.rows() * g.cols());

        int named = 0; // cells with a row header
        for (int r = 0; r < t->rowCount(); ++r) {
            for (int c = 0; c < t->columnCount(); ++c) {
                QAccessibleInterface *cell = t->cellAt(r, c);
                QVERIFY(cell && cell->tableCellInterface());
                QCOMPARE(cell->text(QAccessible::Name), g.text(r + firstRow, c).simplified());
                QCOMPARE(cell->tableCellInterface()->rowIndex(), r);
                QCOMPARE(cell->tableCellInterface()->columnIndex(), c);
                QCOMPARE(table->child(table->indexOfChild(cell)), cell);
                const QList<QAccessibleInterface *> rowHeader =
                    cell->tableCellInterface()->rowHeaderCells();
                if (!rowHeader.isEmpty() && !quinella) {
                    QCOMPARE(rowHeader[0]->text(QAccessible::Name),
                             g.text(r + firstRow, ColNumber));
                    QCOMPARE(cell->tableCellInterface()->columnHeaderCells().value(0)->text(
                                 QAccessible::Name),
                             g.text(HeaderRow, c));
                }
                if (!rowHeader.isEmpty() && quinella && !cell->text(QAccessible::Name).isEmpty()) {
                    ++named;
                    QVERIFY(rowHeader[0]->text(QAccessible::Name).contains(u'-'));
                    QCOMPARE(cell->text(QAccessible::Description),
                             QStringLiteral("馬連 ") + rowHeader[0]->text(QAccessible::Name));
                }
            }
        }
        if (quinella)
            QCOMPARE(named, 18 * 17 / 2); // every pair's estimate, named by its pair
        else
            QCOMPARE(t->columnDescription(ColName), g.text(HeaderRow, ColName));

        // Hit testing finds the cell under a point on the screen.
        const int row = quinella ? 3 : 5;
        const int col = quinella ? 1 : ColName;
        const QRect rect = v->cellRect(row, col);
        QAccessibleInterface *hit =
            table->childAt(v->mapToGlobal(rect.center()).x(), v->mapToGlobal(rect.center()).y());
        QVERIFY(hit);
        QCOMPARE(hit->text(QAccessible::Name), g.text(row, col).simplified());
        QCOMPARE(hit->rect(), QRect(v->mapToGlobal(rect.topLeft()), rect.size()));
    }

    void eventsFollowTheCursorAndTheTexts()
    {
        GridView *v = m_win->runnerTable;
        Grid &g = m_win->document().runnerTable;
        v->setFocus();
        QVERIFY(v->hasFocus());
        v->setCurrentCell(4, ColName);
        seen().clear();
        QTest::keyClick(v, Qt::Key_Down);
        QCOMPARE(g.row(), 5);
        // Each move names the new cell, which reads as focused and selected.
        const QList<SeenEvent> focus = eventsOf(QAccessible::Focus, v);
        QCOMPARE(focus.size(), 1);
        QAccessibleInterface *cell = of(v)->child(focus[0].child);
        QCOMPARE(cell->text(QAccessible::Name), g.text(5, ColName).simplified());
        QVERIFY(cell->state().focused);
        QVERIFY(cell->tableCellInterface()->isSelected());
        QCOMPARE(of(v)->focusChild(), cell);
        QCOMPARE(eventsOf(QAccessible::ActiveDescendantChanged, v).size(), 1);

        // 集計 rewrites the computed columns: the cells' texts changed, not the table's shape.
        g.setText(5, FirstDataCol, QStringLiteral("99"));
        seen().clear();
        m_win->recalculate();
        QList<SeenEvent> changes = eventsOf(QAccessible::TableModelChanged, v);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0].change, int(QAccessibleTableModelChangeEvent::DataChanged));
        // Nothing changed, nothing said.
        seen().clear();
        m_win->recalculate();
        QVERIFY(eventsOf(QAccessible::TableModelChanged, v).isEmpty());

        // Fewer runners: the table is read anew, with the new counts.
        seen().clear();
        m_win->document().setCountText(0, QStringLiteral("12"));
        m_win->confirmCounts();
        changes = eventsOf(QAccessible::TableModelChanged, v);
        QCOMPARE(changes.size(), 1);
        QCOMPARE(changes[0].change, int(QAccessibleTableModelChangeEvent::ModelReset));
        QCOMPARE(of(v)->tableInterface()->rowCount(), 12 + 1);
        QVERIFY(!of(v)->tableInterface()->cellAt(13, 0));
    }
};

QTEST_MAIN(TestGridAccessible)
#include "tst_gridaccessible_ui.moc"
