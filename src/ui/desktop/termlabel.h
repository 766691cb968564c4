#pragma once
// A line of statistics whose numbers explain themselves: each part of the text that begins with
// a known term shows that term's explanation when the pointer rests on it. Parts are separated
// by a full-width space, a line break or full-width brackets; "対数尤度 -12.3（勝ち馬のみ -4.5）"
// has the parts "対数尤度 -12.3" and "勝ち馬のみ -4.5". The text stays selectable.

#include <QLabel>
#include <QList>
#include <QRegularExpression>

class TermLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TermLabel(QWidget *parent = nullptr);

    // A term as it is written at the start of a part; the first term that matches counts.
    void addTerm(const QString &term, const QString &explanation);
    // A term given as a pattern matched at the start of a part ("\d[\d,]*点").
    void addPattern(const QString &pattern, const QString &explanation);

    void setPlainText(const QString &text);
    QString plainText() const { return m_text; }
    // The parts shown with an explanation, in order, and each one's explanation.
    QList<std::pair<QString, QString>> explainedParts() const { return m_parts; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void render();

    QList<std::pair<QRegularExpression, QString>> m_terms;
    QString m_text;
    QList<std::pair<QString, QString>> m_parts;
};
