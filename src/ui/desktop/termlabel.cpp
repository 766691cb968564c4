#include "ui/desktop/termlabel.h"

#include <QCursor>
#include <QEvent>
#include <QToolTip>

namespace {

bool separates(QChar c)
{
    return c == u'　' || c == u'\n' || c == u'（' || c == u'）';
}

} // namespace

TermLabel::TermLabel(QWidget *parent) : QLabel(parent)
{
    setTextFormat(Qt::RichText);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::LinksAccessibleByMouse);
    connect(this, &QLabel::linkHovered, this, [this](const QString &link) {
        bool ok = false;
        const int index = link.toInt(&ok);
        if (ok && index >= 0 && index < m_parts.size())
            QToolTip::showText(QCursor::pos(), m_parts[index].second, this);
        else
            QToolTip::hideText();
    });
}

void TermLabel::addTerm(const QString &term, const QString &explanation)
{
    m_terms.append({QRegularExpression(QRegularExpression::escape(term)), explanation});
}

void TermLabel::addPattern(const QString &pattern, const QString &explanation)
{
    m_terms.append({QRegularExpression(pattern), explanation});
}

void TermLabel::setPlainText(const QString &text)
{
    m_text = text;
    render();
}

void TermLabel::changeEvent(QEvent *event)
{
    QLabel::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::EnabledChange)
        render();
}

void TermLabel::render()
{
    m_parts.clear();
    // The explained parts look like the rest of the text, not like links.
    const QString colour =
        palette()
            .color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText)
            .name();
    QString html;
    const auto plain = [&](QStringView s) {
        html += s.toString().toHtmlEscaped().replace(u'\n', QStringLiteral("<br>"));
    };
    qsizetype pos = 0;
    while (pos < m_text.size()) {
        qsizetype end = -1;
        QString explanation;
        if (pos == 0 || separates(m_text[pos - 1])) {
            for (const auto &[term, text] : m_terms) {
                const QRegularExpressionMatch match =
                    term.match(m_text, pos, QRegularExpression::NormalMatch,
                               QRegularExpression::AnchorAtOffsetMatchOption);
                if (match.hasMatch() && match.capturedLength() > 0) {
                    end = match.capturedEnd();
                    explanation = text;
                    break;
                }
            }
        }
        if (end < 0) {
            plain(QStringView(m_text).mid(pos, 1));
            ++pos;
            continue;
        }
        while (end < m_text.size() && !separates(m_text[end]))
            ++end;
        const QString part = m_text.mid(pos, end - pos);
        html += QStringLiteral("<a href=\"%1\" style=\"color:%2; text-decoration:none\">")
                    .arg(m_parts.size())
                    .arg(colour);
        plain(part);
        html += QStringLiteral("</a>");
        m_parts.append({part, explanation});
        pos = end;
    }
    // Spaces kept as they are (rich text would fold runs of them).
    setText(QStringLiteral("<span style=\"white-space:pre-wrap\">") + html +
            QStringLiteral("</span>"));
}
