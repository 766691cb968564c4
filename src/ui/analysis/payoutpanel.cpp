#include "ui/analysis/payoutpanel.h"

#include "ui/desktop/uicolor.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

PayoutPanel::PayoutPanel(QWidget *parent) : QWidget(parent)
{
    auto *title = new QLabel(QStringLiteral("払戻"), this);
    auto *applyButton = new QToolButton(this);
    applyButton->setText(QStringLiteral("反映"));
    applyButton->setToolTip(
        QStringLiteral("この欄の払戻をレースの払戻にします（一行でも読めなければ何も変えません）"));
    m_text = new QPlainTextEdit(this);
    m_text->setTabChangesFocus(true);
    m_text->setAccessibleName(QStringLiteral("払戻"));
    m_text->setPlaceholderText(
        QStringLiteral("一行に一つ、結果のページのまま貼り付けても：\n単勝 7 350円\n"
                       "複勝 7 150円 3 210円 12 380円\n馬連 3-7 1,230円 5番人気"));
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_message = new QLabel(this);
    m_message->setWordWrap(true);
    m_message->hide();

    auto *head = new QHBoxLayout;
    head->addWidget(title);
    head->addStretch(1);
    head->addWidget(applyButton);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(head);
    layout->addWidget(m_text, 1);
    layout->addWidget(m_message);
    connect(applyButton, &QToolButton::clicked, this, &PayoutPanel::apply);
}

void PayoutPanel::showPayouts(const Payouts &payouts)
{
    if (m_shownOnce && payouts == m_shown)
        return;
    m_shownOnce = true;
    m_shown = payouts;
    m_text->setPlainText(payoutLinesText(payouts));
}

void PayoutPanel::showMessage(const QString &text, bool error)
{
    m_message->setText(text);
    m_message->setStyleSheet(
        error ? QStringLiteral("color: %1;").arg(meaningColors(palette()).error.name())
              : QString());
    m_message->setVisible(!text.isEmpty());
}

QString PayoutPanel::messageText() const
{
    return m_message->text();
}

void PayoutPanel::apply()
{
    Q_EMIT payoutsEntered(m_text->toPlainText());
}
