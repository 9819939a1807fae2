#pragma once

#include <QString>

#include <stdexcept>

// Any failure of the database layer, worded for the user who reads it in the error box.
class DatabaseError : public std::runtime_error {
public:
    explicit DatabaseError(const QString& message, int code = 0);
    QString message() const { return m_message; }
    // The engine's primary result code; 0 when the program itself raised the error.
    int code() const { return m_code; }

private:
    QString m_message;
    int m_code;
};

// A write that names the row version it read found no such row: another copy of the program changed
// or deleted the row since it was read.
inline const QString RowChangedElsewhereText = QStringLiteral(
    "Bu kayıt siz çalışırken başka bir masada değiştirildi ya da silindi. Yaptığınız değişiklikler "
    "kaydedilmedi. Güncel hâlini görmek için İptal edip kaydı yeniden açın.");

// What the user reads for a failure of the engine: what happened and what to do about it, then the
// engine's own words in parentheses. Takes a primary or an extended result code.
QString databaseErrorText(int sqliteCode, const QString& engineText);
// The same for a failure the server reported with its SQLSTATE code.
QString serverErrorText(const QString& sqlState, const QString& serverText);
