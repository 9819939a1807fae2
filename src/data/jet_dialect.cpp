#include "data/jet_dialect.h"

#include "data/database_error.h"
#include "data/schema.h"
#include "data/turkish_text.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>

namespace {

const QString CollateSuffix = QStringLiteral(" COLLATE ") + TurkishText::CollationName;

bool isWordChar(QChar c) {
    return c.isLetterOrNumber() || c == '_';
}

QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace('\'', "''");
    return '\'' + escaped + '\'';
}

// Reads a literal that starts at `pos` with `quote`; a doubled quote stands for one.
// Returns the text and moves `pos` past the closing quote; an unclosed literal runs to the end.
QString readLiteral(const QString& sql, qsizetype& pos, QChar quote) {
    QString text;
    for (++pos; pos < sql.size(); ++pos) {
        if (sql[pos] != quote) {
            text += sql[pos];
        } else if (pos + 1 < sql.size() && sql[pos + 1] == quote) {
            text += quote;
            ++pos;
        } else {
            ++pos;
            return text;
        }
    }
    return text;
}

QString dateLiteral(const QString& body) {
    static const QRegularExpression form(
        R"(^\s*(\d{1,2})/(\d{1,2})/(\d{2,4})(?:\s+(\d{1,2}):(\d{2})(?::(\d{2}))?)?\s*$)");
    const QRegularExpressionMatch m = form.match(body);
    if (!m.hasMatch())
        throw DatabaseError(QString("Geçersiz tarih: #%1#").arg(body));
    int year = m.captured(3).toInt();
    if (m.captured(3).size() <= 2)
        year += year < 50 ? 2000 : 1900;
    const QDate date(year, m.captured(2).toInt(), m.captured(1).toInt());
    const QTime time(m.captured(4).toInt(), m.captured(5).toInt(), m.captured(6).toInt());
    if (!date.isValid() || !time.isValid())
        throw DatabaseError(QString("Geçersiz tarih: #%1#").arg(body));
    return quoted(toStoredDate(QDateTime(date, time)));
}

// Inside ORDER BY: a term that is a bare text column name gets the collation, before ASC/DESC.
class OrderByState {
public:
    void word(const QString& w, QString& out) {
        if (m_afterOrder && w.compare("by", Qt::CaseInsensitive) == 0) {
            m_inOrderBy = true;
            m_afterOrder = false;
            m_termColumn.clear();
            m_termWords = 0;
            return;
        }
        m_afterOrder = w.compare("order", Qt::CaseInsensitive) == 0;
        if (!m_inOrderBy)
            return;
        const bool direction =
            w.compare("asc", Qt::CaseInsensitive) == 0 || w.compare("desc", Qt::CaseInsensitive) == 0;
        if (direction) {
            endTerm(out, w.size());
            return;
        }
        ++m_termWords;
        m_termColumn = w;
    }
    void other(QChar c, QString& out) {
        if (c.isSpace())
            return;
        m_afterOrder = false;
        if (!m_inOrderBy)
            return;
        if (c == ',') {
            endTerm(out, 1);
        } else if (c == ')') {
            endTerm(out, 1); // the end of a sub-select's ORDER BY
            m_inOrderBy = false;
        } else if (c == '.') {
            --m_termWords; // table.column still names one column
        } else {
            m_termWords = 2; // an expression: left as written
        }
    }
    void finish(QString& out) { endTerm(out, 0); }

private:
    // `tail` characters at the end of `out` follow the term (a comma, ASC/DESC or nothing).
    void endTerm(QString& out, qsizetype tail) {
        if (m_inOrderBy && m_termWords == 1 && Schema::isTextColumn(m_termColumn)) {
            qsizetype at = out.size() - tail;
            while (at > 0 && out[at - 1].isSpace())
                --at;
            out.insert(at, CollateSuffix);
        }
        m_termColumn.clear();
        m_termWords = 0;
    }

    bool m_afterOrder = false;
    bool m_inOrderBy = false;
    QString m_termColumn;
    int m_termWords = 0;
};

} // namespace

QString translateJet(const QString& jet) {
    QString out;
    out.reserve(jet.size() + 32);
    OrderByState orderBy;
    qsizetype pos = 0;
    while (pos < jet.size()) {
        const QChar c = jet[pos];
        if (c == '\'' || c == '"') {
            out += quoted(readLiteral(jet, pos, c)) + CollateSuffix;
            orderBy.other('\'', out);
        } else if (c == '#') {
            const qsizetype close = jet.indexOf('#', pos + 1);
            if (close < 0)
                throw DatabaseError(QString("Tarih kapatılmamış: %1").arg(jet.mid(pos)));
            out += dateLiteral(jet.mid(pos + 1, close - pos - 1));
            pos = close + 1;
            orderBy.other('#', out);
        } else if (isWordChar(c)) {
            const qsizetype start = pos;
            while (pos < jet.size() && isWordChar(jet[pos]))
                ++pos;
            const QString word = jet.mid(start, pos - start);
            if (word.compare("true", Qt::CaseInsensitive) == 0)
                out += "-1";
            else if (word.compare("false", Qt::CaseInsensitive) == 0)
                out += "0";
            else
                out += word;
            orderBy.word(word, out);
        } else {
            out += c;
            ++pos;
            orderBy.other(c, out);
        }
    }
    orderBy.finish(out);
    return out;
}
