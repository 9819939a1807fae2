#pragma once

#include <QDate>
#include <QString>

// The Jet-dialect statements of the printed reports, built from the choices of their dialogs.
namespace ReportSql {

inline constexpr const char* AllTrainees = "select * from tb_kursiyer order by kID";

// The trainees of one licence class; the order by the position chosen in the order list
// ("Aday No", "Ad", "Soyad", "Ehliyet Sınıfı", "Cinsiyet").
QString licenceClass(const QString& licenceClass, int order);

// Payments across trainees. status: 0 all, 1 unpaid, 2 paid; order: 0 kID, 1 name, 2 payment date.
// The dates, as dd/mm/yyyy texts, apply only with useDates; both ends are included.
QString payments(int status, bool useDates, const QString& start, const QString& end, int order);

} // namespace ReportSql
