#include "app/file_error.h"

#include <cerrno>
#include <cstring>

namespace {

QString advice(int errorNumber) {
    switch (errorNumber) {
    case ENOSPC:
    case EDQUOT:
        return "Diskte yer kalmadı. Diskte yer açıp yeniden deneyin.";
    case EACCES:
    case EPERM:
        return "Bu konuma yazma izniniz yok. Başka bir klasör seçin ya da izinleri denetleyin.";
    case EROFS:
        return "Disk ya da klasör salt okunur. Başka bir klasör seçin.";
    case ENOENT:
    case ENOTDIR:
        return "Klasör bulunamadı. Klasörün var olduğunu denetleyin.";
    case EFBIG:
        return "Dosya bu disk için fazla büyük. Başka bir diske kaydedin.";
    case EIO:
        return "Diske yazılırken bir donanım hatası oluştu. Diski denetleyip yeniden deneyin.";
    default:
        return "Dosya yazılamadı.";
    }
}

} // namespace

QString fileErrorReason(int errorNumber, const QString& fallback) {
    const QString system = errorNumber != 0 ? QString::fromLocal8Bit(std::strerror(errorNumber)) : fallback;
    return system.isEmpty() ? advice(errorNumber) : QString("%1 (%2)").arg(advice(errorNumber), system);
}
