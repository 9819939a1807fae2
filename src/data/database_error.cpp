#include "data/database_error.h"

#include <sqlite3.h>

namespace {

QString advice(int primaryCode) {
    switch (primaryCode) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return "Veritabanı şu anda başka bir program tarafından kullanılıyor. Biraz sonra yeniden deneyin.";
    case SQLITE_READONLY:
    case SQLITE_PERM:
        return "Veritabanı dosyasına yazılamıyor: dosya salt okunur ya da yazma izniniz yok. Dosyanın ve "
               "bulunduğu klasörün izinlerini denetleyip yeniden deneyin.";
    case SQLITE_FULL:
        return "Disk dolu olduğu için veritabanına yazılamadı. Diskte yer açıp yeniden deneyin.";
    case SQLITE_CORRUPT:
        return "Veritabanı dosyası bozulmuş. Dosyayı, veritabanının yanındaki \"yedekler\" klasöründe "
               "bulunan bir yedekten geri yükleyin.";
    case SQLITE_NOTADB:
        return "Dosya bir veritabanı dosyası değil. Programın kendi veritabanı dosyasını kullandığınızdan "
               "emin olun.";
    case SQLITE_CANTOPEN:
        return "Veritabanı dosyası açılamadı. Dosyanın yerinde durduğunu ve erişilebilir olduğunu "
               "denetleyin.";
    case SQLITE_IOERR:
        return "Veritabanı dosyası okunurken ya da yazılırken bir disk hatası oluştu. Diski denetleyip "
               "yeniden "
               "deneyin.";
    default:
        return "Veritabanı işlemi yapılamadı.";
    }
}

} // namespace

DatabaseError::DatabaseError(const QString& message, int code)
    : std::runtime_error(message.toStdString()), m_message(message), m_code(code) {}

QString databaseErrorText(int sqliteCode, const QString& engineText) {
    // An extended code keeps its primary code in the low byte.
    return QString("%1 (%2)").arg(advice(sqliteCode & 0xff), engineText);
}

QString serverErrorText(const QString& sqlState, const QString& serverText) {
    QString advice = "Veritabanı işlemi yapılamadı.";
    if (sqlState == "55P03" || sqlState == "40001" || sqlState == "40P01")
        advice = "Kayıt şu anda başka bir masada kullanılıyor. Biraz sonra yeniden deneyin.";
    else if (sqlState == "53100")
        advice =
            "Sunucunun diski dolu olduğu için veritabanına yazılamadı. Sunucuda yer açıp yeniden deneyin.";
    else if (sqlState.startsWith("08") || sqlState.startsWith("57P"))
        advice =
            "Sunucuyla bağlantı koptu. Sunucunun çalıştığını ve ağ bağlantısını denetleyip yeniden deneyin.";
    else if (sqlState == "42501")
        advice = "Sunucudaki kullanıcının bu işlem için yetkisi yok. Sunucunun yöneticisine başvurun.";
    else if (sqlState.startsWith("23"))
        advice = "Kayıt veritabanının kurallarına uymuyor.";
    return QString("%1 (%2)").arg(advice, serverText);
}
