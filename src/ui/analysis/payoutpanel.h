#pragma once
// 払戻: the official payouts of the race, one line per winning ticket, typed or pasted as a
// results page gives them. The window reads and checks the text; the panel only shows it.

#include "core/market/payouts.h"

#include <QWidget>

class QLabel;
class QPlainTextEdit;
class QToolButton;

class PayoutPanel : public QWidget
{
    Q_OBJECT
public:
    explicit PayoutPanel(QWidget *parent = nullptr);

    // The stored payouts; the text is replaced only when they differ from those shown last,
    // so that other updates leave lines being typed alone.
    void showPayouts(const Payouts &payouts);
    // The outcome of the last 反映, red when refused; empty hides it.
    void showMessage(const QString &text, bool error);

    QPlainTextEdit *editor() const { return m_text; }
    QString messageText() const;
    // As the 反映 button: payoutsEntered with the text.
    void apply();

Q_SIGNALS:
    void payoutsEntered(const QString &text);

private:
    QPlainTextEdit *m_text;
    QLabel *m_message;
    Payouts m_shown;
    bool m_shownOnce = false;
};
