#pragma once

#include "test_support.h"

#include "data/connection.h"
#include "data/schema.h"

// Five trainees whose names test the Turkish alphabet, and four payments, in a new database.
//  kID 1  İSMAİL IŞIK      A-1     Erkek B   1990-05-01  ser_hak
//  kID 2  ismet Çelik      a-2     Erkek B   1985-01-01  ser_aldi
//  kID 3  Şule Cengiz      O'Neil  Kadın A1  2000-02-29  ser_hak, ser_yakti
//  kID 4  Ilgın Sarı       X"Y     Kadın OP  (no birth date)
//  kID 5  Can Zeybek       B-5     (no sex) C 1970-12-31
// Payments: kID 1: 100 paid 01.03.2024, 200 unpaid 31.03.2024; kID 2: 50 unpaid 15.02.2024;
// kID 3: 70 paid 01.04.2024.
inline QStringList sampleSchoolStatements() {
    QStringList statements;
    for (const char* sql : {
             "INSERT INTO tb_kursiyer (adi, soyadi, adayno, cinsiyeti, ehliyetsinifi, dogumtarihi, ser_hak) "
             "VALUES "
             "('İSMAİL', 'IŞIK', 'A-1', 'Erkek', 'B', '1990-05-01 00:00:00', -1)",
             "INSERT INTO tb_kursiyer (adi, soyadi, adayno, cinsiyeti, ehliyetsinifi, dogumtarihi, ser_aldi) "
             "VALUES "
             "('ismet', 'Çelik', 'a-2', 'Erkek', 'B', '1985-01-01 00:00:00', -1)",
             "INSERT INTO tb_kursiyer (adi, soyadi, adayno, cinsiyeti, ehliyetsinifi, dogumtarihi, ser_hak, "
             "ser_yakti) "
             "VALUES ('Şule', 'Cengiz', 'O''Neil', 'Kadın', 'A1', '2000-02-29 00:00:00', -1, -1)",
             "INSERT INTO tb_kursiyer (adi, soyadi, adayno, cinsiyeti, ehliyetsinifi) VALUES "
             "('Ilgın', 'Sarı', 'X\"Y', 'Kadın', 'OP')",
             "INSERT INTO tb_kursiyer (adi, soyadi, adayno, ehliyetsinifi, dogumtarihi) VALUES "
             "('Can', 'Zeybek', 'B-5', 'C', '1970-12-31 00:00:00')",
             "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES (-1, 100, '2024-03-01 "
             "00:00:00', 'ilk', 1)",
             "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES (0, 200, '2024-03-31 "
             "00:00:00', 'son', 1)",
             "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES (0, 50, '2024-02-15 "
             "00:00:00', '', 2)",
             "INSERT INTO tb_odeme (Odendi, miktar, tarih, aciklama, kID) VALUES (-1, 70, '2024-04-01 "
             "00:00:00', '', 3)",
         })
        statements << QString::fromUtf8(sql);
    return statements;
}

inline void fillSampleSchool(Connection& connection) {
    for (const QString& sql : sampleSchoolStatements())
        connection.execute(sql);
}

// Takes a new database back to the first released schema: no pending-entry tokens, no row versions,
// no cash desk.
inline void makeFirstReleasedSchema(Connection& connection) {
    connection.execute("DROP INDEX ix_odeme_makbuzid");
    connection.execute("DROP INDEX ix_odeme_odendi_kid");
    connection.execute("ALTER TABLE tb_odeme DROP COLUMN makbuzID");
    connection.execute("ALTER TABLE tb_odeme DROP COLUMN giris");
    for (const Table& table : Schema::tables()) {
        if (table.since > 1)
            connection.execute("DROP TABLE " + table.name);
        else
            connection.execute(QString("ALTER TABLE %1 DROP COLUMN %2").arg(table.name, Schema::RowVersion));
    }
    connection.execute("PRAGMA user_version = 1");
}
