#include "data/jet_dialect.h"

#include "data/database_error.h"
#include "data/schema.h"
#include "data/turkish_text.h"

#include <QDate>
#include <QDateTime>
#include <QRegularExpression>
#include <QTime>

namespace {

// How each backend says what the Jet text means.
struct Target {
    SqlDialect dialect;
    QString literalCollation; // after a text literal: = and <> ignore letter case the Turkish way
    QString orderCollation;   // after an ORDER BY term that names a text column
    QString lowerCollation;   // on PostgreSQL, the collation lower() folds by for LIKE
};

const Target& targetOf(SqlDialect dialect) {
    static const Target sqlite{SqlDialect::Sqlite,
                               " COLLATE " + QString(TurkishText::CollationName),
                               " COLLATE " + QString(TurkishText::CollationName),
                               {}};
    static const Target postgres{SqlDialect::Postgres, " COLLATE tr_ci", " COLLATE \"tr-x-icu\"",
                                 " COLLATE \"tr-x-icu\""};
    return dialect == SqlDialect::Postgres ? postgres : sqlite;
}

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

QString dateLiteral(const QString& body, SqlDialect dialect) {
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
    const QString text = quoted(toStoredDate(QDateTime(date, time)));
    return dialect == SqlDialect::Postgres ? "timestamp " + text : text;
}

// Inside ORDER BY: a term that is a bare text column name gets the collation, before ASC/DESC;
// on PostgreSQL every term says where empty values go.
class OrderByState {
public:
    explicit OrderByState(const Target& target) : m_target(target) {}

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
        const bool descending = w.compare("desc", Qt::CaseInsensitive) == 0;
        if (descending || w.compare("asc", Qt::CaseInsensitive) == 0) {
            endTerm(out, w.size(), descending);
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
            endTerm(out, 1, false);
        } else if (c == ')') {
            endTerm(out, 1, false); // the end of a sub-select's ORDER BY
            m_inOrderBy = false;
        } else if (c == '.') {
            --m_termWords; // table.column still names one column
        } else {
            m_termWords = 2; // an expression: left as written
        }
    }
    void finish(QString& out) { endTerm(out, 0, false); }

private:
    // `tail` characters at the end of `out` follow the term (a comma, ASC/DESC or nothing).
    void endTerm(QString& out, qsizetype tail, bool descending) {
        if (m_inOrderBy && m_termWords != 0) {
            qsizetype at = out.size() - tail;
            while (at > 0 && out[at - 1].isSpace())
                --at;
            const bool direction = tail > 1;
            if (m_target.dialect == SqlDialect::Postgres)
                out.insert(direction ? out.size() : at, descending ? " NULLS LAST" : " NULLS FIRST");
            if (m_termWords == 1 && Schema::isTextColumn(m_termColumn))
                out.insert(at, m_target.orderCollation);
        }
        m_termColumn.clear();
        m_termWords = 0;
    }

    const Target& m_target;
    bool m_afterOrder = false;
    bool m_inOrderBy = false;
    QString m_termColumn;
    int m_termWords = 0;
};

// On PostgreSQL, `x like 'p'` becomes `lower(x COLLATE "tr-x-icu") like lower('p' COLLATE
// "tr-x-icu")`: the operand before LIKE is the last name written, `table.column` included.
class LikeState {
public:
    explicit LikeState(const Target& target) : m_target(target) {}

    bool folds() const { return m_target.dialect == SqlDialect::Postgres; }
    void name(qsizetype start, const QString& out) {
        m_nameStart = start > 0 && out[start - 1] == '.' && m_nameEnd == start - 1 ? m_nameStart : start;
        m_nameEnd = out.size();
        m_patternNext = false;
    }
    void like(QString& out) {
        if (!folds() || m_nameEnd < 0)
            return;
        out.insert(m_nameEnd, m_target.lowerCollation + ')');
        out.insert(m_nameStart, "lower(");
        m_patternNext = true;
    }
    QString literal(const QString& text) {
        if (!m_patternNext)
            return quoted(text) + m_target.literalCollation;
        m_patternNext = false;
        return "lower(" + quoted(text) + m_target.lowerCollation + ')';
    }

private:
    const Target& m_target;
    qsizetype m_nameStart = -1;
    qsizetype m_nameEnd = -1;
    bool m_patternNext = false;
};

} // namespace

QString translateJet(const QString& jet, SqlDialect dialect) {
    const Target& target = targetOf(dialect);
    QString out;
    out.reserve(jet.size() + 32);
    OrderByState orderBy(target);
    LikeState like(target);
    qsizetype pos = 0;
    while (pos < jet.size()) {
        const QChar c = jet[pos];
        if (c == '\'' || c == '"') {
            out += like.literal(readLiteral(jet, pos, c));
            orderBy.other('\'', out);
        } else if (c == '#') {
            const qsizetype close = jet.indexOf('#', pos + 1);
            if (close < 0)
                throw DatabaseError(QString("Tarih kapatılmamış: %1").arg(jet.mid(pos)));
            out += dateLiteral(jet.mid(pos + 1, close - pos - 1), dialect);
            pos = close + 1;
            orderBy.other('#', out);
        } else if (isWordChar(c)) {
            const qsizetype start = pos;
            while (pos < jet.size() && isWordChar(jet[pos]))
                ++pos;
            const QString word = jet.mid(start, pos - start);
            const qsizetype written = out.size();
            if (word.compare("true", Qt::CaseInsensitive) == 0) {
                out += "-1";
            } else if (word.compare("false", Qt::CaseInsensitive) == 0) {
                out += "0";
            } else if (word.compare("like", Qt::CaseInsensitive) == 0) {
                like.like(out);
                out += word;
            } else {
                out += word;
                like.name(written, out);
            }
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
